#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include <objbase.h>

#include "CommonsStandIn.h"
#include "TestSupport.h"
#include "base/TextConvert.h"
#include "base/Version.h"
#include "wallpaper/ChangeSchedule.h"
#include "wallpaper/FullScreen.h"
#include "tray/MainWindowIcon_CL.h"
#include "base/Mutex_CL.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "winui/FlickerListBox_CL.h"

using namespace testing_support;

namespace {

// Serves the window's messages until the condition holds or the time is up.
bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 20000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout_ms) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
    return true;
}

int count_requests(const std::string& path_part)
{
    const std::string log = http_log(L"_requests.log");
    int count = 0;
    for (size_t at = log.find(path_part); at != std::string::npos; at = log.find(path_part, at + 1)) ++count;
    return count;
}

std::wstring unique_folder(const wchar_t* name)
{
    GUID id;
    CoCreateGuid(&id);
    return std::wstring(L"tray_") + name + L"_" + std::to_wstring(id.Data1);
}

WallPaperItemBase_CL loaded(const std::wstring& path);

class TrayWindow : public ::testing::Test {
protected:
    TempFolder documents;
    GdiplusSession gdiplus;
    std::unique_ptr<MainWindowIcon_CL> tray;

    void SetUp() override
    {
        AppSettings.load(documents.path());
        AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 0);
        // Wikimedia Commons answers with nothing: the runs here are the photo service's.
        ASSERT_TRUE(serve_file(L"tray_commons/w/api.php", kEmptyCommonsAnswer));
        AppInifile.write_string(keys::kService, keys::kCommonsUrl, http_url(L"tray_commons"));
        tray = std::make_unique<MainWindowIcon_CL>();
        ASSERT_NE(tray->create(), nullptr);
    }
    void TearDown() override
    {
        tray.reset();
        pump_until([] { return true; });
        UnregisterClassW(L"MainWindowClass", GetModuleHandleW(nullptr));
    }
    void save_list(const std::wstring& path, const std::vector<ImageItem_CL>& items)
    {
        WallPaperItemBase_CL list;
        list.set_path(path);
        list.items = items;
        ASSERT_EQ(list.save(), S_OK);
    }
    // A favourite whose picture is a real local JPEG.
    ImageItem_CL local_favourite(const std::wstring& name)
    {
        ImageItem_CL item;
        item.key = item.localPath = documents.file(name);
        item.localWidth = 64;
        item.localHeight = 48;
        item.farm = -1;
        EXPECT_TRUE(make_jpeg(item.localPath, 64, 48));
        return item;
    }
    ImageItem_CL service_photo(const std::wstring& folder, int n)
    {
        ImageItem_CL item;
        item.key = L"https://farm.example/" + folder + std::to_wstring(n);
        item.farm = 3;
        item.sizes[5] = {1600, 1200, http_url(folder + L"/p" + std::to_wstring(n) + L"_o.jpg")};
        return item;
    }
    bool installed() { return file_exists(AppSettings.now_items_path()) && tray->busy_count() == 0; }
    size_t history_size() { return tray->busy_count() == 0 ? loaded(AppSettings.history_path()).items.size() : 0; }
    // Favourites enough that each change draws one not in the history yet.
    void save_favourites(const std::wstring& name, int count)
    {
        std::vector<ImageItem_CL> items;
        for (int n = 0; n < count; ++n) items.push_back(local_favourite(name + std::to_wstring(n) + L".jpg"));
        save_list(AppSettings.favorites_path(), items);
    }
    // The schedule running, with the last change long ago: the next check changes.
    void make_change_due()
    {
        AppInifile.write_string(keys::kWallPaperInfo, keys::kUpdateDatetime, L"2020/01/01 10:00:00");
    }
    void command(UINT id) { SendMessageW(tray->window(), WM_COMMAND, id, 0); }
    void timer(UINT_PTR id) { SendMessageW(tray->window(), WM_TIMER, id, 0); }
};

// A popular photo as the service lists it; `sizes` are its size attributes.
std::string listed_photo(int id, int licence, const std::string& sizes)
{
    return "<photo id=\"" + std::to_string(id) + "\" owner=\"1@N00\" secret=\"s\" server=\"7\" farm=\"3\" title=\"t\" "
           "license=\"" + std::to_string(licence) + "\" media=\"photo\" " + sizes + "/>";
}

