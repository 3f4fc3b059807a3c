#pragma once
#include <string>

#include <windows.h>

#include "base/WindowTasks_CL.h"
#include "winui/DpiScale.h"

// Base of every control wrapper and of the top-level windows. The object is
// bound to its window through the window's user-data slot; a subclassed
// control sees each message in handle_message before the control's own
// procedure, which runs unless the handler calls set_handled().
//
// The creators of the wrappers take positions and sizes as 96-DPI layout
// numbers and scale them to the parent's DPI; resize, move_to and set_top take
// the window's own pixels.
//
// Later wrappers override, in this order: handle_message, the destructor and
// resize. A wrapper does not own its window: owners call DestroyWindow before
// deleting the wrapper (the destructor only unhooks a window still bound).
class ControlBase_CL {
public:
    // The kind code each constructor stores.
    enum Kind : int {
        kStatic = 1,        // StaticText_CL, CommunicateWait_CL
        kButton = 2,
        kCheckBox = 3,
        kEdit = 4,
        kComboBox = 5,      // ComboBox_CL, HistoryComboBox_CL
        kListBox = 6,       // ListBox_CL and the thumbnail lists
        kMainWindow = 7,    // MainWindowBase_CL and the two top-level windows
        kTab = 13,
        kStaticImage = 14,  // StaticImage_CL and the preview pictures
        kGroupBox = 17,
        kStatusBar = 18,
    };
    using MessageCallback = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

    explicit ControlBase_CL(int kind);
    ControlBase_CL(const ControlBase_CL&) = delete;
    ControlBase_CL& operator=(const ControlBase_CL&) = delete;

    // Default: the message callback's answer when one is set, else 0 with the
    // handled flag left clear.
    virtual LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    virtual ~ControlBase_CL();
    // New size, same top-left in the parent's client area.
    virtual void resize(int width, int height, bool repaint);
    // The window moved to a display of another DPI (WM_DPICHANGED reaches the
    // top-level window, which passes it on): takes the new DPI and its font.
    // Controls that draw or measure themselves do more.
    virtual void on_dpi_changed(const DpiScale& scale);

    void move_to(int x, int y);
    void set_top(int y);
    std::wstring text() const;
    // Extent of a text in this control's font (explicit line breaks count).
    int text_width(const std::wstring& text) const;
    int text_height(const std::wstring& text) const;

    // Binds this object to its created window and puts the common control
    // procedure in front of the control's own; clears the message callback.
    // From then on the window takes tasks. Once is enough; again does nothing.
    bool subclass();
    // The road from workers to this object's window thread: open while the
    // window is bound to the object (top-level windows and subclassed controls).
    WindowTasks_CL& tasks() { return tasks_; }

    // The DPI the window is shown at: its parent's when it was created, then
    // what the last DPI change said.
    DpiScale dpi() const { return scale_; }
    int kind() const { return kind_; }
    int id() const { return id_; }
    void set_id(int id) { id_ = id; }
    HWND window() const { return window_; }
    HFONT font() const { return font_; }
    void set_message_callback(MessageCallback callback) { callback_ = callback; }
    bool handled() const { return handled_ != 0; }
    void set_handled(bool handled) { handled_ = handled ? 1 : 0; }
    WNDPROC previous_procedure() const { return previous_; }

protected:
    // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
    static constexpr DWORD kChildStyle = 0x56000000;
    // kChildStyle | WS_TABSTOP
    static constexpr DWORD kTabStopChildStyle = 0x56010000;

    // The part every creator shares: stores the id, creates the window with
    // this object as creation parameter unless another is given, stores the
    // handle and gives it the font. Null when the window cannot be created.
    HWND create_window(DWORD ex_style, const wchar_t* window_class, const wchar_t* text, DWORD style, int x, int y,
                       int width, int height, HWND parent, int id, void* parameter);
    HWND create_window(DWORD ex_style, const wchar_t* window_class, const wchar_t* text, DWORD style, int x, int y,
                       int width, int height, HWND parent, int id);
    SIZE text_extent(const std::wstring& text) const;
    // Before a control is created: its font and layout numbers are those of
    // the parent's DPI, which the answer scales (a top-level window gives its own).
    DpiScale adopt_dpi(HWND parent);
    void set_window(HWND window) { window_ = window; }

private:
    // Top-left of the window in its parent's client coordinates (screen for a top-level window).
    POINT position() const;
    // The control procedure: window tasks first, then the common subclass routing.
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    int kind_;
    int id_ = 0;
    int handled_ = 0;
    WNDPROC previous_ = nullptr;
    MessageCallback callback_ = nullptr;
    HWND window_ = nullptr;
    HFONT font_;  // shared (stock or DpiScale's), never deleted here
    DpiScale scale_ = DpiScale::system();
    WindowTasks_CL tasks_;
};
