#pragma once
#include <string>

#include "store/ImageItem_CL.h"

// Sizes of a photo by index: 0 "_sq" ... 1 "_t" (thumbnails) ... 5 "_o" (full picture).
constexpr int kThumbnailSize = 1;
constexpr int kLargestSize = ImageItem_CL::kSizeCount - 1;

// The local path of a local file; else the URL of size n, falling back to
// smaller sizes; empty when there is none.
std::wstring url_for_size(const ImageItem_CL& item, int n);

// The longest address WinINet requests (INTERNET_MAX_URL_LENGTH less its zero).
constexpr size_t kMaxWebAddress = 2083;

// Whether text is an "http://" or "https://" address (scheme in any case) with
// no blank, control character or quote and not longer than kMaxWebAddress: the
// only kind of address taken from the service or opened in the browser.
bool is_web_address(const std::wstring& text);
