#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "UiTestSupport.h"
#include "winui/Button_CL.h"
#include "winui/CheckBox_CL.h"
#include "winui/ControlFactory_CL.h"
#include "winui/PropertySheet_CL.h"
#include "winui/SubClassDialogBase_CL.h"
#include "winui/WindowPlacement.h"

using ui_testing::HostWindow;
using ui_testing::rect_in_parent;

namespace {

POINT centre_of(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void expect_same_centre(HWND window, HWND other)
{
    const POINT a = centre_of(window);
    const POINT b = centre_of(other);
    EXPECT_LE(std::abs(a.x - b.x), 1);
    EXPECT_LE(std::abs(a.y - b.y), 1);
}

// A stand-alone dialog that builds its controls with the factory and checks
// the layout from inside, then closes itself the way the close box does.
class ProbeDialog : public SubClassDialogBase_CL {
public:
    explicit ProbeDialog(HWND host) : host_(host) {}

    INT_PTR handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        seen.push_back(message);
        if (message == WM_INITDIALOG) build(window);
        return SubClassDialogBase_CL::handle_message(window, message, wparam, lparam);
    }

    std::vector<UINT> seen;
    HWND window_at_init = nullptr;
    HDC context_at_init = nullptr;
    std::vector<int> ids;
    std::vector<RECT> stacked;
    RECT fourth_before{};
    RECT fourth_after{};
    RECT client{};
    RECT pair_first{};
    RECT pair_second{};
    bool centred = false;

private:
    void build(HWND window)
    {
        window_at_init = this->window();
        context_at_init = device_context();
        MoveWindow(window, 0, 0, 360, 160, FALSE);
        factory_.add_check_box(window, L"バージョンアップの通知をしない", 40);
        factory_.add_static_text(window, L"Version : 1.0.2", 30, 90);
        factory_.add_edit(window, 5, WS_BORDER, 20);
        factory_.add_static_text(window, L"not stacked", 100, 7);
        factory_.add_button(window, L"　サイトへ移動する　", 0, 0);
        factory_.add_button(window, L"後日通知する　", 0, 0);
        for (size_t i = 0; i < factory_.size(); ++i) ids.push_back(GetDlgCtrlID(factory_.at(static_cast<int>(i))->window()));

        fourth_before = rect_in_parent(factory_.at(3)->window());
        factory_.stack_rows(4, 2, 3);
        for (int i = 0; i < 3; ++i) stacked.push_back(rect_in_parent(factory_.at(i)->window()));
        fourth_after = rect_in_parent(factory_.at(3)->window());

        factory_.place_button_pair(window, 4);
        GetClientRect(window, &client);
        pair_first = rect_in_parent(factory_.at(4)->window());
        pair_second = rect_in_parent(factory_.at(5)->window());

        center_dialog(host_, window);
        const POINT a = centre_of(window);
        const POINT b = centre_of(host_);
        centred = std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }

    HWND host_;
    ControlFactory_CL factory_;
};

INT_PTR run_dialog(ProbeDialog& dialog, HWND parent)
{
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.build_template(), parent,
                                   &SubClassDialogBase_CL::dialog_procedure, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace

TEST(DialogTemplate, HeaderIsTheEmptyPopupDialog)
{
    HostWindow host;
    ProbeDialog dialog(host.hwnd());
    const DLGTEMPLATE* header = dialog.build_template();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->style, 0x80CA0280u);
    EXPECT_EQ(header->dwExtendedStyle, 0u);
    EXPECT_EQ(header->cdit, 0);
    EXPECT_EQ(header->x, 0);
    EXPECT_EQ(header->y, 0);
    EXPECT_EQ(header->cx, 320);
    EXPECT_EQ(header->cy, 240);
    const auto* trailer = reinterpret_cast<const WORD*>(header + 1);
    EXPECT_EQ(trailer[0], 0);  // no menu
    EXPECT_EQ(trailer[1], 0);  // default class
    EXPECT_EQ(trailer[2], 0);  // empty title

    // The buffer is reused and cleared each time.
    auto* bytes = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(header));
    bytes[100] = 0x55;
    EXPECT_EQ(dialog.build_template(), header);
    EXPECT_EQ(bytes[100], 0);
}

