#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <thread>

#include "RobustSupport.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "net/InetHttp_CL.h"
#include "wallpaper/ChangeSchedule.h"
#include "tray/MainWindowIcon_CL.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

using namespace testing_support;
using ui_testing::pump_until;

namespace {

// The service offers 40 photos; a run adds 20 of them, more than the cases
// install, so every installed wallpaper is new to the history.
constexpr int kPhotos = 40;
constexpr int kWidth = 320;
constexpr int kHeight = 240;
// A loopback address of this test run where nothing listens.
constexpr wchar_t kRefusedHost[] = L"127.0.0.84";
// Long enough for a draw that the bound failed to stop to show up, even after a stall.
constexpr DWORD kQuietMs = 5000;

// The list files, the installed picture and its bitmap, and the registry's wallpaper.
using Snapshot = std::map<std::wstring, std::vector<unsigned char>>;

std::wstring registry_wallpaper()
{
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

Snapshot snapshot()
{
    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    Snapshot files;
    for (const std::wstring& path : {AppSettings.favorites_path(), AppSettings.candidates_path(), AppSettings.history_path(),
                                     AppSettings.now_items_path(), AppSettings.now_picture_path(), AppSettings.now_bitmap_path()})
        files[path] = read_file(path);
    const std::wstring wallpaper = registry_wallpaper();
    files[L"registry"] = std::vector<unsigned char>(wallpaper.begin(), wallpaper.end());
    return files;
}

WallPaperItemBase_CL load_list(const std::wstring& path)
{
    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    WallPaperItemBase_CL list;
    list.set_path(path);
    (void)list.load();  // a missing list reads as empty
    return list;
}

// The queries go to one of the two service addresses, the sign-in to the other.
void point_service_at(const std::wstring& url)
{
    AppInifile.write_string(keys::kService, keys::kRestUrl, url);
    AppInifile.write_string(keys::kService, keys::kWebUrl, url);
}

// Requests the stand-in logged whose line begins with `prefix` and holds `part`.
size_t count_requests(const std::string& prefix, const std::string& part)
{
    const std::string log = http_log(L"_requests.log");
    size_t count = 0;
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        if (line.compare(0, prefix.size(), prefix) == 0 && line.find(part) != std::string::npos) ++count;
        start = end + 1;
    }
    return count;
}

// The tray process under test, shared by the fault cases in the order given.
class NetworkFaults : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite()
    {
        // A tray left behind by a failed case would block the next single-instance start.
        if (tray_ && WaitForSingleObject(tray_.get(), 0) == WAIT_TIMEOUT) TerminateProcess(tray_.get(), 1);
        tray_ = KernelHandle();
    }

    static std::string folder_text() { return std::string(folder_.begin(), folder_.end()); }
    static size_t picture_requests()
    {
        return count_requests("GET /" + folder_text() + "/", "_o.jpg");
    }
    static size_t service_requests()
    {
        return count_requests("GET /" + folder_text() + "/services/rest", "");
    }
    static size_t history_count() { return load_list(AppSettings.history_path()).items.size(); }

    static void set_switches(const std::wstring& file, const std::string& switches);
    static void set_picture_switches(const std::string& switches);
    // Asks for a change until a picture request shows that one started (the
    // tray ignores the command while it is busy).
    static bool change_now_until_request();
    static void expect_running() { EXPECT_EQ(WaitForSingleObject(tray_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)); }
    // The service is back: a forced change installs a candidate again.
    static void expect_recovery(size_t history_before);

    static std::wstring folder_;
    static KernelHandle tray_;
    static HWND window_;
};

std::wstring NetworkFaults::folder_;
KernelHandle NetworkFaults::tray_;
HWND NetworkFaults::window_ = nullptr;

void NetworkFaults::SetUpTestSuite()
{
    folder_ = robust::candidate_service(L"netfaults_", 1);  // 20 per run
    {
        GdiplusSession gdiplus;
        if (!serve_photos(folder_, kPhotos, kWidth, kHeight)) return;
    }
    // The service answers on a host of its own, as the real one does.
    point_service_at(service_url(folder_));
    tray_ = start_tapestrel(L"");
    window_ = wait_for_window(L"Tapestrel_ICON", 20000);
    if (!window_) return;
    // The start-up run without waiting 30 s: candidates, then the first wallpaper.
    PostMessageW(window_, WM_TIMER, change_schedule::kStartupTimer, 0);
    pump_until([] { return history_count() == 1; }, 120000);
}

