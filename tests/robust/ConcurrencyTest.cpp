#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "RobustSupport.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "WallpaperColour.h"
#include "base/Mutex_CL.h"
#include "wallpaper/ChangeSchedule.h"
#include "tray/MainWindowIcon_CL.h"
#include "store/AppSettings_CL.h"
#include "store/WallPaperItemBase_CL.h"
#include "wallpaper/ItemCommands.h"

using namespace testing_support;
using ui_testing::pump_until;

namespace {

KernelHandle start_changer(const std::wstring& documents, const wchar_t* mode, const wchar_t* tag, int changes)
{
    return start_process(L"\"" + env(L"TAPESTREL_LIST_CHANGER") + L"\" \"" + documents + L"\" " + mode + L" " + tag + L" " +
                         std::to_wstring(changes));
}

// The keys a list should hold after both changers ran: every tray record, and
// every window record except those the window changer removed again.
std::set<std::wstring> expected_keys(int changes)
{
    std::set<std::wstring> keys;
    for (int n = 0; n < changes; ++n) {
        keys.insert(L"t" + std::to_wstring(n));
        keys.insert(L"w" + std::to_wstring(n));
    }
    for (int n = 4; n < changes; n += 5) keys.erase(L"w" + std::to_wstring(n - 2));
    return keys;
}

}  // namespace

// Two processes change one list file at the same time, one through the main
// window's item commands, the other through the tray's candidate merge: no
// change may be lost and the file must load whole at the end.
TEST(Concurrency, TwoProcessesChangingOneListLoseNoUpdate)
{
    ASSERT_FALSE(env(L"TAPESTREL_LIST_CHANGER").empty());
    TempFolder documents;
    const int changes = robust::rounds(1000, 5000);
    const ULONGLONG start = GetTickCount64();
    KernelHandle window = start_changer(documents.path(), L"window", L"w", changes);
    KernelHandle tray = start_changer(documents.path(), L"tray", L"t", changes);
    ASSERT_TRUE(window);
    ASSERT_TRUE(tray);
    DWORD window_code = 9, tray_code = 9;
    ASSERT_TRUE(wait_exit(window, 1800000, &window_code));
    ASSERT_TRUE(wait_exit(tray, 1800000, &tray_code));
    const double seconds = robust::seconds_since(start);
    EXPECT_EQ(window_code, 0u) << "a change of the window side failed";
    EXPECT_EQ(tray_code, 0u) << "a change of the tray side failed";

    WallPaperItemBase_CL list;
    list.set_path(documents.path() + L"\\Tapestrel\\CandidateWallPaperItems.dat");
    ASSERT_EQ(list.load(), S_OK);
    std::set<std::wstring> keys;
    for (const ImageItem_CL& item : list.items) EXPECT_TRUE(keys.insert(item.key).second) << "twice: " << item.key;
    const std::set<std::wstring> expected = expected_keys(changes);
    EXPECT_EQ(keys.size(), expected.size());
    EXPECT_TRUE(keys == expected) << "records lost or left over";
    const int window_changes = changes + changes / 5;
    robust::report("concurrency: %d changes by two processes (%d window side, %d tray side) in %.1f s, %zu records at the end",
                   window_changes + changes, window_changes, changes, seconds, list.items.size());
}

// The real tray process merges the service's photos into the candidate list
// during its start-up run while this process, as the main window does, keeps
// adding candidates of its own: both kinds must all be there at the end.
TEST(Concurrency, TheTraysCandidateRunAndWindowCommandsShareTheCandidateList)
{
    const std::wstring folder = robust::candidate_service(L"mix_", 0);  // 10 per run
    {
        GdiplusSession gdiplus;
        ASSERT_TRUE(serve_photos(folder, 25, 320, 240));
    }
    KernelHandle tray = start_tapestrel(L"");
    HWND window = wait_for_window(L"Tapestrel_ICON", 20000);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_TIMER, change_schedule::kStartupTimer, 0);

    // Adding goes on until the run has ended with its wallpaper change, so the
    // run's merge falls among the additions.
    const int minimum = robust::rounds(200, 2000);
    const DWORD start = GetTickCount();
    int added = 0;
    while (added < minimum || !file_exists(AppSettings.now_items_path())) {
        ImageItem_CL record;
        record.key = L"window" + std::to_wstring(added);
        record.farm = 3;
        record.sizes[5] = {320, 240, http_url(folder + L"/5000_o.jpg")};  // a picture the stand-in has
        ASSERT_TRUE(item_commands::add_candidate(record)) << "change " << added;
        ++added;
        ASSERT_LT(GetTickCount() - start, 180000u) << "the start-up run never ended";
    }
    PostMessageW(window, WM_COMMAND, MainWindowIcon_CL::kExit, 0);
    DWORD code = 1;
    ASSERT_TRUE(wait_exit(tray, 20000, &code));
    EXPECT_EQ(code, 0u);

    WallPaperItemBase_CL candidates;
    candidates.set_path(AppSettings.candidates_path());
    ASSERT_EQ(candidates.load(), S_OK);
    int from_window = 0, from_service = 0;
    for (const ImageItem_CL& item : candidates.items) {
        if (item.key.compare(0, 6, L"window") == 0) ++from_window;
        else ++from_service;
    }
    EXPECT_EQ(from_window, added);
    EXPECT_EQ(from_service, 10);
    robust::report("concurrency: %d window-side additions around the tray's candidate run, %d service photos merged",
                   added, from_service);
}

