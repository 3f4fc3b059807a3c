#include "imaging/UprightPicture.h"

#include "imaging/JpegHeader.h"

bool turn_upright(Gdiplus::Image& picture, int orientation)
{
    // The turn first, then the mirroring, as two steps: Wine's GDI+ mirrors
    // before turning where one combined step is asked for, Windows after.
    struct Steps {
        Gdiplus::RotateFlipType turn, mirror;
    };
    static const Steps steps[9] = {
        {Gdiplus::RotateNoneFlipNone, Gdiplus::RotateNoneFlipNone}, {Gdiplus::RotateNoneFlipNone, Gdiplus::RotateNoneFlipNone},
        {Gdiplus::RotateNoneFlipNone, Gdiplus::RotateNoneFlipX},    {Gdiplus::Rotate180FlipNone, Gdiplus::RotateNoneFlipNone},
        {Gdiplus::RotateNoneFlipNone, Gdiplus::RotateNoneFlipY},    {Gdiplus::Rotate90FlipNone, Gdiplus::RotateNoneFlipX},
        {Gdiplus::Rotate90FlipNone, Gdiplus::RotateNoneFlipNone},   {Gdiplus::Rotate270FlipNone, Gdiplus::RotateNoneFlipX},
        {Gdiplus::Rotate270FlipNone, Gdiplus::RotateNoneFlipNone}};
    if (orientation <= 1 || orientation > 8) return true;
    const Steps& step = steps[orientation];
    return (step.turn == Gdiplus::RotateNoneFlipNone || picture.RotateFlip(step.turn) == Gdiplus::Ok) &&
           (step.mirror == Gdiplus::RotateNoneFlipNone || picture.RotateFlip(step.mirror) == Gdiplus::Ok);
}

std::unique_ptr<Gdiplus::Bitmap> decode_upright(const std::wstring& path)
{
    if (!decodable_size(path)) return nullptr;
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(path.c_str());
    if (bitmap->GetLastStatus() != Gdiplus::Ok || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return nullptr;
    JpegInfo info;
    if (read_jpeg_info(path, info, false) && !turn_upright(*bitmap, info.orientation)) return nullptr;
    return bitmap;
}
