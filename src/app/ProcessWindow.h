#pragma once
#include <windows.h>

namespace app {

// The top-level window of a process until the tray window and the main window
// take its place: class "MainWindowClass", the process kind's title, closing
// ends the message loop with code 0.
class ProcessWindow {
public:
    ProcessWindow() = default;
    ProcessWindow(const ProcessWindow&) = delete;
    ProcessWindow& operator=(const ProcessWindow&) = delete;
    ~ProcessWindow();

    bool create(HINSTANCE instance, const wchar_t* title, bool visible);
    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    HWND hwnd_ = nullptr;
};

}  // namespace app
