#pragma once
#include <memory>
#include <string>

#include "base/GdiplusInclude.h"

// A picture decoded from a global-memory block through a stream. With
// take_block the stream frees the block once the picture is gone (the block is
// freed at once when no stream can be made); otherwise the caller keeps the
// block alive for as long as the picture lives. Null when nothing decodes.
std::unique_ptr<Gdiplus::Image> decode_block(HGLOBAL block, bool take_block);

// A picture file decoded in full; null when it cannot be read or decoded.
std::unique_ptr<Gdiplus::Image> decode_file(const std::wstring& path);
