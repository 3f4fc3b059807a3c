#include "winui/GroupBox_CL.h"

HWND GroupBox_CL::create(HWND parent, int id, const std::wstring& text, int y, int height)
{
    const DpiScale scale = adopt_dpi(parent);
    return create_window(WS_EX_LEFT, L"Button", text.c_str(), kChildStyle | BS_GROUPBOX, 0, scale(y), scale(560),
                         scale(height), parent, id);
}
