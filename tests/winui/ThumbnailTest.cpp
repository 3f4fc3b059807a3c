#include <gtest/gtest.h>

#include "TestSupport.h"
#include "imaging/ImageEncoder.h"
#include "imaging/PictureDecode.h"

using namespace testing_support;

namespace {

class ThumbnailTest : public ::testing::Test {
protected:
    // The thumbnail of a file written with these bytes, and the quarter colour at its top-left corner.
    std::unique_ptr<Gdiplus::Image> thumbnail_of(const std::vector<unsigned char>& bytes, Quarter& top_left)
    {
        const std::wstring path = folder_.file(L"picture.jpg");
        EXPECT_TRUE(write_file(path, bytes));
        std::unique_ptr<Gdiplus::Image> thumbnail = decode_thumbnail(path, 144, 108);
        if (!thumbnail) return nullptr;
        Gdiplus::Bitmap copy(thumbnail->GetWidth(), thumbnail->GetHeight(), PixelFormat32bppRGB);
        {
            Gdiplus::Graphics graphics(&copy);
            graphics.DrawImage(thumbnail.get(), 0, 0, thumbnail->GetWidth(), thumbnail->GetHeight());
        }
        Gdiplus::Color colour;
        copy.GetPixel(3, 3, &colour);
        top_left = quarter_of(colour);
        return thumbnail;
    }

    GdiplusSession gdiplus_;
    TempFolder folder_;
};

}  // namespace

TEST_F(ThumbnailTest, TheCamerasThumbnailIsUsedWhenLargeEnoughAndTurnedLikeThePicture)
{
    // The embedded thumbnail is a gradient (blue top left, orange bottom right),
    // the picture itself quartered, so the corner tells which one was drawn.
    const std::vector<unsigned char> picture = quartered_jpeg_bytes(1200, 900);
    Quarter corner{};
    std::unique_ptr<Gdiplus::Image> thumbnail =
        thumbnail_of(with_exif(picture, 3, jpeg_bytes(160, 120), true), corner);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->GetWidth() * 1000 + thumbnail->GetHeight(), 144108u);
    EXPECT_EQ(corner, Quarter::Red);  // the gradient's orange corner, turned half round

    // Too small to fill the box: the picture itself, scaled, turned the same way.
    thumbnail = thumbnail_of(with_exif(picture, 3, jpeg_bytes(80, 60)), corner);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->GetWidth() * 1000 + thumbnail->GetHeight(), 144108u);
    EXPECT_EQ(corner, Quarter::White);
}

TEST_F(ThumbnailTest, SidewaysPicturesGiveUprightThumbnailsOfThePicturesShape)
{
    Quarter corner{};
    // No embedded thumbnail: scaled down and turned a quarter clockwise.
    std::unique_ptr<Gdiplus::Image> thumbnail = thumbnail_of(with_exif(quartered_jpeg_bytes(1200, 800), 6), corner);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->GetWidth() * 1000 + thumbnail->GetHeight(), 72108u);
    EXPECT_EQ(corner, Quarter::Blue);

    // A 3:2 picture with a camera's 4:3 thumbnail: only the part showing the
    // picture is used, so the thumbnail keeps the picture's shape.
    thumbnail = thumbnail_of(with_exif(quartered_jpeg_bytes(1200, 800), 8, jpeg_bytes(160, 120)), corner);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->GetWidth() * 1000 + thumbnail->GetHeight(), 72108u);

    // Another format under a JPEG name, and something nothing decodes.
    Gdiplus::Bitmap png(300, 200, PixelFormat24bppRGB);
    CLSID png_encoder;
    ASSERT_TRUE(find_image_encoder(L"image/png", png_encoder));
    ASSERT_EQ(png.Save(folder_.file(L"renamed.jpg").c_str(), &png_encoder, nullptr), Gdiplus::Ok);
    thumbnail = decode_thumbnail(folder_.file(L"renamed.jpg"), 144, 108);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->GetWidth() * 1000 + thumbnail->GetHeight(), 144096u);
    ASSERT_TRUE(write_file(folder_.file(L"text.jpg"), std::string("not a picture")));
    EXPECT_FALSE(decode_thumbnail(folder_.file(L"text.jpg"), 144, 108));
}
