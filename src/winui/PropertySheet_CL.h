#pragma once
#include <string>
#include <vector>

#include <windows.h>
#include <prsht.h>

class SubClassDialogBase_CL;

// A modal property sheet of in-memory pages. The pages stay owned by the
// caller and must outlive show; each page's window exists only while the
// sheet shows it. The sheet centres itself over its parent when it appears,
// after growing to hold its page: a page whose layout follows the DPI may be
// larger than the sheet makes of its template, whose size follows the font.
class PropertySheet_CL {
public:
    PropertySheet_CL();
    PropertySheet_CL(const PropertySheet_CL&) = delete;
    PropertySheet_CL& operator=(const PropertySheet_CL&) = delete;

    // Adds a page with its tab title; the page also learns the sheet's handle.
    void add_page(SubClassDialogBase_CL* page, const std::wstring& title);
    // Runs the sheet; answers PropertySheetW's result, or E_FAIL when a page
    // cannot be made.
    INT_PTR show(HWND parent, const std::wstring& caption);

    // The sheet's window while it is shown (set when its first page opens).
    HWND window() const { return sheet_window_; }

private:
    struct PageRecord {
        PROPSHEETPAGEW page;
        std::wstring title;
    };
    static int CALLBACK sheet_callback(HWND sheet, UINT message, LPARAM lparam);
    static LRESULT CALLBACK centring_procedure(HWND sheet, UINT message, WPARAM wparam, LPARAM lparam);
    static void fit_to_page(HWND sheet);

    PROPSHEETHEADERW header_;
    std::vector<PageRecord> pages_;
    HWND sheet_window_ = nullptr;
};
