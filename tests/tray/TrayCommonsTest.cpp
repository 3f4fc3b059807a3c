#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include <objbase.h>

#include "CommonsStandIn.h"
#include "TestSupport.h"
#include "base/TextConvert.h"
#include "base/Version.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "tray/MainWindowIcon_CL.h"
#include "wallpaper/ChangeSchedule.h"

using namespace testing_support;

namespace {

const char kInvalidKey[] = "<rsp stat=\"fail\"><err code=\"100\" msg=\"Invalid API Key (Key has invalid format)\" /></rsp>";
const wchar_t kInvalidKeyText[] = L"Flickrが拒否しました: Invalid API Key (Key has invalid format) (100)";

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 30000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout_ms) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
    return true;
}

std::vector<ImageItem_CL> loaded(const std::wstring& path)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    (void)list.load();  // a missing list reads as empty
    return list.items;
}

// The real tray window with the photo service and Wikimedia Commons on the loopback stand-in.
class TrayCommons : public ::testing::Test {
protected:
    TempFolder documents;
    GdiplusSession gdiplus;
    std::unique_ptr<MainWindowIcon_CL> tray;
    std::wstring folder;

    void SetUp() override
    {
        AppSettings.load(documents.path());
        AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 0);
        GUID id;
        CoCreateGuid(&id);
        folder = L"tray_commons_" + std::to_wstring(id.Data1);
        point_flickr_at(L"flickr");
        ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kCommonsUrl, http_url(commons())));
        tray = std::make_unique<MainWindowIcon_CL>();
        ASSERT_NE(tray->create(), nullptr);
    }
    void TearDown() override
    {
        tray.reset();
        pump_until([] { return true; });
        UnregisterClassW(L"MainWindowClass", GetModuleHandleW(nullptr));
    }
    std::wstring commons() const { return folder + L"/commons"; }
    void point_flickr_at(const std::wstring& sub)
    {
        ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kRestUrl, http_url(folder + L"/" + sub)));
        ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder + L"/" + sub)));
    }
    // The start-up timer's run, until its wallpaper change is over.
    void run_candidates()
    {
        const std::vector<std::string> before = http_requests(folder);
        SendMessageW(tray->window(), WM_TIMER, change_schedule::kStartupTimer, 0);
        ASSERT_TRUE(pump_until([&] {
            return http_requests(folder).size() > before.size() && tray->busy_count() == 0 &&
                   file_exists(AppSettings.now_items_path());
        }));
    }
    std::vector<std::string> commons_requests(const char* part)
    {
        std::vector<std::string> found;
        for (const std::string& request : http_requests(folder))
            if (request.rfind("commons/", 0) == 0 && request.find(part) != std::string::npos) found.push_back(request);
        return found;
    }
};

}  // namespace

