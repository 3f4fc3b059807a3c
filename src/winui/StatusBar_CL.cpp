#include "winui/StatusBar_CL.h"

#include <commctrl.h>

HWND StatusBar_CL::create(HWND parent)
{
    adopt_dpi(parent);
    return create_window(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, parent, kId);
}

int StatusBar_CL::fit()
{
    // The bar places itself at the parent's bottom edge on any WM_SIZE.
    SendMessageW(window(), WM_SIZE, 0, 0);
    RECT bar{};
    GetWindowRect(window(), &bar);
    return bar.bottom - bar.top;
}

void StatusBar_CL::show_text(const std::wstring& text)
{
    if (this->text() != text) SetWindowTextW(window(), text.c_str());
}
