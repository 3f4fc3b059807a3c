#include "winui/CheckBox_CL.h"

HWND CheckBox_CL::create(HWND parent, int id, const std::wstring& text, int y)
{
    const DpiScale scale = adopt_dpi(parent);
    const SIZE size = text_extent(text);
    // The box and its gap: 32 pixels at 96 DPI.
    const HWND created = create_window(WS_EX_LEFT, L"Button", text.c_str(), kTabStopChildStyle | BS_AUTOCHECKBOX,
                                       scale(8), scale(y), size.cx + scale(32), size.cy, parent, id);
    set_checked(false);
    return created;
}

bool CheckBox_CL::is_checked() const
{
    return SendMessageW(window(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox_CL::set_checked(bool checked)
{
    SendMessageW(window(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