namespace {

// Under the file mutex, as the installs hold it: the recorded current
// wallpaper and the installed bitmap. True when they agree or nothing is
// installed yet; `checked` counts the samples that found an installed one.
bool record_matches_bitmap(int& checked)
{
    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    WallPaperItemBase_CL now;
    now.set_path(AppSettings.now_items_path());
    if (now.load() != S_OK) return true;  // before the first install
    ++checked;
    if (now.items.size() != 1) return false;
    Gdiplus::Bitmap bitmap(AppSettings.now_bitmap_path().c_str());
    Gdiplus::Color pixel;
    if (bitmap.GetLastStatus() != Gdiplus::Ok || bitmap.GetPixel(32, 24, &pixel) != Gdiplus::Ok) return false;
    const Gdiplus::Color want = wallpaper_colour(now.items[0].key);
    return std::abs(pixel.GetR() - want.GetR()) < 8 && std::abs(pixel.GetG() - want.GetG()) < 8 &&
           std::abs(pixel.GetB() - want.GetB()) < 8;
}

}  // namespace

// Two processes install wallpapers at the same time, each as the main window's
// "set as wallpaper" and the tray's change do: whenever looked at, and at the
// end, the recorded current wallpaper is the picture installed.
TEST(Concurrency, TwoProcessesInstallingAtOnceAlwaysRecordTheInstalledPicture)
{
    ASSERT_FALSE(env(L"TAPESTREL_LIST_CHANGER").empty());
    TempFolder documents;
    GdiplusSession gdiplus;
    AppSettings.load(documents.path());
    const int changes = robust::rounds(200, 220);
    KernelHandle window = start_changer(documents.path(), L"wallpaper", L"w", changes);
    KernelHandle tray = start_changer(documents.path(), L"wallpaper", L"t", changes);
    ASSERT_TRUE(window);
    ASSERT_TRUE(tray);
    int checked = 0, mismatches = 0;
    const HANDLE both[2] = {window.get(), tray.get()};
    const ULONGLONG start = GetTickCount64();
    while (WaitForMultipleObjects(2, both, TRUE, 20) == WAIT_TIMEOUT) {
        if (!record_matches_bitmap(checked)) ++mismatches;
        ASSERT_LT(robust::seconds_since(start), 1800.0) << "the installs never ended";
    }
    DWORD window_code = 9, tray_code = 9;
    ASSERT_TRUE(wait_exit(window, 1000, &window_code));
    ASSERT_TRUE(wait_exit(tray, 1000, &tray_code));
    EXPECT_EQ(window_code, 0u) << "an install of the first process failed";
    EXPECT_EQ(tray_code, 0u) << "an install of the second process failed";
    EXPECT_TRUE(record_matches_bitmap(checked)) << "at the end";
    EXPECT_EQ(mismatches, 0) << "of " << checked << " samples";
    EXPECT_GT(checked, 1);
    WallPaperItemBase_CL history;
    history.set_path(AppSettings.history_path());
    ASSERT_EQ(history.load(), S_OK);
    EXPECT_EQ(history.items.size(), static_cast<size_t>(2 * changes));
    robust::report("concurrency: %d wallpaper installs by two processes, %d samples of record and bitmap, %d apart",
                   2 * changes, checked, mismatches);
}
