#pragma once
#include "mainwindow/tabs/ListTabView_CL.h"

// The photo service's popular photos, fetched once per window; a fetch that
// failed is tried again when the tab is shown again.
class TabViewPopular_CL : public ListTabView_CL {
public:
    TabViewPopular_CL();
    void activate() override;
    void load() override;
    // Aborts the fetch and empties the list.
    void cancel() override;

private:
    int loaded_ = 0;
};
