#pragma once
#include <string>

#include "winui/ControlBase_CL.h"

// The main window's multi-line tab strip (id 0x1123), sized by its owner.
class Tab_CL : public ControlBase_CL {
public:
    static constexpr int kId = 0x1123;
    static constexpr int kAppend = -1;

    Tab_CL() : ControlBase_CL(kTab) {}
    HWND create(HWND parent);
    // position kAppend adds after the last tab; answers the new tab's index or -1.
    int insert_tab(const std::wstring& text, int image, LPARAM lparam, int position);
    // Changes text and lParam of a tab; kAppend addresses the position after the last.
    bool set_tab(const std::wstring& text, LPARAM lparam, int position);
    // The text of a strip's tab; empty when there is no such tab.
    static std::wstring tab_text(HWND strip, int position);

private:
    int resolve(int position) const;
};
