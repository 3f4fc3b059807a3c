#pragma once
#include <string>

#include "winui/ControlBase_CL.h"

// Base of the two top-level windows (the hidden tray window and the main
// window), both of window class "MainWindowClass". The class is registered by
// create, and only one registration succeeds per process, so each process has
// exactly one such window.
//
// Derived windows override, in this order: handle_message (call this class's
// handle_message last and return its result), the destructor, resize,
// on_destroy, on_close, on_create, on_size, on_paint, create, set_title,
// set_icon. No message reaches the object before WM_CREATE.
class MainWindowBase_CL : public ControlBase_CL {
public:
    static constexpr const wchar_t* kClassName = L"MainWindowClass";
    // WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN
    static constexpr DWORD kDefaultStyle = 0x12CF0000;

    MainWindowBase_CL();
    // Dispatches to the on_* operations below, then to DefWindowProcW, except
    // that a WM_CLOSE refused by on_close is answered with 0.
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
    // Destroys the window when it still exists, without calling back into the object.
    ~MainWindowBase_CL() override;

    // WM_DPICHANGED: the window takes the DPI (on_dpi_changed) and then the
    // rectangle the system suggests for it.
    virtual void on_destroy() {}
    // Nonzero lets the window close.
    virtual int on_close() { return 1; }
    virtual void on_create(const CREATESTRUCTW* parameters) {}
    virtual void on_size() {}
    virtual void on_paint() {}
    // Registers the class and creates the window (640 x 480 at the default
    // position); null, with nothing created, when registration fails.
    virtual HWND create();
    virtual void set_title(const std::wstring& title) { title_ = title; }
    virtual void set_icon(HICON icon) { icon_ = icon; }

    const std::wstring& title() const { return title_; }
    DWORD style() const { return style_; }
    void set_style(DWORD style) { style_ = style; }

private:
    static LRESULT CALLBACK top_level_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    HICON icon_ = nullptr;
    std::wstring title_ = L"WindowName";
    DWORD style_ = kDefaultStyle;
};
