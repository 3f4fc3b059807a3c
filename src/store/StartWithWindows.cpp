#include "store/StartWithWindows.h"

#include <windows.h>

#include "base/RegistryKey.h"
#include "base/Trace.h"

namespace start_with_windows {

namespace {

RegistryKey open_run_key(REGSAM access)
{
    HKEY key = nullptr;
    const LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, access, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) return RegistryKey(key);
    trace::failure(L"Run key not opened", static_cast<unsigned long>(status));
    return RegistryKey();
}

}  // namespace

std::wstring registered_command()
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return std::wstring();
    const RegistryKey key(opened);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), kValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::wstring();
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::wstring();
    // Room for a terminator the stored text may lack.
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &bytes) !=
        ERROR_SUCCESS)
        return std::wstring();
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::wstring command_for(const std::wstring& exe_path)
{
    return L"\"" + exe_path + L"\"";
}

bool register_program(const std::wstring& exe_path)
{
    if (exe_path.empty()) return false;
    const std::wstring command = command_for(exe_path);
    if (registered_command() == command) return true;
    const RegistryKey key = open_run_key(KEY_SET_VALUE);
    if (!key) return false;
    const LSTATUS status = RegSetValueExW(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    if (status == ERROR_SUCCESS) return true;
    trace::failure(L"start with Windows not registered", static_cast<unsigned long>(status));
    return false;
}

bool unregister_program()
{
    HKEY opened = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &opened);
    if (status == ERROR_FILE_NOT_FOUND) return true;
    if (status == ERROR_SUCCESS) {
        const RegistryKey key(opened);
        status = RegDeleteValueW(key.get(), kValueName);
        if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
    }
    trace::failure(L"start with Windows not unregistered", static_cast<unsigned long>(status));
    return false;
}

}  // namespace start_with_windows
