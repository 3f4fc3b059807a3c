#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"
#include "wallpaper/CandidateMerge.h"
#include "wallpaper/SharedRandom_CL.h"
#include "store/AppSettings_CL.h"

namespace {

ImageItem_CL photo(const std::wstring& key, int width = 2048, int height = 1536)
{
    ImageItem_CL item;
    item.key = key;
    item.sizes[5] = {width, height, L"https://farm.example/" + key + L"_o.jpg"};
    return item;
}

std::vector<ImageItem_CL> photos(const wchar_t* prefix, int count)
{
    std::vector<ImageItem_CL> items;
    for (int i = 0; i < count; ++i) items.push_back(photo(prefix + std::to_wstring(i)));
    return items;
}

class CandidateRunMerge : public ::testing::Test {
protected:
    testing_support::TempFolder documents;
    WallPaperItemBase_CL candidates;
    void SetUp() override { AppSettings.load(documents.path()); }
};

}  // namespace

TEST_F(CandidateRunMerge, AddsUpToTheLimitAtTheFrontLastAcceptedFirst)
{
    EXPECT_EQ(candidate_merge::photos_per_run(0), 10);
    EXPECT_EQ(candidate_merge::photos_per_run(8), 500);
    EXPECT_EQ(candidate_merge::photos_per_run(9), 100);
    candidates.items = photos(L"old", 2);
    EXPECT_EQ(candidate_merge::merge(candidates, photos(L"new", 25), 10), 10);
    ASSERT_EQ(candidates.items.size(), 12u);
    EXPECT_EQ(candidates.items[0].key, L"new9");
    EXPECT_EQ(candidates.items[9].key, L"new0");
    EXPECT_EQ(candidates.items[10].key, L"old0");
}

TEST_F(CandidateRunMerge, KnownPhotosAndSmallOrPortraitOnesDoNotCount)
{
    candidates.items = {photo(L"a")};
    std::vector<ImageItem_CL> fetched = {photo(L"a"), photo(L"portrait", 1200, 1600), photo(L"small", 1000, 700),
                                         photo(L"b"), photo(L"b"), ImageItem_CL(), photo(L"c")};
    EXPECT_EQ(candidate_merge::merge(candidates, fetched, 10), 2);
    ASSERT_EQ(candidates.items.size(), 3u);
    EXPECT_EQ(candidates.items[0].key, L"c");
    EXPECT_EQ(candidates.items[1].key, L"b");

    AppSettings.cand_width_long = 0;
    EXPECT_EQ(candidate_merge::merge(candidates, {photo(L"portrait", 1200, 1600)}, 10), 1);
    AppSettings.cand_width_long = 1;
}

TEST_F(CandidateRunMerge, AFullListStaysFullDroppingItsLastItems)
{
    candidates.items = photos(L"c", 30000);
    EXPECT_EQ(candidate_merge::merge(candidates, photos(L"n", 3), 10), 3);
    ASSERT_EQ(candidates.items.size(), 30000u);
    EXPECT_EQ(candidates.items[0].key, L"n2");
    EXPECT_EQ(candidates.items[3].key, L"c0");
    EXPECT_EQ(candidates.items.back().key, L"c29996");
}

TEST_F(CandidateRunMerge, ShuffleKeepsEveryPhotoOnce)
{
    std::vector<ImageItem_CL> items = photos(L"p", 500);
    SharedRandom_CL random;
    random.seed(7);
    candidate_merge::shuffle(items, random);
    std::set<std::wstring> keys;
    int moved = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        keys.insert(items[i].key);
        if (items[i].key != L"p" + std::to_wstring(i)) ++moved;
    }
    EXPECT_EQ(keys.size(), 500u);
    EXPECT_GT(moved, 250);
    std::vector<ImageItem_CL> none;
    candidate_merge::shuffle(none, random);
    EXPECT_TRUE(none.empty());
}
