#include <gtest/gtest.h>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "mainwindow/MyPictureImage_CL.h"
#include "winui/CommunicateWait_CL.h"

using namespace testing_support;
using ui_testing::pump_until;

namespace {

bool is_black(Gdiplus::Bitmap& bitmap, int x, int y)
{
    Gdiplus::Color colour;
    bitmap.GetPixel(x, y, &colour);
    return (colour.GetValue() & 0x00FFFFFF) == 0;
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(preview_.create(host_.hwnd(), 0x1125, 400, 300, 0, 0), nullptr);
        // The checks below are in pixels, whatever the DPI.
        preview_.resize(400, 300, true);
    }
    void TearDown() override
    {
        preview_.stop_downloads();
        DestroyWindow(preview_.window());
    }

    GdiplusSession gdiplus_;
    TempFolder folder_;
    ui_testing::HostWindow host_{500, 400, true};
    CommunicateWait_CL indicator_;  // before the preview: its loads hold busy periods on it
    MyPictureImage_CL preview_;
};

}  // namespace

TEST_F(PreviewTest, PortraitPhotoFillsTheHeightBetweenBlackBars)
{
    ASSERT_TRUE(make_jpeg(folder_.file(L"portrait.jpg"), 300, 600));
    preview_.load(folder_.file(L"portrait.jpg"));
    ASSERT_TRUE(pump_until([&] { return preview_.holds_picture(); }));
    RedrawWindow(preview_.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    Gdiplus::Bitmap* buffer = preview_.back_buffer().bitmap();
    ASSERT_NE(buffer, nullptr);
    ASSERT_EQ(buffer->GetWidth(), 400u);
    ASSERT_EQ(buffer->GetHeight(), 300u);
    // 150 pixels wide, centred: from 125 to 275.
    EXPECT_TRUE(is_black(*buffer, 5, 150));
    EXPECT_TRUE(is_black(*buffer, 120, 150));
    EXPECT_FALSE(is_black(*buffer, 130, 150));
    EXPECT_FALSE(is_black(*buffer, 200, 1));
    EXPECT_FALSE(is_black(*buffer, 200, 298));
    EXPECT_TRUE(is_black(*buffer, 280, 150));
    EXPECT_TRUE(is_black(*buffer, 395, 150));
}

TEST_F(PreviewTest, SaveBytesWritesExactlyWhatWasLoaded)
{
    const std::wstring target = folder_.file(L"saved.jpg");
    EXPECT_EQ(preview_.save_bytes(target), E_FAIL);
    EXPECT_TRUE(file_exists(target));
    EXPECT_TRUE(read_file(target).empty());

    const std::vector<unsigned char> jpeg = jpeg_bytes(64, 48);
    ASSERT_TRUE(serve_file(L"preview/photo.jpg", std::string(jpeg.begin(), jpeg.end())));
    preview_.load(http_url(L"preview/photo.jpg"));
    ASSERT_TRUE(pump_until([&] { return preview_.holds_picture(); }));
    EXPECT_EQ(preview_.save_bytes(target), S_OK);
    EXPECT_EQ(read_file(target), jpeg);
}

TEST_F(PreviewTest, APictureStoredSidewaysIsShownUpright)
{
    // 600 x 300 as stored, turned a quarter by its Exif tag: 300 x 600 upright.
    ASSERT_TRUE(write_file(folder_.file(L"sideways.jpg"), with_exif(quartered_jpeg_bytes(600, 300), 6)));
    preview_.load(folder_.file(L"sideways.jpg"));
    ASSERT_TRUE(pump_until([&] { return preview_.holds_picture(); }));
    RedrawWindow(preview_.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    Gdiplus::Bitmap* buffer = preview_.back_buffer().bitmap();
    ASSERT_NE(buffer, nullptr);
    EXPECT_TRUE(is_black(*buffer, 120, 150));
    EXPECT_TRUE(is_black(*buffer, 280, 150));
    Gdiplus::Color top_left, bottom_right;
    buffer->GetPixel(130, 5, &top_left);
    buffer->GetPixel(270, 295, &bottom_right);
    EXPECT_EQ(quarter_of(top_left), Quarter::Blue);
    EXPECT_EQ(quarter_of(bottom_right), Quarter::Green);
}

// Each load keeps the indicator busy until its picture arrives or its request
// is dropped: more loads than the queue holds, while one downloads, still
// leave the indicator idle in the end.
TEST_F(PreviewTest, EveryLoadEndsItsBusyPeriodEvenWhenDroppedFromTheQueue)
{
    ASSERT_NE(indicator_.create(host_.hwnd()), nullptr);
    preview_.set_busy_indicator(&indicator_);
    ASSERT_TRUE(make_jpeg(folder_.file(L"local.jpg"), 64, 48));
    const std::wstring gated = L"preview/" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                               std::to_wstring(GetTickCount()) + L"/busy.jpg";
    const std::vector<unsigned char> jpeg = jpeg_bytes(64, 48);
    ASSERT_TRUE(serve_file(gated, std::string(jpeg.begin(), jpeg.end())));
    preview_.load(http_url(L"_gate/" + gated));
    ASSERT_TRUE(wait_for_http_request(L"_gate/" + gated, 20000));
    for (int i = 0; i < 12; ++i) preview_.load(folder_.file(L"local.jpg"));
    EXPECT_EQ(indicator_.busy_count(), 11);  // the download under way and the ten the queue keeps

    ASSERT_TRUE(serve_file(L"_gate/" + gated + L".open", ""));
    EXPECT_TRUE(pump_until([&] { return indicator_.busy_count() == 0; }));
    EXPECT_TRUE(preview_.holds_picture());
}
