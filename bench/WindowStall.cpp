// How long a window's thread keeps a message waiting while the slow work of
// its process runs: a probe thread sends WM_NULL every 10 ms with
// SendMessageTimeoutW and keeps the longest wait. The floor is the same probe
// of the floor program's hidden window, which does nothing, taken meanwhile.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include <windows.h>
#include <commctrl.h>

#include "Bench.h"
#include "Figures.h"
#include "TestSupport.h"
#include "TrayDriver.h"
#include "app/Application.h"
#include "base/KernelHandle.h"
#include "base/ModulePath.h"
#include "mainwindow/MainWindow_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "mainwindow/MyPictureImage_CL.h"
#include "mainwindow/tabs/TabView_CL.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "store/WallPaperItemBase_CL.h"
#include "wallpaper/Wallpaper.h"
#include "winui/CommunicateWait_CL.h"

namespace {

constexpr int kChanges = 10;
constexpr int kLayouts = 2;
constexpr int kSets = 10;
// 24 megapixels, as a camera takes them.
constexpr int kBigWidth = 6000;
constexpr int kBigHeight = 4000;
constexpr double kGoalSeconds = 0.050;
constexpr DWORD kTimeoutMs = 120000;
constexpr int kFavoritesTab = 1;

class Probe {
public:
    explicit Probe(HWND window) : window_(window), thread_([this] { run(); }) {}
    ~Probe() { finish(); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // Ends the probing; the longest wait in seconds.
    double finish()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return longest_;
    }

private:
    void run()
    {
        while (!stop_) {
            DWORD_PTR result = 0;
            const double wait =
                bench::seconds([&] { SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &result); });
            longest_ = std::max(longest_, wait);
            Sleep(10);
        }
    }

    HWND window_;
    std::atomic<bool> stop_{false};
    double longest_ = 0;  // the probe's thread's until joined
    std::thread thread_;  // last: it uses the members above
};

void report_stall(const std::string& what, double ours, double floor)
{
    std::printf("window_stall, %s: %s, %s, %s, goal <= 50 ms%s\n", what.c_str(), bench::millis(ours).c_str(),
                bench::millis(floor).c_str(), bench::ratio(ours, floor).c_str(), ours <= kGoalSeconds ? "" : "  (missed)");
    std::fflush(stdout);
}

