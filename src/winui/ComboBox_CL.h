#pragma once
#include <string>

#include "winui/ControlBase_CL.h"

// An extended combo box ("ComboBoxEx32") whose items may carry a picture.
// Derived boxes override create (the fourth operation).
class ComboBox_CL : public ControlBase_CL {
public:
    // Drop-down with an edit field, auto horizontal scroll, both scroll bars.
    static constexpr DWORD kDefaultStyle = 0;

    ComboBox_CL() : ControlBase_CL(kComboBox) {}
    // columns "W"s wide, the drop-down rows "M"s high; style is ORed with
    // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP.
    virtual HWND create(HWND parent, int id, int columns, int rows, DWORD style, int x, int y);

    // CB_ERR (-1) when nothing is selected.
    int current_selection() const;
    void select(int index);
    int count() const;
    // Appends an item; answers its index, or -1.
    int insert_item(const std::wstring& text, int image);
};
