#include <gtest/gtest.h>

#include "TabsTestSupport.h"
#include "UiTestSupport.h"
#include "base/Mutex_CL.h"
#include "store/AppSettings_CL.h"
#include "winui/CommunicateWait_CL.h"
#include "wallpaper/ItemCommands.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "mainwindow/MyPictureImage_CL.h"
#include "mainwindow/tabs/SearchTabView_CL.h"

using namespace testing_support;
using namespace tabs_testing;

namespace {

class ItemCommandsTest : public MainWindowFixture {
protected:
    // A favourite whose picture is a copy in the favourite-image folder.
    ImageItem_CL favourite(int n)
    {
        const std::wstring file = AppSettings.favorite_folder + L"\\WallPaper_0000" + std::to_wstring(n) + L".jpg";
        EXPECT_TRUE(CopyFileW(picture_.c_str(), file.c_str(), FALSE));
        return local_record(file, L"favourite " + std::to_wstring(n));
    }
    std::vector<MenuRow> list_menu(int tab)
    {
        return capture_menu([&] {
            SendMessageW(hwnd(), MyFlickerListBox_CL::kChildRightClick, MainWindow_CL::kFirstListId + tab, 0);
        });
    }
    std::vector<MenuRow> preview_menu()
    {
        return capture_menu([&] { SendMessageW(hwnd(), MyPictureImage_CL::kChildRightClick, MainWindow_CL::kPreviewId, 0); });
    }
};

std::vector<UINT> greyed_ids(const std::vector<MenuRow>& rows)
{
    std::vector<UINT> ids;
    for (const MenuRow& row : rows)
        if (row.greyed) ids.push_back(row.id);
    return ids;
}

std::vector<std::wstring> keys_of(const std::vector<ImageItem_CL>& items)
{
    std::vector<std::wstring> keys;
    for (const ImageItem_CL& item : items) keys.push_back(item.key);
    return keys;
}

}  // namespace

TEST_F(ItemCommandsTest, RemovingThreeFavouritesDeletesOnlyTheCaretPictureAndAllThreeRecords)
{
    std::vector<ImageItem_CL> favourites;
    for (int i = 0; i < 5; ++i) favourites.push_back(favourite(i));
    write_list(AppSettings.favorites_path(), favourites);
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 5));

    select_rows(1, {1, 2, 4}, 2);
    command(MainWindow_CL::kRemoveFavourites);
    EXPECT_EQ(keys_of(read_list(AppSettings.favorites_path())),
              (std::vector<std::wstring>{favourites[0].key, favourites[3].key}));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(file_exists(favourites[i].localPath), i != 2) << i;
    EXPECT_TRUE(wait_for_rows(1, 2));
    EXPECT_EQ(tab_text(strip(), 1), L"お気に入りの壁紙(2)");
}

TEST_F(ItemCommandsTest, RemovingAFavouriteNeverDeletesAFileOutsideTheFavouriteFolder)
{
    const std::wstring sneaky = AppSettings.favorite_folder + L"\\..\\mine.jpg";
    ASSERT_TRUE(CopyFileW(picture_.c_str(), documents_.file(L"mine.jpg").c_str(), FALSE));
    write_list(AppSettings.favorites_path(), {local_record(picture_, L"user's own"), local_record(sneaky, L"dots")});
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 2));
    select_rows(1, {0}, 0);
    command(MainWindow_CL::kRemoveFavourites);
    ASSERT_TRUE(wait_for_rows(1, 1));
    select_rows(1, {0}, 0);
    command(MainWindow_CL::kRemoveFavourites);
    EXPECT_TRUE(read_list(AppSettings.favorites_path()).empty());
    EXPECT_TRUE(file_exists(picture_));
    EXPECT_TRUE(file_exists(documents_.file(L"mine.jpg")));
}

TEST_F(ItemCommandsTest, AddingToAFullCandidateListDropsTheOldestAndKeepsALocalPathOnlyForLocalRecords)
{
    std::vector<ImageItem_CL> full;
    for (size_t i = 0; i < item_commands::kCandidateLimit; ++i)
        full.push_back(service_record(L"k" + std::to_wstring(i), L"http://example.invalid/p.jpg"));
    write_list(AppSettings.candidates_path(), full);
    AppSettings.load_all_lists();

    ImageItem_CL photo = service_record(L"new", L"http://example.invalid/n.jpg");
    photo.localPath = picture_;
    photo.localWidth = 320;
    ASSERT_TRUE(item_commands::add_candidate(photo));
    ASSERT_TRUE(item_commands::add_candidate(local_record(picture_, L"local")));
    const std::vector<ImageItem_CL> saved = read_list(AppSettings.candidates_path());
    ASSERT_EQ(saved.size(), item_commands::kCandidateLimit);
    EXPECT_EQ(saved[0].localPath, picture_);
    EXPECT_EQ(saved[1].key, L"new");
    EXPECT_TRUE(saved[1].localPath.empty());
    EXPECT_EQ(saved[1].localWidth, 0);
    EXPECT_EQ(saved[2].key, L"k0");
    EXPECT_EQ(saved.back().key, L"k" + std::to_wstring(item_commands::kCandidateLimit - 3));
    EXPECT_EQ(AppSettings.candidates.items.size(), item_commands::kCandidateLimit);

    // A record already listed moves to the front instead of being listed twice.
    ASSERT_TRUE(item_commands::add_candidate(service_record(L"k5", L"http://example.invalid/p.jpg")));
    const std::vector<ImageItem_CL> again = read_list(AppSettings.candidates_path());
    EXPECT_EQ(again.size(), item_commands::kCandidateLimit);
    EXPECT_EQ(again[0].key, L"k5");
    EXPECT_EQ(again[8].key, L"k6");
}

