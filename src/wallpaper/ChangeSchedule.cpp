#include "wallpaper/ChangeSchedule.h"

#include <algorithm>

#include "store/Inifile_CL.h"

namespace change_schedule {

long long hour_number(const SYSTEMTIME& time)
{
    return ((static_cast<long long>(time.wYear) * 12 + time.wMonth) * 31 + time.wDay) * 24 + time.wHour;
}

int interval_hours(int timming)
{
    static const int hours[6] = {1, 2, 3, 24, 72, 168};
    return (timming >= 0 && timming < 6) ? hours[timming] : 1;
}

bool is_due(const SYSTEMTIME& last, const SYSTEMTIME& now, int timming)
{
    const long long last_hour = hour_number(last) + (last.wMinute >= 30 ? 1 : 0);
    return hour_number(now) - last_hour >= interval_hours(timming);
}

Decision decide(const std::wstring& stored_last, const SYSTEMTIME& now, int timming)
{
    SYSTEMTIME last{};
    if (!Inifile_CL::parse_datetime(stored_last, last) || hour_number(last) > hour_number(now)) return Decision::Restart;
    return is_due(last, now, timming) ? Decision::Due : Decision::NotDue;
}

void DownloadRetry::missed(int interval_hours)
{
    const int longest = std::max(1, interval_hours) * 60;
    // Doubling stops at the interval; the shift stays far below the int's bits.
    wait_ = misses_ >= 16 ? longest : std::min(1 << misses_, longest);
    left_ = wait_;
    ++misses_;
    pending_ = true;
}

bool DownloadRetry::check(bool resumed)
{
    if (!pending_) return false;
    if (resumed) left_ = 0;
    if (left_ > 0) --left_;
    return left_ == 0;
}

}  // namespace change_schedule
