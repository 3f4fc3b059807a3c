#include "wallpaper/LocalImageItem.h"

#include <cwchar>
#include <cwctype>

#include <windows.h>

#include "base/GdiplusInclude.h"
#include "base/KernelHandle.h"
#include "imaging/JpegHeader.h"

namespace local_image {

namespace {

constexpr const wchar_t* kUnknownDate = L"??~~?? ??:??:??";

std::wstring date_of(const std::wstring& path, DateSource source)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME created{}, written{}, local{};
    SYSTEMTIME time{};
    if (!file || !GetFileTime(file.get(), &created, nullptr, &written) ||
        !FileTimeToLocalFileTime(source == DateSource::Creation ? &created : &written, &local) ||
        !FileTimeToSystemTime(&local, &time))
        return kUnknownDate;
    wchar_t text[32];
    swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
             time.wSecond);
    return text;
}

// The size of a picture that has a JPEG's name but another format the decoder
// reads (a renamed PNG, say); false when nothing decodes it.
bool decoder_size(const std::wstring& path, int& width, int& height)
{
    if (!decodable_size(path)) return false;  // a damaged or oversized JPEG
    Gdiplus::Image picture(path.c_str());
    if (picture.GetLastStatus() != Gdiplus::Ok || picture.GetWidth() == 0 || picture.GetHeight() == 0) return false;
    width = static_cast<int>(picture.GetWidth());
    height = static_cast<int>(picture.GetHeight());
    return true;
}

}  // namespace

bool has_jpeg_extension(const std::wstring& name)
{
    const size_t dot = name.find_last_of(L'.');
    const size_t slash = name.find_last_of(L'\\');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return false;
    std::wstring extension = name.substr(dot);
    for (wchar_t& c : extension) c = static_cast<wchar_t>(std::towlower(c));
    return extension == L".jpg" || extension == L".jpeg";
}

ImageItem_CL named_item(const std::wstring& folder, const std::wstring& name)
{
    ImageItem_CL item;
    item.key = folder + L"\\" + name;
    item.localPath = item.key;
    item.dateTaken = kUnknownDate;
    item.farm = -1;
    item.license = -1;
    item.media = L"photo";
    item.title = name;
    return item;
}

bool make_item(const std::wstring& folder, const std::wstring& name, DateSource date, ImageItem_CL& item)
{
    if (!has_jpeg_extension(name)) return false;
    const std::wstring path = folder + L"\\" + name;
    int width = 0, height = 0;
    if (!read_jpeg_size(path, width, height) && !decoder_size(path, width, height)) return false;
    item = named_item(folder, name);
    item.localWidth = width;
    item.localHeight = height;
    item.dateTaken = date_of(path, date);
    return true;
}

}  // namespace local_image
