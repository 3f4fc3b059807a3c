#include <gtest/gtest.h>

#include <map>
#include <set>

#include "TestSupport.h"
#include "wallpaper/LocalImageItem.h"
#include "wallpaper/MyFindFileIcon_CL.h"
#include "wallpaper/SharedRandom_CL.h"
#include "wallpaper/WallpaperChooser.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
#include "store/SettingsKeys.h"

using namespace testing_support;

namespace {

ImageItem_CL photo(const std::wstring& key)
{
    ImageItem_CL item;
    item.key = key;
    item.sizes[5] = {1600, 1200, L"https://farm.example/" + key + L"_o.jpg"};
    return item;
}

std::vector<ImageItem_CL> photos(const wchar_t* prefix, int count)
{
    std::vector<ImageItem_CL> items;
    for (int i = 0; i < count; ++i) items.push_back(photo(prefix + std::to_wstring(i)));
    return items;
}

// The names the tray's walk finds in a folder tree.
LocalFileNames walk(const std::wstring& folder)
{
    MyFindFileIcon_CL finder;
    finder.scan(folder + L"\\*.*", true);
    return std::move(finder.names);
}

std::set<std::wstring> paths_of(const LocalFileNames& names)
{
    std::set<std::wstring> paths;
    for (size_t i = 0; i < names.size(); ++i) paths.insert(names.folder(i) + L"\\" + names.name(i));
    return paths;
}

class Chooser : public ::testing::Test {
protected:
    TempFolder documents;
    GdiplusSession gdiplus;
    SharedRandom_CL random;
    void SetUp() override
    {
        AppSettings.load(documents.path());
        random.seed(42);
    }
    void save(const std::wstring& path, const std::vector<ImageItem_CL>& items)
    {
        WallPaperItemBase_CL list;
        list.set_path(path);
        list.items = items;
        ASSERT_EQ(list.save(), S_OK);
    }
};

}  // namespace

TEST_F(Chooser, EveryItemOfEverySourceCanBeDrawnAndTheHistoryIsAvoided)
{
    TempFolder pictures;
    ASSERT_TRUE(make_jpeg(pictures.file(L"l0.jpg"), 20, 10));
    ASSERT_TRUE(make_jpeg(pictures.file(L"l1.jpg"), 20, 10));
    const auto favorites = photos(L"f", 2), candidates = photos(L"c", 3);
    const LocalFileNames local = walk(pictures.path());
    WallPaperItemBase_CL history;
    history.items = {candidates[1], local_image::named_item(pictures.path(), L"l1.jpg")};
    std::set<std::wstring> seen;
    for (int i = 0; i < 600; ++i) {
        ImageItem_CL drawn;
        ASSERT_TRUE(wallpaper_chooser::draw(favorites, candidates, local, history, random, drawn));
        seen.insert(drawn.key);
    }
    EXPECT_EQ(seen, (std::set<std::wstring>{L"f0", L"f1", L"c0", L"c2", pictures.file(L"l0.jpg")}));
}

TEST_F(Chooser, WhenEverythingIsInTheHistoryOneOfThemIsUsedAnyway)
{
    const auto favorites = photos(L"f", 3);
    WallPaperItemBase_CL history;
    history.items = favorites;
    ImageItem_CL drawn;
    ASSERT_TRUE(wallpaper_chooser::draw(favorites, {}, {}, history, random, drawn));
    EXPECT_TRUE(history.find(drawn));
}

TEST_F(Chooser, ItemsWithoutAnAddressAreNeverDrawnAndEmptySourcesDrawNothing)
{
    std::vector<ImageItem_CL> favorites = {ImageItem_CL(), photo(L"ok"), ImageItem_CL()};
    favorites[0].key = L"no-size";
    WallPaperItemBase_CL history;
    for (int i = 0; i < 100; ++i) {
        ImageItem_CL drawn;
        ASSERT_TRUE(wallpaper_chooser::draw(favorites, {}, {}, history, random, drawn));
        ASSERT_EQ(drawn.key, L"ok");
    }
    ImageItem_CL drawn;
    EXPECT_FALSE(wallpaper_chooser::draw({ImageItem_CL()}, {}, {}, history, random, drawn));
    EXPECT_FALSE(wallpaper_chooser::draw({}, {}, {}, history, random, drawn));
}

TEST_F(Chooser, DrawsReachBeyondTheFirst32768Items)
{
    const auto candidates = photos(L"c", 40000);
    WallPaperItemBase_CL history;
    int beyond = 0;
    for (int i = 0; i < 200; ++i) {
        ImageItem_CL drawn;
        ASSERT_TRUE(wallpaper_chooser::draw({}, candidates, {}, history, random, drawn));
        if (std::stoi(drawn.key.substr(1)) >= 32768) ++beyond;
    }
    EXPECT_GT(beyond, 10);
}

