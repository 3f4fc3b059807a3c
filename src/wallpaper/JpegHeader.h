#pragma once
#include <cstddef>
#include <string>

// The pixel size a JPEG file declares in its frame header: the same width and
// height GDI+ reports, without decoding the picture. False when the file is not
// a JPEG or its header is damaged.
bool read_jpeg_size(const std::wstring& path, int& width, int& height);
// The same for a JPEG held in memory.
bool read_jpeg_size(const unsigned char* data, size_t size, int& width, int& height);

// Decoding takes 4 bytes a pixel at once; beyond this a picture (or a header
// that claims one) would take gigabytes, so it is not decoded.
constexpr long long kMaxDecodedPixels = 1LL << 27;
// Whether a picture may go to the decoder: false for a JPEG whose headers are
// cut short or damaged, or that declares more pixels than that; true for
// anything that is not a JPEG, which the decoder then judges.
bool decodable_size(const std::wstring& path);
bool decodable_size(const unsigned char* data, size_t size);
