#include <gtest/gtest.h>

#include <string>

#include <windows.h>
#include <commctrl.h>

#include "UiTestSupport.h"
#include "winui/Button_CL.h"
#include "winui/CheckBox_CL.h"
#include "winui/ComboBox_CL.h"
#include "winui/CommunicateWait_CL.h"
#include "winui/Edit_CL.h"
#include "winui/GroupBox_CL.h"
#include "winui/ListBox_CL.h"
#include "winui/StaticText_CL.h"
#include "winui/Tab_CL.h"

using ui_testing::HostWindow;
using ui_testing::rect_in_parent;

namespace {

std::wstring class_of(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

int width_of(const RECT& r) { return r.right - r.left; }
int height_of(const RECT& r) { return r.bottom - r.top; }

constexpr DWORD kTabStopChild = 0x56010000;

// Layout numbers are 96-DPI pixels: the suite also runs at 144 DPI.
const DpiScale scale = DpiScale::system();

}  // namespace

TEST(Creators, TextControlsAreSizedByTheirText)
{
    HostWindow host;
    const std::wstring text = L"壁紙の自動変更を行なう";

    StaticText_CL label;
    ASSERT_NE(label.create(host.hwnd(), 0x10, text, 12, 34), nullptr);
    RECT r = rect_in_parent(label.window());
    EXPECT_EQ(r.left, scale(12));
    EXPECT_EQ(r.top, scale(34));
    EXPECT_EQ(width_of(r), label.text_width(text));
    EXPECT_EQ(height_of(r), label.text_height(text));
    EXPECT_GT(label.text_width(text), label.text_width(L"壁紙"));
    EXPECT_EQ(label.text(), text);
    EXPECT_EQ(label.kind(), ControlBase_CL::kStatic);
    EXPECT_EQ(GetDlgCtrlID(label.window()), 0x10);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label.window(), WM_GETFONT, 0, 0)), DpiScale::system().font());

    Button_CL button;
    ASSERT_NE(button.create(host.hwnd(), 0x11, L"参照", 5, 6), nullptr);
    r = rect_in_parent(button.window());
    EXPECT_EQ(width_of(r), button.text_width(L"参照") + scale(14));
    EXPECT_EQ(height_of(r), button.text_height(L"参照") + scale(14));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(button.window(), GWL_STYLE)) & 0xFFFF000F, kTabStopChild);

    CheckBox_CL box;
    ASSERT_NE(box.create(host.hwnd(), 0x12, text, 70), nullptr);
    r = rect_in_parent(box.window());
    EXPECT_EQ(r.left, scale(8));
    EXPECT_EQ(r.top, scale(70));
    EXPECT_EQ(width_of(r), box.text_width(text) + scale(32));
    EXPECT_EQ(height_of(r), box.text_height(text));
    EXPECT_EQ(box.kind(), ControlBase_CL::kCheckBox);

    GroupBox_CL group;
    ASSERT_NE(group.create(host.hwnd(), 0x13, L"バージョン情報", 48, 140), nullptr);
    r = rect_in_parent(group.window());
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, scale(48));
    EXPECT_EQ(width_of(r), scale(560));
    EXPECT_EQ(height_of(r), scale(140));
    EXPECT_EQ(GetWindowLongPtrW(group.window(), GWL_STYLE) & 0xF, BS_GROUPBOX);
}