TEST_F(ItemCommandsTest, ATrayChangeBetweenTwoCommandsSurvives)
{
    write_list(AppSettings.favorites_path(), {local_record(picture_, L"a"), local_record(documents_.file(L"b.jpg"), L"b")});
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 2));
    select_rows(1, {0}, 0);
    command(MainWindow_CL::kAddToCandidates);

    // The tray process adds a candidate of its own, and says nothing yet.
    std::vector<ImageItem_CL> candidates = read_list(AppSettings.candidates_path());
    candidates.push_back(service_record(L"tray", L"http://example.invalid/t.jpg"));
    write_list(AppSettings.candidates_path(), candidates);

    select_rows(1, {1}, 1);
    command(MainWindow_CL::kAddToCandidates);
    EXPECT_EQ(keys_of(read_list(AppSettings.candidates_path())),
              (std::vector<std::wstring>{documents_.file(L"b.jpg"), picture_, L"tray"}));
    EXPECT_EQ(tab_text(strip(), 2), L"壁紙候補(3)");
}

TEST_F(ItemCommandsTest, ListMenusGreyByTheSelection)
{
    write_list(AppSettings.favorites_path(), {local_record(picture_, L"a"), service_record(L"s", L"http://example.invalid/s.jpg")});
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 2));

    select_rows(1, {}, 0);
    const std::vector<MenuRow> none = list_menu(1);
    ASSERT_EQ(none.size(), 6u);
    EXPECT_EQ(none[1].id, MainWindow_CL::kRemoveFavourites);
    EXPECT_EQ(greyed_ids(none), (std::vector<UINT>{0x1000, 0x1021, 0x1030, 0x1040}));

    select_rows(1, {0, 1}, 1);
    EXPECT_EQ(greyed_ids(list_menu(1)), (std::vector<UINT>{0x1000, 0x1030, 0x1040}));

    select_rows(1, {0}, 0);  // a local file has no photographer
    EXPECT_EQ(greyed_ids(list_menu(1)), (std::vector<UINT>{0x1030, 0x1040}));

    select_rows(1, {1}, 1);
    EXPECT_TRUE(greyed_ids(list_menu(1)).empty());
}

TEST_F(ItemCommandsTest, PreviewMenuGreysWhatTheFetchedPhotoCameFrom)
{
    write_list(AppSettings.favorites_path(), {local_record(picture_, L"fav")});
    write_list(AppSettings.candidates_path(), {local_record(picture_, L"cand")});
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 1));
    select_rows(1, {0}, 0);
    ASSERT_TRUE(get_photo());
    EXPECT_EQ(greyed_ids(preview_menu()), (std::vector<UINT>{0x1020, 0x1030, 0x1040}));

    select_tab(2);
    ASSERT_TRUE(wait_for_rows(2, 1));
    select_rows(2, {0}, 0);
    ASSERT_TRUE(get_photo());
    EXPECT_EQ(greyed_ids(preview_menu()), (std::vector<UINT>{0x1013, 0x1030, 0x1040}));
}

TEST_F(ItemCommandsTest, SaveAsFavouriteCopiesThePreviewsPicture)
{
    write_list(AppSettings.history_path(), {local_record(picture_, L"old wallpaper")});
    open();
    select_tab(6);
    ASSERT_TRUE(wait_for_rows(6, 1));
    select_rows(6, {0}, 0);
    ASSERT_TRUE(get_photo());
    command(MainWindow_CL::kSaveFavourite);
    const std::vector<ImageItem_CL> favourites = read_list(AppSettings.favorites_path());
    ASSERT_EQ(favourites.size(), 1u);
    EXPECT_EQ(favourites[0].localPath, AppSettings.favorite_folder + L"\\WallPaper_00000.jpg");
    EXPECT_EQ(favourites[0].localWidth, 320);
    EXPECT_EQ(favourites[0].title, L"old wallpaper");
    EXPECT_EQ(read_file(favourites[0].localPath), read_file(picture_));
    EXPECT_EQ(tab_text(strip(), 1), L"お気に入りの壁紙(1)");
}

