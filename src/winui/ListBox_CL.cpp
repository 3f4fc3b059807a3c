#include "winui/ListBox_CL.h"

void ListBox_CL::clear()
{
    for (LRESULT left = SendMessageW(window(), LB_GETCOUNT, 0, 0); left > 0; --left)
        SendMessageW(window(), LB_DELETESTRING, 0, 0);
}

HWND ListBox_CL::create(HWND parent, int id, int width, int height, DWORD style, int x, int y)
{
    const DpiScale scale = adopt_dpi(parent);
    return create_window(WS_EX_LEFT, L"ListBox", L"", style | 0x56310001, scale(x), scale(y), scale(width),
                         scale(height), parent, id);
}
