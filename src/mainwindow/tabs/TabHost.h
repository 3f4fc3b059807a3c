#pragma once
#include <windows.h>

class CommunicateWait_CL;
class MyPictureImage_CL;
class Tab_CL;

// What a tab needs from the window that holds it. The main window implements
// it, so the tabs never include the main window.
class TabHost {
public:
    // Commands a tab sends or posts to the host's window (WM_COMMAND, wParam = id).
    static constexpr WPARAM kGetPhoto = 0x1000;
    static constexpr WPARAM kOpenOwnerPage = 0x1040;
    static constexpr WPARAM kUpdateCaption = 0x1110;  // lParam: tab index

    virtual HWND host_window() const = 0;
    virtual Tab_CL* tab() const = 0;
    virtual MyPictureImage_CL* preview() const = 0;
    virtual CommunicateWait_CL* indicator() const = 0;
    // The preview's item menu, for the picture the current-wallpaper tab shows.
    virtual void show_displayed_item_menu() = 0;

protected:
    ~TabHost() = default;
};
