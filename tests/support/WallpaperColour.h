#pragma once
#include <string>

#include "base/GdiplusInclude.h"

// The plain colour of the picture that a concurrency test's process installs
// as record `key` (<tag><n>, tag "w" or "t", n below 224), so that the
// installed bitmap tells which record it belongs to.
inline Gdiplus::Color wallpaper_colour(const std::wstring& key)
{
    const int n = key.size() > 1 ? std::stoi(key.substr(1)) : 0;
    const BYTE red = key.compare(0, 1, L"w") == 0 ? 40 : 210;
    return Gdiplus::Color(255, red, static_cast<BYTE>(16 + (n % 56) * 4), static_cast<BYTE>(60 + (n / 56 % 4) * 50));
}
