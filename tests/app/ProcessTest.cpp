#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/Application.h"
#include "store/AppSettings_CL.h"

using namespace testing_support;

namespace {

constexpr DWORD kStartTimeout = 20000;

// The process that owns a top-level window.
DWORD window_process(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

// Starts the program, waits for its window and closes it again; the process
// must then end with code 0.
void expect_kind(const std::wstring& arguments, const wchar_t* title, bool offline = true)
{
    KernelHandle process = offline ? start_tapestrel(arguments) : start_process(L"\"" + tapestrel_exe() + L"\" " + arguments);
    ASSERT_TRUE(process) << "could not start";
    const DWORD deadline = GetTickCount() + kStartTimeout;
    HWND hwnd = nullptr;
    while (!hwnd && GetTickCount() < deadline) {
        for (HWND w = FindWindowExW(nullptr, nullptr, L"MainWindowClass", title); w;
             w = FindWindowExW(nullptr, w, L"MainWindowClass", title)) {
            if (window_process(w) == GetProcessId(process.get())) hwnd = w;
        }
        if (!hwnd) Sleep(50);
    }
    ASSERT_NE(hwnd, nullptr) << "no window titled " << (title ? "given" : "") << " for arguments";
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(wait_exit(process, kStartTimeout, &code));
    EXPECT_EQ(code, 0u);
}

// The window process starts a tray process when none runs; this ends it again.
void close_started_tray()
{
    const HWND tray = wait_for_window(L"Tapestrel_ICON", kStartTimeout);
    ASSERT_NE(tray, nullptr) << "the window process started no tray process";
    KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, window_process(tray)));
    PostMessageW(tray, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(wait_exit(process, kStartTimeout, &code));
}

}  // namespace

TEST(CommandLine, OnlyTheExactSingleArgumentSelectsTheWindowProcess)
{
    EXPECT_EQ(app::process_kind(L"Tapestrel.exe /window"), app::ProcessKind::Window);
    EXPECT_EQ(app::process_kind(L"\"C:\\Program Files\\Tapestrel\\Tapestrel.exe\" /window"), app::ProcessKind::Window);
    EXPECT_EQ(app::process_kind(L"Tapestrel.exe"), app::ProcessKind::Tray);
    EXPECT_EQ(app::process_kind(L"Tapestrel.exe /WINDOW"), app::ProcessKind::Tray);
    EXPECT_EQ(app::process_kind(L"Tapestrel.exe /window x"), app::ProcessKind::Tray);
    EXPECT_EQ(app::process_kind(L"Tapestrel.exe foo"), app::ProcessKind::Tray);
    EXPECT_EQ(app::instance_mutex_name(app::ProcessKind::Window), app::instance_mutex_name(app::ProcessKind::Tray) + L"/main");
}

TEST(Processes, ArgumentsChooseTheKindOfProcess)
{
    expect_kind(L"/window", L"Tapestrel");
    close_started_tray();
    expect_kind(L"/WINDOW", L"Tapestrel_ICON");
    expect_kind(L"/window x", L"Tapestrel_ICON");
    expect_kind(L"foo", L"Tapestrel_ICON");
    expect_kind(L"", L"Tapestrel_ICON");
}

TEST(Processes, ASecondProcessOfTheSameKindExitsAtOnceWithZero)
{
    KernelHandle tray = start_tapestrel(L"");
    HWND tray_window = wait_for_window(L"Tapestrel_ICON", kStartTimeout);
    // Only now: a window process finding no tray process would start one.
    KernelHandle window = start_tapestrel(L"/window");
    HWND main_window = wait_for_window(L"Tapestrel", kStartTimeout);
    ASSERT_NE(tray_window, nullptr);
    ASSERT_NE(main_window, nullptr);

    DWORD code = 1;
    ASSERT_TRUE(run_tapestrel(L"", kStartTimeout, &code));
    EXPECT_EQ(code, 0u);
    code = 1;
    ASSERT_TRUE(run_tapestrel(L"/window", kStartTimeout, &code));
    EXPECT_EQ(code, 0u);
    // The first ones still run.
    EXPECT_EQ(WaitForSingleObject(tray.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(window.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    PostMessageW(tray_window, WM_CLOSE, 0, 0);
    PostMessageW(main_window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(wait_exit(tray, kStartTimeout, &code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(wait_exit(window, kStartTimeout, &code));
    EXPECT_EQ(code, 0u);
}

TEST(Processes, FirstStartCreatesTheApplicationFolderAndSettingsFile)
{
    const std::wstring folder = documents_folder() + L"\\Tapestrel";
    remove_tree(folder);
    ASSERT_FALSE(file_exists(folder));
    // A tray process closed within seconds reaches no service, so this start may be pristine.
    expect_kind(L"", L"Tapestrel_ICON", false);
    EXPECT_TRUE(file_exists(folder + L"\\FavoriteWallPaper"));
    EXPECT_EQ(read_file(folder + L"\\Tapestrel.ini"), (std::vector<unsigned char>{0xFF, 0xFE}));
}