// Size attributes of one size, whose picture the stand-in serves at folder/<id><suffix>.jpg.
std::string offered_size(const std::wstring& folder, int id, const std::string& suffix, int width, int height)
{
    const std::wstring name = folder + L"/" + std::to_wstring(id) + std::wstring(suffix.begin(), suffix.end()) + L".jpg";
    const std::vector<unsigned char> picture = jpeg_bytes(width, height);
    EXPECT_TRUE(serve_file(name, std::string(picture.begin(), picture.end())));
    const std::wstring url = http_url(name);
    return "url" + suffix + "=\"" + std::string(url.begin(), url.end()) + "\" width" + suffix + "=\"" +
           std::to_string(width) + "\" height" + suffix + "=\"" + std::to_string(height) + "\" ";
}

std::string photos_listed(const std::string& elements)
{
    return "<rsp stat=\"ok\"><photos page=\"1\" pages=\"1\" perpage=\"500\" total=\"4\">" + elements +
           "</photos></rsp>";
}

WallPaperItemBase_CL loaded(const std::wstring& path)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    (void)list.load();  // a missing list reads as empty
    return list;
}

}  // namespace

TEST_F(TrayWindow, MenuCommandsToggleAutomaticChangeSaveAFavouriteAndExit)
{
    command(MainWindowIcon_CL::kToggleAutoChange);
    EXPECT_EQ(AppInifile.read_int(keys::kWallPaperInfo, keys::kAutoChange, -1), 0);
    command(MainWindowIcon_CL::kToggleAutoChange);
    EXPECT_EQ(AppInifile.read_int(keys::kWallPaperInfo, keys::kAutoChange, -1), 1);

    save_list(AppSettings.favorites_path(), {local_favourite(L"a.jpg")});
    command(MainWindowIcon_CL::kChangeNow);
    ASSERT_TRUE(pump_until([&] { return installed(); }));
    command(MainWindowIcon_CL::kSaveAsFavorite);
    EXPECT_EQ(loaded(AppSettings.favorites_path()).items.size(), 2u);
    EXPECT_TRUE(file_exists(AppSettings.favorite_folder + L"\\WallPaper_00000.jpg"));

    const HWND window = tray->window();
    command(MainWindowIcon_CL::kExit);
    EXPECT_TRUE(pump_until([&] { return !IsWindow(window); }));
}

TEST_F(TrayWindow, AForcedChangeInstallsTheDrawnPictureAndRecordsIt)
{
    const ImageItem_CL favourite = local_favourite(L"fav.jpg");
    save_list(AppSettings.favorites_path(), {favourite});
    tray->change_request(change_schedule::Asker::User);
    ASSERT_TRUE(pump_until([&] { return installed(); }));

    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), AppSettings.now_bitmap_path());
    EXPECT_EQ(read_file(AppSettings.now_picture_path()), read_file(favourite.localPath));
    const WallPaperItemBase_CL now = loaded(AppSettings.now_items_path());
    ASSERT_EQ(now.items.size(), 1u);
    EXPECT_EQ(now.items[0].key, favourite.key);
    const WallPaperItemBase_CL history = loaded(AppSettings.history_path());
    ASSERT_EQ(history.items.size(), 1u);
    EXPECT_EQ(history.items[0].localPath, favourite.localPath);
    SYSTEMTIME stored{};
    EXPECT_TRUE(Inifile_CL::parse_datetime(AppInifile.read_string(keys::kWallPaperInfo, keys::kUpdateDatetime), stored));
}

// The draw reads the lists on a worker: while it waits for them (here for the
// file mutex, which this thread holds) the tray answers at once, shows the
// busy icon and refuses a second change.
TEST_F(TrayWindow, ADrawWaitingForTheListsLeavesTheTrayAnsweringAndRefusesASecondChange)
{
    save_list(AppSettings.favorites_path(), {local_favourite(L"a.jpg"), local_favourite(L"b.jpg")});
    {
        Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
        ASSERT_TRUE(lock.held());
        command(MainWindowIcon_CL::kChangeNow);
        EXPECT_GT(tray->busy_count(), 0);
        command(MainWindowIcon_CL::kChangeNow);
        tray->change_request(change_schedule::Asker::StartUp);
        pump_until([] { return false; }, 300);
        EXPECT_FALSE(file_exists(AppSettings.now_items_path()));
    }
    ASSERT_TRUE(pump_until([&] { return installed(); }));
    pump_until([] { return false; }, 500);
    EXPECT_EQ(loaded(AppSettings.history_path()).items.size(), 1u) << "a refused change was made after all";
    EXPECT_EQ(tray->busy_count(), 0);
}