TEST(Dialog, StandAloneDialogIsBoundBuiltLaidOutAndClosed)
{
    HostWindow host;
    ProbeDialog dialog(host.hwnd());
    HWND variable = nullptr;
    dialog.set_window_variable(&variable);
    EXPECT_EQ(run_dialog(dialog, host.hwnd()), 0);

    // Nothing reaches the object before WM_INITDIALOG binds it (the font it is
    // given while binding is the first thing it hears).
    ASSERT_GE(dialog.seen.size(), 2u);
    EXPECT_EQ(dialog.seen[0], static_cast<UINT>(WM_SETFONT));
    EXPECT_EQ(dialog.seen[1], static_cast<UINT>(WM_INITDIALOG));
    EXPECT_NE(dialog.window_at_init, nullptr);
    EXPECT_EQ(variable, dialog.window_at_init);
    EXPECT_NE(dialog.context_at_init, nullptr);
    EXPECT_EQ(dialog.window(), nullptr);
    EXPECT_EQ(dialog.device_context(), nullptr);

    EXPECT_EQ(dialog.ids, (std::vector<int>{0x1100, 0x1101, 0x1102, 0x1103, 0x1104, 0x1105}));

    // stack_rows with last index 2 moves three controls, keeping their x.
    ASSERT_EQ(dialog.stacked.size(), 3u);
    const DpiScale scale = DpiScale::system();
    EXPECT_EQ(dialog.stacked[0].top, scale(4));
    EXPECT_EQ(dialog.stacked[0].left, scale(8));
    EXPECT_EQ(dialog.stacked[1].top, dialog.stacked[0].bottom + scale(3));
    EXPECT_EQ(dialog.stacked[1].left, scale(30));
    EXPECT_EQ(dialog.stacked[2].top, dialog.stacked[1].bottom + scale(3));
    EXPECT_EQ(dialog.stacked[2].left, scale(20));
    EXPECT_EQ(dialog.fourth_after.top, dialog.fourth_before.top);

    EXPECT_EQ(dialog.pair_second.right, dialog.client.right - scale(4));
    EXPECT_EQ(dialog.pair_second.bottom, dialog.client.bottom - scale(4));
    EXPECT_EQ(dialog.pair_first.right, dialog.pair_second.left - scale(4));
    EXPECT_EQ(dialog.pair_first.top, dialog.pair_second.top);

    EXPECT_TRUE(dialog.centred);
}

TEST(Dialog, UnboundDialogProcedureAnswersZero)
{
    HostWindow host;
    const HWND plain = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 10, 10, host.hwnd(), nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(SubClassDialogBase_CL::dialog_procedure(plain, WM_COMMAND, 1, 0), 0);
    EXPECT_EQ(SubClassDialogBase_CL::page_procedure(plain, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrW(plain, GWLP_USERDATA), 0);
    EXPECT_TRUE(IsWindow(plain));
}

TEST(Factory, StackLeftPlacesListedControlsDownTheLeftEdge)
{
    HostWindow host;
    ControlFactory_CL factory;
    factory.add_group_box(host.hwnd(), L"バージョン情報", 48, 140);
    factory.add_button(host.hwnd(), L"OK", 200, 5);
    factory.add_static_text(host.hwnd(), L"Version : 1.0.2", 300, 5);
    factory.add_static_text(host.hwnd(), L"サポートサイトへ", 300, 50);
    factory.stack_left({1, 2, 3, ControlFactory_CL::kEndOfList, 0});
    const RECT group = rect_in_parent(factory.at(0)->window());
    const RECT button = rect_in_parent(factory.at(1)->window());
    const RECT version = rect_in_parent(factory.at(2)->window());
    const RECT support = rect_in_parent(factory.at(3)->window());
    const DpiScale scale = DpiScale::system();
    EXPECT_EQ(button.left, scale(8));
    EXPECT_EQ(button.top, scale(64));
    EXPECT_EQ(version.left, scale(8));
    EXPECT_EQ(version.top, button.bottom + scale(4));
    EXPECT_EQ(support.top, version.bottom + scale(4));
    EXPECT_EQ(group.top, scale(48));
    EXPECT_EQ(group.left, 0);

    EXPECT_EQ(factory.at<CheckBox_CL>(1), nullptr);
    EXPECT_NE(factory.at<Button_CL>(1), nullptr);
    EXPECT_EQ(factory.at(4), nullptr);
    EXPECT_EQ(factory.at(-1), nullptr);
    factory.stack_left({7, -1});
    const int below = factory.stack_rows(0, 9, 0);
    EXPECT_EQ(below, rect_in_parent(factory.at(3)->window()).bottom);
}

TEST(Placement, CenterOverKeepsTheSize)
{
    HostWindow big(600, 400);
    HostWindow small(200, 100);
    RECT before{};
    GetWindowRect(small.hwnd(), &before);
    center_over(small.hwnd(), big.hwnd());
    expect_same_centre(small.hwnd(), big.hwnd());
    RECT after{};
    GetWindowRect(small.hwnd(), &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

namespace {

// A page with one check box; clicking it marks the page changed.
class ProbePage : public SubClassDialogBase_CL {
public:
    explicit ProbePage(const PropertySheet_CL& sheet) : sheet_(sheet) {}

    INT_PTR handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_INITDIALOG) {
            ++initialised;
            factory_.add_check_box(window, L"壁紙の自動変更を行なう", 4);
        } else if (message == WM_COMMAND && LOWORD(wparam) == ControlFactory_CL::kFirstId) {
            SendMessageW(GetParent(window), PSM_CHANGED, reinterpret_cast<WPARAM>(window), 0);
        } else if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lparam)->code == static_cast<UINT>(PSN_APPLY)) {
            ++applied;
            checked_at_apply = factory_.at<CheckBox_CL>(0)->is_checked();
            sheet_at_apply = GetParent(window);
            variable_at_apply = sheet_.window();
            GetWindowRect(sheet_at_apply, &sheet_rect);
        }
        return SubClassDialogBase_CL::handle_message(window, message, wparam, lparam);
    }

    int initialised = 0;
    int applied = 0;
    bool checked_at_apply = false;
    HWND sheet_at_apply = nullptr;
    HWND variable_at_apply = nullptr;
    RECT sheet_rect{};

private:
    const PropertySheet_CL& sheet_;
    ControlFactory_CL factory_;
};

