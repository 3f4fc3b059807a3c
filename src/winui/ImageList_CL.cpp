#include "winui/ImageList_CL.h"

bool ImageList_CL::load_strip(const std::wstring& path, int image_width)
{
    reset();
    if (image_width < 1) return false;
    // Not shared: the strip is deleted as soon as the list holds a copy.
    const HBITMAP strip = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!strip) return false;
    BITMAP info{};
    GetObjectW(strip, sizeof(info), &info);
    list_ = ImageList_Create(image_width, info.bmHeight, ILC_COLOR24 | ILC_MASK, 0, info.bmWidth / image_width);
    if (list_) ImageList_AddMasked(list_, strip, RGB(255, 0, 255));
    DeleteObject(strip);
    return list_ != nullptr;
}

void ImageList_CL::reset()
{
    if (list_) ImageList_Destroy(list_);
    list_ = nullptr;
}
