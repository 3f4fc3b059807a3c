#include <gtest/gtest.h>

#include "TabsTestSupport.h"
#include "UiTestSupport.h"
#include "store/AppSettings_CL.h"
#include "mainwindow/MyPictureImage_CL.h"
#include "mainwindow/tabs/TabViewNowWallPaper_CL.h"

using namespace testing_support;
using namespace tabs_testing;

namespace {

class NowWallPaperTabTest : public MainWindowFixture {
protected:
    MyPictureImage_CL* tab_picture() const
    {
        return static_cast<TabViewNowWallPaper_CL*>(window_->tab_view(0))->picture();
    }
};

}  // namespace

TEST_F(NowWallPaperTabTest, SaveAsFavouriteOnTheTabSavesTheCurrentWallpaperNotTheLastFetchedPhoto)
{
    // The current wallpaper: a photo downloaded at 640 x 480 into the local copy.
    ImageItem_CL current = service_record(L"current", L"http://example.invalid/c.jpg");
    current.sizes[5] = {640, 480, L"http://example.invalid/c.jpg"};
    write_list(AppSettings.now_items_path(), {current});
    ASSERT_TRUE(make_jpeg(AppSettings.now_picture_path(), 640, 480));
    write_list(AppSettings.favorites_path(), {local_record(picture_, L"fetched")});
    open();
    select_tab(1);
    ASSERT_TRUE(wait_for_rows(1, 1));
    select_rows(1, {0}, 0);
    ASSERT_TRUE(get_photo());

    select_tab(0);
    ASSERT_TRUE(ui_testing::pump_until([&] { return tab_picture()->holds_picture(); }));
    EXPECT_EQ(AppSettings.now_item.localPath, AppSettings.now_picture_path());
    EXPECT_EQ(AppSettings.now_item.localWidth, 640);
    command(MainWindow_CL::kSaveFavourite);
    const std::vector<ImageItem_CL> favourites = read_list(AppSettings.favorites_path());
    ASSERT_EQ(favourites.size(), 2u);
    EXPECT_EQ(favourites[0].key, L"current");
    EXPECT_EQ(favourites[0].localWidth, 640);
    EXPECT_EQ(read_file(favourites[0].localPath), read_file(AppSettings.now_picture_path()));
    EXPECT_EQ(tab_text(strip(), 0), L"現在の壁紙");
}

TEST_F(NowWallPaperTabTest, ARecordWithoutAnyPictureChangesNothing)
{
    ImageItem_CL shown = local_record(picture_, L"shown");
    write_list(AppSettings.now_items_path(), {shown});
    ASSERT_TRUE(make_jpeg(AppSettings.now_picture_path(), 160, 120));
    open();
    ASSERT_TRUE(ui_testing::pump_until([&] { return tab_picture()->holds_picture(); }));
    ImageItem_CL empty;
    empty.key = L"nothing";
    write_list(AppSettings.now_items_path(), {empty});
    select_tab(1);
    select_tab(0);
    EXPECT_EQ(AppSettings.now_item.title, L"shown");
    EXPECT_EQ(tab_picture()->copy_bytes(), read_file(AppSettings.now_picture_path()));
}

TEST(NowWallPaperTooltip, LocalRecordsShowTheLocalFolderAndAnUnknownLicence)
{
    ImageItem_CL local = local_record(L"C:\\pictures\\sea.jpg", L"sea.jpg");
    EXPECT_EQ(TabViewNowWallPaper_CL::tooltip_text(local),
              L"★[Title]\r\n　sea.jpg\r\n\r\n★[Owner]\r\n　<localfolder>\r\n\r\n★[Taken]\r\n　2011-03-05 10:20:30\r\n\r\n"
              L"★[License]\r\n　Unknown\r\n");
    ImageItem_CL photo = service_record(L"p", L"http://example.invalid/p.jpg");
    const std::wstring text = TabViewNowWallPaper_CL::tooltip_text(photo);
    EXPECT_NE(text.find(L"★[Owner]\r\n　photographer\r\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"★[License]\r\n　Attribution License\r\n"), std::wstring::npos);
}