// Plays the user on another thread: ticks the box on the open page, applies
// and confirms. Any step that fails closes the sheet so the test cannot hang.
struct SheetUser {
    std::atomic<bool> apply_was_enabled{false};
    std::atomic<bool> found_box{false};

    void run(const wchar_t* caption)
    {
        HWND sheet = nullptr;
        for (int i = 0; i < 400 && !sheet; ++i) {
            sheet = FindWindowW(L"#32770", caption);
            if (!sheet) Sleep(50);
        }
        if (!sheet) return;
        const HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        const HWND box = page ? GetDlgItem(page, ControlFactory_CL::kFirstId) : nullptr;
        found_box = box != nullptr;
        if (box) {
            SendMessageW(box, BM_CLICK, 0, 0);
            apply_was_enabled = IsWindowEnabled(GetDlgItem(sheet, 0x3021)) != FALSE;  // the Apply button
        }
        // Posted, as a click would be: the sheet's modal loop ends on its next message.
        PostMessageW(sheet, PSM_PRESSBUTTON, box ? PSBTN_OK : PSBTN_CANCEL, 0);
    }
};

}  // namespace

TEST(Sheet, InMemoryPagesOpenApplyAndClose)
{
    HostWindow host(700, 500);
    PropertySheet_CL sheet;
    ProbePage first(sheet);
    ProbePage second(sheet);
    sheet.add_page(&first, L"壁紙設定");
    sheet.add_page(&second, L"壁紙候補設定");

    SheetUser user;
    std::thread player([&user] { user.run(L"Sheet probe"); });
    const INT_PTR result = sheet.show(host.hwnd(), L"Sheet probe");
    player.join();

    EXPECT_TRUE(user.found_box);
    EXPECT_TRUE(user.apply_was_enabled);
    EXPECT_GE(result, 1);
    EXPECT_EQ(first.initialised, 1);
    EXPECT_EQ(first.applied, 1);
    EXPECT_TRUE(first.checked_at_apply);
    // A page never shown has no window and writes nothing.
    EXPECT_EQ(second.initialised, 0);
    EXPECT_EQ(second.applied, 0);
    EXPECT_EQ(sheet.window(), nullptr);
    ASSERT_NE(first.sheet_at_apply, nullptr);
    EXPECT_EQ(first.variable_at_apply, first.sheet_at_apply);
    const POINT host_centre = centre_of(host.hwnd());
    EXPECT_LE(std::abs((first.sheet_rect.left + first.sheet_rect.right) / 2 - host_centre.x), 1);
    EXPECT_LE(std::abs((first.sheet_rect.top + first.sheet_rect.bottom) / 2 - host_centre.y), 1);
    EXPECT_EQ(first.window(), nullptr);
}
