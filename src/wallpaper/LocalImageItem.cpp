#include "wallpaper/LocalImageItem.h"

#include <cwchar>
#include <cwctype>

#include <windows.h>

#include "wallpaper/JpegHeader.h"
#include "base/KernelHandle.h"

namespace local_image {

namespace {

std::wstring date_of(const std::wstring& path, DateSource source)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME created{}, written{}, local{};
    SYSTEMTIME time{};
    if (!file || !GetFileTime(file.get(), &created, nullptr, &written) ||
        !FileTimeToLocalFileTime(source == DateSource::Creation ? &created : &written, &local) ||
        !FileTimeToSystemTime(&local, &time))
        return L"??~~?? ??:??:??";
    wchar_t text[32];
    swprintf(text, 32, L"%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
             time.wSecond);
    return text;
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

bool make_item(const std::wstring& folder, const std::wstring& name, DateSource date, ImageItem_CL& item)
{
    if (!has_jpeg_extension(name)) return false;
    const std::wstring path = folder + L"\\" + name;
    int width = 0, height = 0;
    if (!read_jpeg_size(path, width, height)) return false;
    item = ImageItem_CL();
    item.key = path;
    item.localPath = path;
    item.localWidth = width;
    item.localHeight = height;
    item.dateTaken = date_of(path, date);
    item.farm = -1;
    item.license = -1;
    item.media = L"photo";
    item.title = name;
    return true;
}

}  // namespace local_image
