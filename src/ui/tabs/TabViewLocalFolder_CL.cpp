#include "ui/tabs/TabViewLocalFolder_CL.h"

TabViewLocalFolder_CL::TabViewLocalFolder_CL() : ListTabView_CL(7, 10, L"ローカルフォルダ") {}
