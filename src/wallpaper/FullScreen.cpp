#include "wallpaper/FullScreen.h"

#include <cwchar>

#include <shellapi.h>

namespace full_screen {

bool notification_state_busy(int state)
{
    return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE;
}

bool is_shell_window_class(const std::wstring& window_class)
{
    static const wchar_t* const kShell[] = {
        L"Progman",                     // the desktop
        L"WorkerW",                     // the desktop behind its icons
        L"Shell_TrayWnd",               // the task bar
        L"Shell_SecondaryTrayWnd",      // the task bar of another monitor
        L"Windows.UI.Core.CoreWindow",  // start menu, search, notification centre
        L"NotifyIconOverflowWindow",
        L"TopLevelWindowForOverflowXamlIsland",
        L"XamlExplorerHostIslandWindow",
    };
    for (const wchar_t* name : kShell)
        if (_wcsicmp(window_class.c_str(), name) == 0) return true;
    return false;
}

bool covers(const RECT& window, const RECT& monitor)
{
    return window.left <= monitor.left && window.top <= monitor.top && window.right >= monitor.right &&
           window.bottom >= monitor.bottom && monitor.right > monitor.left && monitor.bottom > monitor.top;
}

namespace {

bool foreground_covers_its_monitor()
{
    const HWND foreground = GetForegroundWindow();
    if (!foreground || foreground == GetDesktopWindow() || foreground == GetShellWindow() || !IsWindowVisible(foreground) ||
        IsIconic(foreground))
        return false;
    wchar_t name[64] = {};
    if (GetClassNameW(foreground, name, 64) && is_shell_window_class(name)) return false;
    RECT window{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    return GetWindowRect(foreground, &window) &&
           GetMonitorInfoW(MonitorFromWindow(foreground, MONITOR_DEFAULTTONULL), &monitor) &&
           covers(window, monitor.rcMonitor);
}

}  // namespace

bool program_in_full_screen()
{
    QUERY_USER_NOTIFICATION_STATE state{};
    if (SUCCEEDED(SHQueryUserNotificationState(&state)) && notification_state_busy(state)) return true;
    return foreground_covers_its_monitor();
}

}  // namespace full_screen
