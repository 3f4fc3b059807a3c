// One wallpaper made of a picture per monitor, as a function of the monitors'
// rectangles, the pictures and the placement.
#include <gtest/gtest.h>

#include <initializer_list>

#include "TestSupport.h"
#include "base/GdiplusInclude.h"
#include "imaging/ImageEncoder.h"
#include "wallpaper/MonitorWallpaper.h"

using namespace testing_support;
using monitor_wallpaper::Monitor;

namespace {

enum { kCentre, kTile, kStretch, kFit, kFill };

void expect_rect(const RECT& got, LONG left, LONG top, LONG right, LONG bottom)
{
    EXPECT_EQ(got.left, left);
    EXPECT_EQ(got.top, top);
    EXPECT_EQ(got.right, right);
    EXPECT_EQ(got.bottom, bottom);
}

// A picture whose left half is `left` and right half `right`.
bool halves_jpeg(const std::wstring& path, int width, int height, Gdiplus::Color left, Gdiplus::Color right)
{
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics graphics(&bitmap);
        Gdiplus::SolidBrush first(left), second(right);
        graphics.FillRectangle(&first, 0, 0, width / 2, height);
        graphics.FillRectangle(&second, width / 2, 0, width - width / 2, height);
    }
    CLSID jpeg;
    return find_image_encoder(L"image/jpeg", jpeg) && bitmap.Save(path.c_str(), &jpeg, nullptr) == Gdiplus::Ok;
}

const Gdiplus::Color kRed(255, 230, 0, 0), kGreen(255, 0, 210, 0), kBlue(255, 0, 0, 230), kBlack(255, 0, 0, 0);

::testing::AssertionResult pixel_is(Gdiplus::Bitmap& bitmap, int x, int y, Gdiplus::Color want)
{
    Gdiplus::Color got;
    if (bitmap.GetPixel(x, y, &got) != Gdiplus::Ok) return ::testing::AssertionFailure() << "no pixel " << x << "," << y;
    const auto close = [](int a, int b) { return a - b < 24 && b - a < 24; };
    if (close(got.GetR(), want.GetR()) && close(got.GetG(), want.GetG()) && close(got.GetB(), want.GetB()))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << int(got.GetR()) << "," << int(got.GetG())
                                         << "," << int(got.GetB());
}

struct Pixel {
    int x, y;
    Gdiplus::Color colour;
};

void expect_pixels(Gdiplus::Bitmap& bitmap, std::initializer_list<Pixel> pixels)
{
    for (const Pixel& pixel : pixels) EXPECT_TRUE(pixel_is(bitmap, pixel.x, pixel.y, pixel.colour));
}

class Composing : public ::testing::Test {
protected:
    GdiplusSession gdiplus;
    TempFolder folder;
    std::wstring red_green, blue;

    void SetUp() override
    {
        red_green = folder.file(L"red_green.jpg");
        blue = folder.file(L"blue.jpg");
        ASSERT_TRUE(halves_jpeg(red_green, 100, 50, kRed, kGreen));
        ASSERT_TRUE(halves_jpeg(blue, 80, 80, kBlue, kBlue));
    }
};

}  // namespace

TEST(MonitorPlacement, EachPlacementInsideItsMonitor)
{
    const RECT area = {-1024, 0, 0, 768};  // left of the primary monitor
    expect_rect(monitor_wallpaper::place(area, 200, 100, kCentre), -612, 334, -412, 434);
    expect_rect(monitor_wallpaper::place(area, 2048, 1536, kCentre), -1536, -384, 512, 1152);  // larger: cut by the monitor
    expect_rect(monitor_wallpaper::place(area, 200, 100, kTile), -1024, 0, -824, 100);
    expect_rect(monitor_wallpaper::place(area, 200, 100, kStretch), -1024, 0, 0, 768);
    // Fit: the whole picture, bands above and below; fill: the whole monitor, sides cut.
    expect_rect(monitor_wallpaper::place(area, 200, 100, kFit), -1024, 128, 0, 640);
    expect_rect(monitor_wallpaper::place(area, 200, 100, kFill), -1280, 0, 256, 768);
    expect_rect(monitor_wallpaper::place(area, 100, 400, kFit), -608, 0, -416, 768);
    expect_rect(monitor_wallpaper::place(area, 100, 400, kFill), -1024, -1664, 0, 2432);
    // A picture without pixels covers nothing.
    const RECT none = monitor_wallpaper::place(area, 0, 100, kFill);
    EXPECT_TRUE(IsRectEmpty(&none));
}