void NetworkFaults::set_switches(const std::wstring& file, const std::string& switches)
{
    const std::wstring sidecar = file + L".switches";
    if (switches.empty()) DeleteFileW((http_root() + L"\\" + folder_ + L"\\" + sidecar).c_str());
    else serve_file(folder_ + L"/" + sidecar, switches);
}

void NetworkFaults::set_picture_switches(const std::string& switches)
{
    for (int n = 0; n < kPhotos; ++n) set_switches(std::to_wstring(5000 + n) + L"_o.jpg", switches);
}

bool NetworkFaults::change_now_until_request()
{
    const size_t before = picture_requests();
    for (int attempt = 0; attempt < 30; ++attempt) {
        PostMessageW(window_, WM_COMMAND, MainWindowIcon_CL::kChangeNow, 0);
        if (pump_until([&] { return picture_requests() > before; }, 2000)) return true;
    }
    return false;
}

void NetworkFaults::expect_recovery(size_t history_before)
{
    ASSERT_TRUE(change_now_until_request());
    ASSERT_TRUE(pump_until([&] { return history_count() == history_before + 1; }, 60000)) << "no wallpaper installed";
    const WallPaperItemBase_CL now = load_list(AppSettings.now_items_path());
    const WallPaperItemBase_CL history = load_list(AppSettings.history_path());
    ASSERT_EQ(now.items.size(), 1u);
    EXPECT_EQ(history.items[0].key, now.items[0].key);
    EXPECT_TRUE(load_list(AppSettings.candidates_path()).find(now.items[0]));
    EXPECT_EQ(registry_wallpaper(), AppSettings.now_bitmap_path());
}

}  // namespace

// Every broken download counts as a failed draw: after three in a row the tray
// waits for the next command, having changed nothing, and the next command after
// the fault is gone installs a wallpaper.
TEST_F(NetworkFaults, BrokenPictureDownloadsStopAfterThreeDrawsAndChangeNothing)
{
    ASSERT_NE(window_, nullptr);
    ASSERT_EQ(history_count(), 1u) << "the start-up run installed nothing";
    struct Fault {
        const char* switches;
        // The rest of a body longer than announced stays in the pooled
        // connection and answers the next download without the service seeing it.
        bool every_draw_reaches_service;
    };
    std::vector<Fault> faults = {{"_reset", true},  {"_status500 _page", true}, {"_garbage", true},           {"_long", false},
                                 {"_short", true},  {"_stall2", true},          {"_nolength _garbage", true}};
    // A server silent for an hour: each draw waits for the silence limit.
    if (robust::long_mode()) faults.push_back({"_stall3600", true});
    const ULONGLONG start = GetTickCount64();
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.switches);
        const Snapshot before = snapshot();
        const size_t history = history_count();
        set_picture_switches(fault.switches);
        const size_t requests = picture_requests();
        const bool started = change_now_until_request();
        // Until no further draw comes; one the bound failed to stop would come at once.
        size_t seen = picture_requests();
        const DWORD quiet = kQuietMs + (std::string(fault.switches) == "_stall3600" ? InetHttp_CL::kSilenceTimeoutMs : 0);
        while (started && pump_until([&] { return picture_requests() > seen; }, quiet)) seen = picture_requests();
        set_picture_switches("");
        ASSERT_TRUE(started);
        const size_t draws = seen - requests;
        if (fault.every_draw_reaches_service) EXPECT_EQ(draws, static_cast<size_t>(MainWindowIcon_CL::kMaxFailedDraws));
        else EXPECT_LE(draws, static_cast<size_t>(MainWindowIcon_CL::kMaxFailedDraws));
        EXPECT_TRUE(snapshot() == before) << "a list, the installed picture or the registry changed";
        expect_running();
        expect_recovery(history);
    }
    robust::report("network faults: %zu kinds of broken picture download survived and recovered from in %.1f s",
                   faults.size(), robust::seconds_since(start));
}

