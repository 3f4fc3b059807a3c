#pragma once
#include <string>

// Starting the tray process at sign-in: the value "Tapestrel" of the current
// user's Run key, which the installer writes too. It holds the executable's
// full path in quotes and no argument, so the tray process starts.
namespace start_with_windows {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kValueName = L"Tapestrel";

// The command the value holds, whichever program it names; empty when there is none.
std::wstring registered_command();
// Makes the value start exe_path; a value that names another path is replaced.
[[nodiscard]] bool register_program(const std::wstring& exe_path);
// Removes the value; true also when there was none.
[[nodiscard]] bool unregister_program();

}  // namespace start_with_windows
