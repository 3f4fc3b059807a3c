#include "winui/PictureDecode.h"

#include "wallpaper/JpegHeader.h"

namespace {

std::unique_ptr<Gdiplus::Image> checked(std::unique_ptr<Gdiplus::Image> picture)
{
    if (!picture || picture->GetLastStatus() != Gdiplus::Ok || picture->GetWidth() == 0) return nullptr;
    return picture;
}

bool decodable_block(HGLOBAL block)
{
    const void* data = GlobalLock(block);
    if (!data) return false;
    const bool decodable = decodable_size(static_cast<const unsigned char*>(data), GlobalSize(block));
    GlobalUnlock(block);
    return decodable;
}

}  // namespace

std::unique_ptr<Gdiplus::Image> decode_block(HGLOBAL block, bool take_block)
{
    if (!block) return nullptr;
    if (!decodable_block(block)) {
        if (take_block) GlobalFree(block);
        return nullptr;
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, take_block ? TRUE : FALSE, &stream)) || !stream) {
        if (take_block) GlobalFree(block);
        return nullptr;
    }
    // The picture holds its own reference to the stream.
    auto picture = checked(std::make_unique<Gdiplus::Image>(stream));
    stream->Release();
    return picture;
}

std::unique_ptr<Gdiplus::Image> decode_file(const std::wstring& path)
{
    if (!decodable_size(path)) return nullptr;
    return checked(std::make_unique<Gdiplus::Image>(path.c_str()));
}
