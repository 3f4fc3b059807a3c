#pragma once
#include "mainwindow/tabs/StoredListTabView_CL.h"

// The recently set wallpapers.
class TabViewHistoryWallPaper_CL : public StoredListTabView_CL {
public:
    TabViewHistoryWallPaper_CL();
};
