#include <gtest/gtest.h>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "winui/ImageList_CL.h"
#include "winui/ToolTips_CL.h"

using namespace testing_support;
using ui_testing::HostWindow;

namespace {

// A 24-bit bottom-up bitmap file of width x height, every pixel the given colour.
std::vector<unsigned char> bitmap_file(int width, int height, COLORREF colour)
{
    const int row = (width * 3 + 3) & ~3;
    const int pixels = row * height;
    std::vector<unsigned char> file(54 + pixels, 0);
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, static_cast<uint32_t>(pixels));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &file[54 + y * row + x * 3];
            p[0] = GetBValue(colour);
            p[1] = GetGValue(colour);
            p[2] = GetRValue(colour);
        }
    return file;
}

}  // namespace

TEST(ImageList, LoadStripCutsTheBitmapIntoPictures)
{
    TempFolder folder;
    const std::wstring path = folder.file(L"strip.bmp");
    ASSERT_TRUE(write_file(path, bitmap_file(24 * 5, 20, RGB(10, 200, 30))));
    ImageList_CL list;
    ASSERT_TRUE(list.load_strip(path, 24));
    EXPECT_EQ(list.count(), 5);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list.handle(), &width, &height));
    EXPECT_EQ(width, 24);
    EXPECT_EQ(height, 20);

    // At 144 DPI each picture is drawn half as large again, magenta still transparent.
    ASSERT_TRUE(list.load_strip(path, 24, DpiScale(144)));
    EXPECT_EQ(list.count(), 5);
    ASSERT_TRUE(ImageList_GetIconSize(list.handle(), &width, &height));
    EXPECT_EQ(width, 36);
    EXPECT_EQ(height, 30);

    // Loading again replaces the list.
    ASSERT_TRUE(write_file(path, bitmap_file(16 * 3, 16, RGB(255, 0, 255))));
    ASSERT_TRUE(list.load_strip(path, 16));
    EXPECT_EQ(list.count(), 3);
}

TEST(ImageList, TheProgramsMenuStripLoads)
{
    ImageList_CL list;
    ASSERT_TRUE(list.load_strip(env(L"TAPESTREL_SOURCE") + L"\\res\\menu_image.bmp", 24));
    // The menus use pictures up to index 16.
    EXPECT_GE(list.count(), 17);
}

TEST(ImageList, MissingOrBadInputLeavesAnEmptyList)
{
    TempFolder folder;
    ImageList_CL list;
    EXPECT_FALSE(list.load_strip(folder.file(L"missing.bmp"), 24));
    EXPECT_EQ(list.handle(), nullptr);
    EXPECT_EQ(list.count(), 0);

    ASSERT_TRUE(write_file(folder.file(L"not-a-bitmap.bmp"), std::string("BM but nothing else")));
    EXPECT_FALSE(list.load_strip(folder.file(L"not-a-bitmap.bmp"), 24));
    EXPECT_EQ(list.handle(), nullptr);

    ASSERT_TRUE(write_file(folder.file(L"good.bmp"), bitmap_file(48, 24, RGB(1, 2, 3))));
    EXPECT_FALSE(list.load_strip(folder.file(L"good.bmp"), 0));
    EXPECT_EQ(list.handle(), nullptr);
}

TEST(ToolTips, ToolsAreAddedWithTheirSettingsAndRemovedAgain)
{
    HostWindow host;
    HWND first = CreateWindowExW(0, L"Static", L"a", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, host.hwnd(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    HWND second = CreateWindowExW(0, L"Static", L"b", WS_CHILD | WS_VISIBLE, 0, 30, 50, 20, host.hwnd(), nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ToolTips_CL tips;
    const HWND tip_window = tips.create(host.hwnd());
    ASSERT_NE(tip_window, nullptr);
    EXPECT_TRUE(tips.add_tool(first, RECT{0, 0, 50, 20}, L"撮影日"));
    EXPECT_TRUE(tips.add_tool(second, RECT{0, 0, 50, 20}, L"ライセンス"));
    EXPECT_EQ(SendMessageW(tip_window, TTM_GETTOOLCOUNT, 0, 0), 2);
    EXPECT_EQ(tips.tool_count(), 2u);
    EXPECT_EQ(SendMessageW(tip_window, TTM_GETMAXTIPWIDTH, 0, 0), DpiScale::system()(320));
    RECT margin{};
    SendMessageW(tip_window, TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
    EXPECT_EQ(margin.left, 5);
    EXPECT_EQ(margin.bottom, 5);

    wchar_t text[64] = {};
    TTTOOLINFOW query{};
    query.cbSize = TTTOOLINFOW_V2_SIZE;
    query.hwnd = second;
    query.uId = 0x1000;
    query.lpszText = text;
    ASSERT_TRUE(SendMessageW(tip_window, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&query)) || text[0]);
    EXPECT_STREQ(text, L"ライセンス");

    tips.remove_tools();
    EXPECT_EQ(SendMessageW(tip_window, TTM_GETTOOLCOUNT, 0, 0), 0);
    EXPECT_EQ(tips.tool_count(), 0u);
}
