#pragma once
#include "ui/tabs/ListTabView_CL.h"

// Photos found by a keyword search.
class TabViewKeyWord_CL : public ListTabView_CL {
public:
    TabViewKeyWord_CL();
    // Closing only empties the list; the loader is stopped with the window.
    void cancel() override;
};
