#pragma once
#include <string>

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

enum class Decision { NotDue, Due, Restart };
// What the stored time of the last change ("update_datetime") means now. A
// time that cannot be read, or that lies after now (a damaged value, a clock
// set back), restarts the interval from now instead of blocking changes for good.
Decision decide(const std::wstring& stored_last, const SYSTEMTIME& now, int timming);

}  // namespace change_schedule
