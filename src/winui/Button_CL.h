#pragma once
#include <string>

#include "winui/ControlBase_CL.h"

// A push button: its text extent plus 14 pixels each way.
class Button_CL : public ControlBase_CL {
public:
    Button_CL() : ControlBase_CL(kButton) {}
    HWND create(HWND parent, int id, const std::wstring& text, int x, int y);
};