TEST_F(ItemCommandsTest, SetAsWallpaperInstallsThePreviewAndRecordsIt)
{
    write_list(AppSettings.favorites_path(), {local_record(picture_, L"chosen")});
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 1));
    select_rows(1, {0}, 0);
    ASSERT_TRUE(get_photo());
    ASSERT_TRUE(set_as_wallpaper());
    EXPECT_EQ(read_file(AppSettings.now_picture_path()), read_file(picture_));
    EXPECT_TRUE(file_exists(AppSettings.now_bitmap_path()));
    const std::vector<ImageItem_CL> now = read_list(AppSettings.now_items_path());
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(now[0].title, L"chosen");
    EXPECT_EQ(keys_of(read_list(AppSettings.history_path())), (std::vector<std::wstring>{picture_}));
    EXPECT_EQ(tab_text(strip(), 6), L"最近設定した壁紙(1)");
    EXPECT_NE(AppInifile.read_string(L"WALL_PAPER_INFO", L"update_datetime"), L"");
}

// The install runs on a worker: while it waits (here for the file mutex, held
// by this thread, the window's own) the window answers, the indicator shows,
// and a second request, for another picture, is refused as busy.
TEST_F(ItemCommandsTest, SetAsWallpaperInstallsOnAWorkerAndRefusesASecondRequestMeanwhile)
{
    const std::wstring other = documents_.file(L"other.jpg");
    ASSERT_TRUE(CopyFileW(picture_.c_str(), other.c_str(), FALSE));
    write_list(AppSettings.favorites_path(), {local_record(picture_, L"chosen"), local_record(other, L"other")});
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 2));
    select_rows(1, {0}, 0);
    ASSERT_TRUE(get_photo());
    {
        Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
        ASSERT_TRUE(lock.held());
        command(MainWindow_CL::kSetWallpaper);
        EXPECT_GT(window_->indicator()->busy_count(), 0);
        EXPECT_FALSE(file_exists(AppSettings.now_items_path()));
        select_rows(1, {1}, 1);
        command(MainWindow_CL::kGetPhoto);
        command(MainWindow_CL::kSetWallpaper);
    }
    ASSERT_TRUE(ui_testing::pump_until([&] { return window_->indicator()->busy_count() == 0; }));
    const std::vector<ImageItem_CL> now = read_list(AppSettings.now_items_path());
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(now[0].title, L"chosen");
    EXPECT_EQ(keys_of(read_list(AppSettings.history_path())), (std::vector<std::wstring>{picture_}));
    EXPECT_EQ(tab_text(strip(), 6), L"最近設定した壁紙(1)");
}

TEST_F(ItemCommandsTest, SetAsWallpaperWithAnUndecodablePictureChangesNothing)
{
    const std::wstring broken = documents_.file(L"broken.jpg");
    ASSERT_TRUE(write_file(broken, std::string("not a picture at all")));
    write_list(AppSettings.favorites_path(), {local_record(broken, L"broken")});
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 1));
    select_rows(1, {0}, 0);
    command(MainWindow_CL::kGetPhoto);
    ASSERT_TRUE(ui_testing::pump_until([&] { return window_->preview()->holds_picture(); }));
    ASSERT_TRUE(set_as_wallpaper());
    EXPECT_FALSE(file_exists(AppSettings.now_picture_path()));
    EXPECT_FALSE(file_exists(AppSettings.now_items_path()));
    EXPECT_TRUE(read_list(AppSettings.history_path()).empty());
}

TEST_F(ItemCommandsTest, PhotographerCommandsActOnThePictureOrTheRowTheirMenuWasOpenedOn)
{
    ImageItem_CL alice = local_record(picture_, L"by alice");
    alice.ownerName = L"alice";
    ImageItem_CL bob = local_record(documents_.file(L"bob.jpg"), L"by bob");
    bob.ownerName = L"bob";
    write_list(AppSettings.favorites_path(), {alice, bob});
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 2));
    select_rows(1, {0}, 0);
    ASSERT_TRUE(get_photo());
    select_rows(1, {1}, 1);
    const auto& user_tab = *static_cast<SearchTabView_CL*>(window_->tab_view(5));

    // The preview shows alice's photo while bob's row is selected.
    capture_menu([&] { SendMessageW(hwnd(), MyPictureImage_CL::kChildRightClick, MainWindow_CL::kPreviewId, 0); },
                 MainWindow_CL::kSearchOwner);
    EXPECT_EQ(window_->current_tab(), 5);
    EXPECT_EQ(user_tab.current_text(), L"alice");

    select_tab(1);
    select_rows(1, {1}, 1);
    capture_menu([&] { SendMessageW(hwnd(), MyFlickerListBox_CL::kChildRightClick, MainWindow_CL::kFirstListId + 1, 0); },
                 MainWindow_CL::kSearchOwner);
    EXPECT_EQ(window_->current_tab(), 5);
    EXPECT_EQ(user_tab.current_text(), L"bob");
}

