#include "store/IniWinSize_CL.h"

#include <algorithm>
#include <climits>

#include "store/Inifile_CL.h"
#include "store/SettingsKeys.h"

void IniWinSize_CL::save_placement(HWND window) const
{
    RECT rect{};
    if (IsIconic(window) || IsZoomed(window) || !GetWindowRect(window, &rect)) return;
    ini_.write_int(keys::kWindow, keys::kPosX, rect.left);
    ini_.write_int(keys::kWindow, keys::kPosY, rect.top);
    ini_.write_int(keys::kWindow, keys::kWidth, rect.right - rect.left);
    ini_.write_int(keys::kWindow, keys::kHeight, rect.bottom - rect.top);
}

namespace {

int clamped(long long value, long long low, long long high)
{
    return static_cast<int>(std::max(low, std::min(value, std::max(low, high))));
}

// A placement from a damaged file, or for a monitor that is gone, is brought
// whole onto the work area of the nearest monitor.
IniWinSize_CL::Placement on_screen(IniWinSize_CL::Placement placement)
{
    const long long left = placement.left;
    const long long top = placement.top;
    const RECT wanted{clamped(left, INT_MIN / 2, INT_MAX / 2), clamped(top, INT_MIN / 2, INT_MAX / 2),
                      clamped(left + std::max(placement.width, 1), INT_MIN / 2 + 1, INT_MAX / 2),
                      clamped(top + std::max(placement.height, 1), INT_MIN / 2 + 1, INT_MAX / 2)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) return placement;
    const RECT& area = monitor.rcWork;
    placement.width = clamped(placement.width, GetSystemMetrics(SM_CXMINTRACK), area.right - area.left);
    placement.height = clamped(placement.height, GetSystemMetrics(SM_CYMINTRACK), area.bottom - area.top);
    placement.left = clamped(placement.left, area.left, static_cast<long long>(area.right) - placement.width);
    placement.top = clamped(placement.top, area.top, static_cast<long long>(area.bottom) - placement.height);
    return placement;
}

}  // namespace

IniWinSize_CL::Placement IniWinSize_CL::load_placement(HWND window) const
{
    RECT rect{};
    GetWindowRect(window, &rect);
    Placement placement;
    placement.left = ini_.read_int(keys::kWindow, keys::kPosX, rect.left);
    placement.top = ini_.read_int(keys::kWindow, keys::kPosY, rect.top);
    placement.width = ini_.read_int(keys::kWindow, keys::kWidth, rect.right - rect.left);
    placement.height = ini_.read_int(keys::kWindow, keys::kHeight, rect.bottom - rect.top);
    return on_screen(placement);
}
