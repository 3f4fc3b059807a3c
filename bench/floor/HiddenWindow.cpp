// The floor of the tray footprint figure: one hidden window and a message loop,
// nothing else. It ends when its window is closed.
#include <windows.h>

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"TapestrelFloorClass";
    if (!RegisterClassW(&window_class)) return 1;
    if (!CreateWindowW(L"TapestrelFloorClass", L"Tapestrel_FLOOR", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                       instance, nullptr))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
