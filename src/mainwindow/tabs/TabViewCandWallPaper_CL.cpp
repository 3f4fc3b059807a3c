#include "mainwindow/tabs/TabViewCandWallPaper_CL.h"

#include "store/AppSettings_CL.h"

namespace {
const ItemMenuEntry kRemoveCandidate = {L"壁紙候補から削除する", 0x1011, 16};
}

TabViewCandWallPaper_CL::TabViewCandWallPaper_CL()
    : StoredListTabView_CL(2, 15, L"壁紙候補", AppSettings.candidates, kRemoveCandidate)
{
}

void TabViewCandWallPaper_CL::cancel()
{
    empty_list();
}
