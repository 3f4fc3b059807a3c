#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ProcessFootprint.h"
#include "TestSupport.h"
#include "TrayDriver.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "store/WallPaperItemBase_CL.h"

using namespace testing_support;

namespace {

std::vector<WPARAM> list_messages;
bool main_window_closed = false;

// Stands in for the main window of the window process.
LRESULT CALLBACK fake_main_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == 0x88BA) list_messages.push_back(wparam);
    if (message == WM_CLOSE) main_window_closed = true;
    return DefWindowProcW(window, message, wparam, lparam);
}

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout_ms) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(20);
    }
    return true;
}

unsigned long thread_count(HANDLE process)
{
    unsigned long handles = 0, threads = 0;
    return process_counts(GetProcessId(process), handles, threads) ? threads : 0;
}

// Only the window thread runs: no worker waits idle.
bool only_window_thread_left(TrayDriver& driver, HANDLE process)
{
    return driver.pump_until([&] { return thread_count(process) == 1; }, 10000);
}

// A fresh program folder whose tray draws from three local pictures only: no
// service, whose transfers bring threads of their own.
bool draw_from_local_pictures(const wchar_t* prefix, const TempFolder& pictures)
{
    fresh_program_folder(prefix);
    AppInifile.write_int(keys::kInfoGet, keys::kCandAuteAdd, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 1);
    AppInifile.write_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit, pictures.path());
    GdiplusSession gdiplus;
    for (int n = 0; n < 3; ++n)
        if (!make_jpeg(pictures.path() + L"\\IMG_" + std::to_wstring(n) + L".jpg", 1600, 1200)) return false;
    return true;
}

}  // namespace

TEST(TrayProcess, TheStartupRunAddsCandidatesInstallsAWallpaperAndTellsTheMainWindow)
{
    // The program's own folder in this test prefix, with a stand-in service.
    const std::wstring folder = fresh_program_folder(L"trayprocess_");
    AppInifile.write_int(keys::kInfoGet, keys::kCandAddMax, 0);  // 10 per run
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 0);
    {
        GdiplusSession gdiplus;
        ASSERT_TRUE(serve_photos(folder, 25, 1600, 1200));
    }

    WNDCLASSW window_class{};
    window_class.lpfnWndProc = fake_main_window;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"MainWindowClass";
    ASSERT_TRUE(RegisterClassW(&window_class));
    HWND main_window = CreateWindowW(L"MainWindowClass", L"Tapestrel", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(main_window, nullptr);

    KernelHandle tray = start_tapestrel(L"");
    HWND tray_window = wait_for_window(L"Tapestrel_ICON", 20000);
    ASSERT_NE(tray_window, nullptr);
    PostMessageW(tray_window, WM_TIMER, 0x88776543, 0);  // the start-up timer, without waiting 30 s

    const std::wstring now_list = AppSettings.now_items_path();
    ASSERT_TRUE(pump_until([&] { return list_messages.size() >= 3; }, 60000));
    EXPECT_EQ(list_messages, (std::vector<WPARAM>{2, 4, 1}));

    WallPaperItemBase_CL candidates, history, now;
    candidates.set_path(AppSettings.candidates_path());
    history.set_path(AppSettings.history_path());
    now.set_path(now_list);
    ASSERT_EQ(candidates.load(), S_OK);
    EXPECT_EQ(candidates.items.size(), 10u);
    ASSERT_EQ(now.load(), S_OK);
    ASSERT_EQ(history.load(), S_OK);
    EXPECT_EQ(history.items[0].key, now.items[0].key);
    EXPECT_TRUE(candidates.find(now.items[0]));
    EXPECT_EQ(now.items[0].title, L"富士山 " + now.items[0].key.substr(now.items[0].key.find(L"/5") + 1, 4));
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), AppSettings.now_bitmap_path());
    EXPECT_EQ(AppInifile.read_int(keys::kInfoGet, keys::kCanLastDay, 0) > 0, true);

    // "アプリの終了" closes the main window first, then the tray ends with 0.
    PostMessageW(tray_window, WM_COMMAND, 0x1140, 0);
    DWORD code = 1;
    ASSERT_TRUE(pump_until([&] { return WaitForSingleObject(tray.get(), 0) == WAIT_OBJECT_0; }, 20000));
    GetExitCodeProcess(tray.get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(main_window_closed);
    DestroyWindow(main_window);
    UnregisterClassW(L"MainWindowClass", GetModuleHandleW(nullptr));
}

TEST(TrayProcess, KeepsNoIdleWorkerBeforeOrBetweenChanges)
{
    TempFolder pictures;
    ASSERT_TRUE(draw_from_local_pictures(L"trayidle_", pictures));
    TrayDriver driver;
    ASSERT_TRUE(driver.ready());
    KernelHandle tray = start_tapestrel(L"");
    ASSERT_TRUE(driver.find_tray(20000));
    driver.fire_startup_timer();
    EXPECT_TRUE(only_window_thread_left(driver, tray.get())) << "before the first change";
    // Each change starts the download worker again and ends it once the picture is installed.
    for (int n = 1; n <= 3; ++n) {
        ASSERT_TRUE(driver.change_now(60000)) << "change " << n;
        EXPECT_TRUE(only_window_thread_left(driver, tray.get())) << "after change " << n;
    }
    EXPECT_EQ(driver.installed(), 3);
    EXPECT_TRUE(driver.exit_tray(tray.get(), 20000));
}

// A main window that answers nothing holds the tray neither in its notice of
// a new wallpaper nor in closing it at the exit: both sends give up after a
// few seconds.
TEST(TrayProcess, AHungMainWindowHoldsNeitherTheNoticesNorTheExit)
{
    TempFolder pictures;
    ASSERT_TRUE(draw_from_local_pictures(L"trayhung_", pictures));
    TrayDriver driver;
    ASSERT_TRUE(driver.ready());
    KernelHandle tray = start_tapestrel(L"");
    ASSERT_TRUE(driver.find_tray(20000));
    driver.fire_startup_timer();
    ASSERT_TRUE(driver.change_now(60000));

    // From here this thread, which owns the stand-in main window, serves no message.
    PostMessageW(driver.tray(), WM_COMMAND, 0x1130, 0);  // "次の壁紙に変更する": its notice finds no answer
    Sleep(1000);
    PostMessageW(driver.tray(), WM_COMMAND, 0x1140, 0);  // "アプリの終了": WM_CLOSE finds no answer either
    const DWORD waited = WaitForSingleObject(tray.get(), 30000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(tray.get(), 1);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the tray waited for the hung main window";
    DWORD code = 1;
    GetExitCodeProcess(tray.get(), &code);
    EXPECT_EQ(code, 0u);
}
