#include "winui/MainWindowBase_CL.h"

#include "winui/Subclassing.h"

MainWindowBase_CL::MainWindowBase_CL() : ControlBase_CL(kMainWindow) {}

MainWindowBase_CL::~MainWindowBase_CL()
{
    tasks().close();
    const HWND own = window();
    if (own && IsWindow(own) && GetWindowLongPtrW(own, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        SetWindowLongPtrW(own, GWLP_USERDATA, 0);
        DestroyWindow(own);
    }
}

HWND MainWindowBase_CL::create()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    window_class.lpfnWndProc = &MainWindowBase_CL::top_level_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = icon_;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    window_class.lpszClassName = kClassName;
    if (!RegisterClassExW(&window_class)) return nullptr;
    const DpiScale scale = DpiScale::system();
    const HWND created = CreateWindowExW(0, kClassName, title_.c_str(), style_, CW_USEDEFAULT, CW_USEDEFAULT, scale(640),
                                         scale(480), nullptr, nullptr, instance, this);
    set_window(created);
    return created;
}

LRESULT MainWindowBase_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        adopt_dpi(window);
        on_create(reinterpret_cast<const CREATESTRUCTW*>(lparam));
        break;
    case WM_DPICHANGED: {
        on_dpi_changed(DpiScale(LOWORD(wparam)));
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        if (suggested)
            SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_DESTROY:
        on_destroy();
        PostQuitMessage(0);
        break;
    case WM_SIZE:
        on_size();
        break;
    case WM_PAINT:
        on_paint();
        break;
    case WM_CLOSE:
        if (on_close() == 0) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK MainWindowBase_CL::top_level_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* object = reinterpret_cast<MainWindowBase_CL*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object) {
        if (message != WM_CREATE) return DefWindowProcW(window, message, wparam, lparam);
        object = static_cast<MainWindowBase_CL*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
        if (!object) return DefWindowProcW(window, message, wparam, lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        object->set_window(window);
        object->tasks().open(window);
    }
    if (object->tasks().on_message(message)) return 0;
    const LRESULT result = subclassing::handle_safely(
        message, [&] { return object->handle_message(window, message, wparam, lparam); }, LRESULT{0});
    if (message == WM_NCDESTROY) {
        // The window is gone: nothing may reach the object through it any more.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        object->set_window(nullptr);
    }
    return result;
}
