#pragma once
#include <string>

// Opens a web address or a document with the shell's default handler.
void shell_open(const std::wstring& address);
// The same, except on a machine marked by a file "c:\MyHome.txt" (a developer's
// machine, where pages must not pop up).
void open_in_browser(const std::wstring& address);
