#include <gtest/gtest.h>

#include "photoservice/ScreenFit.h"

namespace {

using Sizes = std::vector<ImageItem_CL::Size>;

ImageItem_CL::Size offered(int width, int height)
{
    return {width, height, L"https://live.staticflickr.com/" + std::to_wstring(width) + L".jpg"};
}

// What the service offers of a 24-megapixel landscape, smallest first.
const Sizes kLandscape = {offered(640, 427), offered(1024, 683), offered(1600, 1067), offered(2048, 1365),
                          offered(3072, 2048), offered(4096, 2731), offered(6000, 4000)};

}  // namespace

TEST(ScreenFit, TheSmallestSizeCoveringBothSidesOfTheScreen)
{
    EXPECT_EQ(screen_fit(kLandscape, SIZE{1920, 1080}), 3u);
    EXPECT_EQ(screen_fit(kLandscape, SIZE{1600, 1067}), 2u) << "a size exactly the screen's covers it";
    EXPECT_EQ(screen_fit(kLandscape, SIZE{1280, 1400}), 4u) << "the height decides as much as the width";
    EXPECT_EQ(screen_fit(kLandscape, SIZE{3840, 2160}), 5u);
    // The order the source lists them in does not matter.
    const Sizes reversed(kLandscape.rbegin(), kLandscape.rend());
    EXPECT_EQ(reversed[screen_fit(reversed, SIZE{1920, 1080})].width, 2048);
}

TEST(ScreenFit, TheLargestWhenNoneCovers)
{
    EXPECT_EQ(screen_fit(kLandscape, SIZE{7680, 4320}), 6u);
    // A portrait on a landscape screen: its width never covers, the largest is taken.
    const Sizes portrait = {offered(1365, 2048), offered(683, 1024), offered(2731, 4096)};
    EXPECT_EQ(screen_fit(portrait, SIZE{3840, 2160}), 2u);
    EXPECT_EQ(screen_fit(portrait, SIZE{1080, 1920}), 0u);
}

TEST(ScreenFit, SizesWithoutAnAddressOrPixelsAreNeverChosen)
{
    EXPECT_EQ(screen_fit({}, SIZE{1920, 1080}), kNoFit);
    Sizes sizes = {{2048, 1365, L""}, {0, 0, L"https://x/0.jpg"}, {-5, 2000, L"https://x/n.jpg"}, offered(1024, 683)};
    EXPECT_EQ(screen_fit(sizes, SIZE{1920, 1080}), 3u);
    sizes.pop_back();
    EXPECT_EQ(screen_fit(sizes, SIZE{1920, 1080}), kNoFit);
}