TEST_F(TrayWindow, ADeadServiceOrSubstitutePicturesStopAfterThreeDraws)
{
    const std::wstring dead = unique_folder(L"dead");
    std::vector<ImageItem_CL> candidates;
    for (int n = 0; n < 5; ++n) candidates.push_back(service_photo(dead, n));
    save_list(AppSettings.candidates_path(), candidates);
    tray->change_request(change_schedule::Asker::User);
    const std::string dead_path = "/" + std::string(dead.begin(), dead.end()) + "/";
    ASSERT_TRUE(pump_until([&] { return count_requests(dead_path) >= 3 && tray->busy_count() == 0; }));
    pump_until([] { return false; }, 1500);
    EXPECT_EQ(count_requests(dead_path), 3);
    EXPECT_FALSE(file_exists(AppSettings.now_items_path()));

    // The service answers with a picture of another size than it promised.
    const std::wstring substitute = unique_folder(L"substitute");
    const std::vector<unsigned char> small = jpeg_bytes(100, 100);
    candidates.clear();
    for (int n = 0; n < 5; ++n) {
        ASSERT_TRUE(serve_file(substitute + L"/p" + std::to_wstring(n) + L"_o.jpg", std::string(small.begin(), small.end())));
        candidates.push_back(service_photo(substitute, n));
    }
    save_list(AppSettings.candidates_path(), candidates);
    tray->change_request(change_schedule::Asker::User);
    const std::string substitute_path = "/" + std::string(substitute.begin(), substitute.end()) + "/";
    ASSERT_TRUE(pump_until([&] { return count_requests(substitute_path) >= 3 && tray->busy_count() == 0; }));
    pump_until([] { return false; }, 1500);
    EXPECT_EQ(count_requests(substitute_path), 3);
    EXPECT_FALSE(file_exists(AppSettings.now_items_path()));
    EXPECT_FALSE(file_exists(AppSettings.now_picture_path()));
}

TEST_F(TrayWindow, ScheduledChangesWaitForTheStartAndTheInterval)
{
    save_list(AppSettings.favorites_path(), {local_favourite(L"s.jpg")});
    AppInifile.write_int(keys::kInfoGet, keys::kCandAuteAdd, 0);

    timer(change_schedule::kCheckTimer);  // before the start-up timer: nothing
    EXPECT_EQ(AppInifile.read_string(keys::kWallPaperInfo, keys::kUpdateDatetime), L"");

    timer(change_schedule::kStartupTimer);
    timer(change_schedule::kCheckTimer);  // no stored time: the interval starts now
    EXPECT_NE(AppInifile.read_string(keys::kWallPaperInfo, keys::kUpdateDatetime), L"");
    pump_until([] { return false; }, 500);
    EXPECT_FALSE(file_exists(AppSettings.now_items_path()));

    AppInifile.write_string(keys::kWallPaperInfo, keys::kUpdateDatetime, L"2020/01/01 10:00:00");
    AppInifile.write_int(keys::kWallPaperInfo, keys::kAutoChange, 0);
    timer(change_schedule::kCheckTimer);
    pump_until([] { return false; }, 500);
    EXPECT_FALSE(file_exists(AppSettings.now_items_path()));

    AppInifile.write_int(keys::kWallPaperInfo, keys::kAutoChange, 1);
    timer(change_schedule::kCheckTimer);
    EXPECT_TRUE(pump_until([&] { return installed(); }));
    EXPECT_NE(AppInifile.read_string(keys::kWallPaperInfo, keys::kUpdateDatetime), L"2020/01/01 10:00:00");
}

