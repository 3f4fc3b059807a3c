#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Bench.h"
#include "Figures.h"
#include "ProcessFootprint.h"
#include "TestSupport.h"
#include "TrayDriver.h"
#include "base/ModulePath.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

namespace {

constexpr int kWarmUpChanges = 5;
constexpr int kChanges = 100;
constexpr DWORD kChangeTimeoutMs = 60000;
constexpr DWORD kDefaultIdleSeconds = 300;
constexpr double kAboveFloorGoalKib = 3 * 1024;
constexpr double kGrowthGoalKib = 256;
constexpr double kIdleCpuGoalSeconds = 0.2;

// TAPESTREL_BENCH_IDLE_SECONDS shortens (or lengthens) the idle part.
DWORD idle_seconds()
{
    const std::wstring text = testing_support::env(L"TAPESTREL_BENCH_IDLE_SECONDS");
    return text.empty() ? kDefaultIdleSeconds : static_cast<DWORD>(_wtoi(text.c_str()));
}

std::wstring tapestrel_exe()
{
    const std::wstring configured = testing_support::tapestrel_exe();
    return configured.empty() ? module_folder() + L"\\..\\Tapestrel.exe" : configured;
}

}  // namespace

// The tray draws only from a local folder, so it needs no service at all.
void point_tray_at(const std::wstring& pictures)
{
    AppSettings.load(documents_folder());
    const std::wstring nowhere = L"http://127.0.0.1/offline";
    for (const wchar_t* key : {keys::kRestUrl, keys::kWebUrl, keys::kSupportUrl, keys::kCommonsUrl})
        AppInifile.write_string(keys::kService, key, nowhere);
    AppInifile.write_int(keys::kInfoGet, keys::kCandAuteAdd, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 1);
    AppInifile.write_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit, pictures);
}

namespace {

void prepare_tray_settings(const std::wstring& pictures)
{
    point_tray_at(pictures);
    CreateDirectoryW(pictures.c_str(), nullptr);
    const int sizes[][2] = {{1920, 1080}, {1600, 1200}, {2560, 1440}, {1280, 800}, {1024, 768}, {1200, 1600}};
    for (int n = 0; n < 12; ++n) {
        const auto& size = sizes[n % 6];
        testing_support::make_jpeg(pictures + L"\\IMG_" + std::to_wstring(n) + L".jpg", size[0], size[1]);
    }
}

void print_figure(const std::string& name, const std::string& ours, const std::string& floor, double ratio,
                  const std::string& goal, bool met)
{
    std::printf("%s: %s, %s, %.2fx, goal %s%s\n", name.c_str(), ours.c_str(), floor.c_str(), ratio, goal.c_str(),
                met ? "" : "  (missed)");
    std::fflush(stdout);
}

std::string kib_text(double kib)
{
    char text[32];
    if (kib >= 1024 || kib <= -1024) std::snprintf(text, sizeof(text), "%.2f MiB", kib / 1024);
    else std::snprintf(text, sizeof(text), "%.0f KiB", kib);
    return text;
}

std::string seconds_text(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f s", seconds);
    return text;
}

double ratio_of(double ours, double floor)
{
    return floor > 0 ? ours / floor : 0;
}

void report_memory(const std::string& when, double ours, double floor)
{
    print_figure("tray private working set " + when, kib_text(ours), kib_text(floor), ratio_of(ours, floor),
                 "<= floor + 3 MiB", ours - floor <= kAboveFloorGoalKib);
}

// One process measured from outside, with its samples.
struct Measured {
    KernelHandle process;
    ProcessFootprint footprint;
    ProcessFootprint::Sample startup, before, after, idle_start, idle_end;
    ProcessFootprint::Regions startup_regions, after_regions;

