#pragma once
#include "ui/tabs/ListTabView_CL.h"

// The JPEG files of a folder on the user's disk.
class TabViewLocalFolder_CL : public ListTabView_CL {
public:
    TabViewLocalFolder_CL();
};
