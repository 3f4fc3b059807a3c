#include "winui/Button_CL.h"

HWND Button_CL::create(HWND parent, int id, const std::wstring& text, int x, int y)
{
    const DpiScale scale = adopt_dpi(parent);
    const SIZE size = text_extent(text);
    return create_window(WS_EX_LEFT, L"Button", text.c_str(), kTabStopChildStyle, scale(x), scale(y),
                         size.cx + scale(14), size.cy + scale(14), parent, id);
}

