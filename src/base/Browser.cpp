#include "base/Browser.h"

#include <windows.h>
#include <shellapi.h>

void shell_open(const std::wstring& address)
{
    ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void open_in_browser(const std::wstring& address)
{
    if (GetFileAttributesW(L"c:\\MyHome.txt") != INVALID_FILE_ATTRIBUTES)
        return;
    shell_open(address);
}
