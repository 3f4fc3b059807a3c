#pragma once
#include <string>

#include "store/ImageItem_CL.h"

namespace local_image {

enum class DateSource { LastWrite, Creation };

// ".jpg" or ".jpeg" in any letter case, after the last backslash.
bool has_jpeg_extension(const std::wstring& name);
// The record of a local JPEG (key and localPath the full path, size from the
// file's header, the date from the chosen file time); false when the file is
// not a readable JPEG.
bool make_item(const std::wstring& folder, const std::wstring& name, DateSource date, ImageItem_CL& item);

}  // namespace local_image
