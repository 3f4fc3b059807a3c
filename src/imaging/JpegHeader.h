#pragma once
#include <cstddef>
#include <string>
#include <vector>

// What a JPEG's headers say: the pixel size as stored in its frame header and,
// from its Exif block, how the picture must be turned to stand upright.
struct JpegInfo {
    int width = 0;
    int height = 0;
    // Exif orientation 1-8; 1 when the tag is absent, invalid or damaged.
    int orientation = 1;
    // The JPEG thumbnail embedded in the Exif block, when asked for and present.
    std::vector<unsigned char> thumbnail;

    // 5-8 turn the picture a quarter: its upright width is its stored height.
    bool sideways() const { return orientation >= 5; }
    int upright_width() const { return sideways() ? height : width; }
    int upright_height() const { return sideways() ? width : height; }
};
// False when the file is not a JPEG or its header is damaged; a damaged Exif
// block only loses the orientation and the thumbnail.
bool read_jpeg_info(const std::wstring& path, JpegInfo& info, bool with_thumbnail);
bool read_jpeg_info(const unsigned char* data, size_t size, JpegInfo& info, bool with_thumbnail);

// The upright pixel size of a JPEG file (its frame header's size, the sides
// swapped when its orientation turns it a quarter), without decoding it. False
// when the file is not a JPEG or its header is damaged.
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
