#pragma once
#include "mainwindow/tabs/StoredListTabView_CL.h"

// The wallpaper candidates.
class TabViewCandWallPaper_CL : public StoredListTabView_CL {
public:
    TabViewCandWallPaper_CL();
    // Closing only empties the list; the loader is stopped with the window.
    void cancel() override;
};
