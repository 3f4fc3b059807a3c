#include "winui/Edit_CL.h"

HWND Edit_CL::create(HWND parent, int id, int columns, DWORD style, int x)
{
    const DWORD full_style = style == kMultiLineStyle ? 0x56A11044 : (style | kTabStopChildStyle);
    const DpiScale scale = adopt_dpi(parent);
    const int width = columns * text_width(L"W") + scale(4);
    const int height = text_height(L"M") + scale(4);
    return create_window(WS_EX_LEFT, L"Edit", L"", full_style, scale(x), 0, width, height, parent, id,
                         reinterpret_cast<void*>(static_cast<INT_PTR>(0x12345678)));
}
