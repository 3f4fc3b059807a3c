#include <gtest/gtest.h>

#include <vector>

#include "UiTestSupport.h"
#include "winui/Edit_CL.h"
#include "winui/SubClassWindowBase_CL.h"
#include "winui/SubClass_CL.h"

using ui_testing::HostWindow;

namespace {

// Swallows 'x'; lets everything else through to the edit control.
class ProbeEdit : public Edit_CL {
public:
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_CHAR) {
            chars.push_back(static_cast<wchar_t>(wparam));
            if (wparam == L'x') set_handled(true);
        }
        if (message == WM_DESTROY) ++destroys;
        return Edit_CL::handle_message(window, message, wparam, lparam);
    }
    std::vector<wchar_t> chars;
    int destroys = 0;
};

std::wstring window_text(HWND window)
{
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

LONG_PTR procedure_of(HWND window)
{
    return GetWindowLongPtrW(window, GWLP_WNDPROC);
}

HWND raw_edit(HWND parent)
{
    return CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

int callback_chars = 0;
LRESULT CALLBACK count_chars(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CHAR) ++callback_chars;
    return 0;
}

}  // namespace

TEST(Subclassing, HandlerSeesMessagesFirstAndOnlyTheHandledFlagSwallowsThem)
{
    HostWindow host;
    ProbeEdit edit;
    ASSERT_NE(edit.create(host.hwnd(), 0x30, 10, 0, 0), nullptr);
    const LONG_PTR own_procedure = procedure_of(edit.window());
    ASSERT_TRUE(edit.subclass());
    EXPECT_NE(procedure_of(edit.window()), own_procedure);
    EXPECT_EQ(GetWindowLongPtrW(edit.window(), GWLP_USERDATA), reinterpret_cast<LONG_PTR>(static_cast<ControlBase_CL*>(&edit)));

    SendMessageW(edit.window(), WM_CHAR, L'a', 0);
    SendMessageW(edit.window(), WM_CHAR, L'x', 0);
    SendMessageW(edit.window(), WM_CHAR, L'b', 0);
    EXPECT_EQ(window_text(edit.window()), L"ab");
    EXPECT_EQ(edit.chars, (std::vector<wchar_t>{L'a', L'x', L'b'}));

    // WM_DESTROY unbinds: the control's own procedure is back and the object hears nothing more.
    SendMessageW(edit.window(), WM_DESTROY, 0, 0);
    EXPECT_EQ(edit.destroys, 1);
    EXPECT_EQ(procedure_of(edit.window()), own_procedure);
    EXPECT_EQ(GetWindowLongPtrW(edit.window(), GWLP_USERDATA), 0);
    SendMessageW(edit.window(), WM_CHAR, L'x', 0);
    EXPECT_EQ(edit.chars.size(), 3u);
}

TEST(Subclassing, MessageCallbackHooksWithoutSwallowing)
{
    HostWindow host;
    Edit_CL edit;
    ASSERT_NE(edit.create(host.hwnd(), 0x31, 10, 0, 0), nullptr);
    ASSERT_TRUE(edit.subclass());
    edit.set_message_callback(&count_chars);
    callback_chars = 0;
    SendMessageW(edit.window(), WM_CHAR, L'q', 0);
    EXPECT_EQ(callback_chars, 1);
    EXPECT_EQ(window_text(edit.window()), L"q");
}

TEST(Subclassing, DeletingTheWrapperFirstUnhooksTheWindow)
{
    HostWindow host;
    auto* edit = new ProbeEdit;
    ASSERT_NE(edit->create(host.hwnd(), 0x32, 10, 0, 0), nullptr);
    const HWND window = edit->window();
    const LONG_PTR own_procedure = procedure_of(window);
    ASSERT_TRUE(edit->subclass());
    delete edit;
    EXPECT_EQ(procedure_of(window), own_procedure);
    SendMessageW(window, WM_CHAR, L'z', 0);
    EXPECT_EQ(window_text(window), L"z");
    DestroyWindow(window);
}

TEST(Subclassing, RealDestructionPassesTheControlItsOwnDestroy)
{
    HostWindow host;
    ProbeEdit edit;
    ASSERT_NE(edit.create(host.hwnd(), 0x33, 10, 0, 0), nullptr);
    ASSERT_TRUE(edit.subclass());
    EXPECT_TRUE(DestroyWindow(edit.window()));
    EXPECT_EQ(edit.destroys, 1);
    EXPECT_FALSE(IsWindow(edit.window()));
}

namespace {

class ProbeSubClass : public SubClass_CL {
public:
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_CHAR && wparam == L'x') {
            ++swallowed;
            set_handled(true);
        }
        return SubClass_CL::handle_message(window, message, wparam, lparam);
    }
    int swallowed = 0;
};

class ProbeWindow : public SubClassWindowBase_CL {
public:
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_CHAR) ++chars;
        return SubClassWindowBase_CL::handle_message(window, message, wparam, lparam);
    }
    int chars = 0;
};

}  // namespace

TEST(Subclassing, SubClassOfAForeignWindowRoutesLikeAControl)
{
    HostWindow host;
    const HWND edit = raw_edit(host.hwnd());
    ASSERT_NE(edit, nullptr);
    const LONG_PTR own_procedure = procedure_of(edit);
    ProbeSubClass hook;
    ASSERT_TRUE(hook.attach(edit));
    SendMessageW(edit, WM_CHAR, L'k', 0);
    SendMessageW(edit, WM_CHAR, L'x', 0);
    EXPECT_EQ(window_text(edit), L"k");
    EXPECT_EQ(hook.swallowed, 1);
    SendMessageW(edit, WM_DESTROY, 0, 0);
    EXPECT_EQ(procedure_of(edit), own_procedure);
    DestroyWindow(edit);
}

TEST(Subclassing, SubClassWindowBaseForwardsEverythingAndUnhooksOnDestroy)
{
    HostWindow host;
    ProbeWindow probe;
    const HWND edit = probe.create(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, host.hwnd(), 0x40,
                                   GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(probe.previous_procedure(), nullptr);
    SendMessageW(edit, WM_CHAR, L'm', 0);
    EXPECT_EQ(probe.chars, 1);
    EXPECT_EQ(window_text(edit), L"m");
    SendMessageW(edit, WM_DESTROY, 0, 0);
    EXPECT_EQ(procedure_of(edit), reinterpret_cast<LONG_PTR>(probe.previous_procedure()));
    SendMessageW(edit, WM_CHAR, L'n', 0);
    EXPECT_EQ(probe.chars, 1);
    DestroyWindow(edit);
}
