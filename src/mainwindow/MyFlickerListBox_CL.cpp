#include "mainwindow/MyFlickerListBox_CL.h"

LRESULT MyFlickerListBox_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    // Both leave the handled flag clear: the list box's own procedure runs as well.
    if (message == WM_RBUTTONUP) {
        SendMessageW(GetParent(window), kChildRightClick, static_cast<WPARAM>(id()), 0);
        return 0;
    }
    if (message == WM_MOUSEMOVE) {
        forget_hover();
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    return FlickerListBox_CL::handle_message(window, message, wparam, lparam);
}
