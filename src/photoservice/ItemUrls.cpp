#include "photoservice/ItemUrls.h"

#include <algorithm>
#include <cwchar>

std::wstring url_for_size(const ImageItem_CL& item, int n)
{
    if (!item.localPath.empty())
        return item.localPath;
    for (int i = std::min(n, kLargestSize); i >= 0; --i) {
        if (!item.sizes[i].url.empty())
            return item.sizes[i].url;
    }
    return {};
}

bool is_web_address(const std::wstring& text)
{
    // Longer than a request can carry, or with a character that could end the
    // request line or the browser's quoted argument: not an address to use.
    if (text.size() > kMaxWebAddress)
        return false;
    for (wchar_t c : text) {
        if (c <= L' ' || c == 0x7F || c == L'"')
            return false;
    }
    for (const wchar_t* scheme : {L"http://", L"https://"}) {
        const size_t length = std::wcslen(scheme);
        if (text.size() > length && _wcsnicmp(text.c_str(), scheme, length) == 0)
            return true;
    }
    return false;
}
