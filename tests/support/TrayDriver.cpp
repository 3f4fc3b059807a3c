#include "TrayDriver.h"

namespace {

constexpr UINT kListChanged = 0x88BA;
constexpr UINT kChangeNow = 0x1130;
constexpr UINT kExit = 0x1140;
constexpr UINT_PTR kStartupTimer = 0x88776543;
const wchar_t kClass[] = L"MainWindowClass";

}  // namespace

TrayDriver::TrayDriver()
{
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = &TrayDriver::procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kClass;
    if (!RegisterClassW(&window_class)) return;
    // Hidden: the tray only needs to find it.
    window_ = CreateWindowW(kClass, L"Tapestrel", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TrayDriver::~TrayDriver()
{
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    UnregisterClassW(kClass, GetModuleHandleW(nullptr));
}

LRESULT CALLBACK TrayDriver::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* self = reinterpret_cast<TrayDriver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kListChanged && wparam < kKinds) ++self->notices_[wparam];
    // The tray closes the main window before it ends; this one stays for the next run.
    if (message == WM_CLOSE) return 0;
    return DefWindowProcW(window, message, wparam, lparam);
}

bool TrayDriver::find_tray(DWORD timeout_ms)
{
    pump_until([this] { return (tray_ = FindWindowExW(nullptr, nullptr, kClass, L"Tapestrel_ICON")) != nullptr; }, timeout_ms);
    return tray_ != nullptr;
}

void TrayDriver::fire_startup_timer() const
{
    PostMessageW(tray_, WM_TIMER, kStartupTimer, 0);
}

int TrayDriver::notices(WPARAM what) const
{
    return what < kKinds ? notices_[what] : 0;
}

bool TrayDriver::pump_until(const std::function<bool()>& condition, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout_ms) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

void TrayDriver::pump_for(DWORD ms)
{
    const DWORD start = GetTickCount();
    pump_until([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

bool TrayDriver::change_now(DWORD timeout_ms)
{
    const int before = installed();
    PostMessageW(tray_, WM_COMMAND, kChangeNow, 0);
    return pump_until([&] { return installed() > before; }, timeout_ms);
}

bool TrayDriver::exit_tray(HANDLE process, DWORD timeout_ms)
{
    PostMessageW(tray_, WM_COMMAND, kExit, 0);
    DWORD code = 1;
    return pump_until([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeout_ms) &&
           GetExitCodeProcess(process, &code) && code == 0;
}
