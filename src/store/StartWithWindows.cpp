#include "store/StartWithWindows.h"

#include <windows.h>

#include "base/Trace.h"

namespace start_with_windows {

namespace {

// The value as stored, without expanding it.
constexpr DWORD kText = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;

}  // namespace

std::wstring registered_command()
{
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, kText, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return std::wstring();
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, kText, nullptr, &text[0], &bytes) != ERROR_SUCCESS)
        return std::wstring();
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

bool register_program(const std::wstring& exe_path)
{
    if (exe_path.empty()) return false;
    const std::wstring command = L"\"" + exe_path + L"\"";
    if (registered_command() == command) return true;
    const LSTATUS status = RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName, REG_SZ, command.c_str(),
                                           static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    if (status == ERROR_SUCCESS) return true;
    trace::failure(L"start with Windows not registered", static_cast<unsigned long>(status));
    return false;
}

bool unregister_program()
{
    const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kValueName);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
    trace::failure(L"start with Windows not unregistered", static_cast<unsigned long>(status));
    return false;
}

}  // namespace start_with_windows
