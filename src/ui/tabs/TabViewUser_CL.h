#pragma once
#include "ui/tabs/ListTabView_CL.h"

// The photos of a named user.
class TabViewUser_CL : public ListTabView_CL {
public:
    TabViewUser_CL();
};
