#include "imaging/ImageEncoder.h"

#include <cwchar>
#include <vector>

#include "base/GdiplusInclude.h"

bool find_image_encoder(const wchar_t* mime_type, CLSID& clsid)
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && wcscmp(codecs[i].MimeType, mime_type) == 0) {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}
