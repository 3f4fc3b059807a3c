#include "winui/PropertySheet_CL.h"

#include <algorithm>

#include <commctrl.h>

#include "winui/SubClassDialogBase_CL.h"
#include "winui/WindowPlacement.h"

PropertySheet_CL::PropertySheet_CL() : header_{} {}

void PropertySheet_CL::add_page(SubClassDialogBase_CL* page, const std::wstring& title)
{
    PageRecord record{};
    record.page.dwSize = sizeof(PROPSHEETPAGEW);
    record.page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    record.page.hInstance = GetModuleHandleW(nullptr);
    record.page.pResource = page->build_template();
    record.page.pfnDlgProc = &SubClassDialogBase_CL::page_procedure;
    record.page.lParam = reinterpret_cast<LPARAM>(page);
    record.title = title;
    page->set_window_variable(&sheet_window_);
    pages_.push_back(std::move(record));
}

INT_PTR PropertySheet_CL::show(HWND parent, const std::wstring& caption)
{
    std::vector<HPROPSHEETPAGE> handles;
    for (PageRecord& record : pages_) {
        record.page.pszTitle = record.title.c_str();
        const HPROPSHEETPAGE handle = CreatePropertySheetPageW(&record.page);
        if (!handle) {
            for (HPROPSHEETPAGE made : handles) DestroyPropertySheetPage(made);
            return E_FAIL;
        }
        handles.push_back(handle);
    }
    header_.dwSize = sizeof(PROPSHEETHEADERW);
    header_.dwFlags |= PSH_USECALLBACK;
    header_.hwndParent = parent;
    header_.pszCaption = caption.c_str();
    header_.hInstance = GetModuleHandleW(nullptr);
    header_.nPages = static_cast<UINT>(handles.size());
    header_.phpage = handles.data();
    header_.pfnCallback = &PropertySheet_CL::sheet_callback;
    const INT_PTR result = PropertySheetW(&header_);
    sheet_window_ = nullptr;
    return result;
}

int CALLBACK PropertySheet_CL::sheet_callback(HWND sheet, UINT message, LPARAM lparam)
{
    if (message == PSCB_INITIALIZED) {
        // The sheet's own user-data slot keeps the procedure it had before.
        const LONG_PTR previous =
            SetWindowLongPtrW(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PropertySheet_CL::centring_procedure));
        SetWindowLongPtrW(sheet, GWLP_USERDATA, previous);
    }
    return 0;
}

// The tab control and the sheet grow by what the page lacks; the buttons below move with them.
void PropertySheet_CL::fit_to_page(HWND sheet)
{
    const HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    const HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    RECT wanted{}, display{};
    if (!page || !tab || !GetWindowRect(page, &wanted) || !GetClientRect(tab, &display)) return;
    SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const int wider = std::max(0L, (wanted.right - wanted.left) - (display.right - display.left));
    const int taller = std::max(0L, (wanted.bottom - wanted.top) - (display.bottom - display.top));
    if (wider == 0 && taller == 0) return;
    const auto grow = [wider, taller](HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left + wider, rect.bottom - rect.top + taller,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    grow(sheet);
    grow(tab);
    wchar_t name[16] = {};
    for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!GetClassNameW(child, name, 16) || lstrcmpiW(name, L"Button") != 0) continue;
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&rect), 2);
        SetWindowPos(child, nullptr, rect.left + wider, rect.top + taller, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CALLBACK PropertySheet_CL::centring_procedure(HWND sheet, UINT message, WPARAM wparam, LPARAM lparam)
{
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(sheet, GWLP_USERDATA));
    if (message == WM_SHOWWINDOW && wparam) {
        fit_to_page(sheet);
        const HWND owner = GetWindow(sheet, GW_OWNER);
        if (owner) center_over(sheet, owner);
    }
    return previous ? CallWindowProcW(previous, sheet, message, wparam, lparam) : 0;
}
