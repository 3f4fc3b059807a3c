#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "FuzzSupport.h"
#include "TestSupport.h"
#include "wallpaper/CandidateMerge.h"
#include "wallpaper/ChangeSchedule.h"
#include "wallpaper/Wallpaper.h"
#include "store/AppSettings_CL.h"
#include "store/IniWinSize_CL.h"
#include "store/SettingsKeys.h"
#include "winui/HistoryComboBox_CL.h"

namespace {

// The readers of the file, one bit each: a case checks those whose keys it damaged.
enum Reader : unsigned { kCandidates = 1, kLayout = 2, kSchedule = 4, kHistory = 8, kPlacement = 16, kAll = 31 };

struct Entry {
    const wchar_t* section;
    std::wstring key;
    std::wstring value;
    unsigned readers;
};

// A settings file as the program writes it.
std::vector<Entry> usual_settings()
{
    using namespace keys;
    std::vector<Entry> entries = {
        {kWallPaperInfo, kAutoChange, L"1", 0}, {kWallPaperInfo, kUpdateTimming, L"3", kSchedule},
        {kWallPaperInfo, kUpdateDatetime, L"2026/05/04 09:12:13", kSchedule}, {kWallPaperInfo, kRandSeed, L"12345", 0},
        {kWallPaperInfo, kChangeLocalFolderUse, L"1", 0}, {kWallPaperInfo, kChangeLocalFolderUseEdit, L"C:\\写真", 0},
        {kWallPaperInfo, kDispStyle, L"3", kLayout}, {kInfoGet, kCandAuteAdd, L"1", kCandidates},
        {kInfoGet, kCandAddMax, L"4", kCandidates}, {kInfoGet, kCandMinWidth, L"1024", kCandidates},
        {kInfoGet, kCandMinHeight, L"768", kCandidates}, {kInfoGet, kCandWidthLong, L"1", kCandidates},
        {kInfoGet, kCandSearchKeywordStr, L"富士山 sea", kCandidates}, {kVersion, kNotify, L"0", 0},
        {kWindow, kPosX, L"40", kPlacement}, {kWindow, kPosY, L"50", kPlacement}, {kWindow, kWidth, L"700", kPlacement},
        {kWindow, kHeight, L"500", kPlacement}, {kSearchHistory, kCount, L"3", kHistory},
        {kSearchHistory, L"item0", L"sea", kHistory}, {kSearchHistory, L"item1", L"富士山", kHistory},
        {kSearchHistory, L"item2", L"sea", kHistory}};
    return entries;
}

std::wstring hostile_value(fuzz::Mutator& pick)
{
    static const wchar_t* values[] = {L"", L"abc", L"-1", L"9", L"6", L"5", L"2147483647", L"2147483648",
                                      L"-2147483648", L"-2147483649", L"99999999999999999999", L"0x10", L" 7",
                                      L"7 ", L"１２", L"1e3", L"+3", L"=", L"[WINDOW]", L";1", L"\"4\"",
                                      L"9999/99/99 99:99:99", L"2026/13/45 25:61:61", L"0000/00/00 00:00:00",
                                      L"2099/01/01 00:00:00", L"2026/05/04", L"2026-05-04 09:12:13",
                                      L"-30000", L"100000", L"\\\\server\\share", L"C:\\", L"..\\..\\"};
    switch (pick.below(4)) {
    case 0:
        return std::wstring(1 + pick.below(20000), static_cast<wchar_t>(L'0' + pick.below(10)));
    case 1:
        return std::to_wstring(static_cast<int>(pick.below(0x100000000ull)));
    default:
        return values[pick.below(sizeof(values) / sizeof(values[0]))];
    }
}

std::string utf16_file(const std::vector<Entry>& entries)
{
    std::wstring text;
    const wchar_t* section = nullptr;
    for (const Entry& entry : entries) {
        if (!section || wcscmp(section, entry.section) != 0) {
            section = entry.section;
            text += L"[" + std::wstring(section) + L"]\r\n";
        }
        text += entry.key + L"=" + entry.value + L"\r\n";
    }
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

SYSTEMTIME at(WORD year, WORD month, WORD day, WORD hour)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    return time;
}

SYSTEMTIME days_later(const SYSTEMTIME& time, int days)
{
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER value{};
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    value.QuadPart += static_cast<ULONGLONG>(days) * 24 * 3600 * 10000000ull;
    file.dwLowDateTime = value.LowPart;
    file.dwHighDateTime = value.HighPart;
    SYSTEMTIME later{};
    FileTimeToSystemTime(&file, &later);
    return later;
}

bool inside_a_work_area(const IniWinSize_CL::Placement& placement)
{
    if (placement.width <= 0 || placement.height <= 0 || placement.left > 100000 || placement.top > 100000 ||
        placement.left < -100000 || placement.top < -100000 || placement.width > 100000 || placement.height > 100000)
        return false;
    const RECT rect{placement.left, placement.top, placement.left + placement.width, placement.top + placement.height};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONULL), &monitor)) return false;
    const RECT& area = monitor.rcWork;
    return rect.left >= area.left && rect.top >= area.top &&
           rect.right <= area.right && rect.bottom <= area.bottom;
}