TEST(Creators, FieldsAreSizedInCharacters)
{
    HostWindow host;
    Edit_CL edit;
    ASSERT_NE(edit.create(host.hwnd(), 0x20, 5, ES_AUTOHSCROLL, 30), nullptr);
    RECT r = rect_in_parent(edit.window());
    EXPECT_EQ(r.left, scale(30));
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(width_of(r), 5 * edit.text_width(L"W") + scale(4));
    EXPECT_EQ(height_of(r), edit.text_height(L"M") + scale(4));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(edit.window(), GWL_STYLE)) & (kTabStopChild | ES_AUTOHSCROLL),
              kTabStopChild | ES_AUTOHSCROLL);

    Edit_CL multi;
    ASSERT_NE(multi.create(host.hwnd(), 0x21, 10, Edit_CL::kMultiLineStyle, 0), nullptr);
    const DWORD multi_style = static_cast<DWORD>(GetWindowLongPtrW(multi.window(), GWL_STYLE));
    EXPECT_TRUE(multi_style & ES_MULTILINE);
    EXPECT_TRUE(multi_style & ES_WANTRETURN);
    EXPECT_TRUE(multi_style & WS_VSCROLL);

    ComboBox_CL combo;
    ASSERT_NE(combo.create(host.hwnd(), 0x22, 24, 10, CBS_DROPDOWNLIST | WS_VSCROLL, 16, 40), nullptr);
    EXPECT_EQ(class_of(combo.window()), L"ComboBoxEx32");
    r = rect_in_parent(combo.window());
    EXPECT_EQ(r.left, scale(16));
    EXPECT_EQ(r.top, scale(40));
    EXPECT_EQ(width_of(r), 24 * combo.text_width(L"W"));
    EXPECT_EQ(combo.kind(), ControlBase_CL::kComboBox);
}

TEST(Creators, ListBoxAndTabControl)
{
    HostWindow host;
    ListBox_CL list;
    ASSERT_NE(list.create(host.hwnd(), 0x3301, 200, 150, LBS_EXTENDEDSEL, 4, 5), nullptr);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(list.window(), GWL_STYLE));
    EXPECT_TRUE(style & LBS_NOTIFY);
    EXPECT_TRUE(style & LBS_EXTENDEDSEL);
    EXPECT_TRUE(style & WS_TABSTOP);
    RECT r = rect_in_parent(list.window());
    EXPECT_EQ(r.left, scale(4));
    EXPECT_EQ(width_of(r), scale(200));
    EXPECT_EQ(list.kind(), ControlBase_CL::kListBox);
    for (const wchar_t* row : {L"a", L"b", L"c"}) SendMessageW(list.window(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    list.clear();
    EXPECT_EQ(SendMessageW(list.window(), LB_GETCOUNT, 0, 0), 0);

    Tab_CL tabs;
    ASSERT_NE(tabs.create(host.hwnd()), nullptr);
    EXPECT_EQ(GetDlgCtrlID(tabs.window()), 0x1123);
    EXPECT_EQ(class_of(tabs.window()), L"SysTabControl32");
    EXPECT_TRUE(GetWindowLongPtrW(tabs.window(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongPtrW(tabs.window(), GWL_STYLE) & TCS_MULTILINE);
    r = rect_in_parent(tabs.window());
    EXPECT_EQ(width_of(r), scale(320));
    EXPECT_EQ(height_of(r), scale(240));
    EXPECT_EQ(tabs.kind(), ControlBase_CL::kTab);
}

TEST(Controls, CheckBoxComboBoxAndTabOperations)
{
    HostWindow host;
    CheckBox_CL box;
    ASSERT_NE(box.create(host.hwnd(), 0x12, L"check", 4), nullptr);
    EXPECT_FALSE(box.is_checked());
    SendMessageW(box.window(), BM_CLICK, 0, 0);
    EXPECT_TRUE(box.is_checked());
    box.set_checked(false);
    EXPECT_FALSE(box.is_checked());

    ComboBox_CL combo;
    ASSERT_NE(combo.create(host.hwnd(), 0x22, 20, 10, CBS_DROPDOWNLIST, 0, 0), nullptr);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.current_selection(), CB_ERR);
    EXPECT_EQ(combo.insert_item(L"１時間毎に変更する", 0), 0);
    EXPECT_EQ(combo.insert_item(L"２時間毎に変更する", 1), 1);
    EXPECT_EQ(combo.insert_item(L"３時間毎に変更する", -1), 2);
    EXPECT_EQ(combo.count(), 3);
    combo.select(2);
    EXPECT_EQ(combo.current_selection(), 2);
    wchar_t text[64] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE;
    item.iItem = 1;
    item.pszText = text;
    item.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(combo.window(), CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(text, L"２時間毎に変更する");
    EXPECT_EQ(item.iImage, 1);

    Tab_CL tabs;
    ASSERT_NE(tabs.create(host.hwnd()), nullptr);
    EXPECT_EQ(tabs.insert_tab(L"現在の壁紙", 14, 0, Tab_CL::kAppend), 0);
    EXPECT_EQ(tabs.insert_tab(L"壁紙候補", 15, 7, Tab_CL::kAppend), 1);
    EXPECT_EQ(tabs.insert_tab(L"お気に入りの壁紙", 5, 0, 1), 1);
    EXPECT_TRUE(tabs.set_tab(L"壁紙候補 (12)", 9, 2));
    TCITEMW tab{};
    tab.mask = TCIF_TEXT | TCIF_PARAM | TCIF_IMAGE;
    tab.pszText = text;
    tab.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(tabs.window(), TCM_GETITEMW, 2, reinterpret_cast<LPARAM>(&tab)));
    EXPECT_STREQ(text, L"壁紙候補 (12)");
    EXPECT_EQ(tab.lParam, 9);
    EXPECT_EQ(tab.iImage, 15);
    EXPECT_EQ(SendMessageW(tabs.window(), TCM_GETITEMCOUNT, 0, 0), 3);
}

TEST(Controls, MovingKeepsWhatItShould)
{
    HostWindow host;
    Button_CL button;
    ASSERT_NE(button.create(host.hwnd(), 0x11, L"OK", 10, 20), nullptr);
    const RECT start = rect_in_parent(button.window());

    button.resize(90, 30, true);
    RECT r = rect_in_parent(button.window());
    EXPECT_EQ(r.left, scale(10)) << "created at layout numbers, moved in pixels";
    EXPECT_EQ(r.top, scale(20));
    EXPECT_EQ(width_of(r), 90);
    EXPECT_EQ(height_of(r), 30);

    button.move_to(50, 60);
    r = rect_in_parent(button.window());
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(width_of(r), 90);

    button.set_top(7);
    r = rect_in_parent(button.window());
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 7);
    EXPECT_EQ(height_of(r), 30);
    EXPECT_NE(height_of(start), 30);
}

TEST(Controls, FailedCreationLeavesAWindowlessObject)
{
    Button_CL button;
    EXPECT_EQ(button.create(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0)), 0x11, L"OK", 0, 0), nullptr);
    EXPECT_EQ(button.window(), nullptr);
    EXPECT_EQ(button.text(), L"");
    EXPECT_FALSE(button.subclass());
}

