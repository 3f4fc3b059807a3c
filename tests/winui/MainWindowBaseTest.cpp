#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "UiTestSupport.h"
#include "winui/MainWindowBase_CL.h"

using ui_testing::pump_messages;

namespace {

// Hidden unless a test asks: Wine waits for the X server when a shown window goes away.
class ProbeWindow : public MainWindowBase_CL {
public:
    explicit ProbeWindow(DWORD style = kDefaultStyle & ~WS_VISIBLE)
    {
        set_title(L"Tapestrel_Probe");
        set_style(style);
    }

    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        seen.push_back(message);
        return MainWindowBase_CL::handle_message(window, message, wparam, lparam);
    }
    void on_create(const CREATESTRUCTW* parameters) override
    {
        window_at_create = window();
        create_parameter = parameters ? parameters->lpCreateParams : nullptr;
    }
    int on_close() override { return allow_close; }
    void on_destroy() override { ++destroyed; }
    void on_size() override { ++sized; }

    bool saw(UINT message) const { return std::find(seen.begin(), seen.end(), message) != seen.end(); }

    std::vector<UINT> seen;
    HWND window_at_create = nullptr;
    void* create_parameter = nullptr;
    int allow_close = 1;
    int destroyed = 0;
    int sized = 0;
};

// Each test may register the class afresh: only one registration succeeds per process.
class TopLevelWindow : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (HWND w; (w = FindWindowExW(nullptr, nullptr, MainWindowBase_CL::kClassName, nullptr)) != nullptr;)
            DestroyWindow(w);
        pump_messages();
        UnregisterClassW(MainWindowBase_CL::kClassName, GetModuleHandleW(nullptr));
    }
};

}  // namespace

TEST_F(TopLevelWindow, ObjectIsBoundAtCreateAndSeesNothingBefore)
{
    ProbeWindow probe(MainWindowBase_CL::kDefaultStyle);
    const HWND hwnd = probe.create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(probe.window(), hwnd);
    ASSERT_FALSE(probe.seen.empty());
    EXPECT_EQ(probe.seen.front(), static_cast<UINT>(WM_CREATE));
    EXPECT_FALSE(probe.saw(WM_NCCREATE));
    EXPECT_FALSE(probe.saw(WM_GETMINMAXINFO));
    EXPECT_FALSE(probe.saw(WM_NCCALCSIZE));
    EXPECT_EQ(probe.window_at_create, hwnd);
    EXPECT_EQ(probe.create_parameter, static_cast<void*>(&probe));

    wchar_t text[64] = {};
    GetWindowTextW(hwnd, text, 64);
    EXPECT_STREQ(text, L"Tapestrel_Probe");
    GetClassNameW(hwnd, text, 64);
    EXPECT_STREQ(text, L"MainWindowClass");
    EXPECT_EQ(FindWindowExW(nullptr, nullptr, L"MainWindowClass", L"Tapestrel_Probe"), hwnd);
    EXPECT_EQ(probe.kind(), ControlBase_CL::kMainWindow);
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(TopLevelWindow, RefusedCloseKeepsTheWindowAndAllowedCloseEndsTheLoop)
{
    ProbeWindow probe;
    const HWND hwnd = probe.create();
    ASSERT_NE(hwnd, nullptr);
    pump_messages();

    probe.allow_close = 0;
    EXPECT_EQ(SendMessageW(hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(probe.destroyed, 0);
    EXPECT_FALSE(pump_messages());

    probe.allow_close = 1;
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(probe.destroyed, 1);
    EXPECT_EQ(probe.window(), nullptr);
    int quit_code = -1;
    EXPECT_TRUE(pump_messages(&quit_code));
    EXPECT_EQ(quit_code, 0);
}

TEST_F(TopLevelWindow, SecondCreateInOneProcessFails)
{
    ProbeWindow first;
    ASSERT_NE(first.create(), nullptr);
    ProbeWindow second;
    EXPECT_EQ(second.create(), nullptr);
    EXPECT_EQ(second.window(), nullptr);
    EXPECT_TRUE(second.seen.empty());
    EXPECT_EQ(FindWindowExW(nullptr, FindWindowExW(nullptr, nullptr, L"MainWindowClass", nullptr), L"MainWindowClass",
                            nullptr),
              nullptr);
}

TEST_F(TopLevelWindow, StyleSizeMessagesAndResize)
{
    ProbeWindow probe;
    const HWND hwnd = probe.create();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    RECT before{};
    GetWindowRect(hwnd, &before);
    EXPECT_EQ(before.right - before.left, DpiScale::system()(640));
    EXPECT_EQ(before.bottom - before.top, DpiScale::system()(480));

    const int sized = probe.sized;
    probe.resize(500, 300, true);
    RECT after{};
    GetWindowRect(hwnd, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, 500);
    EXPECT_EQ(after.bottom - after.top, 300);
    EXPECT_GT(probe.sized, sized);
}

TEST_F(TopLevelWindow, DeletingTheObjectTakesItsWindowAlong)
{
    auto* probe = new ProbeWindow;
    const HWND hwnd = probe->create();
    ASSERT_NE(hwnd, nullptr);
    delete probe;
    EXPECT_FALSE(IsWindow(hwnd));
    pump_messages();
}
