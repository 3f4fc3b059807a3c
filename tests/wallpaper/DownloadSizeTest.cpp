#include <gtest/gtest.h>

#include "wallpaper/WallpaperChange.h"

namespace {

ImageItem_CL commons_picture(int width, int height)
{
    ImageItem_CL item;
    item.key = L"https://commons.wikimedia.org/wiki/File:Lake.jpg";
    item.sizes[ImageItem_CL::kSizeCount - 1] = {width, height,
                                                L"https://upload.wikimedia.org/wikipedia/commons/a/ab/Lake.jpg"};
    return item;
}

const std::wstring kThumbnails = L"https://upload.wikimedia.org/wikipedia/commons/thumb/a/ab/Lake.jpg/";

}  // namespace

TEST(DownloadSize, ACommonsPictureComesAtTheStandardWidthThatCoversTheScreenOrWhole)
{
    const ImageItem_CL large = commons_picture(6000, 4000);
    EXPECT_EQ(WallpaperChange::download_size(large, {1920, 1080}).url, kThumbnails + L"1920px-Lake.jpg");
    EXPECT_EQ(WallpaperChange::download_size(large, {1920, 1280}).height, 1280);
    // 1920 x 1280 does not cover 1920 x 1440; the next standard width does.
    EXPECT_EQ(WallpaperChange::download_size(large, {1920, 1440}).url, kThumbnails + L"3840px-Lake.jpg");
    EXPECT_EQ(WallpaperChange::download_size(large, {5120, 2880}).url, large.sizes[5].url);
    // Narrower than a standard width: the original, whatever the screen.
    const ImageItem_CL small = commons_picture(1800, 1200);
    EXPECT_EQ(WallpaperChange::download_size(small, {1280, 800}).url, small.sizes[5].url);

    // Anything else comes at its best size.
    ImageItem_CL photo = large;
    photo.key = L"http://farm3.staticflickr.com/7/1_s";
    photo.farm = 3;
    EXPECT_EQ(WallpaperChange::download_size(photo, {1280, 800}).url, large.sizes[5].url);
}
