#include "app/Application.h"

#include <clocale>
#include <memory>

#include <commctrl.h>
#include <shellapi.h>

#include "base/ComScope.h"
#include "base/GdiplusInclude.h"
#include "tray/MainWindowIcon_CL.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
#include "mainwindow/MainWindow_CL.h"
#include "mainwindow/UpdateCheck_CL.h"

namespace app {

namespace {

class GdiplusScope {
public:
    GdiplusScope()
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiplusScope()
    {
        if (token_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusScope(const GdiplusScope&) = delete;
    GdiplusScope& operator=(const GdiplusScope&) = delete;

private:
    ULONG_PTR token_ = 0;
};

// Owns the instance mutex from creation until the process ends.
class InstanceMutex {
public:
    explicit InstanceMutex(const std::wstring& name) : handle_(CreateMutexW(nullptr, TRUE, name.c_str())) {}
    ~InstanceMutex()
    {
        if (handle_) ReleaseMutex(handle_.get());
    }
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

private:
    KernelHandle handle_;
};

bool another_instance_runs(const std::wstring& name)
{
    KernelHandle existing(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str()));
    return static_cast<bool>(existing);
}

void init_common_controls()
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES;
    InitCommonControlsEx(&controls);
}

int message_loop()
{
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int run_tray()
{
    auto window = std::make_unique<MainWindowIcon_CL>();
    if (!window->create()) return -1;
    const int code = message_loop();
    window.reset();
    return code;
}

int run_window()
{
    auto window = std::make_unique<MainWindow_CL>();
    AppSettings.load_all_lists();
    if (!window->MainWindowBase_CL::create()) return -1;
    check_for_update_at_start(window->window());
    const int code = message_loop();
    window.reset();
    return code;
}

}  // namespace

ProcessKind process_kind(const wchar_t* command_line)
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(command_line, &count);
    if (!args) return ProcessKind::Tray;
    const bool window = count == 2 && wcscmp(args[1], L"/window") == 0;
    LocalFree(args);
    return window ? ProcessKind::Window : ProcessKind::Tray;
}

int run(HINSTANCE instance, const wchar_t* command_line)
{
    // The full name: a bare language name makes the runtime try every
    // installed locale, which loads every code page table and keeps it.
    _wsetlocale(LC_ALL, L"Japanese_Japan.932");
    const ProcessKind kind = process_kind(command_line);
    const std::wstring mutex_name = instance_mutex_name(kind);
    if (another_instance_runs(mutex_name)) return 0;
    InstanceMutex instance_mutex(mutex_name);
    ComScope com;
    // The tray has no common controls; its menu loads the library when it opens.
    if (kind == ProcessKind::Window) init_common_controls();
    GdiplusScope gdiplus;
    AppSettings.load();
    return kind == ProcessKind::Tray ? run_tray() : run_window();
}

}  // namespace app
