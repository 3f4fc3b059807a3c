#include "wallpaper/MainWindowLink.h"

#include "store/ServiceConfig.h"

namespace main_window_link {

HWND find()
{
    return FindWindowExW(nullptr, nullptr, L"MainWindowClass", L"Tapestrel");
}

namespace {

// Waits for the main window like SendMessageW, but a hung window never holds the tray.
void send(UINT message, WPARAM wparam)
{
    DWORD_PTR result = 0;
    if (HWND window = find())
        SendMessageTimeoutW(window, message, wparam, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result);
}

}  // namespace

void notify(WPARAM what)
{
    send(kListChanged, what);
}

void close_window()
{
    send(WM_CLOSE, 0);
}

std::wstring instance_mutex_name(ProcessKind kind)
{
    std::wstring name = std::wstring(service_config::kBuiltInSupportUrl) + L"/Tapestrel";
    if (kind == ProcessKind::Window) name += L"/main";
    return name;
}

}  // namespace main_window_link