TEST_F(TrayWindow, ARefusedRunKeepsTheCandidatesTellsWhyAndTheWallpaperStillChanges)
{
    const std::wstring folder = unique_folder(L"refused");
    ASSERT_TRUE(serve_file(folder + L"/refused/services/rest",
                           "<rsp stat=\"fail\"><err code=\"100\" msg=\"Invalid API Key (Key has invalid format)\" /></rsp>"));
    ASSERT_TRUE(serve_photos(folder + L"/good", 3, 1600, 1200));
    AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder + L"/refused"));
    AppSettings.cand_search_keyword = 1;
    AppSettings.cand_search_keyword_str = L"sea sky";
    // The wallpaper comes from the favourites, as a user's would while the service refuses.
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 0);
    save_list(AppSettings.favorites_path(), {local_favourite(L"fav.jpg")});
    save_list(AppSettings.candidates_path(), {service_photo(folder, 1)});
    const std::vector<unsigned char> candidates_before = read_file(AppSettings.candidates_path());

    timer(change_schedule::kStartupTimer);
    ASSERT_TRUE(pump_until([&] { return tray->tray_tip() != L"Tapestrel" && installed(); }));
    EXPECT_EQ(tray->tray_tip(), L"Tapestrel\nFlickrが拒否しました: Invalid API Key (Key has invalid format) (100)");
    EXPECT_TRUE(tray->key_balloon_shown());
    EXPECT_EQ(read_file(AppSettings.candidates_path()), candidates_before);
    EXPECT_EQ(count_requests("/" + std::string(folder.begin(), folder.end()) + "/refused/services/rest"), 3)
        << "the popular photos and both keyword searches were each tried";

    // A later run that the service answers restores the plain tooltip.
    AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder + L"/good"));
    timer(change_schedule::kStartupTimer);
    ASSERT_TRUE(pump_until([&] { return tray->tray_tip() == L"Tapestrel"; }));
    EXPECT_GT(loaded(AppSettings.candidates_path()).items.size(), 1u);
}

TEST_F(TrayWindow, TheCandidateRunTakesOnlyFreelyLicensedPhotosAndTheLargestSizeOffered)
{
    const std::wstring folder = unique_folder(L"licences");
    const std::string original = "originalformat=\"jpg\" ";
    ASSERT_TRUE(serve_file(folder + L"/services/rest",
                           photos_listed(listed_photo(1, 0, original + offered_size(folder, 1, "_o", 1600, 1200)) +
                                         listed_photo(2, 11, original + offered_size(folder, 2, "_o", 1600, 1200)) +
                                         listed_photo(3, 9, offered_size(folder, 3, "_z", 640, 427) +
                                                                offered_size(folder, 3, "_k", 2048, 1365)) +
                                         listed_photo(4, 7, original + offered_size(folder, 4, "_o", 1600, 1200)))));
    AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder));
    AppInifile.write_string(keys::kService, keys::kRestUrl, http_url(folder));

    timer(change_schedule::kStartupTimer);
    ASSERT_TRUE(pump_until([&] { return installed(); }));
    std::vector<ImageItem_CL> candidates = loaded(AppSettings.candidates_path()).items;
    ASSERT_EQ(candidates.size(), 2u) << "neither All Rights Reserved nor licence 7 becomes a candidate";
    std::sort(candidates.begin(), candidates.end(),
              [](const ImageItem_CL& a, const ImageItem_CL& b) { return a.license > b.license; });
    EXPECT_EQ(candidates[0].key, L"http://farm3.staticflickr.com/7/2_s");
    EXPECT_EQ(FlickerListBox_CL::info_text(candidates[0]), L"by\r\nTaken \r\nLicense\r\n\x3000" L"Attribution 4.0 License");
    EXPECT_EQ(candidates[1].key, L"http://farm3.staticflickr.com/7/3_s");
    EXPECT_EQ(candidates[1].sizes[5].width, 2048);
    EXPECT_EQ(candidates[1].sizes[5].height, 1365);
    EXPECT_NE(candidates[1].sizes[5].url.find(L"3_k.jpg"), std::wstring::npos);
    const int installed_licence = loaded(AppSettings.now_items_path()).items.at(0).license;
    EXPECT_TRUE(installed_licence == 11 || installed_licence == 9) << installed_licence;
}

