#pragma once
#include <string>

#include <windows.h>

#include "base/Trace.h"

// The one way a wrapper object is reached from a subclassed window: its
// address in the window's user-data slot, the window's previous procedure kept
// in the object. Shared by the control wrappers and SubClass_CL.
namespace subclassing {

// Binds the object to the window and installs the procedure; answers the
// procedure that was there before (null when the window is null).
inline WNDPROC install(HWND window, void* object, WNDPROC procedure)
{
    if (!window) return nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

// Gives the window its previous procedure back and forgets the object, so no
// message can reach an object after its window is gone.
inline void remove(HWND window, WNDPROC previous)
{
    if (!window || !previous) return;
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

// For destructors: unhooks the window only while it still exists and is bound
// to this object.
inline void detach(HWND window, const void* object, WNDPROC previous)
{
    if (window && IsWindow(window) && GetWindowLongPtrW(window, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(object))
        remove(window, previous);
}

// No exception may leave a window procedure: a handler that throws (only
// exhausted memory can) has its message answered with fallback, and is traced.
template <class Result, class Handler>
Result handle_safely(UINT message, Handler&& handler, Result fallback)
{
    try {
        return handler();
    } catch (...) {
        trace::failure(L"window message " + std::to_wstring(message) + L" given up after an exception");
        return fallback;
    }
}

template <class Bound>
Bound* bound_object(HWND window)
{
    return reinterpret_cast<Bound*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The object sees every message first; the window's own procedure runs unless
// the object set its handled flag. WM_DESTROY unbinds, then follows the same
// rule, so the control still frees what it holds.
template <class Bound>
LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    Bound* object = bound_object<Bound>(window);
    if (!object) return 0;
    object->set_handled(false);
    const WNDPROC previous = object->previous_procedure();
    const LRESULT result = handle_safely(
        message, [&] { return object->handle_message(window, message, wparam, lparam); }, LRESULT{0});
    const bool handled = object->handled();
    if (message == WM_DESTROY) remove(window, previous);
    if (handled || !previous) return result;
    return CallWindowProcW(previous, window, message, wparam, lparam);
}

}  // namespace subclassing
