#pragma once
#include <string>

#include "winui/ControlBase_CL.h"

// A label sized to its text.
class StaticText_CL : public ControlBase_CL {
public:
    StaticText_CL() : ControlBase_CL(kStatic) {}
    HWND create(HWND parent, int id, const std::wstring& text, int x, int y);
};
