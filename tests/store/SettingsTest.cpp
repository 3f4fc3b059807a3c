#include <gtest/gtest.h>

#include "TestSupport.h"
#include "store/AppSettings_CL.h"
#include "store/IniWinSize_CL.h"
#include "store/ServiceConfig.h"
#include "store/SettingsKeys.h"

using testing_support::TempFolder;
using testing_support::file_exists;
using testing_support::read_file;

namespace {

class Settings : public ::testing::Test {
protected:
    TempFolder documents;
    void SetUp() override { AppSettings.load(documents.path()); }
};

}  // namespace

TEST_F(Settings, FirstStartCreatesTheFoldersAndAByteOrderMarkFile)
{
    EXPECT_EQ(AppSettings.app_folder, documents.path() + L"\\Tapestrel");
    EXPECT_TRUE(file_exists(documents.path() + L"\\Tapestrel\\FavoriteWallPaper"));
    EXPECT_EQ(read_file(AppSettings.settings_path()), (std::vector<unsigned char>{0xFF, 0xFE}));
    EXPECT_EQ(AppInifile.path(), AppSettings.settings_path());
    EXPECT_EQ(AppSettings.favorites.path, AppSettings.app_folder + L"\\FavoriteWallPaperItems.dat");
    EXPECT_FALSE(AppSettings.program_folder.empty());
    EXPECT_TRUE(file_exists(AppSettings.program_folder));
}

TEST_F(Settings, JapaneseTextIsStoredAsUtf16AndAnExistingFileIsKept)
{
    ASSERT_TRUE(AppInifile.write_string(keys::kInfoGet, keys::kCandSearchKeywordStr, L"富士山 紅葉"));
    const std::vector<unsigned char> bytes = read_file(AppSettings.settings_path());
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    AppSettings.load(documents.path());
    EXPECT_EQ(AppSettings.cand_search_keyword_str, L"富士山 紅葉");
}

TEST_F(Settings, CandidateKeysHaveTheirDefaultsAndBounds)
{
    EXPECT_EQ(AppSettings.cand_min_width, 1024);
    EXPECT_EQ(AppSettings.cand_min_height, 768);
    EXPECT_EQ(AppSettings.cand_width_long, 1);
    EXPECT_EQ(AppSettings.cand_aute_add, 1);
    EXPECT_EQ(AppSettings.cand_check_min_pic, 1);
    EXPECT_EQ(AppSettings.cand_add_max, 4);
    EXPECT_EQ(AppSettings.cand_search_keyword, 0);
    EXPECT_EQ(AppSettings.cand_commons, 1);
    EXPECT_EQ(AppSettings.notify, 0);

    for (const wchar_t* stored : {L"9", L"-1", L"abc"}) {
        AppInifile.write_string(keys::kInfoGet, keys::kCandAddMax, stored);
        AppSettings.read_candidate_settings();
        EXPECT_EQ(AppSettings.cand_add_max, std::wstring(stored) == L"abc" ? 0 : 4) << stored;
    }
    AppInifile.write_int(keys::kInfoGet, keys::kCandAddMax, 8);
    AppInifile.write_int(keys::kInfoGet, keys::kCandMinWidth, 1920);
    AppInifile.write_int(keys::kVersion, keys::kNotify, 1);
    AppInifile.write_int(keys::kInfoGet, keys::kCandCommons, 0);
    AppSettings.load(documents.path());
    EXPECT_EQ(AppSettings.cand_commons, 0);
    EXPECT_EQ(AppSettings.cand_add_max, 8);
    EXPECT_EQ(AppSettings.cand_min_width, 1920);
    EXPECT_EQ(AppSettings.notify, 1);
}

TEST_F(Settings, LayoutLimitsFollowTheSystemVersion)
{
    AppSettings.set_layout_limits(5);
    EXPECT_EQ(AppSettings.dispStyleMax, 2);
    EXPECT_EQ(AppSettings.dispStyleDefault, 2);
    AppSettings.set_layout_limits(6);
    EXPECT_EQ(AppSettings.dispStyleMax, 4);
    EXPECT_EQ(AppSettings.dispStyleDefault, 4);
}

