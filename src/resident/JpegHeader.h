#pragma once
#include <string>

// The pixel size a JPEG file declares in its frame header: the same width and
// height GDI+ reports, without decoding the picture. False when the file is not
// a JPEG or its header is damaged.
bool read_jpeg_size(const std::wstring& path, int& width, int& height);
