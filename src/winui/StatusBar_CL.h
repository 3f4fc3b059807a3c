#pragma once
#include <string>

#include "winui/ControlBase_CL.h"

// The main window's status bar (id 0x3400) along the bottom of its parent.
// It has one part, which is its window text.
class StatusBar_CL : public ControlBase_CL {
public:
    static constexpr int kId = 0x3400;

    StatusBar_CL() : ControlBase_CL(kStatusBar) {}
    HWND create(HWND parent);
    // Follows the parent's size; answers the bar's height.
    int fit();
    // Changes the text only when it differs, so an unchanged outcome does not flicker.
    void show_text(const std::wstring& text);
};
