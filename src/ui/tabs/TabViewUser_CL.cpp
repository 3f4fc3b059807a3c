#include "ui/tabs/TabViewUser_CL.h"

TabViewUser_CL::TabViewUser_CL() : ListTabView_CL(5, 8, L"指定したユーザーの写真") {}
