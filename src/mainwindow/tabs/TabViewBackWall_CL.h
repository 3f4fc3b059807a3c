#pragma once
#include "mainwindow/tabs/StoredListTabView_CL.h"

// The favourite wallpapers.
class TabViewBackWall_CL : public StoredListTabView_CL {
public:
    TabViewBackWall_CL();
};
