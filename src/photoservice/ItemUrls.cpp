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
    for (const wchar_t* scheme : {L"http://", L"https://"}) {
        const size_t length = std::wcslen(scheme);
        if (text.size() > length && _wcsnicmp(text.c_str(), scheme, length) == 0)
            return true;
    }
    return false;
}
