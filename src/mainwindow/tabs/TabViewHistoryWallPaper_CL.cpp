#include "mainwindow/tabs/TabViewHistoryWallPaper_CL.h"

#include "store/AppSettings_CL.h"

namespace {
const ItemMenuEntry kRemoveHistory = {L"最近設定した壁紙から削除する", 0x1012, 16};
}

TabViewHistoryWallPaper_CL::TabViewHistoryWallPaper_CL()
    : StoredListTabView_CL(6, 15, L"最近設定した壁紙", AppSettings.history, kRemoveHistory)
{
}
