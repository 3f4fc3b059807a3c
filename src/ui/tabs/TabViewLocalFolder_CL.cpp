#include "ui/tabs/TabViewLocalFolder_CL.h"

// A local file has no photographer and is no candidate: the menu offers neither.
TabViewLocalFolder_CL::TabViewLocalFolder_CL() : ListTabView_CL(7, 10, L"ローカルフォルダ", {nullptr, false}) {}
