#include "winui/Button_CL.h"

HWND Button_CL::create(HWND parent, int id, const std::wstring& text, int x, int y)
{
    const SIZE size = text_extent(text);
    return create_window(WS_EX_LEFT, L"Button", text.c_str(), kTabStopChildStyle, x, y, size.cx + 14, size.cy + 14,
                         parent, id);
}

