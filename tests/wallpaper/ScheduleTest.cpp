#include <gtest/gtest.h>

#include <vector>

#include "wallpaper/ChangeSchedule.h"

namespace {

SYSTEMTIME at(int year, int month, int day, int hour, int minute)
{
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    return t;
}

}  // namespace

TEST(ChangeSchedule, TheLastHalfHourCountsFromTheNextHour)
{
    EXPECT_TRUE(change_schedule::is_due(at(2026, 5, 4, 10, 29), at(2026, 5, 4, 11, 0), 0));
    EXPECT_FALSE(change_schedule::is_due(at(2026, 5, 4, 10, 30), at(2026, 5, 4, 11, 0), 0));
    EXPECT_TRUE(change_schedule::is_due(at(2026, 5, 4, 10, 30), at(2026, 5, 4, 12, 0), 0));
    EXPECT_FALSE(change_schedule::is_due(at(2026, 5, 4, 10, 0), at(2026, 5, 4, 11, 59), 1));
}

TEST(ChangeSchedule, MonthsCountAsThirtyOneDays)
{
    EXPECT_TRUE(change_schedule::is_due(at(2026, 1, 31, 9, 0), at(2026, 2, 1, 9, 0), 3));
    EXPECT_EQ(change_schedule::hour_number(at(2026, 3, 1, 9, 0)) - change_schedule::hour_number(at(2026, 2, 28, 9, 0)), 96);
    EXPECT_TRUE(change_schedule::is_due(at(2026, 2, 28, 9, 0), at(2026, 3, 1, 9, 0), 4));
    EXPECT_FALSE(change_schedule::is_due(at(2026, 3, 1, 9, 0), at(2026, 3, 7, 9, 0), 5));
    EXPECT_TRUE(change_schedule::is_due(at(2025, 12, 31, 23, 0), at(2026, 1, 1, 0, 0), 0));
}

TEST(ChangeSchedule, UnknownIntervalsMeanOneHour)
{
    const int expected[6] = {1, 2, 3, 24, 72, 168};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(change_schedule::interval_hours(i), expected[i]);
    EXPECT_EQ(change_schedule::interval_hours(-1), 1);
    EXPECT_EQ(change_schedule::interval_hours(6), 1);
    EXPECT_EQ(change_schedule::interval_hours(1000), 1);
}

namespace {

// The checks until the retry falls due (at most limit).
int checks_to_retry(change_schedule::DownloadRetry& retry, int limit = 100000)
{
    for (int checks = 1; checks <= limit; ++checks)
        if (retry.check(false)) return checks;
    return -1;
}

}  // namespace

TEST(DownloadRetry, RetriesAfterOneTwoFourMinutesUpToTheInterval)
{
    change_schedule::DownloadRetry retry;
    EXPECT_FALSE(retry.check(false));
    std::vector<int> waits;
    for (int miss = 0; miss < 9; ++miss) {
        retry.missed(1);
        waits.push_back(checks_to_retry(retry));
    }
    EXPECT_EQ(waits, (std::vector<int>{1, 2, 4, 8, 16, 32, 60, 60, 60}));
    // A week's interval doubles on for a long time, never past it.
    for (int miss = 0; miss < 40; ++miss) retry.missed(168);
    EXPECT_EQ(retry.wait(), 168 * 60);
}

TEST(DownloadRetry, ADueRetryStaysDueUntilItsOutcomeAndAWakeUpBringsItForward)
{
    change_schedule::DownloadRetry retry;
    retry.missed(24);
    retry.missed(24);
    EXPECT_EQ(retry.wait(), 2);
    EXPECT_FALSE(retry.check(false));
    EXPECT_TRUE(retry.check(false));
    EXPECT_TRUE(retry.check(false)) << "held back (a program in full screen): due at the next check too";
    retry.missed(24);
    EXPECT_FALSE(retry.check(false));
    EXPECT_TRUE(retry.check(true)) << "after waking the network may be back";
    retry.clear();
    EXPECT_FALSE(retry.pending());
    EXPECT_FALSE(retry.check(true));
    retry.missed(24);
    EXPECT_EQ(retry.wait(), 1) << "a success starts the doubling again";
}
