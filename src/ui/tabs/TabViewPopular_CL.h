#pragma once
#include "ui/tabs/ListTabView_CL.h"

// The photo service's popular photos.
class TabViewPopular_CL : public ListTabView_CL {
public:
    TabViewPopular_CL();
};
