// Puts a running Tapestrel into the states scripts/screenshots.sh photographs,
// through the messages a user's clicks and keys produce. One command per run:
//   wait-window S            waits up to S seconds for the main window
//   tab N                    selects tab N of the main window
//   search ID TEXT           types TEXT into the search box ID and presses Enter
//   open-first               selects the first picture of the shown list and shows
//                            it in the preview, as a double click does
//   tray-menu X Y            opens the tray menu with the cursor at X,Y
//   settings                 opens the settings sheet (modal, returns at once)
//   escape                   presses Escape (closes a menu or the sheet)
//   rect main|settings|menu  prints the window's screen rectangle as WxH+X+Y
//   exit                     "アプリの終了" in the tray menu: ends the tray and the window
// Exit code 0 on success, 1 when the window is not there.
#include <cstdio>
#include <cwchar>
#include <string>

#include <windows.h>
#include <commctrl.h>

namespace {

constexpr UINT kTrayNotify = WM_USER + 100;
constexpr WPARAM kSettingsCommand = 0x1100;
constexpr WPARAM kExitCommand = 0x1140;
constexpr int kTabStrip = 0x1123;

HWND main_window() { return FindWindowW(L"MainWindowClass", L"Tapestrel"); }
HWND tray_window() { return FindWindowW(L"MainWindowClass", L"Tapestrel_ICON"); }
HWND settings_sheet() { return FindWindowW(nullptr, L"アプリ設定"); }
HWND open_menu() { return FindWindowW(L"#32768", nullptr); }

bool wait_window(int seconds)
{
    for (int n = 0; n < seconds * 10; ++n) {
        const HWND window = main_window();
        if (window && IsWindowVisible(window)) return true;
        Sleep(100);
    }
    return false;
}

// The strip moves one tab per arrow key and tells its parent, as a user's keys do.
bool select_tab(int index)
{
    const HWND strip = GetDlgItem(main_window(), kTabStrip);
    if (!strip) return false;
    for (int guard = 0; guard < 16; ++guard) {
        const int current = static_cast<int>(SendMessageW(strip, TCM_GETCURSEL, 0, 0));
        if (current == index) return true;
        SendMessageW(strip, WM_KEYDOWN, current < index ? VK_RIGHT : VK_LEFT, 0);
    }
    return false;
}

bool search(int box_id, const wchar_t* text)
{
    const HWND box = GetDlgItem(main_window(), box_id);
    const HWND edit = box ? reinterpret_cast<HWND>(SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0)) : nullptr;
    if (!edit) return false;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return PostMessageW(edit, WM_CHAR, VK_RETURN, 0) != FALSE;
}

// The list of the shown tab is the one visible list box of the main window.
bool open_first()
{
    const HWND main = main_window();
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (IsWindowVisible(child) && std::wstring(name) == L"ListBox") {
            SendMessageW(child, WM_KEYDOWN, VK_HOME, 0);
            const WPARAM double_click = MAKEWPARAM(GetDlgCtrlID(child), LBN_DBLCLK);
            return PostMessageW(main, WM_COMMAND, double_click, reinterpret_cast<LPARAM>(child)) != FALSE;
        }
    }
    return false;
}

bool tray_menu(int x, int y)
{
    const HWND tray = tray_window();
    if (!tray) return false;
    SetCursorPos(x, y);
    return PostMessageW(tray, kTrayNotify, 0, WM_RBUTTONUP) != FALSE;
}

void press_escape()
{
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

bool print_rect(HWND window)
{
    RECT r;
    if (!window || !GetWindowRect(window, &r)) return false;
    std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return true;
}

bool run(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"wait-window" && argc == 3) return wait_window(_wtoi(argv[2]));
    if (command == L"tab" && argc == 3) return select_tab(_wtoi(argv[2]));
    if (command == L"search" && argc == 4) return search(static_cast<int>(std::wcstol(argv[2], nullptr, 0)), argv[3]);
    if (command == L"open-first" && argc == 2) return open_first();
    if (command == L"tray-menu" && argc == 4) return tray_menu(_wtoi(argv[2]), _wtoi(argv[3]));
    if (command == L"settings" && argc == 2) {
        const HWND window = main_window();
        return window && PostMessageW(window, WM_COMMAND, kSettingsCommand, 0);
    }
    if (command == L"exit" && argc == 2) {
        const HWND tray = tray_window();
        return tray && PostMessageW(tray, WM_COMMAND, kExitCommand, 0);
    }
    if (command == L"escape" && argc == 2) {
        press_escape();
        return true;
    }
    if (command == L"rect" && argc == 3) {
        const std::wstring which = argv[2];
        return print_rect(which == L"main" ? main_window() : which == L"settings" ? settings_sheet() : open_menu());
    }
    std::fwprintf(stderr, L"unknown command\n");
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    return run(argc, argv) ? 0 : 1;
}
