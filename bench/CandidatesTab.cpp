#include <algorithm>
#include <memory>
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "Bench.h"
#include "Figures.h"
#include "app/Application.h"
#include "wallpaper/MainWindowLink.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
#include "store/WallPaperItemBase_CL.h"
#include "mainwindow/MainWindow_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "winui/Tab_CL.h"
#include "mainwindow/tabs/TabView_CL.h"

namespace {

constexpr int kFavoritesTab = 1;
constexpr int kCandidatesTab = 2;
// More runs than elsewhere: each one goes through the message loop and a thread.
constexpr int kRuns = 7;

// Handles the window's messages until the candidates caption reads `caption`
// and the list holds `rows` rows.
void pump_until_shown(MainWindow_CL& window, const std::wstring& caption, int rows)
{
    const HWND strip = window.tab()->window();
    const HWND list = window.tab_view(kCandidatesTab)->list()->window();
    pump_messages_until(
        [&] { return Tab_CL::tab_text(strip, kCandidatesTab) == caption && SendMessageW(list, LB_GETCOUNT, 0, 0) == rows; });
}

// Candidates whose thumbnails point at a closed loopback port: the list draws
// its rows and asks for them like for real photos, but nothing leaves the machine.
std::vector<ImageItem_CL> local_candidates(int count)
{
    std::vector<ImageItem_CL> items = realistic_items(count, L"w");
    const std::wstring real_host = L"https://live.staticflickr.com";
    const std::wstring closed_host = L"http://127.0.0.1:9/staticflickr";
    for (ImageItem_CL& item : items)
        for (ImageItem_CL::Size& size : item.sizes) size.url.replace(0, real_host.size(), closed_host);
    return items;
}

}  // namespace

void pump_messages_until(const std::function<bool()>& done)
{
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void select_main_tab(MainWindow_CL& window, int index)
{
    const HWND strip = window.tab()->window();
    SendMessageW(strip, TCM_SETCURSEL, index, 0);
    NMHDR header{strip, static_cast<UINT_PTR>(Tab_CL::kId), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(window.window(), WM_NOTIFY, Tab_CL::kId, reinterpret_cast<LPARAM>(&header));
}

void figure_candidates_tab(const std::wstring& folder)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    AppSettings.load(folder);
    // Held so that the window starts no tray process of its own.
    const KernelHandle tray_mutex(CreateMutexW(nullptr, FALSE, app::instance_mutex_name(app::ProcessKind::Tray).c_str()));
    const std::vector<unsigned char> one = WallPaperItemBase_CL::encode(local_candidates(1));
    const std::vector<unsigned char> many = WallPaperItemBase_CL::encode(local_candidates(30000));
    const std::wstring path = AppSettings.candidates_path();
    write_bytes(path, one);

    MainWindow_CL window;
    if (!window.create()) {
        bench::note("candidates tab: the main window could not be created");
        return;
    }
    ShowWindow(window.window(), SW_SHOW);
    const HWND strip = window.tab()->window();
    const std::wstring caption = Tab_CL::tab_text(strip, kCandidatesTab);
    const std::wstring full = caption.substr(0, caption.find(L'(')) + L"(30000)";
    const std::wstring small = caption.substr(0, caption.find(L'(')) + L"(1)";

    double best = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        // Back to one candidate on screen, then the tray's announcement of 30,000
        // while another tab is current: the switch then reloads the list.
        select_main_tab(window, kFavoritesTab);
        write_bytes(path, one);
        SendMessageW(window.window(), main_window_link::kListChanged, 2, 0);
        select_main_tab(window, kCandidatesTab);
        pump_until_shown(window, small, 1);
        select_main_tab(window, kFavoritesTab);
        write_bytes(path, many);
        SendMessageW(window.window(), main_window_link::kListChanged, 2, 0);
        best = std::min(best, bench::seconds([&] {
            select_main_tab(window, kCandidatesTab);
            pump_until_shown(window, full, 30000);
        }));
    }
    const double floor = best_fresh_load(kRuns, path);
    bench::report("candidates tab shows 30,000", best, floor, 2.0);
    // What limits it: the tab shows the stored list in place, so the work is
    // one load of the file (the floor itself) and the first paint of the rows.
    bench::note("candidates tab: nothing is copied; one load of the list is the whole of it");
    SendMessageW(window.window(), WM_CLOSE, 0, 0);
}
