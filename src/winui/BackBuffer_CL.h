#pragma once
#include <memory>

#include "base/GdiplusInclude.h"

// An off-screen GDI+ bitmap that a control paints into before copying it to
// the screen in one step.
class BackBuffer_CL {
public:
    explicit BackBuffer_CL(Gdiplus::PixelFormat format = PixelFormat32bppRGB) : format_(format) {}
    BackBuffer_CL(const BackBuffer_CL&) = delete;
    BackBuffer_CL& operator=(const BackBuffer_CL&) = delete;
    virtual ~BackBuffer_CL() = default;

    // Keeps the bitmap when it has exactly this size, else makes a new one.
    // Sizes below 1 leave no bitmap.
    void ensure_size(int width, int height);
    Gdiplus::Bitmap* bitmap() const { return bitmap_.get(); }
    int width() const;
    int height() const;

private:
    Gdiplus::PixelFormat format_;
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};
