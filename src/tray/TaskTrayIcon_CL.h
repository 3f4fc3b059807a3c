#pragma once
#include <string>

#include <windows.h>
#include <shellapi.h>

#include "winui/DpiScale.h"

// The notification-area icon of the tray window: adding it (with retries),
// switching between the normal and the busy picture, and removing it. Used on
// the tray window's thread only.
class TaskTrayIcon_CL {
public:
    static constexpr UINT kNotifyMessage = WM_USER + 100;
    static constexpr int kNormalIcon = 107;
    static constexpr int kBusyIcon = 111;

    explicit TaskTrayIcon_CL(const std::wstring& tip);
    TaskTrayIcon_CL(const TaskTrayIcon_CL&) = delete;
    TaskTrayIcon_CL& operator=(const TaskTrayIcon_CL&) = delete;
    // Removes the icon when one was added.
    virtual ~TaskTrayIcon_CL();

    // Prepares the record for the window: normal picture, message and tip.
    void attach(HWND window);
    // The pictures at the small-icon size of the DPI (the window's when attached).
    void set_dpi(const DpiScale& scale);
    // The small-icon size the pictures were made for.
    int icon_size() const { return icon_size_; }
    // NIM_ADD, again every 2 s while it fails; after 60 failures (time-outs
    // do not count) the user chooses between retrying and giving up. False
    // when the user gave up: the record then has no window.
    bool add();
    // The shell was restarted: add the icon again when the record has a window.
    void restore();
    void show_busy(bool busy);
    void remove();
    // The tooltip, cut to what the record holds.
    void set_tip(const std::wstring& tip);
    std::wstring tip();
    // A warning balloon; a click on it arrives as NIN_BALLOONUSERCLICK.
    void show_balloon(const std::wstring& title, const std::wstring& text);

    UINT taskbar_created_message() const { return taskbar_created_; }

private:
    HICON load(int id) const;
    void release_icons();
    void modify(UINT flags);

    NOTIFYICONDATAW data_{};
    UINT taskbar_created_ = 0;
    std::wstring tip_;
    HICON normal_ = nullptr;
    HICON busy_ = nullptr;
    bool busy_shown_ = false;
    int icon_size_ = 0;
};
