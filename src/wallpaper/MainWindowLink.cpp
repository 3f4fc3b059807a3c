#include "wallpaper/MainWindowLink.h"

#include "store/ServiceConfig.h"

namespace main_window_link {

HWND find()
{
    return FindWindowExW(nullptr, nullptr, L"MainWindowClass", L"Tapestrel");
}

void notify(WPARAM what)
{
    // Waits for the main window like SendMessageW, but a hung window never
    // blocks the tray for good.
    DWORD_PTR result = 0;
    if (HWND window = find())
        SendMessageTimeoutW(window, kListChanged, what, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 10000, &result);
}

std::wstring instance_mutex_name(ProcessKind kind)
{
    std::wstring name = std::wstring(service_config::kBuiltInSupportUrl) + L"/Tapestrel";
    if (kind == ProcessKind::Window) name += L"/main";
    return name;
}

}  // namespace main_window_link