TEST_F(Settings, DateTimesUseTheFixedColumnForm)
{
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 3;
    time.wDay = 7;
    time.wHour = 9;
    time.wMinute = 5;
    time.wSecond = 4;
    time.wMilliseconds = 500;
    ASSERT_TRUE(AppInifile.write_datetime(keys::kWallPaperInfo, keys::kUpdateDatetime, time));
    EXPECT_EQ(AppInifile.read_string(keys::kWallPaperInfo, keys::kUpdateDatetime), L"2026/03/07 09:05:04");

    const SYSTEMTIME fallback{2001, 2, 0, 3, 4, 5, 6, 7};
    const SYSTEMTIME read = AppInifile.read_datetime(keys::kWallPaperInfo, keys::kUpdateDatetime, fallback);
    EXPECT_EQ(read.wYear, 2026);
    EXPECT_EQ(read.wMonth, 3);
    EXPECT_EQ(read.wDay, 7);
    EXPECT_EQ(read.wHour, 9);
    EXPECT_EQ(read.wMinute, 5);
    EXPECT_EQ(read.wSecond, 4);
    EXPECT_EQ(read.wMilliseconds, 0);

    for (const wchar_t* broken : {L"", L"2026/03/07", L"20x6/03/07 09:05:04"}) {
        AppInifile.write_string(keys::kWallPaperInfo, keys::kUpdateDatetime, broken);
        const SYSTEMTIME got = AppInifile.read_datetime(keys::kWallPaperInfo, keys::kUpdateDatetime, fallback);
        EXPECT_EQ(got.wYear, 2001) << broken;
        EXPECT_EQ(got.wSecond, 6) << broken;
    }
    EXPECT_EQ(Inifile_CL::make_indexed_key(L"item", 3), L"item3");
}

TEST_F(Settings, LongStringsAreCutAtTheBufferSize)
{
    const std::wstring long_text(10000, L'字');
    ASSERT_TRUE(AppInifile.write_string(keys::kInfoGet, keys::kCandSearchKeywordStr, long_text));
    const std::wstring read = AppInifile.read_string(keys::kInfoGet, keys::kCandSearchKeywordStr);
    EXPECT_LT(read.size(), Inifile_CL::kMaxString);
    EXPECT_EQ(read, long_text.substr(0, read.size()));
}

TEST_F(Settings, ServiceKeysDefaultToTheBuiltInValuesAndCanBeConfigured)
{
    EXPECT_EQ(service_config::rest_url(), L"https://api.flickr.com");
    EXPECT_EQ(service_config::web_url(), L"https://www.flickr.com");
    EXPECT_EQ(service_config::commons_url(), L"https://commons.wikimedia.org");
    EXPECT_EQ(service_config::api_key().size(), 32u);
    EXPECT_EQ(service_config::shared_secret().size(), 16u);
    EXPECT_EQ(service_config::support_base_url(), std::wstring(service_config::kBuiltInSupportUrl) + L"/Tapestrel");
    AppInifile.write_string(keys::kService, keys::kSupportUrl, L"http://127.0.0.61");
    AppInifile.write_string(keys::kService, keys::kRestUrl, L"http://127.0.0.61");
    EXPECT_EQ(service_config::support_base_url(), L"http://127.0.0.61/Tapestrel");
    EXPECT_EQ(service_config::rest_url(), L"http://127.0.0.61");
    AppInifile.write_string(keys::kService, keys::kCommonsUrl, L"http://127.0.0.61/commons");
    EXPECT_EQ(service_config::commons_url(), L"http://127.0.0.61/commons");
}

