#pragma once
#include "winui/ControlBase_CL.h"

// A list box. The thumbnail lists derive from it and override clear (the
// fourth operation) and create; their back buffer lives with them.
class ListBox_CL : public ControlBase_CL {
public:
    ListBox_CL() : ControlBase_CL(kListBox) {}
    // Deletes every string.
    virtual void clear();
    // style is ORed with the common child style, LBS_NOTIFY and both scroll bars.
    virtual HWND create(HWND parent, int id, int width, int height, DWORD style, int x, int y);
};
