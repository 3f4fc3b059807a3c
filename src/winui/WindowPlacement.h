#pragma once
#include <windows.h>

// Moves window (size and z-order kept) so that its centre lies on other's centre.
void center_over(HWND window, HWND other);
// Detaches a dialog from its parent and centres it on the parent's window, or
// on the full-screen area when the parent is minimised or missing.
void center_dialog(HWND parent, HWND dialog);