// Each change asks the service for the sizes it hands out now and downloads
// the smallest that covers the screen, never the 24-megapixel original; a
// photo that has gone, by the service's word or by its address, leaves the
// candidates and is not drawn again.
TEST_F(TrayWindow, ServicePhotosComeAtTheSizeThatCoversTheScreenAndGonePhotosLeaveTheCandidates)
{
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 800);
    const std::wstring folder = unique_folder(L"sizes");
    AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder));
    const auto picture_at = [&](const std::wstring& name, int width, int height) {
        const std::vector<unsigned char> picture = jpeg_bytes(width, height);
        EXPECT_TRUE(serve_file(folder + L"/" + name, std::string(picture.begin(), picture.end())));
        return http_url(folder + L"/" + name);
    };
    const auto requests = [&](const char* part) { return count_requests(narrow_units(folder) + part); };
    ASSERT_TRUE(serve_file(folder + L"/services/rest@@photo_id=21",
                           sizes_answer({{"Large 1600", 1600, 1067, picture_at(L"21_h.jpg", 1600, 1067)},
                                         {"Large 2048", 2048, 1365, picture_at(L"21_k.jpg", 2048, 1365)},
                                         {"Original", 6000, 4000, http_url(folder + L"/21_o.jpg")}})));
    ASSERT_TRUE(serve_file(folder + L"/services/rest@@photo_id=22",
                           "<rsp stat=\"fail\"><err code=\"1\" msg=\"Photo not found\" /></rsp>"));
    // Gone, though its address still answers with a picture of the promised size.
    picture_at(L"23_h.jpg", 1600, 1067);
    ASSERT_TRUE(serve_file(folder + L"/services/rest@@photo_id=23",
                           sizes_answer({{"Large 1600", 1600, 1067, http_url(L"_status410/" + folder + L"/23_h.jpg")}})));
    const auto photo = [&](int id) {
        ImageItem_CL item;
        item.key = L"http://farm3.staticflickr.com/7/" + std::to_wstring(id) + L"_s";
        item.farm = 3;
        item.sizes[5] = {6000, 4000, http_url(folder + L"/" + std::to_wstring(id) + L"_o.jpg")};
        return item;
    };
    const char* sizes_asked = "/services/rest/?method=flickr.photos.getSizes";

    save_list(AppSettings.candidates_path(), {photo(22), photo(23)});
    tray->change_request(change_schedule::Asker::User);
    ASSERT_TRUE(pump_until([&] { return loaded(AppSettings.candidates_path()).items.empty() && tray->busy_count() == 0; }));
    pump_until([] { return false; }, 1000);
    EXPECT_EQ(requests(sizes_asked), 2) << "a gone photo was drawn again";
    EXPECT_EQ(requests("/22_o.jpg"), 0) << "a photo the service says is gone was downloaded";
    EXPECT_EQ(requests("/23_h.jpg"), 1);
    EXPECT_FALSE(file_exists(AppSettings.now_items_path()));

    save_list(AppSettings.candidates_path(), {photo(21)});
    tray->change_request(change_schedule::Asker::User);
    ASSERT_TRUE(pump_until([&] { return requests("/21_h.jpg") == 1 && tray->busy_count() == 0; }));
    EXPECT_EQ(read_file(AppSettings.now_picture_path()), jpeg_bytes(1600, 1067));
    EXPECT_EQ(requests(sizes_asked), 3);
    EXPECT_EQ(requests("/21_o.jpg") + requests("/21_k.jpg"), 0);
    EXPECT_EQ(loaded(AppSettings.candidates_path()).items.at(0).sizes[5].width, 6000) << "the candidate keeps its record";
    // The current wallpaper is the picture installed, and so is a favourite saved from it.
    const ImageItem_CL now = loaded(AppSettings.now_items_path()).items.at(0);
    EXPECT_EQ(now.key, photo(21).key);
    EXPECT_EQ(now.sizes[5].width, 1600);
    command(MainWindowIcon_CL::kSaveAsFavorite);
    const std::vector<ImageItem_CL> favourites = loaded(AppSettings.favorites_path()).items;
    ASSERT_EQ(favourites.size(), 1u);
    EXPECT_EQ(favourites[0].localWidth, 1600);
    EXPECT_EQ(favourites[0].localHeight, 1067);
    EXPECT_EQ(read_file(favourites[0].localPath), jpeg_bytes(1600, 1067));
}

