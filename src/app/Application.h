#pragma once
#include <string>

#include <windows.h>

namespace app {

enum class ProcessKind { Tray, Window };

// The window process is started with exactly one argument, "/window" (exact
// case); every other command line starts the tray process.
ProcessKind process_kind(const wchar_t* command_line);
// Both built from the built-in support address; the window's adds "/main".
std::wstring instance_mutex_name(ProcessKind kind);

// The whole life of a process: single instance, platform start-up, settings,
// the window and its message loop, then shut-down in reverse order.
int run(HINSTANCE instance, const wchar_t* command_line);

}  // namespace app
