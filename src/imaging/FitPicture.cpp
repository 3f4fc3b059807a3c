#include "imaging/FitPicture.h"

Gdiplus::RectF fit_picture(double width, double height, const Gdiplus::RectF& box)
{
    double w = 0, h = 0;
    if (width > 0 && height > 0) {
        if (width < height) {
            h = box.Height;
            w = width * box.Height / height;
            if (w > box.Width) {
                w = box.Width;
                h = height * box.Width / width;
            }
        } else {
            w = box.Width;
            h = height * box.Width / width;
            if (h > box.Height) {
                h = box.Height;
                w = width * box.Height / height;
            }
        }
    }
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(box.X + (box.Width - w) / 2),
                          static_cast<Gdiplus::REAL>(box.Y + (box.Height - h) / 2), static_cast<Gdiplus::REAL>(w),
                          static_cast<Gdiplus::REAL>(h));
}

void draw_fitted(Gdiplus::Graphics& graphics, Gdiplus::Image& picture, const Gdiplus::RectF& box)
{
    const Gdiplus::RectF target = fit_picture(picture.GetWidth(), picture.GetHeight(), box);
    if (target.Width <= 0 || target.Height <= 0) return;
    graphics.DrawImage(&picture, target);
}
