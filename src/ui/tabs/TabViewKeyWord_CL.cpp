#include "ui/tabs/TabViewKeyWord_CL.h"

TabViewKeyWord_CL::TabViewKeyWord_CL() : ListTabView_CL(4, 9, L"キーワードで検索") {}

void TabViewKeyWord_CL::cancel()
{
    empty_list();
}
