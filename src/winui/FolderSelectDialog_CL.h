#pragma once
#include <string>

#include <windows.h>

// The shell's folder chooser, limited to file-system folders, with an edit box
// for typing a path.
class FolderSelectDialog_CL {
public:
    // Runs the chooser modally over owner. True with the chosen folder in path;
    // false, path untouched, on Cancel or a choice that is not a file-system folder.
    static bool browse_for_folder(HWND owner, const std::wstring& title, std::wstring& path);
};
