#pragma once
#include <windows.h>

// One level of a split layout: two panes side by side (vertical bar) or one
// above the other (horizontal bar), separated by a bar whose position is an
// absolute client coordinate of the window.
struct SplitterNode {
    struct Pane {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        HWND window = nullptr;
        SplitterNode* child = nullptr;
    };
    Pane panes[2];
    int bar = 8;
    int position = 0;
    int orientation = 0;  // 0: a left and a right pane; otherwise a top and a bottom pane

    // Lays both panes out over area, the position clamped so the bar stays
    // inside (at least the area's start, at most its end minus the bar);
    // child nodes follow their pane.
    void layout(const RECT& area);
    RECT area() const;
    RECT pane_rect(int index) const;
    bool on_bar(int x, int y) const;
    // The deepest node whose area holds the point; null when outside.
    SplitterNode* node_at(int x, int y);
};

// Lets the user drag the bars of a splitter tree with the mouse: a green XOR
// line follows the mouse, and on release the layout takes the new position
// and the notify window receives kSplitterMoved.
class SpliterWindowHelper_CL {
public:
    static constexpr UINT kSplitterMoved = 0x3724;

    SpliterWindowHelper_CL() = default;
    SpliterWindowHelper_CL(const SpliterWindowHelper_CL&) = delete;
    SpliterWindowHelper_CL& operator=(const SpliterWindowHelper_CL&) = delete;
    virtual ~SpliterWindowHelper_CL() = default;

    void bind(SplitterNode* root, HWND notify) { root_ = root; notify_ = notify; }
    // Takes the mouse messages of the split window; true when it acted on one.
    virtual bool handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    bool dragging() const { return dragged_ != nullptr; }

private:
    void begin_drag(HWND window, SplitterNode* node);
    void drag_to(HWND window, int x, int y);
    void end_drag(HWND window, int x, int y);
    void toggle_line(HWND window);
    void set_size_cursor(const SplitterNode& node) const;
    static void move_bar(SplitterNode& node, int x, int y);

    SplitterNode* root_ = nullptr;
    SplitterNode* dragged_ = nullptr;
    HWND notify_ = nullptr;
    RECT line_{-1, 0, 0, 0};  // the drawn drag line; left -1 when none is drawn
};
