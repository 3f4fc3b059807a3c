#include "winui/ComboBox_CL.h"

#include <commctrl.h>

HWND ComboBox_CL::create(HWND parent, int id, int columns, int rows, DWORD style, int x, int y)
{
    const DWORD full_style = style == kDefaultStyle ? 0x56310042 : (style | kTabStopChildStyle);
    const DpiScale scale = adopt_dpi(parent);
    const int width = columns * text_width(L"W");
    const int height = rows * text_height(L"M");
    return create_window(WS_EX_LEFT, WC_COMBOBOXEXW, L"", full_style, scale(x), scale(y), width, height, parent, id);
}

int ComboBox_CL::current_selection() const
{
    return static_cast<int>(SendMessageW(window(), CB_GETCURSEL, 0, 0));
}

void ComboBox_CL::select(int index)
{
    SendMessageW(window(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int ComboBox_CL::count() const
{
    return static_cast<int>(SendMessageW(window(), CB_GETCOUNT, 0, 0));
}

int ComboBox_CL::insert_item(const std::wstring& text, int image)
{
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
    item.iItem = count();
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    item.iSelectedImage = image;
    return static_cast<int>(SendMessageW(window(), CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}
