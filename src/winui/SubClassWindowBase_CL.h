#pragma once
#include <windows.h>

// A window created and subclassed in one step, for windows that are not
// control wrappers. Every message goes to handle_message; the default puts
// the previous procedure back on WM_DESTROY and forwards everything to it, so
// an override calls it for whatever it does not swallow.
class SubClassWindowBase_CL {
public:
    SubClassWindowBase_CL() = default;
    SubClassWindowBase_CL(const SubClassWindowBase_CL&) = delete;
    SubClassWindowBase_CL& operator=(const SubClassWindowBase_CL&) = delete;

    // Unhooks a window that is still bound; does not destroy it.
    virtual ~SubClassWindowBase_CL();
    virtual HWND create(DWORD ex_style, const wchar_t* window_class, const wchar_t* title, DWORD style, int x, int y,
                        int width, int height, HWND parent, int id, HINSTANCE instance, void* parameter);
    virtual LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    HWND window() const { return window_; }
    WNDPROC previous_procedure() const { return previous_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
};
