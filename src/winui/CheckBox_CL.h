#pragma once
#include <string>

#include "winui/ControlBase_CL.h"

// An auto check box at the left margin of a page (x 8), text width + 32 wide.
class CheckBox_CL : public ControlBase_CL {
public:
    CheckBox_CL() : ControlBase_CL(kCheckBox) {}
    // Starts unchecked.
    HWND create(HWND parent, int id, const std::wstring& text, int y);
    bool is_checked() const;
    void set_checked(bool checked);
};
