#include "winui/SubClassWindowBase_CL.h"

#include "winui/Subclassing.h"

SubClassWindowBase_CL::~SubClassWindowBase_CL()
{
    subclassing::detach(window_, this, previous_);
}

HWND SubClassWindowBase_CL::create(DWORD ex_style, const wchar_t* window_class, const wchar_t* title, DWORD style,
                                   int x, int y, int width, int height, HWND parent, int id, HINSTANCE instance,
                                   void* parameter)
{
    window_ = CreateWindowExW(ex_style, window_class, title, style, x, y, width, height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, parameter);
    previous_ = subclassing::install(window_, this, &SubClassWindowBase_CL::procedure);
    return window_;
}

LRESULT SubClassWindowBase_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    const WNDPROC previous = previous_;
    if (message == WM_DESTROY) subclassing::remove(window, previous);
    return previous ? CallWindowProcW(previous, window, message, wparam, lparam)
                    : DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK SubClassWindowBase_CL::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    SubClassWindowBase_CL* object = subclassing::bound_object<SubClassWindowBase_CL>(window);
    if (!object) return 0;
    return subclassing::handle_safely(
        message, [&] { return object->handle_message(window, message, wparam, lparam); }, LRESULT{0});
}
