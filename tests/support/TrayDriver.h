#pragma once
#include <functional>

#include <windows.h>

// Drives a running tray process the way its user and the main window meet it:
// stands in for the main window ("MainWindowClass" titled "Tapestrel"), so the
// tray's list notices (0x88BA) arrive here and are counted, and sends it menu
// commands. Shared by the soak test and the benchmark.
class TrayDriver {
public:
    TrayDriver();
    ~TrayDriver();
    TrayDriver(const TrayDriver&) = delete;
    TrayDriver& operator=(const TrayDriver&) = delete;

    bool ready() const { return window_ != nullptr; }
    // Waits for the tray's hidden window; false on time-out.
    bool find_tray(DWORD timeout_ms);
    HWND tray() const { return tray_; }
    // Starts the tray's schedule (and candidate run) now instead of after its start-up delay.
    void fire_startup_timer() const;
    // Notices received with this wParam (1 = a wallpaper was installed).
    int notices(WPARAM what) const;
    int installed() const { return notices(1); }
    // Serves this thread's messages until the condition holds; false after timeout_ms.
    bool pump_until(const std::function<bool()>& condition, DWORD timeout_ms);
    void pump_for(DWORD ms);
    // "次の壁紙に変更する", then waits until the tray reports the new wallpaper installed.
    bool change_now(DWORD timeout_ms);
    // "アプリの終了"; true when the process has ended with exit code 0.
    bool exit_tray(HANDLE process, DWORD timeout_ms);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    static constexpr int kKinds = 5;
    int notices_[kKinds] = {};
    HWND window_ = nullptr;
    HWND tray_ = nullptr;
};
