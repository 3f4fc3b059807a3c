#include "winui/ImageList_CL.h"

bool ImageList_CL::load_strip(const std::wstring& path, int image_width, const DpiScale& scale)
{
    reset();
    if (image_width < 1) return false;
    // Not shared: the strip is deleted as soon as the list holds a copy.
    HBITMAP strip = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!strip) return false;
    BITMAP info{};
    GetObjectW(strip, sizeof(info), &info);
    const int count = info.bmWidth / image_width;
    const int width = scale(image_width);
    const int height = scale(info.bmHeight);
    if (width != image_width) {
        // Stretched without smoothing, so the magenta of the mask stays exact.
        const HBITMAP stretched = static_cast<HBITMAP>(CopyImage(strip, IMAGE_BITMAP, width * count, height, LR_COPYDELETEORG));
        if (!stretched) {
            DeleteObject(strip);
            return false;
        }
        strip = stretched;
    }
    list_ = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 0, count);
    if (list_) ImageList_AddMasked(list_, strip, RGB(255, 0, 255));
    DeleteObject(strip);
    return list_ != nullptr;
}

void ImageList_CL::reset()
{
    if (list_) ImageList_Destroy(list_);
    list_ = nullptr;
}
