#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "net/ImageCache_CL.h"

namespace {

// A picture that notes its key in `deleted` when the cache lets it go.
class TrackedPicture : public Gdiplus::Bitmap {
public:
    TrackedPicture(int key, std::multiset<int>& deleted) : Gdiplus::Bitmap(1, 1), key_(key), deleted_(deleted) {}
    ~TrackedPicture() override { deleted_.insert(key_); }

private:
    int key_;
    std::multiset<int>& deleted_;
};

class ImageCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

    Gdiplus::Image* store(ImageCache_CL& cache, int key)
    {
        auto picture = std::make_unique<TrackedPicture>(key, deleted);
        Gdiplus::Image* raw = picture.get();
        cache.store(key, std::move(picture));
        return raw;
    }

    std::multiset<int> deleted;

private:
    ULONG_PTR token_ = 0;
};

}  // namespace

TEST_F(ImageCache, AFullCacheEvictsTheLeastRecentlyUsedNotTheOldest)
{
    ImageCache_CL cache(300);
    for (int key = 0; key < 300; ++key) store(cache, key);
    ASSERT_NE(cache.find(0), nullptr);
    store(cache, 300);
    EXPECT_EQ(cache.count(), 300u);
    EXPECT_EQ(deleted, std::multiset<int>{1});
    EXPECT_EQ(cache.find(1), nullptr);
    EXPECT_NE(cache.find(0), nullptr);
    EXPECT_NE(cache.find(300), nullptr);
    store(cache, 301);  // 2 is now the least recently used
    EXPECT_EQ(deleted, (std::multiset<int>{1, 2}));
}

TEST_F(ImageCache, StoringAPresentKeyReplacesItsPictureAndEvictsNothingElse)
{
    ImageCache_CL cache(3);
    store(cache, 0);
    store(cache, 1);
    store(cache, 2);
    Gdiplus::Image* replacement = store(cache, 1);
    EXPECT_EQ(deleted, std::multiset<int>{1});
    EXPECT_EQ(cache.count(), 3u);
    EXPECT_EQ(cache.find(1), replacement);
    EXPECT_NE(cache.find(0), nullptr);
    EXPECT_NE(cache.find(2), nullptr);
}

TEST_F(ImageCache, AMissChangesNoOrder)
{
    ImageCache_CL cache(3);
    store(cache, 0);
    store(cache, 1);
    store(cache, 2);
    EXPECT_EQ(cache.find(7), nullptr);
    store(cache, 3);
    EXPECT_EQ(deleted, std::multiset<int>{0});
}

TEST_F(ImageCache, ClearAndDestructionDeleteEveryPicture)
{
    {
        ImageCache_CL cache(300);
        cache.clear();  // empty: nothing to do
        EXPECT_EQ(cache.count(), 0u);
        for (int key = 0; key < 5; ++key) store(cache, key);
        cache.clear();
        EXPECT_EQ(deleted, (std::multiset<int>{0, 1, 2, 3, 4}));
        EXPECT_EQ(cache.find(3), nullptr);
        store(cache, 9);
    }
    EXPECT_EQ(deleted, (std::multiset<int>{0, 1, 2, 3, 4, 9}));
}
