#pragma once
#include <vector>

#include "base/FindFile_CL.h"
#include "store/ImageItem_CL.h"

// Collects the JPEG files of the tray's local folder as wallpaper items.
class MyFindFileIcon_CL : public FindFile_CL {
public:
    void on_file(const std::wstring& folder, const std::wstring& name) override;

    std::vector<ImageItem_CL> items;
};
