#pragma once
#include "winui/FlickerListBox_CL.h"

// The tabs' thumbnail list: reports right clicks to its parent (message
// 0x1400, wParam = the list's id) and repaints on mouse moves, so that the
// owner link under the mouse is decided again.
class MyFlickerListBox_CL : public FlickerListBox_CL {
public:
    static constexpr UINT kChildRightClick = 0x1400;

    MyFlickerListBox_CL() = default;
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
    ~MyFlickerListBox_CL() override = default;
};
