#include "winui/StaticText_CL.h"

HWND StaticText_CL::create(HWND parent, int id, const std::wstring& text, int x, int y)
{
    const DpiScale scale = adopt_dpi(parent);
    const SIZE size = text_extent(text);
    return create_window(WS_EX_LEFT, L"Static", text.c_str(), kChildStyle, scale(x), scale(y), size.cx, size.cy, parent,
                         id);
}