TEST(MonitorPlacement, PrimaryFirstThenLeftToRightAndTopToBottom)
{
    std::vector<Monitor> monitors = {
        {{1280, 0, 2304, 768}, false}, {{0, -768, 1024, 0}, false}, {{-1024, 0, 0, 768}, false},
        {{0, 0, 1280, 800}, true},     {{0, 800, 1280, 1600}, false},
    };
    monitor_wallpaper::order(monitors);
    ASSERT_EQ(monitors.size(), 5u);
    EXPECT_TRUE(monitors[0].primary);
    EXPECT_EQ(monitors[1].rect.left, -1024);
    EXPECT_EQ(monitors[2].rect.top, -768);  // same left edge as the next: the upper one first
    EXPECT_EQ(monitors[3].rect.top, 800);
    EXPECT_EQ(monitors[4].rect.left, 1280);
    expect_rect(monitor_wallpaper::bounds({{0, 0, 1280, 800}, {-1024, -100, 0, 668}, {0, 800, 640, 1280}}), -1024, -100,
                1280, 1280);
}

TEST_F(Composing, EachMonitorShowsItsPictureAndTheRestIsBlack)
{
    // The secondary monitor is left of and above the primary one.
    const std::vector<RECT> monitors = {{0, 0, 400, 300}, {-200, -100, 0, 100}};
    std::unique_ptr<Gdiplus::Bitmap> bitmap = monitor_wallpaper::compose(monitors, {red_green, blue}, kFit);
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap->GetWidth(), 600u);
    ASSERT_EQ(bitmap->GetHeight(), 400u);
    // Primary at 200,100 in the bitmap: 100x50 fitted to 400x200, bands of 50 above and below.
    expect_pixels(*bitmap, {{300, 250, kRed}, {500, 250, kGreen}, {300, 120, kBlack}, {300, 390, kBlack}});
    // Secondary at 0,0: a square picture fitted to 200x200 covers it all.
    expect_pixels(*bitmap, {{5, 5, kBlue}, {195, 195, kBlue}});
    EXPECT_TRUE(pixel_is(*bitmap, 100, 300, kBlack));  // outside every monitor
}

TEST_F(Composing, TilesStartAtEachMonitorsCornerAndFillLeavesNoBlackEdge)
{
    const std::vector<RECT> monitors = {{0, 0, 300, 200}, {300, 50, 500, 150}};
    std::unique_ptr<Gdiplus::Bitmap> tiled = monitor_wallpaper::compose(monitors, {red_green}, kTile);
    ASSERT_TRUE(tiled);
    // Tiles start at each monitor's corner; fewer pictures than monitors repeat
    // the first. Nothing above the second monitor.
    expect_pixels(*tiled, {{20, 25, kRed}, {80, 25, kGreen}, {120, 175, kRed}, {320, 60, kRed}, {380, 60, kGreen},
                           {400, 10, kBlack}});

    // Fill cuts the sides of the wide picture on a square-ish monitor, never showing black.
    std::unique_ptr<Gdiplus::Bitmap> filled = monitor_wallpaper::compose({{0, 0, 100, 100}}, {red_green}, kFill);
    ASSERT_TRUE(filled);
    expect_pixels(*filled, {{1, 1, kRed}, {98, 98, kGreen}});
}

TEST_F(Composing, ACameraPictureStandsUprightOnItsMonitor)
{
    // Stored 200x100 and marked as turned a quarter clockwise: upright it is
    // 100x200, its stored bottom-left (blue) quarter at the top left.
    const std::wstring camera = folder.file(L"camera.jpg");
    ASSERT_TRUE(write_file(camera, with_exif(quartered_jpeg_bytes(200, 100), 6)));
    std::unique_ptr<Gdiplus::Bitmap> bitmap = monitor_wallpaper::compose({{0, 0, 100, 200}, {100, 0, 200, 100}}, {camera, blue}, kStretch);
    ASSERT_TRUE(bitmap);
    Gdiplus::Color top_left, bottom_right;
    ASSERT_EQ(bitmap->GetPixel(10, 10, &top_left), Gdiplus::Ok);
    ASSERT_EQ(bitmap->GetPixel(90, 190, &bottom_right), Gdiplus::Ok);
    EXPECT_EQ(quarter_of(top_left), Quarter::Blue);
    EXPECT_EQ(quarter_of(bottom_right), Quarter::Green);
}

TEST_F(Composing, APictureThatDoesNotDecodeGivesNoBitmap)
{
    const std::wstring broken = folder.file(L"broken.jpg");
    ASSERT_TRUE(write_file(broken, std::string("\xFF\xD8\xFF\xE0 not a picture")));
    EXPECT_FALSE(monitor_wallpaper::compose({{0, 0, 100, 100}, {100, 0, 200, 100}}, {blue, broken}, kFit));
    EXPECT_FALSE(monitor_wallpaper::compose({{0, 0, 100, 100}}, {}, kFit));
    EXPECT_FALSE(monitor_wallpaper::compose({}, {blue}, kFit));
}
