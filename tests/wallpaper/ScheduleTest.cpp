#include <gtest/gtest.h>

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
