#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "winui/ImageList_CL.h"
#include "winui/PopupMenu_CL.h"

using ui_testing::HostWindow;

namespace {

std::wstring menu_strip()
{
    return testing_support::env(L"TAPESTREL_SOURCE") + L"\\res\\menu_image.bmp";
}

UINT type_at(HMENU menu, UINT position)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.fType;
}

SIZE gui_text_extent(HWND window, const std::wstring& text)
{
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

// Draws one item into a fresh bitmap and answers the colour of a pixel.
COLORREF drawn_pixel(const PopupMenu_CL& menu, UINT id, UINT state, POINT where)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 30);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = id;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hDC = dc;
    draw.rcItem = RECT{0, 0, 300, 30};
    draw.itemData = reinterpret_cast<ULONG_PTR>(&menu);
    LRESULT result = 0;
    PopupMenu_CL::paint_message(nullptr, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), &result);
    const COLORREF pixel = GetPixel(dc, where.x, where.y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixel;
}

}  // namespace

TEST(PopupMenu, ItemAtAppendsOnlyAtTheEnd)
{
    PopupMenu_CL menu;
    EXPECT_EQ(menu.item_at(1), nullptr);
    PopupMenu_CL::Item* first = menu.item_at(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(menu.item_count(), 1u);
    EXPECT_EQ(first->info.fMask, 0x37u);
    EXPECT_EQ(first->info.fType, static_cast<UINT>(MFT_OWNERDRAW));
    EXPECT_EQ(first->info.fState, 0u);
    EXPECT_EQ(first->info.dwItemData, reinterpret_cast<ULONG_PTR>(&menu));
    EXPECT_EQ(first->image, -1);
    EXPECT_EQ(menu.item_at(0), first);
    EXPECT_EQ(menu.item_count(), 1u);
    EXPECT_EQ(menu.item_at(5), nullptr);
}

TEST(PopupMenu, ItemsAndSeparatorsGoToTheEndOfTheMenu)
{
    PopupMenu_CL menu;
    EXPECT_FALSE(menu.append_item(0x1110, L"no menu yet", 0));
    ASSERT_TRUE(menu.create_popup());
    ASSERT_TRUE(menu.append_item(0x1110, L"メイン画面を開く", 0));
    ASSERT_TRUE(menu.append_separator());
    ASSERT_TRUE(menu.append_item(0x1130, L"次の壁紙に変更する", 2));
    ASSERT_TRUE(menu.append_separator());
    ASSERT_TRUE(menu.append_item(0x1140, L"アプリの終了", 0));
    const HMENU handle = menu.handle();
    EXPECT_EQ(GetMenuItemCount(handle), 5);
    EXPECT_EQ(GetMenuItemID(handle, 0), 0x1110u);
    EXPECT_EQ(GetMenuItemID(handle, 2), 0x1130u);
    EXPECT_EQ(GetMenuItemID(handle, 4), 0x1140u);
    EXPECT_TRUE(type_at(handle, 0) & MFT_OWNERDRAW);
    EXPECT_TRUE(type_at(handle, 1) & MFT_SEPARATOR);
    EXPECT_EQ(menu.item_count(), 3u);
    EXPECT_EQ(menu.find(0x1130)->image, 2);
    EXPECT_EQ(menu.find(0x1130)->text, L"次の壁紙に変更する");

    EXPECT_TRUE(menu.set_enabled(1, false));
    EXPECT_TRUE(GetMenuState(handle, 0x1130, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(handle, 0x1110, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(menu.set_enabled(1, true));
    EXPECT_FALSE(GetMenuState(handle, 0x1130, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(menu.set_enabled(3, false));
}

TEST(PopupMenu, MeasureFollowsTheLeftTextAndTheImages)
{
    HostWindow host;
    PopupMenu_CL menu;
    ASSERT_TRUE(menu.create_popup());
    ASSERT_TRUE(menu.append_item(0x1150, L"サポートサイトへ|F1", 6));

    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = 0x1150;
    measure.itemData = reinterpret_cast<ULONG_PTR>(&menu);
    LRESULT result = 0;
    ASSERT_TRUE(PopupMenu_CL::paint_message(host.hwnd(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), &result));
    EXPECT_EQ(result, TRUE);
    const SIZE text = gui_text_extent(host.hwnd(), L"サポートサイトへ");
    const DpiScale scale = DpiScale::system();
    EXPECT_EQ(measure.itemWidth, static_cast<UINT>(text.cx + scale(48)));
    EXPECT_EQ(measure.itemHeight, static_cast<UINT>(text.cy + scale(1)));

    ImageList_CL images;
    ASSERT_TRUE(images.load_strip(menu_strip(), 24));
    int image_width = 0;
    int image_height = 0;
    ImageList_GetIconSize(images.handle(), &image_width, &image_height);
    menu.set_image_list(images.handle());
    ASSERT_TRUE(PopupMenu_CL::paint_message(host.hwnd(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), &result));
    EXPECT_EQ(measure.itemWidth, static_cast<UINT>(text.cx + scale(48) + image_width + scale(4)));
    EXPECT_EQ(measure.itemHeight, static_cast<UINT>(std::max<LONG>(text.cy + scale(1), image_height + scale(1))));
}

TEST(PopupMenu, PainterIgnoresWhatIsNotItsOwn)
{
    PopupMenu_CL menu;
    ASSERT_TRUE(menu.create_popup());
    ASSERT_TRUE(menu.append_item(0x1150, L"サポートサイトへ", 6));
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = 0x9999;
    measure.itemData = reinterpret_cast<ULONG_PTR>(&menu);
    EXPECT_FALSE(PopupMenu_CL::paint_message(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), nullptr));
    // Item data that names no live menu (a list box's, or a menu already gone) is never followed.
    int not_a_menu = 0;
    measure.itemID = 0x1150;
    measure.itemData = reinterpret_cast<ULONG_PTR>(&not_a_menu);
    EXPECT_FALSE(PopupMenu_CL::paint_message(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), nullptr));
    measure.itemData = reinterpret_cast<ULONG_PTR>(&menu);
    measure.CtlType = ODT_LISTBOX;
    EXPECT_FALSE(PopupMenu_CL::paint_message(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), nullptr));
    EXPECT_FALSE(PopupMenu_CL::paint_message(nullptr, WM_PAINT, 0, 0, nullptr));
}

TEST(PopupMenu, DrawFillsWithTheStateColour)
{
    PopupMenu_CL menu;
    ASSERT_TRUE(menu.create_popup());
    ASSERT_TRUE(menu.append_item(0x1140, L"アプリの終了", 0));
    const POINT right_edge{298, 15};
    EXPECT_EQ(drawn_pixel(menu, 0x1140, 0, right_edge), GetSysColor(COLOR_MENU));
    EXPECT_EQ(drawn_pixel(menu, 0x1140, ODS_SELECTED, right_edge), GetSysColor(COLOR_HIGHLIGHT));
}

namespace {

// The menu is tracked for real: the host answers the menu's paint messages,
// and once the menu waits for input, the keys a user would press choose the
// second row.
struct TrackedMenu {
    int measured = 0;
    int drawn = 0;
    UINT command = 0;
    bool keys_sent = false;
};

}  // namespace

TEST(PopupMenu, TrackedMenuIsPaintedAndReportsTheChosenCommand)
{
    HostWindow host(640, 480, true);
    SetForegroundWindow(host.hwnd());
    TrackedMenu seen;
    host.set_hook([&seen](HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
        if (PopupMenu_CL::paint_message(window, message, wparam, lparam, result)) {
            (message == WM_MEASUREITEM ? seen.measured : seen.drawn)++;
            return true;
        }
        if (message == WM_ENTERIDLE && wparam == MSGF_MENU && !seen.keys_sent) {
            seen.keys_sent = true;
            for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(window, WM_KEYDOWN, key, 0);
            // Safety net should the keys go unheard: the menu closes without a command.
            SetTimer(window, 1, 10000, nullptr);
        }
        if (message == WM_TIMER && wparam == 1) {
            KillTimer(window, 1);
            EndMenu();
        }
        if (message == WM_COMMAND) seen.command = LOWORD(wparam);
        return false;
    });
    ImageList_CL images;
    images.load_strip(menu_strip(), 24);
    PopupMenu_CL menu;
    ASSERT_TRUE(menu.create_popup());
    menu.set_image_list(images.handle());
    ASSERT_TRUE(menu.append_item(0x1110, L"メイン画面を開く", 0));
    ASSERT_TRUE(menu.append_separator());
    ASSERT_TRUE(menu.append_item(0x1150, L"サポートサイトへ", 6));
    EXPECT_TRUE(menu.track(host.hwnd()));
    ui_testing::pump_messages();
    KillTimer(host.hwnd(), 1);
    EXPECT_EQ(seen.measured, 2);
    EXPECT_GE(seen.drawn, 2);
    EXPECT_EQ(seen.command, 0x1150u);
}
