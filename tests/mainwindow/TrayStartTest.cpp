#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace testing_support;

namespace {

constexpr DWORD kTimeout = 20000;

int count_windows(const wchar_t* title)
{
    int count = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"MainWindowClass", title); w;
         w = FindWindowExW(nullptr, w, L"MainWindowClass", title))
        ++count;
    return count;
}

}  // namespace

// The window process starts the tray process when none runs.
TEST(TrayStart, OpeningTheMainWindowStartsTheTrayProcess)
{
    ASSERT_EQ(count_windows(L"Tapestrel_ICON"), 0);
    KernelHandle first = start_tapestrel(L"/window");
    HWND main_window = wait_for_window(L"Tapestrel", kTimeout);
    ASSERT_NE(main_window, nullptr);
    HWND tray = wait_for_window(L"Tapestrel_ICON", kTimeout);
    ASSERT_NE(tray, nullptr);
    DWORD tray_pid = 0;
    GetWindowThreadProcessId(tray, &tray_pid);
    KernelHandle tray_process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, tray_pid));
    DWORD code = 1;
    PostMessageW(main_window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(wait_exit(first, kTimeout, &code));
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(count_windows(L"Tapestrel_ICON"), 1);
    // The tray process outlives the window process that started it.
    EXPECT_EQ(WaitForSingleObject(tray_process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    PostMessageW(tray, WM_CLOSE, 0, 0);
    ASSERT_TRUE(wait_exit(tray_process, kTimeout, &code));
    EXPECT_EQ(code, 0u);
}
