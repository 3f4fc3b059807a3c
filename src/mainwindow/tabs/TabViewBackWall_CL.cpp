#include "mainwindow/tabs/TabViewBackWall_CL.h"

#include "store/AppSettings_CL.h"

namespace {
const ItemMenuEntry kRemoveFavourite = {L"お気に入りから削除する", 0x1021, 11};
}

TabViewBackWall_CL::TabViewBackWall_CL()
    : StoredListTabView_CL(1, 5, L"お気に入りの壁紙", AppSettings.favorites, kRemoveFavourite)
{
}