ULONGLONG last_write(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// Records two 24-megapixel pictures as the current wallpaper, tells the tray
// that the monitors changed and waits until it has installed them again.
bool lay_out_again(TrayDriver& driver, const std::wstring& big)
{
    std::vector<ImageItem_CL> records(2);
    for (size_t i = 0; i < records.size(); ++i) {
        records[i].key = big + std::to_wstring(i);
        records[i].farm = -1;
        // The tray may still hold the last layout's picture open.
        const std::wstring picture = wallpaper::picture_path(i);
        if (!driver.pump_until([&] { return CopyFileW(big.c_str(), picture.c_str(), FALSE) != FALSE; }, kTimeoutMs)) {
            bench::note("window_stall: a picture could not be copied, error " + std::to_string(GetLastError()));
            return false;
        }
    }
    if (!wallpaper::record_current(records)) return false;
    const ULONGLONG before = last_write(AppSettings.now_bitmap_path());
    PostMessageW(driver.tray(), WM_DISPLAYCHANGE, 24, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    if (driver.pump_until([&] { return last_write(AppSettings.now_bitmap_path()) != before; }, kTimeoutMs)) return true;
    bench::note("window_stall: the tray did not lay the pictures out again");
    return false;
}

// The tray's window while it makes forced changes from a 30,000-picture
// folder and lays 24-megapixel pictures out again; -1 when that failed.
double tray_stall(const std::wstring& folder, HWND floor_window, double& floor)
{
    const std::wstring library = folder + L"\\library";
    const std::wstring big = folder + L"\\big.jpg";
    if (!make_library(folder, library) || make_photo_jpeg(big, kBigWidth, kBigHeight).empty()) {
        bench::note("window_stall: the pictures could not be made");
        return -1;
    }
    point_tray_at(library);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kPerMonitor, 1);
    TrayDriver driver;
    KernelHandle tray = testing_support::start_process(L"\"" + module_folder() + L"\\..\\Tapestrel.exe\"");
    double ours = -1;
    if (driver.ready() && driver.find_tray(30000)) {
        driver.fire_startup_timer();
        driver.pump_for(3000);
        // The first change also loads what every later one finds ready (GDI+, the encoders).
        int changes = driver.change_now(kTimeoutMs) ? 0 : -1, layouts = 0;
        Probe tray_probe(driver.tray()), floor_probe(floor_window);
        while (changes >= 0 && changes < kChanges && driver.change_now(kTimeoutMs)) ++changes;
        while (changes == kChanges && layouts < kLayouts && lay_out_again(driver, big)) ++layouts;
        const double longest = tray_probe.finish();
        floor = floor_probe.finish();
        if (layouts == kLayouts) ours = longest;
        else bench::note("window_stall: the tray made " + std::to_string(changes) + " changes and " +
                         std::to_string(layouts) + " new layouts");
        driver.exit_tray(tray.get(), 20000);
    } else {
        bench::note("window_stall: the tray could not be started");
    }
    testing_support::remove_tree(library);
    return ours;
}

bool list_shows_one_row(MainWindow_CL& window)
{
    const MyFlickerListBox_CL* list = window.tab_view(kFavoritesTab)->list();
    return list && SendMessageW(list->window(), LB_GETCOUNT, 0, 0) == 1;
}

// The favourite selected and fetched into the preview, as a click on its row and "get photo" do.
void show_favourite(MainWindow_CL& window)
{
    select_main_tab(window, kFavoritesTab);
    pump_messages_until([&] { return list_shows_one_row(window); });
    const HWND list = window.tab_view(kFavoritesTab)->list()->window();
    SendMessageW(list, LB_SETSEL, TRUE, 0);
    SendMessageW(list, LB_SETCARETINDEX, 0, 0);
    SendMessageW(window.window(), WM_COMMAND, TabHost::kGetPhoto, 0);
    pump_messages_until([&] { return window.preview()->holds_picture() && window.indicator()->busy_count() == 0; });
}

// The main window while it sets a 24-megapixel favourite as wallpaper.
double main_window_stall(const std::wstring& folder, HWND floor_window, double& floor)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    AppSettings.load(folder);
    // Held so that the window starts no tray process of its own.
    const KernelHandle tray_mutex(CreateMutexW(nullptr, FALSE, app::instance_mutex_name(app::ProcessKind::Tray).c_str()));
    WallPaperItemBase_CL favourites;
    favourites.set_path(AppSettings.favorites_path());
    ImageItem_CL favourite;
    favourite.key = favourite.localPath = folder + L"\\favourite.jpg";
    favourite.localWidth = kBigWidth;
    favourite.localHeight = kBigHeight;
    favourite.farm = -1;
    favourites.items = {favourite};
    if (make_photo_jpeg(favourite.localPath, kBigWidth, kBigHeight).empty() || favourites.save() != S_OK) return -1;
    double ours = -1;
    {
        MainWindow_CL window;
        if (!window.create()) return -1;
        ShowWindow(window.window(), SW_SHOW);
        show_favourite(window);
        Probe window_probe(window.window()), floor_probe(floor_window);
        for (int n = 0; n < kSets; ++n) {
            const ULONGLONG before = last_write(AppSettings.now_bitmap_path());
            PostMessageW(window.window(), WM_COMMAND, MainWindow_CL::kSetWallpaper, 0);
            pump_messages_until([&] {
                return last_write(AppSettings.now_bitmap_path()) != before && window.indicator()->busy_count() == 0;
            });
        }
        ours = window_probe.finish();
        floor = floor_probe.finish();
        SendMessageW(window.window(), WM_CLOSE, 0, 0);
    }
    // The closed window leaves its quit message and its class for the next figure.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    UnregisterClassW(MainWindowBase_CL::kClassName, GetModuleHandleW(nullptr));
    return ours;
}

}  // namespace

void figure_window_stall(const std::wstring& folder)
{
    KernelHandle floor_process = testing_support::start_process(L"\"" + module_folder() + L"\\tapestrel_bench_floor.exe\"");
    HWND floor_window = nullptr;
    for (int n = 0; n < 300 && !(floor_window = FindWindowW(L"TapestrelFloorClass", nullptr)); ++n) Sleep(100);
    if (!floor_window) {
        bench::note("window_stall: the floor program could not be started");
        return;
    }
    double floor = 0;
    const double tray = tray_stall(folder, floor_window, floor);
    if (tray >= 0)
        report_stall("tray window, " + std::to_string(kChanges) + " forced changes from 30,000 pictures and " +
                         std::to_string(kLayouts) + " new layouts of 24 MP",
                     tray, floor);
    const double window = main_window_stall(folder, floor_window, floor);
    if (window >= 0) report_stall("main window, " + std::to_string(kSets) + " sets of a 24 MP favourite", window, floor);
    else bench::note("window_stall: the main window could not set its favourite");
    PostMessageW(floor_window, WM_CLOSE, 0, 0);
    testing_support::wait_exit(floor_process, 10000, nullptr);
}
