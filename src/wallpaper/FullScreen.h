#pragma once
#include <string>

#include <windows.h>

// Whether the user runs something full screen (a game, a film, a slide show),
// during which a scheduled wallpaper change waits: the decisions, and the one
// call that asks the system.
namespace full_screen {

// An answer of SHQueryUserNotificationState that asks not to be disturbed:
// busy (a full-screen program), a full-screen Direct3D program, presentation mode.
bool notification_state_busy(int state);
// Windows that fill their monitor without being a program in full screen:
// the desktop and the shell's own (task bar, start menu, notification flyouts).
bool is_shell_window_class(const std::wstring& window_class);
// Whether a window's rectangle holds the whole of its monitor's.
bool covers(const RECT& window, const RECT& monitor);

// Now: the foreground window (not the desktop's or the shell's) covers its
// monitor, or the shell says a full-screen program or a presentation runs.
bool program_in_full_screen();

}  // namespace full_screen
