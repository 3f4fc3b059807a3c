#include "ui/tabs/TabViewCandWallPaper_CL.h"

#include "store/AppSettings_CL.h"

TabViewCandWallPaper_CL::TabViewCandWallPaper_CL() : StoredListTabView_CL(2, 15, L"壁紙候補", AppSettings.candidates) {}

void TabViewCandWallPaper_CL::cancel()
{
    empty_list();
}
