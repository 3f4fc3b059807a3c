#pragma once
#include <memory>
#include <string>
#include <vector>

#include "winui/ControlBase_CL.h"

// Creates and owns the child controls of one page or dialog. Controls get the
// ids 0x1100, 0x1101, ... (or from another first id) in creation order; each add_* answers the control's
// index, by which the layout helpers and at<>() address it. A control whose
// window cannot be created keeps its index and id, windowless.
class ControlFactory_CL {
public:
    static constexpr int kFirstId = 0x1100;
    // Ends an index list for stack_left.
    static constexpr int kEndOfList = -1;

    // A page that shares a sheet with others may start after their ids.
    explicit ControlFactory_CL(int first_id = kFirstId) : first_id_(first_id) {}
    ControlFactory_CL(const ControlFactory_CL&) = delete;
    ControlFactory_CL& operator=(const ControlFactory_CL&) = delete;
    // Deletes the control objects; their windows go with the page's window.
    virtual ~ControlFactory_CL() = default;

    int add_static_text(HWND parent, const std::wstring& text, int x, int y);
    int add_button(HWND parent, const std::wstring& text, int x, int y);
    int add_check_box(HWND parent, const std::wstring& text, int y);
    // style as Edit_CL::create; at y 0.
    int add_edit(HWND parent, int columns, DWORD style, int x);
    // A drop-down list, 10 rows, at (16, 0).
    int add_combo_box(HWND parent, int columns);
    int add_group_box(HWND parent, const std::wstring& text, int y, int height);

    // Positions, sizes and gaps given here are 96-DPI layout numbers, scaled
    // to the page's DPI; answers are the page's pixels.
    //
    // Moves the listed controls to x 8, the first at y 64, each next 4 pixels
    // below the previous one's bottom. The list stops at kEndOfList.
    void stack_left(const std::vector<int>& indexes);
    // Controls 0..last_index keep their x and are stacked from top down,
    // each followed by gap pixels; answers the y below the last gap.
    int stack_rows(int top, int last_index, int gap);
    // Puts controls index and index + 1 at the dialog's bottom-right corner,
    // 4-pixel margins, the second at the right.
    void place_button_pair(HWND dialog, int index);

    // The control's rectangle in its parent's client coordinates.
    static RECT placement(const ControlBase_CL& control);

    size_t size() const { return controls_.size(); }
    int first_id() const { return first_id_; }
    ControlBase_CL* at(int index) const;
    // The control at index as its own class; null for another class or a bad index.
    template <class Control>
    Control* at(int index) const
    {
        return dynamic_cast<Control*>(at(index));
    }

private:
    int adopt(std::unique_ptr<ControlBase_CL> control);
    int next_id() const { return first_id_ + static_cast<int>(controls_.size()); }

    int first_id_;
    std::vector<std::unique_ptr<ControlBase_CL>> controls_;
};
