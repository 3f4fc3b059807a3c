#include "mainwindow/UpdateDialog_CL.h"

#include <utility>

#include "winui/DpiScale.h"
#include "winui/WindowPlacement.h"

UpdateDialog_CL::UpdateDialog_CL(std::wstring title, std::wstring current_version, std::wstring new_version)
    : title_(std::move(title)), current_version_(std::move(current_version)), new_version_(std::move(new_version))
{
}

UpdateDialog_CL::Result UpdateDialog_CL::show(HWND parent)
{
    parent_ = parent;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), build_template(), parent,
                                                   &SubClassDialogBase_CL::dialog_procedure,
                                                   reinterpret_cast<LPARAM>(this));
    if (result == kGoToSite || result == kRemindLater) return static_cast<Result>(result);
    return kClosed;
}

std::wstring UpdateDialog_CL::message_text() const
{
    return L"最新のバージョン" + new_version_ + L"が公開されています。" + L"\r\n" + L"サイトへ移動しますか？\r\n\r\n" +
           L"　（現在インストールされているバージョンは" + current_version_ + L"です。）\r\n";
}

INT_PTR UpdateDialog_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        build(window);
        // Shown with the keyboard focus on the first button.
        return SubClassDialogBase_CL::handle_message(window, message, wparam, lparam);
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case kGoToSiteId:
            EndDialog(window, kGoToSite);
            break;
        case kRemindLaterId:
            EndDialog(window, kRemindLater);
            break;
        case IDCANCEL:  // Esc: the same as the close box
            EndDialog(window, kClosed);
            break;
        }
        return 0;
    case WM_CLOSE:
        EndDialog(window, kClosed);
        return 0;
    default:
        return 0;
    }
}

void UpdateDialog_CL::build(HWND window)
{
    SetWindowTextW(window, title_.c_str());
    const DpiScale scale = DpiScale::of(window);
    MoveWindow(window, 0, 0, scale(360), scale(160), FALSE);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    SetWindowLongPtrW(window, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
    const int go_to_site = factory_.add_button(window, L"　サイトへ移動する　", 0, 0);
    const int remind_later = factory_.add_button(window, L"後日通知する　", 0, 0);
    assign_id(go_to_site, kGoToSiteId);
    assign_id(remind_later, kRemindLaterId);
    factory_.place_button_pair(window, go_to_site);
    factory_.add_static_text(window, message_text(), 8, 8);
    center_dialog(parent_, window);
}

void UpdateDialog_CL::assign_id(int index, int id)
{
    ControlBase_CL* control = factory_.at(index);
    if (!control) return;
    SetWindowLongPtrW(control->window(), GWLP_ID, id);
    control->set_id(id);
}
