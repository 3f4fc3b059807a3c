// A stand-in for a game or a film in full screen, for the tray's tests: a
// topmost popup window covering the primary monitor, brought to the
// foreground, in a process of its own. It ends when its window is closed.
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
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = L"TapestrelTestFullScreen";
    if (!RegisterClassW(&window_class)) return 1;
    const HWND window = CreateWindowExW(WS_EX_TOPMOST, window_class.lpszClassName, L"full screen", WS_POPUP | WS_VISIBLE, 0,
                                        0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                        instance, nullptr);
    if (!window) return 1;
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