class SettingsFuzz : public ::testing::Test {
protected:
    testing_support::TempFolder documents;
    HWND window = nullptr;

    void SetUp() override
    {
        AppSettings.load(documents.path());
        window = CreateWindowExW(0, L"STATIC", L"placement", WS_OVERLAPPEDWINDOW, 40, 50, 300, 200, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        if (window) DestroyWindow(window);
        AppSettings.set_layout_limits(6);
    }

    // Every reader of the file gives a value it can use.
    void check_readers(unsigned readers, size_t index) const
    {
        if (readers & kCandidates) check_candidates(index);
        if (readers & kLayout) check_layout(index);
        if (readers & kSchedule) check_schedule(index);
        if (readers & kHistory) check_history(index);
        if (readers & kPlacement) check_placement(index);
    }

    void check_candidates(size_t index) const
    {
        AppSettings.read_candidate_settings();
        ASSERT_GE(AppSettings.cand_add_max, 0) << fuzz::where(index);
        ASSERT_LE(AppSettings.cand_add_max, 8) << fuzz::where(index);
        const std::set<int> per_run = {10, 20, 30, 50, 100, 200, 300, 400, 500};
        ASSERT_EQ(per_run.count(candidate_merge::photos_per_run(AppSettings.cand_add_max)), 1u) << fuzz::where(index);
        ASSERT_LT(AppSettings.cand_search_keyword_str.size(), size_t{Inifile_CL::kMaxString}) << fuzz::where(index);
    }

    void check_layout(size_t index) const
    {
        using namespace keys;
        const wallpaper::Layout layout =
            wallpaper::layout_of(AppInifile.read_int(kWallPaperInfo, kDispStyle, AppSettings.dispStyleDefault));
        const std::set<std::pair<int, int>> rows = AppSettings.dispStyleMax == 4
                                                       ? std::set<std::pair<int, int>>{{0, 0}, {0, 1}, {2, 0}, {6, 0}, {10, 0}}
                                                       : std::set<std::pair<int, int>>{{0, 0}, {0, 1}, {2, 0}};
        ASSERT_EQ(rows.count({layout.style, layout.tile}), 1u) << fuzz::where(index);
    }

    void check_schedule(size_t index) const
    {
        using namespace keys;
        const int timming = AppInifile.read_int(kWallPaperInfo, kUpdateTimming, 0);
        const std::set<int> hours = {1, 2, 3, 24, 72, 168};
        ASSERT_EQ(hours.count(change_schedule::interval_hours(timming)), 1u) << fuzz::where(index);
        // Whatever the stored time, automatic changes go on: now, or within a week and a day.
        const SYSTEMTIME now = at(2026, 5, 4, 10);
        const std::wstring stored = AppInifile.read_string(kWallPaperInfo, kUpdateDatetime);
        ASSERT_TRUE(change_schedule::decide(stored, now, timming) != change_schedule::Decision::NotDue ||
                    change_schedule::decide(stored, days_later(now, 8), timming) == change_schedule::Decision::Due)
            << fuzz::where(index);
    }

    void check_history(size_t index) const
    {
        HistoryComboBox_CL history(keys::kSearchHistory);
        history.load_history();
        const std::vector<std::wstring>& entries = history.entries();
        ASSERT_LE(entries.size(), HistoryComboBox_CL::kMaxEntries) << fuzz::where(index);
        for (size_t i = 0; i < entries.size(); ++i) {
            ASSERT_FALSE(entries[i].empty()) << fuzz::where(index);
            ASSERT_EQ(std::count(entries.begin(), entries.end(), entries[i]), 1) << fuzz::where(index);
        }
    }

    void check_placement(size_t index) const
    {
        IniWinSize_CL placement(AppInifile);
        ASSERT_TRUE(inside_a_work_area(placement.load_placement(window))) << fuzz::where(index);
    }
};

}  // namespace

