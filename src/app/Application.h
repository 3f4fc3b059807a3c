#pragma once
#include <string>

#include <windows.h>

#include "wallpaper/MainWindowLink.h"

namespace app {

using main_window_link::ProcessKind;
using main_window_link::instance_mutex_name;

// The window process is started with exactly one argument, "/window" (exact
// case); every other command line starts the tray process.
ProcessKind process_kind(const wchar_t* command_line);

// The whole life of a process: single instance, platform start-up, settings,
// the window and its message loop, then shut-down in reverse order.
int run(HINSTANCE instance, const wchar_t* command_line);

}  // namespace app
