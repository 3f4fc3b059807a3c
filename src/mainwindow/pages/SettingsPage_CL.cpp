#include "mainwindow/pages/SettingsPage_CL.h"

#include <windows.h>
#include <prsht.h>

#include "winui/CheckBox_CL.h"
#include "winui/ComboBox_CL.h"
#include "winui/DpiScale.h"

INT_PTR SettingsPage_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        MoveWindow(window, 0, 0, DpiScale::of(window)(kWidth), DpiScale::of(window)(kHeight), FALSE);
        // Filling the fields sends the same notifications a user's edit does.
        building_ = true;
        build(window);
        building_ = false;
        return SubClassDialogBase_CL::handle_message(window, message, wparam, lparam);
    case WM_WINDOWPOSCHANGING: {
        // The sheet sizes its pages for their template; this page keeps its own size.
        auto* position = reinterpret_cast<WINDOWPOS*>(lparam);
        if (!(position->flags & SWP_NOSIZE)) {
            position->cx = DpiScale::of(window)(kWidth);
            position->cy = DpiScale::of(window)(kHeight);
        }
        return 0;
    }
    case WM_COMMAND:
        if (!building_) on_command(static_cast<int>(LOWORD(wparam)) - factory_.first_id(), HIWORD(wparam));
        return 0;
    case WM_NOTIFY:
        return on_notify(window, reinterpret_cast<const NMHDR*>(lparam)->code);
    default:
        return SubClassDialogBase_CL::handle_message(window, message, wparam, lparam);
    }
}

// A refusal keeps the sheet on this page and applies nothing.
INT_PTR SettingsPage_CL::on_notify(HWND window, UINT code)
{
    if (code == static_cast<UINT>(PSN_KILLACTIVE)) {
        SetWindowLongPtrW(window, DWLP_MSGRESULT, validate() ? FALSE : TRUE);
        return TRUE;
    }
    if (code == static_cast<UINT>(PSN_APPLY)) {
        const bool valid = validate();
        if (valid) apply();
        SetWindowLongPtrW(window, DWLP_MSGRESULT, valid ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
        return TRUE;
    }
    return 0;
}

void SettingsPage_CL::mark_changed() const
{
    if (building_ || !window()) return;
    SendMessageW(GetParent(window()), PSM_CHANGED, reinterpret_cast<WPARAM>(window()), 0);
}

int SettingsPage_CL::add_list(HWND page, int columns, std::initializer_list<const wchar_t*> items)
{
    const int index = factory_.add_combo_box(page, columns);
    if (ComboBox_CL* box = factory_.at<ComboBox_CL>(index))
        for (const wchar_t* item : items) box->insert_item(item, 0);
    return index;
}

bool SettingsPage_CL::is_checked(int index) const
{
    const CheckBox_CL* box = factory_.at<CheckBox_CL>(index);
    return box && box->is_checked();
}

void SettingsPage_CL::set_checked(int index, bool checked) const
{
    if (CheckBox_CL* box = factory_.at<CheckBox_CL>(index)) box->set_checked(checked);
}

void SettingsPage_CL::enable(int index, bool enabled) const
{
    if (const ControlBase_CL* control = factory_.at(index)) EnableWindow(control->window(), enabled ? TRUE : FALSE);
}

std::wstring SettingsPage_CL::text_of(int index) const
{
    const ControlBase_CL* control = factory_.at(index);
    return control ? control->text() : std::wstring();
}

void SettingsPage_CL::set_text(int index, const std::wstring& text) const
{
    if (const ControlBase_CL* control = factory_.at(index)) SetWindowTextW(control->window(), text.c_str());
}

void SettingsPage_CL::select(int combo, int index, int fallback) const
{
    ComboBox_CL* box = factory_.at<ComboBox_CL>(combo);
    if (!box) return;
    box->select(index >= 0 && index < box->count() ? index : fallback);
}

int SettingsPage_CL::selection(int combo) const
{
    const ComboBox_CL* box = factory_.at<ComboBox_CL>(combo);
    return box ? box->current_selection() : -1;
}
