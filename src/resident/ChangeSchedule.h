#pragma once
#include <windows.h>

// When an automatic wallpaper change is due. Months count as 31 days, so the
// hour numbers of two dates differ by 24 per day only inside a month.
namespace change_schedule {

constexpr UINT_PTR kStartupTimer = 0x88776543;
constexpr UINT kStartupDelayMs = 30000;
constexpr UINT_PTR kCheckTimer = 0x88776544;
constexpr UINT kCheckIntervalMs = 60000;

// ((year * 12 + month) * 31 + day) * 24 + hour
long long hour_number(const SYSTEMTIME& time);
// Hours between changes for an "update_timming" index; unknown indexes mean 1.
int interval_hours(int timming);
// Whether the interval has passed since the last change; a last change in the
// second half of its hour counts from the next hour.
bool is_due(const SYSTEMTIME& last, const SYSTEMTIME& now, int timming);

}  // namespace change_schedule