namespace {

HWND full_screen_window() { return FindWindowW(L"TapestrelTestFullScreen", nullptr); }

// The program in full screen, once its window is in the foreground.
KernelHandle start_full_screen_program()
{
    KernelHandle program = start_process(L"\"" + env(L"TAPESTREL_FULL_SCREEN") + L"\"");
    EXPECT_TRUE(program);
    EXPECT_TRUE(pump_until([] { return full_screen_window() && GetForegroundWindow() == full_screen_window(); }));
    return program;
}

void end_full_screen_program(const KernelHandle& program)
{
    PostMessageW(full_screen_window(), WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(wait_exit(program, 10000, &code));
}

}  // namespace

// A game or film in full screen, in a process of its own: the scheduled change
// waits until it ends, the user's own change does not, and with the setting
// off nothing waits.
TEST_F(TrayWindow, AProgramInFullScreenHoldsBackScheduledChangesOnly)
{
    save_favourites(L"f", 6);
    AppInifile.write_int(keys::kInfoGet, keys::kCandAuteAdd, 0);
    timer(change_schedule::kStartupTimer);
    EXPECT_FALSE(full_screen::program_in_full_screen());

    const KernelHandle game = start_full_screen_program();
    ASSERT_TRUE(full_screen::program_in_full_screen());
    make_change_due();
    timer(change_schedule::kCheckTimer);
    pump_until([] { return false; }, 1000);
    EXPECT_EQ(history_size(), 0u);
    EXPECT_EQ(AppInifile.read_string(keys::kWallPaperInfo, keys::kUpdateDatetime), L"2020/01/01 10:00:00")
        << "the change still waits";

    command(MainWindowIcon_CL::kChangeNow);
    EXPECT_TRUE(pump_until([&] { return history_size() == 1; })) << "the user's change goes ahead";

    AppInifile.write_int(keys::kWallPaperInfo, keys::kSkipFullscreen, 0);
    make_change_due();
    timer(change_schedule::kCheckTimer);
    EXPECT_TRUE(pump_until([&] { return history_size() == 2; })) << "switched off, nothing waits";

    AppInifile.write_int(keys::kWallPaperInfo, keys::kSkipFullscreen, 1);
    make_change_due();
    timer(change_schedule::kCheckTimer);
    pump_until([] { return false; }, 1000);
    EXPECT_EQ(history_size(), 2u);
    end_full_screen_program(game);
    EXPECT_FALSE(full_screen::program_in_full_screen());
    timer(change_schedule::kCheckTimer);
    EXPECT_TRUE(pump_until([&] { return history_size() == 3; })) << "the first check after it ended changes";
}

// The change that ends the start-up run skips the schedule, but not a program in full screen.
TEST_F(TrayWindow, TheStartUpChangeWaitsForAProgramInFullScreenToo)
{
    const std::wstring folder = unique_folder(L"startup");
    ASSERT_TRUE(serve_file(folder + L"/services/rest",
                           "<rsp stat=\"fail\"><err code=\"100\" msg=\"Invalid API Key (Key has invalid format)\" /></rsp>"));
    AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder));
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 0);
    save_favourites(L"s", 3);
    const KernelHandle game = start_full_screen_program();

    timer(change_schedule::kStartupTimer);
    ASSERT_TRUE(pump_until([&] { return tray->tray_tip() != L"Tapestrel" && tray->busy_count() == 0; }));
    timer(change_schedule::kCheckTimer);
    pump_until([] { return false; }, 1000);
    EXPECT_EQ(history_size(), 0u);

    end_full_screen_program(game);
    timer(change_schedule::kCheckTimer);
    EXPECT_TRUE(pump_until([&] { return history_size() == 1; }));
}

