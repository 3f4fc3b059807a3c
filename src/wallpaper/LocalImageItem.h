#pragma once
#include <string>

#include "store/ImageItem_CL.h"

namespace local_image {

enum class DateSource { LastWrite, Creation };

// ".jpg" or ".jpeg" in any letter case, after the last backslash.
bool has_jpeg_extension(const std::wstring& name);
// The record of a local file known by its name alone: key, localPath, title
// and the local marks, with no size and the unknown date. Cheap enough for
// every file of a library; make_item completes it for the ones that are used.
ImageItem_CL named_item(const std::wstring& folder, const std::wstring& name);
// The record of a local picture named as a JPEG (key and localPath the full
// path, its upright size from the file's header, or from the decoder for
// another format under that name, the date from the chosen file time); false
// when nothing can read it.
bool make_item(const std::wstring& folder, const std::wstring& name, DateSource date, ImageItem_CL& item);

}  // namespace local_image