TEST_F(TrayCommons, WithTheServiceRefusingCommonsFillsTheCandidatesWithCreditedPicturesAtScreenSize)
{
    ASSERT_TRUE(serve_file(folder + L"/flickr/services/rest", kInvalidKey));
    CommonsPicture fuji{"富士山の夜明け.jpg", "河口湖から望む夜明けの富士山"};
    CommonsPicture lofoten{"Lofoten_evening.jpg", "Lofoten Evening", "<bdi>Erik</bdi>", "CC BY 3.0", "2019-01-27"};
    lofoten.width = 2880;
    lofoten.height = 1920;
    CommonsPicture unnamed{"Old_harbour.jpg", "古い港", "A", "GFDL 1.2"};
    CommonsPicture png{"Diagram.png", "Diagram", "A", "CC BY 4.0", "", 2400, 1600, "image/png"};
    CommonsPicture tower{"Tower.jpg", "Tower", "A", "CC0", "", 1600, 2400};
    CommonsPicture small{"Small.jpg", "Small", "A", "CC0", "", 800, 600};
    ASSERT_TRUE(serve_commons(commons(), {fuji, lofoten, unnamed, png, tower, small}));
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 1);

    run_candidates();
    std::vector<ImageItem_CL> candidates = loaded(AppSettings.candidates_path());
    ASSERT_EQ(candidates.size(), 2u);
    std::sort(candidates.begin(), candidates.end(),
              [](const ImageItem_CL& a, const ImageItem_CL& b) { return a.license < b.license; });
    EXPECT_EQ(candidates[0].key, commons_page_url(commons(), fuji.name));
    EXPECT_EQ(candidates[0].title, L"河口湖から望む夜明けの富士山");
    EXPECT_EQ(candidates[0].ownerName, L"Ann");
    EXPECT_EQ(candidates[0].license, 12);
    EXPECT_EQ(candidates[0].dateTaken, L"2021-11-03");
    EXPECT_EQ(candidates[0].sizes[5].url, commons_original_url(commons(), fuji.name));
    EXPECT_EQ(candidates[0].sizes[1].url, commons_thumbnail_url(commons(), fuji.name, 120));
    EXPECT_EQ(candidates[1].key, commons_page_url(commons(), lofoten.name));
    EXPECT_EQ(candidates[1].ownerName, L"Erik");
    EXPECT_EQ(candidates[1].license, 1000);
    EXPECT_EQ(candidates[1].sizes[5].width, 2880);
    EXPECT_EQ(tray->tray_tip(), std::wstring(L"Tapestrel\n") + kInvalidKeyText);

    // The 1280 x 800 screen is covered by the standard width 1920: the original is never fetched.
    const std::vector<ImageItem_CL> now = loaded(AppSettings.now_items_path());
    ASSERT_EQ(now.size(), 1u);
    const CommonsPicture& shown = now[0].key == candidates[0].key ? fuji : lofoten;
    const std::wstring expected = commons_thumbnail_url(commons(), shown.name, 1920).substr(http_url(folder + L"/").size());
    EXPECT_EQ(commons_requests("wikipedia/commons/"), (std::vector<std::string>{wide_to_utf8(expected)}));
    for (const std::string& agent : http_agents(commons()))
        EXPECT_EQ(agent, "Tapestrel/" TAPESTREL_VERSION_TEXT " (+https://www.tapestrel.jp)");
    EXPECT_EQ(http_agents(commons()).size(), 2u);
}

TEST_F(TrayCommons, OverloadSkipsCommonsForTheRunWithoutTouchingTheListOrTheService)
{
    ASSERT_TRUE(serve_photos(folder + L"/flickr", 3, 1600, 1200));
    ASSERT_TRUE(serve_commons_answer(commons(), "{\"error\":{\"code\":\"maxlag\",\"info\":\"Waiting for db1: 6 seconds lagged.\"}}",
                                     503, "Retry-After: 5\nX-Database-Lag: 6\n"));
    run_candidates();
    EXPECT_EQ(loaded(AppSettings.candidates_path()).size(), 3u) << "the service's photos come all the same";
    EXPECT_EQ(tray->tray_tip(), L"Tapestrel\nWikimedia Commonsが拒否しました: Waiting for db1: 6 seconds lagged. (maxlag)");
    EXPECT_EQ(commons_requests("w/api.php").size(), 1u);

    // Refused by the service too: Commons' 429 leaves the candidates as they were.
    ASSERT_TRUE(serve_file(folder + L"/refused/services/rest", kInvalidKey));
    point_flickr_at(L"refused");
    ASSERT_TRUE(serve_commons_answer(commons(), "Too many requests", 429, "Retry-After: 120\n"));
    const std::vector<unsigned char> before = read_file(AppSettings.candidates_path());
    ASSERT_TRUE(DeleteFileW(AppSettings.now_items_path().c_str()));
    run_candidates();
    EXPECT_EQ(read_file(AppSettings.candidates_path()), before);
    EXPECT_EQ(tray->tray_tip(),
              std::wstring(L"Tapestrel\n") + kInvalidKeyText + L"\nWikimedia Commonsが拒否しました: Too Many Requests (429)");
    EXPECT_EQ(commons_requests("w/api.php").size(), 2u) << "asked once per run, never again at once";

    // With the box off Commons is not asked at all.
    AppSettings.cand_commons = 0;
    ASSERT_TRUE(DeleteFileW(AppSettings.now_items_path().c_str()));
    run_candidates();
    EXPECT_EQ(commons_requests("w/api.php").size(), 2u);
    EXPECT_EQ(tray->tray_tip(), std::wstring(L"Tapestrel\n") + kInvalidKeyText);
}