// The picture server drops every connection (as before the network is back
// after waking), then answers again: the change is tried again at the next
// checks, not a whole interval later.
TEST_F(TrayWindow, AChangeWhoseDownloadsDoNotArriveIsTriedAgainAtTheNextChecks)
{
    const std::wstring folder = unique_folder(L"retry");
    const std::vector<unsigned char> picture = jpeg_bytes(320, 240);
    std::vector<ImageItem_CL> candidates;
    for (int n = 0; n < 4; ++n) {
        const std::wstring name = folder + L"/p" + std::to_wstring(n) + L"_o.jpg";
        ASSERT_TRUE(serve_file(name, std::string(picture.begin(), picture.end())));
        ASSERT_TRUE(serve_file(name + L".switches", "_reset"));
        ImageItem_CL photo = service_photo(folder, n);
        photo.sizes[5].width = 320;
        photo.sizes[5].height = 240;
        candidates.push_back(photo);
    }
    save_list(AppSettings.candidates_path(), candidates);
    AppInifile.write_int(keys::kInfoGet, keys::kCandAuteAdd, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kUpdateTimming, 5);  // a week
    timer(change_schedule::kStartupTimer);
    const std::string path = "/" + std::string(folder.begin(), folder.end()) + "/";
    const auto check_and_settle = [&] {
        timer(change_schedule::kCheckTimer);
        pump_until([] { return false; }, 300);
        pump_until([&] { return tray->busy_count() == 0; });
        return count_requests(path);
    };

    make_change_due();
    EXPECT_EQ(check_and_settle(), 3) << "three draws, none arrived";
    EXPECT_FALSE(file_exists(AppSettings.now_items_path()));
    EXPECT_EQ(tray->tray_tip(), L"Tapestrel\n写真をダウンロードできませんでした。1分後にもう一度試します。");
    EXPECT_EQ(check_and_settle(), 6) << "tried again at the next check";
    EXPECT_EQ(tray->tray_tip(), L"Tapestrel\n写真をダウンロードできませんでした。2分後にもう一度試します。");
    EXPECT_EQ(check_and_settle(), 6);

    for (int n = 0; n < 4; ++n) ASSERT_TRUE(serve_file(folder + L"/p" + std::to_wstring(n) + L"_o.jpg.switches", ""));
    check_and_settle();
    EXPECT_TRUE(installed()) << "the server answers again: the change happens, a week early";
    EXPECT_EQ(tray->tray_tip(), L"Tapestrel");
    EXPECT_EQ(history_size(), 1u);
    const int after = count_requests(path);
    EXPECT_EQ(check_and_settle(), after) << "back on the schedule";

    // A refused answer is no missing download: the change waits for the interval.
    for (int n = 0; n < 4; ++n) ASSERT_TRUE(serve_file(folder + L"/p" + std::to_wstring(n) + L"_o.jpg.switches", "_status404 _page"));
    make_change_due();
    EXPECT_EQ(check_and_settle(), after + 3);
    EXPECT_EQ(check_and_settle(), after + 3);
    EXPECT_EQ(tray->tray_tip(), L"Tapestrel");
}

// Waking from sleep checks at once; the timer's own tick that follows, and the
// user-present notice, change nothing a second time.
TEST_F(TrayWindow, WakingUpChecksAtOnceWithoutChangingTwice)
{
    save_favourites(L"w", 4);
    AppInifile.write_int(keys::kInfoGet, keys::kCandAuteAdd, 0);
    timer(change_schedule::kStartupTimer);
    make_change_due();
    SendMessageW(tray->window(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    SendMessageW(tray->window(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    timer(change_schedule::kCheckTimer);
    EXPECT_TRUE(pump_until([&] { return history_size() == 1; }));
    timer(change_schedule::kCheckTimer);
    SendMessageW(tray->window(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    pump_until([] { return false; }, 1000);
    EXPECT_EQ(history_size(), 1u);
}

namespace {

const char kInvalidKey[] = "<rsp stat=\"fail\"><err code=\"100\" msg=\"Invalid API Key (Key has invalid format)\" /></rsp>";
const wchar_t kInvalidKeyText[] = L"Flickrが拒否しました: Invalid API Key (Key has invalid format) (100)";

// The photo service and Wikimedia Commons each in a folder of the test's own.
class TrayCommons : public TrayWindow {
protected:
    std::wstring folder = unique_folder(L"commons");

    void SetUp() override
    {
        TrayWindow::SetUp();
        point_flickr_at(L"flickr");
        ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kCommonsUrl, http_url(commons())));
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
        const size_t before = http_requests(folder).size();
        timer(change_schedule::kStartupTimer);
        ASSERT_TRUE(pump_until([&] { return http_requests(folder).size() > before && installed(); }, 30000));
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
    std::vector<ImageItem_CL> candidates = loaded(AppSettings.candidates_path()).items;
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
    const std::vector<ImageItem_CL> now = loaded(AppSettings.now_items_path()).items;
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
    EXPECT_EQ(loaded(AppSettings.candidates_path()).items.size(), 3u) << "the service's photos come all the same";
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
