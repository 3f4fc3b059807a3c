#pragma once

// Names the calling thread for debuggers (SetThreadDescription); does nothing
// where the system lacks it (older Windows, some Wine versions).
void name_current_thread(const wchar_t* name);
