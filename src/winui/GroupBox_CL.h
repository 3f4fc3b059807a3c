#pragma once
#include <string>

#include "winui/ControlBase_CL.h"

// A group frame across the page: x 0, 560 wide.
class GroupBox_CL : public ControlBase_CL {
public:
    GroupBox_CL() : ControlBase_CL(kGroupBox) {}
    HWND create(HWND parent, int id, const std::wstring& text, int y, int height);
};
