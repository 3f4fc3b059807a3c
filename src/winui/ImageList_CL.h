#pragma once
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "winui/DpiScale.h"

// Owns one image list, destroyed with the object.
class ImageList_CL {
public:
    ImageList_CL() = default;
    ImageList_CL(const ImageList_CL&) = delete;
    ImageList_CL& operator=(const ImageList_CL&) = delete;
    ImageList_CL(ImageList_CL&& other) noexcept : list_(other.list_) { other.list_ = nullptr; }
    ImageList_CL& operator=(ImageList_CL&& other) noexcept
    {
        if (this != &other) {
            reset();
            list_ = other.list_;
            other.list_ = nullptr;
        }
        return *this;
    }
    ~ImageList_CL() { reset(); }

    // Cuts a bitmap file into pictures image_width wide (magenta is
    // transparent), each drawn at its size for the DPI. A missing or
    // unreadable file, or a width below 1, leaves the list empty (null handle).
    bool load_strip(const std::wstring& path, int image_width, const DpiScale& scale = DpiScale());
    HIMAGELIST handle() const { return list_; }
    int count() const { return list_ ? ImageList_GetImageCount(list_) : 0; }
    void reset();

private:
    HIMAGELIST list_ = nullptr;
};
