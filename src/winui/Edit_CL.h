#pragma once
#include "winui/ControlBase_CL.h"

// An edit field as wide as a number of "W"s, one "M" high (plus 4 each), at y 0;
// the page moves it into place.
class Edit_CL : public ControlBase_CL {
public:
    // Multi-line with vertical scrolling, want-return, border, tab stop.
    static constexpr DWORD kMultiLineStyle = static_cast<DWORD>(-1);

    Edit_CL() : ControlBase_CL(kEdit) {}
    // style is ORed with WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP.
    HWND create(HWND parent, int id, int columns, DWORD style, int x);
};