TEST_F(Chooser, ChoosesFromTheListFilesOfTheSourcesThatAreOn)
{
    save(AppSettings.favorites_path(), photos(L"fav", 3));
    save(AppSettings.candidates_path(), photos(L"cand", 3));
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 0);
    for (int i = 0; i < 30; ++i) {
        ImageItem_CL drawn;
        ASSERT_TRUE(wallpaper_chooser::choose_next(drawn));
        EXPECT_EQ(drawn.key.substr(0, 3), L"fav");
    }
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0);
    ImageItem_CL drawn;
    EXPECT_FALSE(wallpaper_chooser::choose_next(drawn));
}

TEST_F(Chooser, TheWalkTakesJpegNamesOfEveryFolderWithoutOpeningAFile)
{
    TempFolder pictures;
    CreateDirectoryW(pictures.file(L"sub.dir").c_str(), nullptr);
    CreateDirectoryW(pictures.file(L"sub.dir\\deeper").c_str(), nullptr);
    ASSERT_TRUE(make_jpeg(pictures.file(L"IMG.JPG"), 64, 48));
    ASSERT_TRUE(make_jpeg(pictures.file(L"b.jpeg"), 30, 20));
    ASSERT_TRUE(make_jpeg(pictures.file(L"c.png"), 30, 20));
    ASSERT_TRUE(make_jpeg(pictures.file(L"sub.dir\\deeper\\d.jpg"), 17, 33));
    ASSERT_TRUE(make_jpeg(pictures.file(L"sub.dir\\e.Jpg"), 17, 33));
    ASSERT_TRUE(write_file(pictures.file(L"text.jpg"), std::string("not a picture")));
    ASSERT_TRUE(write_file(pictures.file(L"sub.dir\\noext"), std::string("x")));
    // Held open by someone else without sharing: the walk still names it.
    ASSERT_TRUE(make_jpeg(pictures.file(L"busy.jpg"), 10, 10));
    const KernelHandle held(CreateFileW(pictures.file(L"busy.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    EXPECT_EQ(paths_of(walk(pictures.path())),
              (std::set<std::wstring>{pictures.file(L"IMG.JPG"), pictures.file(L"b.jpeg"), pictures.file(L"text.jpg"),
                                      pictures.file(L"busy.jpg"), pictures.file(L"sub.dir\\e.Jpg"),
                                      pictures.file(L"sub.dir\\deeper\\d.jpg")}));
}

TEST_F(Chooser, OnlyReadablePicturesAreDrawnAndTheirRecordsAreComplete)
{
    TempFolder pictures;
    CreateDirectoryW(pictures.file(L"sub").c_str(), nullptr);
    ASSERT_TRUE(make_jpeg(pictures.file(L"IMG.JPG"), 64, 48));
    ASSERT_TRUE(make_jpeg(pictures.file(L"sub\\d.jpeg"), 17, 33));
    ASSERT_TRUE(write_file(pictures.file(L"text.jpg"), std::string("not a picture")));
    ASSERT_TRUE(write_file(pictures.file(L"sub\\empty.jpg"), std::string()));
    ASSERT_TRUE(make_jpeg(pictures.file(L"busy.jpg"), 10, 10));
    const KernelHandle held(CreateFileW(pictures.file(L"busy.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    const LocalFileNames local = walk(pictures.path());
    ASSERT_EQ(local.size(), 5u);

    WallPaperItemBase_CL history;
    std::map<std::wstring, ImageItem_CL> drawn_by_path;
    for (int i = 0; i < 200; ++i) {
        ImageItem_CL drawn;
        ASSERT_TRUE(wallpaper_chooser::draw({}, {}, local, history, random, drawn));
        drawn_by_path[drawn.localPath] = drawn;
    }
    ASSERT_EQ(drawn_by_path.size(), 2u);
    const ImageItem_CL& deep = drawn_by_path[pictures.file(L"sub\\d.jpeg")];
    EXPECT_EQ(deep.key, deep.localPath);
    EXPECT_EQ(deep.title, L"d.jpeg");
    EXPECT_EQ(deep.localWidth, 17);
    EXPECT_EQ(deep.localHeight, 33);
    EXPECT_EQ(deep.farm, -1);
    EXPECT_EQ(deep.license, -1);
    EXPECT_EQ(deep.media, L"photo");
    EXPECT_EQ(deep.dateTaken.size(), 19u);
    EXPECT_NE(deep.dateTaken, L"??~~?? ??:??:??");
    EXPECT_EQ(drawn_by_path[pictures.file(L"IMG.JPG")].localWidth, 64);

    // Nothing readable at all: nothing to install.
    TempFolder junk;
    ASSERT_TRUE(write_file(junk.file(L"a.jpg"), std::string("no")));
    ASSERT_TRUE(write_file(junk.file(L"b.jpg"), std::string("nor this")));
    ImageItem_CL drawn;
    EXPECT_FALSE(wallpaper_chooser::draw({}, {}, walk(junk.path()), history, random, drawn));
}

// A rejected file must not hand its chance to a neighbour: every readable
// picture stays equally likely however the junk lies among them.
TEST_F(Chooser, PicturesBesideUnreadableFilesAreNoMoreLikelyThanOthers)
{
    TempFolder pictures;
    for (const wchar_t* name : {L"0.jpg", L"2.jpg", L"5.jpg", L"6.jpg"}) ASSERT_TRUE(make_jpeg(pictures.file(name), 8, 8));
    for (const wchar_t* name : {L"1.jpg", L"3.jpg", L"4.jpg", L"7.jpg"})
        ASSERT_TRUE(write_file(pictures.file(name), std::string("junk")));
    const LocalFileNames local = walk(pictures.path());
    WallPaperItemBase_CL history;
    std::map<std::wstring, int> counts;
    constexpr int kDraws = 4000;
    for (int i = 0; i < kDraws; ++i) {
        ImageItem_CL drawn;
        ASSERT_TRUE(wallpaper_chooser::draw({}, {}, local, history, random, drawn));
        ++counts[drawn.title];
    }
    ASSERT_EQ(counts.size(), 4u);
    for (const auto& entry : counts) {
        EXPECT_GT(entry.second, kDraws / 4 * 85 / 100) << entry.first;
        EXPECT_LT(entry.second, kDraws / 4 * 115 / 100) << entry.first;
    }
}

TEST_F(Chooser, TheLocalFolderOfTheSettingsIsWalkedAtEveryChange)
{
    TempFolder pictures;
    CreateDirectoryW(pictures.file(L"sub").c_str(), nullptr);
    ASSERT_TRUE(make_jpeg(pictures.file(L"sub\\only.jpg"), 40, 30));
    ASSERT_TRUE(write_file(pictures.file(L"text.jpg"), std::string("not a picture")));
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 0);
    AppInifile.write_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit, pictures.path());
    ImageItem_CL drawn;
    ASSERT_TRUE(wallpaper_chooser::choose_next(drawn));
    EXPECT_EQ(drawn.localPath, pictures.file(L"sub\\only.jpg"));
    EXPECT_EQ(drawn.localWidth, 40);
    EXPECT_EQ(AppSettings.local_folder, pictures.path());

    // What changed in the folder counts at the next change.
    ASSERT_TRUE(DeleteFileW(pictures.file(L"sub\\only.jpg").c_str()));
    ASSERT_TRUE(make_jpeg(pictures.file(L"new.JPEG"), 30, 40));
    ASSERT_TRUE(wallpaper_chooser::choose_next(drawn));
    EXPECT_EQ(drawn.localPath, pictures.file(L"new.JPEG"));

    // No folder is no source, never the root of the drive.
    AppInifile.write_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit, L"");
    EXPECT_FALSE(wallpaper_chooser::choose_next(drawn));
}

TEST(LocalImage, OnlyJpegExtensionsAfterTheLastBackslashCount)
{
    EXPECT_TRUE(local_image::has_jpeg_extension(L"IMG.JPG"));
    EXPECT_TRUE(local_image::has_jpeg_extension(L"b.JpEg"));
    EXPECT_FALSE(local_image::has_jpeg_extension(L"c.png"));
    EXPECT_FALSE(local_image::has_jpeg_extension(L"my.jpg\\photo"));
    EXPECT_FALSE(local_image::has_jpeg_extension(L"jpg"));
    EXPECT_FALSE(local_image::has_jpeg_extension(L"x.jpgx"));
}

TEST_F(Chooser, APicturePerMonitorIsDistinctAndAvoidsTheHistory)
{
    const auto favorites = photos(L"f", 3), candidates = photos(L"c", 2);
    WallPaperItemBase_CL history;
    history.items = {favorites[0], candidates[1]};
    for (int round = 0; round < 200; ++round) {
        std::vector<ImageItem_CL> drawn;
        ASSERT_TRUE(wallpaper_chooser::draw_several(favorites, candidates, {}, history, random, 3, drawn));
        ASSERT_EQ(drawn.size(), 3u);
        const std::set<std::wstring> keys = {drawn[0].key, drawn[1].key, drawn[2].key};
        EXPECT_EQ(keys, (std::set<std::wstring>{L"f1", L"f2", L"c0"}));
    }
    // Once the pictures outside the history are taken, history pictures fill in, still distinct.
    std::vector<ImageItem_CL> drawn;
    ASSERT_TRUE(wallpaper_chooser::draw_several(favorites, candidates, {}, history, random, 5, drawn));
    const std::set<std::wstring> keys = {drawn[0].key, drawn[1].key, drawn[2].key, drawn[3].key, drawn[4].key};
    EXPECT_EQ(keys.size(), 5u);
    // Fewer usable pictures than monitors: they repeat rather than leave a monitor out.
    ASSERT_TRUE(wallpaper_chooser::draw_several(photos(L"only", 1), {}, {}, history, random, 2, drawn));
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].key, L"only0");
    EXPECT_EQ(drawn[1].key, L"only0");
    EXPECT_FALSE(wallpaper_chooser::draw_several({}, {}, {}, history, random, 2, drawn));
}