TEST_F(SettingsFuzz, DamagedValuesReadAsDefaultsOrWithinTheirRange)
{
    const char* name = "settings values";
    const size_t cases = fuzz::announce(name, 20000);
    const std::vector<Entry> usual = usual_settings();
    for (size_t index = 0; index < cases; ++index) {
        std::mt19937_64 random = fuzz::case_generator(name, index);
        fuzz::Mutator pick(random);
        std::vector<Entry> entries = usual;
        unsigned readers = 0;
        const size_t changes = 1 + pick.below(4);
        for (size_t i = 0; i < changes && !entries.empty(); ++i) {
            const size_t at = pick.below(entries.size());
            readers |= entries[at].readers;
            if (pick.chance(15))
                entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at));
            else
                entries[at].value = hostile_value(pick);
        }
        std::string bytes = utf16_file(entries);
        if (pick.chance(10)) {
            bytes = pick.mutate(bytes, {}, 3);
            readers = kAll;
        }
        if (readers & kLayout) AppSettings.set_layout_limits(pick.chance(50) ? 6 : 5);
        ASSERT_TRUE(fuzz::overwrite_file(AppInifile.path(), bytes));
        check_readers(readers, index);
        if (HasFatalFailure()) return;
    }
}

TEST_F(SettingsFuzz, AHugeHistoryCountReadsNoMoreThanTheBoxKeeps)
{
    ASSERT_TRUE(AppInifile.write_int(keys::kSearchHistory, keys::kCount, 2147483647));
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(AppInifile.write_string(keys::kSearchHistory, Inifile_CL::make_indexed_key(L"item", i).c_str(),
                                            L"word" + std::to_wstring(i % 55)));
    HistoryComboBox_CL history(keys::kSearchHistory);
    history.load_history();
    ASSERT_EQ(history.entries().size(), HistoryComboBox_CL::kMaxEntries);
    EXPECT_EQ(history.entries().front(), L"word0");
    EXPECT_EQ(history.entries().back(), L"word49");
}

TEST_F(SettingsFuzz, AStoredTimeInTheFutureRestartsTheIntervalInsteadOfStoppingChanges)
{
    const SYSTEMTIME now = at(2026, 5, 4, 10);
    using change_schedule::Decision;
    EXPECT_EQ(change_schedule::decide(L"2099/01/01 00:00:00", now, 0), Decision::Restart);
    EXPECT_EQ(change_schedule::decide(L"2026/13/45 25:61:61", now, 0), Decision::Restart);
    EXPECT_EQ(change_schedule::decide(L"2026/05/04 11:00:00", now, 5), Decision::Restart);
    EXPECT_EQ(change_schedule::decide(L"2026/05/04 10:40:00", now, 0), Decision::NotDue);
    EXPECT_EQ(change_schedule::decide(L"2026/05/04 09:00:00", now, 0), Decision::Due);
    EXPECT_EQ(change_schedule::decide(L"", now, 0), Decision::Restart);
}

TEST_F(SettingsFuzz, AWindowPlacedOffEveryMonitorComesBackWhole)
{
    IniWinSize_CL placement(AppInifile);
    for (const int value : {-2147483647 - 1, -30000, 2147483647}) {
        AppInifile.write_int(keys::kWindow, keys::kPosX, value);
        AppInifile.write_int(keys::kWindow, keys::kPosY, value);
        AppInifile.write_int(keys::kWindow, keys::kWidth, value);
        AppInifile.write_int(keys::kWindow, keys::kHeight, value < 0 ? 2147483647 : -value);
        EXPECT_TRUE(inside_a_work_area(placement.load_placement(window))) << value;
    }
    AppInifile.write_int(keys::kWindow, keys::kPosX, 40);
    AppInifile.write_int(keys::kWindow, keys::kPosY, 50);
    AppInifile.write_int(keys::kWindow, keys::kWidth, 700);
    AppInifile.write_int(keys::kWindow, keys::kHeight, 500);
    const IniWinSize_CL::Placement kept = placement.load_placement(window);
    EXPECT_EQ(kept.left, 40);
    EXPECT_EQ(kept.top, 50);
    EXPECT_EQ(kept.width, 700);
    EXPECT_EQ(kept.height, 500);
}
