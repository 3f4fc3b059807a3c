#include "winui/ControlFactory_CL.h"

#include "winui/Button_CL.h"
#include "winui/CheckBox_CL.h"
#include "winui/ComboBox_CL.h"
#include "winui/Edit_CL.h"
#include "winui/GroupBox_CL.h"
#include "winui/StaticText_CL.h"

int ControlFactory_CL::adopt(std::unique_ptr<ControlBase_CL> control)
{
    controls_.push_back(std::move(control));
    return static_cast<int>(controls_.size()) - 1;
}

int ControlFactory_CL::add_static_text(HWND parent, const std::wstring& text, int x, int y)
{
    auto control = std::make_unique<StaticText_CL>();
    control->create(parent, next_id(), text, x, y);
    return adopt(std::move(control));
}

int ControlFactory_CL::add_button(HWND parent, const std::wstring& text, int x, int y)
{
    auto control = std::make_unique<Button_CL>();
    control->create(parent, next_id(), text, x, y);
    return adopt(std::move(control));
}

int ControlFactory_CL::add_check_box(HWND parent, const std::wstring& text, int y)
{
    auto control = std::make_unique<CheckBox_CL>();
    control->create(parent, next_id(), text, y);
    return adopt(std::move(control));
}

int ControlFactory_CL::add_edit(HWND parent, int columns, DWORD style, int x)
{
    auto control = std::make_unique<Edit_CL>();
    control->create(parent, next_id(), columns, style, x);
    return adopt(std::move(control));
}

int ControlFactory_CL::add_combo_box(HWND parent, int columns)
{
    auto control = std::make_unique<ComboBox_CL>();
    control->create(parent, next_id(), columns, 10, CBS_DROPDOWNLIST | WS_VSCROLL | WS_HSCROLL, 16, 0);
    return adopt(std::move(control));
}

int ControlFactory_CL::add_group_box(HWND parent, const std::wstring& text, int y, int height)
{
    auto control = std::make_unique<GroupBox_CL>();
    control->create(parent, next_id(), text, y, height);
    return adopt(std::move(control));
}

ControlBase_CL* ControlFactory_CL::at(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < controls_.size() ? controls_[index].get() : nullptr;
}

RECT ControlFactory_CL::placement(const ControlBase_CL& control)
{
    RECT rect{};
    GetWindowRect(control.window(), &rect);
    MapWindowPoints(nullptr, GetParent(control.window()), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ControlFactory_CL::stack_left(const std::vector<int>& indexes)
{
    int y = -1;
    for (int index : indexes) {
        if (index == kEndOfList) break;
        ControlBase_CL* control = at(index);
        if (!control || !control->window()) continue;
        const DpiScale scale = control->dpi();
        if (y < 0) y = scale(64);
        control->move_to(scale(8), y);
        y = placement(*control).bottom + scale(4);
    }
}

int ControlFactory_CL::stack_rows(int top, int last_index, int gap)
{
    int y = -1;
    for (int index = 0; index <= last_index; ++index) {
        ControlBase_CL* control = at(index);
        if (!control || !control->window()) continue;
        const DpiScale scale = control->dpi();
        if (y < 0) y = scale(top);
        const RECT rect = placement(*control);
        control->set_top(y);
        y += (rect.bottom - rect.top) + scale(gap);
    }
    return y < 0 ? top : y;
}

void ControlFactory_CL::place_button_pair(HWND dialog, int index)
{
    ControlBase_CL* first = at(index);
    ControlBase_CL* second = at(index + 1);
    if (!first || !second) return;
    RECT client{};
    GetClientRect(dialog, &client);
    const int margin = DpiScale::of(dialog)(4);
    const RECT first_rect = placement(*first);
    const RECT second_rect = placement(*second);
    const int second_width = second_rect.right - second_rect.left;
    const int top = client.bottom - margin - (second_rect.bottom - second_rect.top);
    const int second_left = client.right - margin - second_width;
    second->move_to(second_left, top);
    first->move_to(second_left - margin - (first_rect.right - first_rect.left), top);
}
