#pragma once
#include <windows.h>

#include "winui/PropertySheet_CL.h"
#include "mainwindow/pages/PropAppSetting_CL.h"
#include "mainwindow/pages/PropAppVersion_CL.h"
#include "mainwindow/pages/PropCandSetting_CL.h"
#include "mainwindow/pages/PropFlickerInfo_CL.h"
#include "mainwindow/pages/PropFlickrSetting_CL.h"

// The modal sheet "アプリ設定" with the pages "壁紙設定", "壁紙候補設定", "Flickr"
// and "バージョン情報". The sign-in page is made with them but not shown.
class SettingsSheet_CL {
public:
    SettingsSheet_CL();
    SettingsSheet_CL(const SettingsSheet_CL&) = delete;
    SettingsSheet_CL& operator=(const SettingsSheet_CL&) = delete;

    // Returns when the sheet closes; PropertySheetW's result.
    INT_PTR show(HWND owner);

    PropAppVersion_CL& version_page() { return version_; }
    PropFlickrSetting_CL& flickr_page() { return flickr_; }

private:
    PropAppSetting_CL wallpaper_;
    PropCandSetting_CL candidates_;
    PropFlickrSetting_CL flickr_;
    PropAppVersion_CL version_;
    PropFlickerInfo_CL sign_in_;
    // Declared last: it refers to the pages while it lives.
    PropertySheet_CL sheet_;
};

// The main window's command "アプリ設定".
void show_settings_sheet(HWND owner);
