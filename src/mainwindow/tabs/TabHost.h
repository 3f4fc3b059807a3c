#pragma once
#include <windows.h>

#include "base/WindowTasks_CL.h"

class CommunicateWait_CL;
class MyPictureImage_CL;
class Tab_CL;

// What a tab needs from the window that holds it. The main window implements
// it, so the tabs never include the main window.
class TabHost {
public:
    // Commands a tab sends to the host's window (WM_COMMAND, wParam = id).
    static constexpr WPARAM kGetPhoto = 0x1000;
    static constexpr WPARAM kOpenOwnerPage = 0x1040;

    virtual HWND host_window() const = 0;
    virtual Tab_CL* tab() const = 0;
    virtual MyPictureImage_CL* preview() const = 0;
    virtual CommunicateWait_CL* indicator() const = 0;
    // The preview's item menu, for the picture the current-wallpaper tab shows.
    virtual void show_displayed_item_menu() = 0;
    // Any thread: runs the task on the host window's thread. False, with the
    // task released, when the window is gone (the host then has no tabs).
    [[nodiscard]] virtual bool post_task(WindowTask task) = 0;
    // Window thread: a tab's caption, and the status bar when it is the current tab.
    virtual void show_tab_outcome(int tab_index) = 0;

protected:
    ~TabHost() = default;
};