    // Once its window exists, so that its host process has its command line.
    Measured(KernelHandle started, const wchar_t* program)
        : process(std::move(started)), footprint(GetProcessId(process.get()), program)
    {
    }
};

// The tray and the floor program, both running and measured from outside.
struct TrayAndFloor {
    TrayAndFloor(KernelHandle floor_process, KernelHandle tray_process, HWND window)
        : floor(std::move(floor_process), L"tapestrel_bench_floor.exe"),
          tray(std::move(tray_process), L"Tapestrel.exe"),
          floor_window(window)
    {
    }
    Measured floor;
    Measured tray;
    HWND floor_window;
};

// Ends both programs; a program that did not start is only waited for.
void end_both(TrayDriver& driver, TrayAndFloor& both)
{
    if (both.floor_window) PostMessageW(both.floor_window, WM_CLOSE, 0, 0);
    if (driver.tray()) driver.exit_tray(both.tray.process.get(), 20000);
    testing_support::wait_exit(both.floor.process, 10000, nullptr);
}

// Started, with the tray's start-up timer fired; null (and a note naming the figure) when that fails.
std::unique_ptr<TrayAndFloor> start_both(TrayDriver& driver, const std::string& figure)
{
    KernelHandle floor_process = testing_support::start_process(L"\"" + module_folder() + L"\\tapestrel_bench_floor.exe\"");
    KernelHandle tray_process = testing_support::start_process(L"\"" + tapestrel_exe() + L"\"");
    HWND floor_window = nullptr;
    driver.pump_until([&] { return (floor_window = FindWindowW(L"TapestrelFloorClass", nullptr)) != nullptr; }, 30000);
    const bool started = driver.ready() && driver.find_tray(30000) && floor_window;
    auto both = std::make_unique<TrayAndFloor>(std::move(floor_process), std::move(tray_process), floor_window);
    if (started && both->tray.footprint.found() && both->floor.footprint.found()) {
        driver.fire_startup_timer();
        driver.pump_for(3000);
        return both;
    }
    bench::note(figure + ": the tray or the floor program could not be started and measured");
    end_both(driver, *both);
    return nullptr;
}

bool sample_both(Measured& tray, Measured& floor, ProcessFootprint::Sample Measured::*when)
{
    return tray.footprint.sample(tray.*when) && floor.footprint.sample(floor.*when);
}

// Where the private pages lie; a breakdown that cannot be read is left out.
bool regions_of_both(Measured& tray, Measured& floor, ProcessFootprint::Regions Measured::*when)
{
    if (!tray.footprint.regions(tray.process.get(), tray.*when) || !floor.footprint.regions(floor.process.get(), floor.*when))
        tray.*when = floor.*when = ProcessFootprint::Regions();
    return true;
}

void note_regions(const std::string& when, const ProcessFootprint::Regions& tray, const ProcessFootprint::Regions& floor)
{
    if (tray.stacks == 0) return;
    const auto pair = [](double ours, double floor) { return kib_text(ours) + " / " + kib_text(floor); };
    bench::note("tray / floor private memory " + when + ": Windows images " + pair(tray.images_kib, floor.images_kib) +
                "; mapped files " + pair(tray.mapped_kib, floor.mapped_kib) + "; thread stacks (" +
                std::to_string(tray.stacks) + " / " + std::to_string(floor.stacks) + ") " +
                pair(tray.stacks_kib, floor.stacks_kib) + "; other Windows memory " + pair(tray.other_kib, floor.other_kib) +
                "; Wine's unix libraries " + pair(tray.unix_libs_kib, floor.unix_libs_kib) + "; Wine's unix heap " +
                pair(tray.unix_memory_kib, floor.unix_memory_kib));
}

bool run_changes(TrayDriver& driver, int count)
{
    for (int n = 0; n < count; ++n)
        if (!driver.change_now(kChangeTimeoutMs)) return false;
    // The last notice comes before the worker is back at rest.
    driver.pump_for(500);
    return true;
}

void report(const Measured& tray, const Measured& floor, DWORD idle)
{
    report_memory("after start-up", tray.startup.private_kib, floor.startup.private_kib);
    report_memory("after 100 changes", tray.after.private_kib, floor.after.private_kib);
    const double growth = tray.after.private_kib - tray.before.private_kib;
    const double floor_growth = floor.after.private_kib - floor.before.private_kib;
    print_figure("tray private growth over 100 changes", kib_text(growth), kib_text(floor_growth), ratio_of(growth, floor_growth),
                 "<= 256 KiB", growth <= kGrowthGoalKib);
    print_figure("tray handles before and after 100 changes",
                 std::to_string(tray.before.handles) + " -> " + std::to_string(tray.after.handles),
                 std::to_string(floor.after.handles), ratio_of(tray.after.handles, floor.after.handles), "equal",
                 tray.after.handles == tray.before.handles);
    const double cpu = tray.idle_end.cpu_seconds - tray.idle_start.cpu_seconds;
    const double floor_cpu = floor.idle_end.cpu_seconds - floor.idle_start.cpu_seconds;
    print_figure("tray CPU time over " + std::to_string(idle) + " idle seconds", seconds_text(cpu), seconds_text(floor_cpu),
                 ratio_of(cpu, floor_cpu), "<= 0.2 s", cpu <= kIdleCpuGoalSeconds);
    char text[200];
    std::snprintf(text, sizeof(text),
                  "after 100 changes: PSS tray %s, floor %s; threads tray %lu, floor %lu; tray CPU for start-up and %d changes: %.2f s",
                  kib_text(tray.after.pss_kib).c_str(), kib_text(floor.after.pss_kib).c_str(), tray.after.threads,
                  floor.after.threads, kWarmUpChanges + kChanges, tray.after.cpu_seconds);
    bench::note(text);
    note_regions("after start-up", tray.startup_regions, floor.startup_regions);
    note_regions("after 100 changes", tray.after_regions, floor.after_regions);
}

// Measured alone, once the tray has ended: pages of a library mapped by two
// Wine processes count as private to neither, which would flatter both.
void note_decoding_floor(TrayDriver& driver, const std::wstring& jpeg_path, const ProcessFootprint::Sample& tray_after)
{
    KernelHandle process =
        testing_support::start_process(L"\"" + module_folder() + L"\\tapestrel_bench_decoding_floor.exe\" " + jpeg_path);
    HWND window = nullptr;
    driver.pump_until([&] { return (window = FindWindowW(L"TapestrelFloorClass", nullptr)) != nullptr; }, 30000);
    const ProcessFootprint footprint(GetProcessId(process.get()), L"tapestrel_bench_decoding_floor.exe", jpeg_path);
    ProcessFootprint::Sample sample;
    if (window && footprint.found() && footprint.sample(sample)) {
        bench::note("floor that has also decoded one picture and saved it as a bitmap, as the tray's first change does: " +
                    kib_text(sample.private_kib) + "; the tray after 100 changes is " +
                    kib_text(tray_after.private_kib - sample.private_kib) + " above it");
    } else {
        bench::note("the decoding floor could not be started and measured");
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    testing_support::wait_exit(process, 10000, nullptr);
}

}  // namespace

void figure_tray_footprint(const std::wstring& folder)
{
    prepare_tray_settings(folder + L"\\tray-pictures");
    TrayDriver driver;
    std::unique_ptr<TrayAndFloor> both = start_both(driver, "tray footprint");
    if (!both) return;
    Measured& tray = both->tray;
    Measured& floor = both->floor;
    const DWORD idle = idle_seconds();
    const bool measured = sample_both(tray, floor, &Measured::startup) &&
                          regions_of_both(tray, floor, &Measured::startup_regions) && run_changes(driver, kWarmUpChanges) &&
                          sample_both(tray, floor, &Measured::before) && run_changes(driver, kChanges) &&
                          sample_both(tray, floor, &Measured::after) && regions_of_both(tray, floor, &Measured::after_regions) &&
                          sample_both(tray, floor, &Measured::idle_start);
    if (measured) driver.pump_for(idle * 1000);
    if (measured && sample_both(tray, floor, &Measured::idle_end)) report(tray, floor, idle);
    else bench::note("tray footprint: a change was not installed or a sample could not be taken");
    end_both(driver, *both);
    if (tray.after.private_kib > 0) note_decoding_floor(driver, folder + L"\\tray-pictures\\IMG_0.jpg", tray.after);
}

void figure_library_tray(const std::wstring& library, double walk_seconds)
{
    point_tray_at(library);
    TrayDriver driver;
    std::unique_ptr<TrayAndFloor> both = start_both(driver, "library");
    if (!both) return;
    Measured& tray = both->tray;
    Measured& floor = both->floor;
    // The first change also loads what every later one finds ready (GDI+, the encoders).
    bool changed = driver.change_now(kChangeTimeoutMs);
    double best = 1e300;
    for (int n = 0; n < kWarmUpChanges && changed; ++n)
        best = std::min(best, bench::seconds([&] { changed = driver.change_now(kChangeTimeoutMs); }));
    if (changed) bench::report("forced change, 30,000-picture folder", best, walk_seconds, 3.0);
    if (changed && run_changes(driver, kChanges) && sample_both(tray, floor, &Measured::after) &&
        regions_of_both(tray, floor, &Measured::after_regions)) {
        report_memory("after 100 changes from a 30,000-picture folder", tray.after.private_kib, floor.after.private_kib);
        note_regions("after 100 changes from that folder", tray.after_regions, floor.after_regions);
    } else {
        bench::note("library: a change was not installed or a sample could not be taken");
    }
    end_both(driver, *both);
}
