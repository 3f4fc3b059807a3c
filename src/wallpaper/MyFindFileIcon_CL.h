#pragma once
#include "base/FindFile_CL.h"
#include "wallpaper/LocalFileNames.h"

// Collects the names of the JPEG files of the tray's local folder; only the
// picture drawn from them is ever opened.
class MyFindFileIcon_CL : public FindFile_CL {
public:
    void on_file(const std::wstring& folder, const std::wstring& name) override;

    LocalFileNames names;
};
