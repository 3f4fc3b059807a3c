#include "app/ProcessWindow.h"

namespace app {

namespace {
constexpr const wchar_t* kClassName = L"MainWindowClass";
}

ProcessWindow::~ProcessWindow()
{
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool ProcessWindow::create(HINSTANCE instance, const wchar_t* title, bool visible)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &ProcessWindow::procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    hwnd_ = CreateWindowExW(0, kClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 800, 600,
                            nullptr, nullptr, instance, nullptr);
    if (hwnd_ && visible) ShowWindow(hwnd_, SW_SHOWNORMAL);
    return hwnd_ != nullptr;
}

LRESULT CALLBACK ProcessWindow::procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace app
