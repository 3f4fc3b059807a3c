#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "TestSupport.h"
#include "wallpaper/FullScreen.h"

using namespace testing_support;

TEST(FullScreen, OnlyAWindowHoldingItsWholeMonitorCounts)
{
    const RECT monitor{0, 0, 1280, 800};
    EXPECT_TRUE(full_screen::covers({0, 0, 1280, 800}, monitor));
    EXPECT_TRUE(full_screen::covers({-8, -8, 1288, 808}, monitor)) << "a maximised frame reaches past the edges";
    EXPECT_FALSE(full_screen::covers({0, 0, 1280, 760}, monitor)) << "the work area above a task bar";
    EXPECT_FALSE(full_screen::covers({1280, 0, 2304, 768}, monitor));
    EXPECT_TRUE(full_screen::covers({1280, 0, 2304, 768}, {1280, 0, 2304, 768}));
    EXPECT_FALSE(full_screen::covers({0, 0, 0, 0}, {0, 0, 0, 0}));
}

TEST(FullScreen, TheDesktopAndTheShellAreNoFullScreenProgram)
{
    for (const wchar_t* shell : {L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"})
        EXPECT_TRUE(full_screen::is_shell_window_class(shell)) << shell;
    EXPECT_FALSE(full_screen::is_shell_window_class(L"UnityWndClass"));
    EXPECT_TRUE(full_screen::is_shell_window_class(L"progman")) << "class names know no case";
    EXPECT_TRUE(full_screen::notification_state_busy(QUNS_BUSY));
    EXPECT_TRUE(full_screen::notification_state_busy(QUNS_RUNNING_D3D_FULL_SCREEN));
    EXPECT_TRUE(full_screen::notification_state_busy(QUNS_PRESENTATION_MODE));
    EXPECT_FALSE(full_screen::notification_state_busy(QUNS_ACCEPTS_NOTIFICATIONS));
    EXPECT_FALSE(full_screen::notification_state_busy(QUNS_QUIET_TIME));
}
