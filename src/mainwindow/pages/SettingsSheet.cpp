#include "mainwindow/pages/SettingsSheet.h"

SettingsSheet_CL::SettingsSheet_CL()
{
    sheet_.add_page(&wallpaper_, L"壁紙設定");
    sheet_.add_page(&candidates_, L"壁紙候補設定");
    sheet_.add_page(&flickr_, L"Flickr");
    sheet_.add_page(&version_, L"バージョン情報");
}

INT_PTR SettingsSheet_CL::show(HWND owner)
{
    return sheet_.show(owner, L"アプリ設定");
}

void show_settings_sheet(HWND owner)
{
    SettingsSheet_CL sheet;
    sheet.show(owner);
}
