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

// Who asks for a change. The check timer follows the schedule; the change that
// ends the start-up run and a retry after missing downloads skip it; the user
// ("次の壁紙に変更する") skips it too.
enum class Asker { Check, StartUp, Retry, User };

// A scheduled change whose every draw failed because no download arrived (no
// connection yet, typically just after waking) is tried again after 1, 2, 4,
// ... checks (minutes), never later than the interval, instead of a whole
// interval later. A success, or any other failure, ends the retries.
class DownloadRetry {
public:
    // The change (or its retry) ended with no download arrived.
    void missed(int interval_hours);
    void clear() { *this = DownloadRetry(); }
    // One check; resumed: the system has just woken, the network may be back.
    // True while a retry is due: it stays due until its outcome is known.
    bool check(bool resumed);
    bool pending() const { return pending_; }
    // Checks the retry waited for, or waits for now.
    int wait() const { return wait_; }

private:
    bool pending_ = false;
    int misses_ = 0;
    int wait_ = 0;   // checks from the miss to the retry
    int left_ = 0;   // checks still to come before it
};

}  // namespace change_schedule