// A candidate run against a broken service adds nothing, keeps the candidate
// list as it was and still ends with a wallpaper change.
TEST_F(NetworkFaults, ABrokenServiceLeavesTheCandidatesAloneAndTheRunStillChangesTheWallpaper)
{
    ASSERT_NE(window_, nullptr);
    const char* faults[] = {"_status500 _page", "_garbage", "_reset", "_long", "_stall2", "refused"};
    for (const char* fault : faults) {
        SCOPED_TRACE(fault);
        const bool refused = std::string(fault) == "refused";
        if (refused) point_service_at(std::wstring(L"http://") + kRefusedHost + L"/" + folder_);
        else set_switches(L"services/rest", fault);
        const std::vector<unsigned char> candidates = read_file(AppSettings.candidates_path());
        const size_t history = history_count();
        const size_t requests = service_requests();
        PostMessageW(window_, WM_TIMER, change_schedule::kStartupTimer, 0);
        if (!refused) {
            EXPECT_TRUE(pump_until([&] { return service_requests() > requests; }, 60000));
        }
        EXPECT_TRUE(pump_until([&] { return history_count() == history + 1; }, 120000)) << "the run ended without a change";
        EXPECT_EQ(read_file(AppSettings.candidates_path()), candidates);
        expect_running();
        if (refused) point_service_at(service_url(folder_));
        else set_switches(L"services/rest", "");
    }
}

// Pictures on an address where nothing listens: nothing is installed or
// recorded, and the tray recovers when the draws reach the service again.
TEST_F(NetworkFaults, RefusedPictureAddressesInstallNothing)
{
    ASSERT_NE(window_, nullptr);
    WallPaperItemBase_CL favorites;
    favorites.set_path(AppSettings.favorites_path());
    for (int n = 0; n < 3; ++n) {
        ImageItem_CL item;
        item.key = L"refused" + std::to_wstring(n);
        item.farm = 3;
        item.sizes[5] = {kWidth, kHeight, std::wstring(L"http://") + kRefusedHost + L"/" + folder_ + L"/" + item.key + L"_o.jpg"};
        favorites.items.push_back(item);
    }
    {
        Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
        ASSERT_EQ(favorites.save(), S_OK);
    }
    const Snapshot before = snapshot();
    const size_t history = history_count();
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 1);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 0);
    SendMessageW(window_, WM_COMMAND, MainWindowIcon_CL::kChangeNow, 0);
    // Refused connections fail at once; the sources change back only after the
    // bounded draws, which nothing outside can see, are surely over.
    Sleep(kQuietMs);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 1);
    expect_recovery(history);
    const Snapshot after = snapshot();
    EXPECT_EQ(after.at(AppSettings.favorites_path()), before.at(AppSettings.favorites_path()));
    EXPECT_EQ(after.at(AppSettings.candidates_path()), before.at(AppSettings.candidates_path()));
    for (const ImageItem_CL& item : load_list(AppSettings.history_path()).items) EXPECT_FALSE(favorites.find(item));
}

TEST_F(NetworkFaults, TheTrayEndsNormallyAfterwards)
{
    ASSERT_NE(window_, nullptr);
    PostMessageW(window_, WM_COMMAND, MainWindowIcon_CL::kExit, 0);
    DWORD code = 1;
    ASSERT_TRUE(wait_exit(tray_, 20000, &code));
    EXPECT_EQ(code, 0u);
}

// A server that sends half a body and then nothing for an hour: the transfer
// gives up after the silence limit instead of holding its worker for ever.
TEST(SilentServer, ADownloadFromAServerThatFallsSilentEnds)
{
    ASSERT_TRUE(serve_file(L"silent/picture.jpg", std::string(100000, 'x')));
    auto outcome = std::make_shared<std::atomic<int>>(0);  // 1: nothing, 2: data
    std::thread([outcome] {
        HGLOBAL data = InetHttp_CL::download_to_movable(http_url(L"_stall3600/silent/picture.jpg"));
        if (data) GlobalFree(data);
        *outcome = data ? 2 : 1;
    }).detach();
    ASSERT_TRUE(pump_until([&] { return outcome->load() != 0; }, 4 * InetHttp_CL::kSilenceTimeoutMs)) << "still waiting";
    EXPECT_EQ(outcome->load(), 1);
}