TEST(Controls, CommunicatingIndicatorCountsNestedBusyPeriods)
{
    HostWindow host;
    CommunicateWait_CL indicator;
    ASSERT_NE(indicator.create(host.hwnd()), nullptr);
    RECT r = rect_in_parent(indicator.window());
    EXPECT_EQ(GetDlgCtrlID(indicator.window()), 0x2345);
    EXPECT_EQ(r.left, scale(200));
    EXPECT_EQ(r.top, scale(32));
    EXPECT_EQ(width_of(r), scale(320));
    EXPECT_EQ(height_of(r), scale(16));

    indicator.begin_busy();
    indicator.begin_busy();
    EXPECT_EQ(indicator.busy_count(), 2);
    SendMessageW(indicator.window(), WM_TIMER, CommunicateWait_CL::kTimerId, 0);
    SendMessageW(indicator.window(), WM_TIMER, CommunicateWait_CL::kTimerId, 0);
    EXPECT_EQ(indicator.phase(), 8);
    indicator.end_busy();
    EXPECT_EQ(indicator.busy_count(), 1);
    indicator.end_busy();
    // An unmatched end never drives the count below zero.
    indicator.end_busy();
    EXPECT_EQ(indicator.busy_count(), 0);
    indicator.begin_busy();
    EXPECT_EQ(indicator.busy_count(), 1);
}
