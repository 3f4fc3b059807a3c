#include "winui/SubClassDialogBase_CL.h"

#include <cstring>

#include <prsht.h>

#include "winui/DpiScale.h"
#include "winui/Subclassing.h"

namespace {
// WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFOREGROUND | DS_MODALFRAME
constexpr DWORD kTemplateStyle = 0x80CA0280;

SubClassDialogBase_CL* bound_dialog(HWND window)
{
    return reinterpret_cast<SubClassDialogBase_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
}  // namespace

SubClassDialogBase_CL::~SubClassDialogBase_CL()
{
    tasks_.close();
    if (window_ && IsWindow(window_) && bound_dialog(window_) == this) SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    if (device_context_ && window_) ReleaseDC(window_, device_context_);
}

INT_PTR SubClassDialogBase_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_CLOSE) {
        EndDialog(window, 0);
        return 0;
    }
    if (message == WM_INITDIALOG) {
        ShowWindow(window, SW_SHOW);
        return 1;
    }
    return 0;
}

const DLGTEMPLATE* SubClassDialogBase_CL::build_template()
{
    if (!template_) template_ = std::make_unique<unsigned char[]>(kTemplateSize);
    std::memset(template_.get(), 0, kTemplateSize);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(template_.get());
    header->style = kTemplateStyle;
    header->cx = 320;
    header->cy = 240;
    // Menu, class and title follow the header as empty words: the buffer is zero.
    return header;
}

void SubClassDialogBase_CL::bind(HWND window, HWND shared_window)
{
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window_ = window;
    if (window_variable_) *window_variable_ = shared_window;
    device_context_ = GetDC(window);
    tasks_.open(window);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(DpiScale::of(window).font()), TRUE);
}

INT_PTR SubClassDialogBase_CL::route(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                     SubClassDialogBase_CL* binding, bool page)
{
    SubClassDialogBase_CL* object = bound_dialog(window);
    if (!object && message == WM_INITDIALOG && binding) {
        object = binding;
        object->bind(window, page ? GetParent(window) : window);
    }
    if (!object) return 0;
    if (object->tasks_.on_message(message)) return TRUE;
    const INT_PTR result = object->handle_message(window, message, wparam, lparam);
    if (message == WM_DESTROY) {
        ReleaseDC(window, object->device_context_);
        object->device_context_ = nullptr;
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        object->window_ = nullptr;
    }
    return result;
}

INT_PTR CALLBACK SubClassDialogBase_CL::page_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    SubClassDialogBase_CL* binding = nullptr;
    if (message == WM_INITDIALOG && lparam)
        binding = reinterpret_cast<SubClassDialogBase_CL*>(reinterpret_cast<const PROPSHEETPAGEW*>(lparam)->lParam);
    return subclassing::handle_safely(
        message, [&] { return route(window, message, wparam, lparam, binding, true); }, INT_PTR{FALSE});
}

INT_PTR CALLBACK SubClassDialogBase_CL::dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    SubClassDialogBase_CL* binding =
        message == WM_INITDIALOG ? reinterpret_cast<SubClassDialogBase_CL*>(lparam) : nullptr;
    return subclassing::handle_safely(
        message, [&] { return route(window, message, wparam, lparam, binding, false); }, INT_PTR{FALSE});
}
