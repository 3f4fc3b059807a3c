#include "ui/tabs/TabViewPopular_CL.h"

TabViewPopular_CL::TabViewPopular_CL() : ListTabView_CL(3, 3, L"人気の写真") {}