TEST_F(ItemCommandsTest, ACommonsPictureOffersItsOwnPageAndNoPhotographerSearch)
{
    GdiplusSession gdiplus;
    const std::vector<unsigned char> jpeg = jpeg_bytes(320, 240);
    for (const wchar_t* name : {L"items_commons/Lake.jpg", L"items_commons/f.jpg"})
        ASSERT_TRUE(serve_file(name, std::string(jpeg.begin(), jpeg.end())));
    ImageItem_CL lake = service_record(http_url(L"items_commons/wiki/File:Lake.jpg"), http_url(L"items_commons/Lake.jpg"));
    lake.farm = 0;
    lake.owner.clear();
    lake.ownerName = L"Ann";
    write_list(AppSettings.candidates_path(), {lake, service_record(L"flickr", http_url(L"items_commons/f.jpg"))});
    open();
    std::vector<std::wstring> opened;
    window_->set_open_page([&opened](const std::wstring& page) { opened.push_back(page); });
    select_tab(2);
    ASSERT_TRUE(wait_for_rows(2, 2));
    select_rows(2, {0}, 0);
    const std::vector<MenuRow> menu = capture_menu(
        [&] { SendMessageW(hwnd(), MyFlickerListBox_CL::kChildRightClick, MainWindow_CL::kFirstListId + 2, 0); },
        TabHost::kOpenOwnerPage);
    ASSERT_EQ(menu.size(), 6u);
    EXPECT_EQ(menu[3].text, L"この画像のWikimedia Commonsページを開く");
    EXPECT_EQ(greyed_ids(menu), (std::vector<UINT>{0x1030}));
    EXPECT_EQ(opened, (std::vector<std::wstring>{lake.key}));

    ASSERT_TRUE(get_photo());
    const std::vector<MenuRow> preview = capture_menu(
        [&] { SendMessageW(hwnd(), MyPictureImage_CL::kChildRightClick, MainWindow_CL::kPreviewId, 0); },
        TabHost::kOpenOwnerPage);
    ASSERT_EQ(preview.size(), 7u);
    EXPECT_EQ(preview[4].text, L"この画像のWikimedia Commonsページを開く");
    EXPECT_EQ(greyed_ids(preview), (std::vector<UINT>{0x1013, 0x1030}));
    EXPECT_EQ(opened, (std::vector<std::wstring>{lake.key, lake.key}));

    // A photo of the service keeps the photographer's rows.
    select_rows(2, {1}, 1);
    const std::vector<MenuRow> flickr = list_menu(2);
    ASSERT_EQ(flickr.size(), 6u);
    EXPECT_EQ(flickr[3].text, L"この撮影者のFlickrページを開く");
    EXPECT_TRUE(greyed_ids(flickr).empty());
}

// A stored tab shows the stored list itself: a command on another tab changes
// it while the tab is hidden, and the tab shows every record once when current.
TEST_F(ItemCommandsTest, AStoredTabShowsEachRecordOnceAfterCommandsElsewhere)
{
    write_list(AppSettings.favorites_path(), {local_record(picture_, L"a"), local_record(documents_.file(L"b.jpg"), L"b")});
    write_list(AppSettings.candidates_path(), {service_record(L"c1", L"http://example.invalid/1.jpg"),
                                               service_record(L"c2", L"http://example.invalid/2.jpg")});
    open();
    select_tab(2);
    ASSERT_TRUE(wait_for_rows(2, 2));
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 2));
    select_rows(1, {0, 1}, 1);
    command(MainWindow_CL::kAddToCandidates);
    select_rows(1, {0}, 0);
    command(MainWindow_CL::kAddToCandidates);
    EXPECT_EQ(tab_text(strip(), 2), L"壁紙候補(4)");

    select_tab(2);
    ASSERT_TRUE(wait_for_rows(2, 4));
    const std::vector<std::wstring> expected{picture_, documents_.file(L"b.jpg"), L"c1", L"c2"};
    EXPECT_EQ(keys_of(rows(2)), expected);
    EXPECT_EQ(keys_of(read_list(AppSettings.candidates_path())), expected);
    // Removing from the current tab shows the rest at once.
    select_rows(2, {1, 3}, 3);
    command(MainWindow_CL::kRemoveCandidates);
    ASSERT_TRUE(wait_for_rows(2, 2));
    EXPECT_EQ(keys_of(rows(2)), (std::vector<std::wstring>{picture_, L"c1"}));
    EXPECT_EQ(tab_text(strip(), 2), L"壁紙候補(2)");
}
