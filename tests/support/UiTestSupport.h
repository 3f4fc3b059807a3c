#pragma once
#include <functional>
#include <string>

#include <windows.h>

#include "store/ImageItem_CL.h"

namespace ui_testing {

// A top-level window to parent the controls under test (hidden unless asked:
// Wine waits for the X server each time a shown window goes away). Every message
// is offered to the hook first (return true to answer it with *result).
class HostWindow {
public:
    using Hook = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;

    explicit HostWindow(int width = 640, int height = 480, bool visible = false);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    void set_hook(Hook hook) { hook_ = std::move(hook); }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    HWND hwnd_ = nullptr;
    Hook hook_;
};

// A window's rectangle in its parent's client coordinates.
RECT rect_in_parent(HWND window);
// Handles what is waiting in this thread's queue; a WM_QUIT found there is
// reported (and removed) so that it cannot end a later modal loop.
bool pump_messages(int* quit_code = nullptr);
// Handles this thread's messages until the condition holds (checked between
// rounds); false when it still does not hold after timeout_ms.
bool pump_until(const std::function<bool()>& condition, DWORD timeout_ms = 20000);
// Whether a control's text, measured in the control's own font, fits inside
// it (a check box's beside its box); empty when it does, else what does not fit.
std::wstring clipped_text(HWND control);
// Saves what the screen shows of a window as a PNG file (a test artefact).
bool save_screenshot(HWND window, const std::wstring& path);

// A record of a local picture file, as the local-folder tab makes them.
ImageItem_CL local_record(const std::wstring& path, const std::wstring& title);
// The text of a tab of a tab control.
std::wstring tab_text(HWND strip, int index);

}  // namespace ui_testing
