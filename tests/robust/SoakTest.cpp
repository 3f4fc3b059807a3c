#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <objbase.h>

#include "ProcessFootprint.h"
#include "TestSupport.h"
#include "TrayDriver.h"
#include "base/GdiplusInclude.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "store/WallPaperItemBase_CL.h"

using namespace testing_support;

namespace {

constexpr int kDefaultChanges = 500;
constexpr int kWarmUpChanges = 50;
constexpr int kSampleEvery = 25;
constexpr int kPrintEvery = 100;
constexpr int kServicePhotos = 12;
constexpr double kAllowedGrowthKib = 256;
constexpr DWORD kChangeTimeoutMs = 30000;

// TAPESTREL_SOAK_CHANGES sets a longer run.
int soak_changes()
{
    const int wanted = _wtoi(env(L"TAPESTREL_SOAK_CHANGES").c_str());
    return wanted > kWarmUpChanges ? wanted : kDefaultChanges;
}

bool under_wine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Samples are taken from the end of the warm-up on, every 25 changes and at the end.
bool is_checkpoint(int n, int changes)
{
    return n >= kWarmUpChanges && (n % kSampleEvery == 0 || n == changes);
}

// Memory comes and goes with each picture (the heap gives pages back late): a
// leak shows as the lowest level of the second half of the run rising above
// that of the first half.
double growth_kib(const std::vector<ProcessFootprint::Sample>& samples)
{
    const size_t half = samples.size() / 2;
    auto lowest = [&](size_t from, size_t to) {
        double result = samples[from].private_kib;
        for (size_t i = from; i < to; ++i) result = std::min(result, samples[i].private_kib);
        return result;
    };
    return lowest(half, samples.size()) - lowest(0, half);
}

void print_sample(int changes, const ProcessFootprint::Sample& sample)
{
    std::printf("[soak] after %d changes: private %.0f KiB, PSS %.0f KiB, %lu handles, %lu threads, CPU %.2f s\n", changes,
                sample.private_kib, sample.pss_kib, sample.handles, sample.threads, sample.cpu_seconds);
    std::fflush(stdout);
}

// The service lists photos whose pictures it serves; the local folder holds JPEGs of other sizes.
void prepare_sources(const std::wstring& local_folder)
{
    GUID id;
    CoCreateGuid(&id);
    const std::wstring folder = L"soak_" + std::to_wstring(id.Data1);
    AppInifile.write_string(keys::kService, keys::kRestUrl, http_url(folder));
    AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder));
    AppInifile.write_int(keys::kInfoGet, keys::kCandAddMax, 1);  // 20 per run: all of them
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0);
    AppInifile.write_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit, local_folder);
    ASSERT_TRUE(serve_file(folder + L"/services/rest", photos_answer(folder, kServicePhotos, 1024, 768)));
    GdiplusSession gdiplus;
    const std::vector<unsigned char> picture = jpeg_bytes(1024, 768);
    for (int n = 0; n < kServicePhotos; ++n)
        ASSERT_TRUE(serve_file(folder + L"/" + std::to_wstring(5000 + n) + L"_o.jpg", std::string(picture.begin(), picture.end())));
    const int sizes[][2] = {{1280, 800}, {1920, 1080}, {800, 1200}, {1600, 1200}, {640, 480}, {2048, 1536}};
    for (const auto& size : sizes)
        ASSERT_TRUE(make_jpeg(local_folder + L"\\IMG_" + std::to_wstring(size[0]) + L".jpg", size[0], size[1]));
}

// The installed wallpaper is the recorded current item: the picture has its size.
void expect_current_wallpaper_recorded()
{
    WallPaperItemBase_CL now, history;
    now.set_path(AppSettings.now_items_path());
    history.set_path(AppSettings.history_path());
    ASSERT_EQ(now.load(), S_OK);
    ASSERT_EQ(now.items.size(), 1u);
    ASSERT_EQ(history.load(), S_OK);
    ASSERT_FALSE(history.items.empty());
    EXPECT_EQ(history.items[0].key, now.items[0].key);
    ImageItem_CL::Size best;
    ASSERT_TRUE(now.items[0].best_size(best));
    GdiplusSession gdiplus;
    Gdiplus::Bitmap picture(AppSettings.now_picture_path().c_str());
    EXPECT_EQ(picture.GetWidth(), static_cast<UINT>(best.width));
    EXPECT_EQ(picture.GetHeight(), static_cast<UINT>(best.height));
}

}  // namespace

// The real tray process, driven through many forced changes from the service
// and a local folder: every change is installed, and after a warm-up neither
// its handles nor its private memory grow.
TEST(Soak, ForcedChangesAllInstallWithoutGrowingHandlesOrMemory)
{
    const int changes = soak_changes();
    remove_tree(documents_folder() + L"\\Tapestrel");
    AppSettings.load(documents_folder());
    TempFolder pictures;
    prepare_sources(pictures.path());
    if (HasFatalFailure()) return;

    TrayDriver driver;
    ASSERT_TRUE(driver.ready());
    KernelHandle tray = start_tapestrel(L"");
    ASSERT_TRUE(tray);
    ASSERT_TRUE(driver.find_tray(20000));
    const ProcessFootprint footprint(GetProcessId(tray.get()), L"Tapestrel.exe");
    ASSERT_TRUE(footprint.found() || !under_wine()) << "the tray's host process was not found under Z:\\proc";

    // The start-up run adds the service's photos and ends with the first change.
    driver.fire_startup_timer();
    ASSERT_TRUE(driver.pump_until([&] { return driver.installed() == 1; }, 60000));
    EXPECT_EQ(driver.notices(2), 1);

    const DWORD started = GetTickCount();
    std::vector<ProcessFootprint::Sample> samples;
    int failed = 0;
    for (int n = 1; n <= changes; ++n) {
        if (!driver.change_now(kChangeTimeoutMs)) ++failed;
        if (!footprint.found() || !is_checkpoint(n, changes)) continue;
        // The last notice comes before the worker is back at rest.
        driver.pump_for(300);
        ProcessFootprint::Sample sample;
        ASSERT_TRUE(footprint.sample(sample)) << "after " << n << " changes";
        samples.push_back(sample);
        if (n == kWarmUpChanges || n % kPrintEvery == 0 || n == changes) print_sample(n, sample);
    }
    const double seconds = (GetTickCount() - started) / 1000.0;
    std::printf("[soak] %d forced changes in %.1f s (%.0f ms each)\n", changes, seconds, seconds * 1000 / changes);

    EXPECT_EQ(failed, 0);
    EXPECT_EQ(driver.installed(), changes + 1);
    EXPECT_EQ(driver.notices(4), changes + 1);  // every change also reached the history
    EXPECT_EQ(WaitForSingleObject(tray.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the tray process ended";
    if (footprint.found()) {
        for (const ProcessFootprint::Sample& sample : samples) {
            EXPECT_EQ(sample.handles, samples[0].handles);
            EXPECT_EQ(sample.threads, samples[0].threads);
        }
        EXPECT_LE(growth_kib(samples), kAllowedGrowthKib);
    }
    expect_current_wallpaper_recorded();
    EXPECT_TRUE(driver.exit_tray(tray.get(), 20000));
}
