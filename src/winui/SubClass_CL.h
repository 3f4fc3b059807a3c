#pragma once
#include <windows.h>

class ControlBase_CL;

// Subclasses a window that is not itself a wrapper, on behalf of the wrapper
// that contains it (the edit field inside a history combo box). Routing is that
// of the control wrappers: handle_message first, the window's own procedure
// unless the handled flag is set, unhooked on WM_DESTROY.
class SubClass_CL {
public:
    using MessageCallback = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

    explicit SubClass_CL(ControlBase_CL* owner = nullptr) : owner_(owner) {}
    SubClass_CL(const SubClass_CL&) = delete;
    SubClass_CL& operator=(const SubClass_CL&) = delete;
    // Unhooks the window when it is still bound.
    virtual ~SubClass_CL();

    // Default: the callback's answer when one is set, else 0.
    virtual LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    bool attach(HWND window);
    void set_message_callback(MessageCallback callback) { callback_ = callback; }
    ControlBase_CL* owner() const { return owner_; }
    void set_owner(ControlBase_CL* owner) { owner_ = owner; }
    bool handled() const { return handled_ != 0; }
    void set_handled(bool handled) { handled_ = handled ? 1 : 0; }
    WNDPROC previous_procedure() const { return previous_; }

private:
    WNDPROC previous_ = nullptr;
    MessageCallback callback_ = nullptr;
    int handled_ = 0;
    ControlBase_CL* owner_;
    HWND window_ = nullptr;
};
