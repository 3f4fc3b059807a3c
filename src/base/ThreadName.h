#pragma once
#include <windows.h>

// Names a thread for debuggers (SetThreadDescription); does nothing where the
// system lacks it (older Windows, some Wine versions).
void name_thread(HANDLE thread, const wchar_t* name);
