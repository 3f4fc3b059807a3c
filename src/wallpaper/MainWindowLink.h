#pragma once
#include <string>

#include <windows.h>

// How the tray process reaches the main window of the window process: it finds
// it by class and title and tells it which list file changed.
namespace main_window_link {

constexpr UINT kListChanged = 0x88BA;
constexpr WPARAM kNewWallpaper = 1;
constexpr WPARAM kCandidates = 2;
constexpr WPARAM kFavorites = 3;
constexpr WPARAM kHistory = 4;

// The longest the tray waits for the main window to answer a message.
constexpr UINT kAnswerTimeoutMs = 3000;

// The main window ("MainWindowClass", "Tapestrel"), or null when none runs.
HWND find();
// Sends kListChanged with `what` when a main window runs; waits until it is
// handled, at most kAnswerTimeoutMs, and not at all for a hung window.
void notify(WPARAM what);
// Sends WM_CLOSE to the main window when one runs, waiting as notify() does.
void close_window();

// The two kinds of process of the one executable; each holds its own
// instance mutex while it runs, so the other can tell whether it runs.
enum class ProcessKind { Tray, Window };
// Both built from the built-in support address; the window's adds "/main".
std::wstring instance_mutex_name(ProcessKind kind);

}  // namespace main_window_link