TEST_F(Settings, NextFavouriteFileNameSkipsExistingFiles)
{
    const std::wstring folder = AppSettings.favorite_folder;
    EXPECT_EQ(AppSettings.next_favorite_file_name(), folder + L"\\WallPaper_00000.jpg");
    testing_support::write_file(folder + L"\\WallPaper_00000.jpg", std::string("x"));
    testing_support::write_file(folder + L"\\WallPaper_00001.jpg", std::string("x"));
    testing_support::write_file(folder + L"\\WallPaper_00003.jpg", std::string("x"));
    EXPECT_EQ(AppSettings.next_favorite_file_name(), folder + L"\\WallPaper_00002.jpg");
}

TEST_F(Settings, LoadAllListsReadsTheThreeListsInOrder)
{
    WallPaperItemBase_CL writer;
    const std::wstring paths[3] = {AppSettings.favorites_path(), AppSettings.candidates_path(), AppSettings.history_path()};
    for (int i = 0; i < 3; ++i) {
        writer.set_path(paths[i]);
        writer.items.assign(static_cast<size_t>(i + 1), ImageItem_CL());
        writer.items[0].key = paths[i];
        ASSERT_EQ(writer.save(), S_OK);
    }
    AppSettings.load_all_lists();
    EXPECT_EQ(AppSettings.favorites.items.size(), 1u);
    EXPECT_EQ(AppSettings.candidates.items.size(), 2u);
    EXPECT_EQ(AppSettings.history.items.size(), 3u);
    EXPECT_EQ(AppSettings.history.items[0].key, AppSettings.history_path());
}

TEST_F(Settings, CandidateSizeFilterUsesTheMinimumAndTheLandscapeRule)
{
    ImageItem_CL item;
    item.sizes[5] = {1024, 768, L"o"};
    EXPECT_TRUE(AppSettings.candidates.candidate_size_filter(item));
    item.sizes[5] = {1023, 768, L"o"};
    EXPECT_FALSE(AppSettings.candidates.candidate_size_filter(item));
    item.sizes[5] = {1200, 1600, L"o"};
    EXPECT_FALSE(AppSettings.candidates.candidate_size_filter(item));
    AppSettings.cand_width_long = 0;
    EXPECT_TRUE(AppSettings.candidates.candidate_size_filter(item));
    EXPECT_FALSE(AppSettings.candidates.candidate_size_filter(ImageItem_CL()));
    AppSettings.cand_width_long = 1;
}

TEST_F(Settings, WindowPlacementIsSavedOnlyForANormalWindow)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"placement", WS_OVERLAPPEDWINDOW, 40, 50, 300, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    IniWinSize_CL placement(AppInifile);
    const IniWinSize_CL::Placement unset = placement.load_placement(window);
    EXPECT_EQ(unset.left, 40);
    EXPECT_EQ(unset.width, 300);

    placement.save_placement(window);
    EXPECT_EQ(AppInifile.read_int(keys::kWindow, keys::kPosY, -1), 50);
    EXPECT_EQ(AppInifile.read_int(keys::kWindow, keys::kHeight, -1), 200);

    MoveWindow(window, 70, 80, 400, 250, FALSE);
    ShowWindow(window, SW_MINIMIZE);
    placement.save_placement(window);
    ShowWindow(window, SW_RESTORE);
    const IniWinSize_CL::Placement stored = placement.load_placement(window);
    EXPECT_EQ(stored.left, 40);
    EXPECT_EQ(stored.top, 50);
    EXPECT_EQ(stored.width, 300);
    EXPECT_EQ(stored.height, 200);
    DestroyWindow(window);
}

TEST_F(Settings, TheMinimumSizeCheckCanBeSwitchedOff)
{
    ImageItem_CL item;
    item.sizes[5] = {800, 600, L"o"};
    EXPECT_FALSE(AppSettings.candidates.candidate_size_filter(item));
    AppSettings.cand_check_min_pic = 0;
    EXPECT_TRUE(AppSettings.candidates.candidate_size_filter(item));
    item.sizes[5] = {600, 800, L"o"};
    EXPECT_FALSE(AppSettings.candidates.candidate_size_filter(item));  // still landscape only
    AppSettings.cand_check_min_pic = 1;
}
