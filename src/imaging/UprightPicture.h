#pragma once
#include <memory>
#include <string>

#include "base/GdiplusInclude.h"

// Turns a decoded picture as its Exif orientation (1-8) says, so that it stands
// as the camera saw it; 1 and anything outside 1-8 leave it as it is.
bool turn_upright(Gdiplus::Image& picture, int orientation);

// A picture file decoded in full and turned upright; null when it is not a
// picture GDI+ can read (or a JPEG too damaged or too large to decode).
std::unique_ptr<Gdiplus::Bitmap> decode_upright(const std::wstring& path);
