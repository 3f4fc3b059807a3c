#include "winui/GroupBox_CL.h"

HWND GroupBox_CL::create(HWND parent, int id, const std::wstring& text, int y, int height)
{
    return create_window(WS_EX_LEFT, L"Button", text.c_str(), kChildStyle | BS_GROUPBOX, 0, y, 560, height, parent, id);
}
