#include "winui/WindowPlacement.h"

namespace {

void center_on(HWND window, const RECT& area)
{
    RECT own{};
    if (!GetWindowRect(window, &own)) return;
    const int x = (area.left + area.right) / 2 - (own.right - own.left) / 2;
    const int y = (area.top + area.bottom) / 2 - (own.bottom - own.top) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void center_over(HWND window, HWND other)
{
    RECT area{};
    if (GetWindowRect(other, &area)) center_on(window, area);
}

void center_dialog(HWND parent, HWND dialog)
{
    SetParent(dialog, nullptr);
    RECT area{};
    if (!parent || (GetWindowLongPtrW(parent, GWL_STYLE) & WS_MINIMIZE) || !GetWindowRect(parent, &area))
        area = RECT{0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    center_on(dialog, area);
}
