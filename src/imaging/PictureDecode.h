#pragma once
#include <memory>
#include <string>

#include "base/GdiplusInclude.h"

// Every picture here comes back upright, turned as its Exif orientation says.

// A picture decoded from a global-memory block through a stream. With
// take_block the stream frees the block once the picture is gone (the block is
// freed at once when no stream can be made); otherwise the caller keeps the
// block alive for as long as the picture lives. Null when nothing decodes.
std::unique_ptr<Gdiplus::Image> decode_block(HGLOBAL block, bool take_block);

// A picture file decoded in full; null when it cannot be read or decoded.
std::unique_ptr<Gdiplus::Image> decode_file(const std::wstring& path);

// A small 16-bit copy of a picture file, fitted into width x height, made from
// the smallest source that still fills that size: the thumbnail the camera
// embedded when it is large enough, otherwise the picture scaled down by the
// imaging component. Null when nothing decodes.
std::unique_ptr<Gdiplus::Image> decode_thumbnail(const std::wstring& path, int width, int height);

// A picture held in a global-memory block (the caller keeps it), decoded at the
// smallest scale that still fills width x height once fitted (at its own size
// when it is smaller). Null when nothing decodes.
std::unique_ptr<Gdiplus::Image> decode_block_fitted(HGLOBAL block, int width, int height);
