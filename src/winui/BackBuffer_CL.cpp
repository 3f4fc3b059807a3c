#include "winui/BackBuffer_CL.h"

void BackBuffer_CL::ensure_size(int width, int height)
{
    if (bitmap_ && this->width() == width && this->height() == height) return;
    bitmap_.reset();
    if (width < 1 || height < 1) return;
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, format_);
    if (bitmap->GetLastStatus() == Gdiplus::Ok) bitmap_ = std::move(bitmap);
}

int BackBuffer_CL::width() const
{
    return bitmap_ ? static_cast<int>(bitmap_->GetWidth()) : 0;
}

int BackBuffer_CL::height() const
{
    return bitmap_ ? static_cast<int>(bitmap_->GetHeight()) : 0;
}
