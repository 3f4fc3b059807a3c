#include "winui/Tab_CL.h"

#include <commctrl.h>

HWND Tab_CL::create(HWND parent)
{
    const DpiScale scale = adopt_dpi(parent);
    return create_window(WS_EX_CLIENTEDGE, WC_TABCONTROLW, L"", kChildStyle | TCS_MULTILINE, 0, 0, scale(320), scale(240),
                         parent, kId);
}

int Tab_CL::resolve(int position) const
{
    return position == kAppend ? static_cast<int>(SendMessageW(window(), TCM_GETITEMCOUNT, 0, 0)) : position;
}

int Tab_CL::insert_tab(const std::wstring& text, int image, LPARAM lparam, int position)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    item.lParam = lparam;
    return static_cast<int>(SendMessageW(window(), TCM_INSERTITEMW, resolve(position), reinterpret_cast<LPARAM>(&item)));
}

std::wstring Tab_CL::tab_text(HWND strip, int position)
{
    wchar_t text[128] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(strip, TCM_GETITEMW, position, reinterpret_cast<LPARAM>(&item));
    return text;
}

bool Tab_CL::set_tab(const std::wstring& text, LPARAM lparam, int position)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.lParam = lparam;
    return SendMessageW(window(), TCM_SETITEMW, resolve(position), reinterpret_cast<LPARAM>(&item)) != 0;
}
