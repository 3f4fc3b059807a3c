#include "wallpaper/JpegHeader.h"

#include <windows.h>

#include "base/KernelHandle.h"

namespace {

HANDLE open_for_reading(const std::wstring& path)
{
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

class FileBytes {
public:
    explicit FileBytes(HANDLE file) : file_(file) {}

    bool byte(unsigned char& value)
    {
        if (pos_ == size_) {
            DWORD got = 0;
            if (!ReadFile(file_, buffer_, sizeof(buffer_), &got, nullptr) || got == 0) return false;
            pos_ = 0;
            size_ = got;
        }
        value = buffer_[pos_++];
        return true;
    }

    bool skip(unsigned count)
    {
        const DWORD buffered = size_ - pos_;
        if (count <= buffered) {
            pos_ += count;
            return true;
        }
        LARGE_INTEGER distance;
        distance.QuadPart = static_cast<LONGLONG>(count - buffered);
        pos_ = size_ = 0;
        return SetFilePointerEx(file_, distance, nullptr, FILE_CURRENT) != FALSE;
    }

private:
    HANDLE file_;
    unsigned char buffer_[4096];
    DWORD pos_ = 0;
    DWORD size_ = 0;
};

class MemoryBytes {
public:
    MemoryBytes(const unsigned char* data, size_t size) : pos_(data), end_(data + size) {}

    bool byte(unsigned char& value)
    {
        if (pos_ == end_) return false;
        value = *pos_++;
        return true;
    }

    bool skip(unsigned count)
    {
        // Past the end is allowed, as for a file: the next read fails.
        pos_ = count < static_cast<size_t>(end_ - pos_) ? pos_ + count : end_;
        return true;
    }

private:
    const unsigned char* pos_;
    const unsigned char* end_;
};

template <class Bytes>
bool word(Bytes& in, unsigned& value)
{
    unsigned char high = 0, low = 0;
    if (!in.byte(high) || !in.byte(low)) return false;
    value = static_cast<unsigned>(high) << 8 | low;
    return true;
}

bool is_frame_marker(unsigned char marker)
{
    // SOF0-SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool has_no_length(unsigned char marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

enum class Header { NotJpeg, Damaged, Sized };

// Walks the marker segments from the start of the picture to its frame header
// or, with to_scan, on to the start of the scan data, checking every length.
template <class Bytes>
Header walk_header(Bytes& in, bool to_scan, int& width, int& height)
{
    unsigned soi = 0;
    if (!word(in, soi) || soi != 0xFFD8) return Header::NotJpeg;
    bool sized = false;
    for (;;) {
        unsigned char prefix = 0, marker = 0;
        if (!in.byte(prefix) || prefix != 0xFF) return Header::Damaged;
        do {
            if (!in.byte(marker)) return Header::Damaged;
        } while (marker == 0xFF);  // fill bytes
        if (has_no_length(marker)) continue;
        if (marker == 0xD9) return Header::Damaged;
        unsigned length = 0;
        if (!word(in, length) || length < 2) return Header::Damaged;
        if (marker == 0xDA) {
            // Image data before any frame header is damage; after it, the scan
            // header must be there whole.
            if (!sized || length < 8) return Header::Damaged;
            return in.skip(length - 3) && in.byte(marker) ? Header::Sized : Header::Damaged;
        }
        if (is_frame_marker(marker) && !sized) {
            unsigned char precision = 0;
            unsigned h = 0, w = 0;
            if (length < 7 || !in.byte(precision) || !word(in, h) || !word(in, w) || w == 0 || h == 0)
                return Header::Damaged;
            width = static_cast<int>(w);
            height = static_cast<int>(h);
            if (!to_scan) return Header::Sized;
            sized = true;
            length -= 5;
        }
        if (!in.skip(length - 2)) return Header::Damaged;
    }
}

// Only a JPEG whose headers are whole and whose size is bounded goes to the
// decoder: some decoders read past the end of a picture whose header segment
// claims more bytes than there are. Anything else the decoder judges.
template <class Bytes>
bool decodable(Bytes& in)
{
    int width = 0, height = 0;
    const Header header = walk_header(in, true, width, height);
    if (header == Header::NotJpeg) return true;
    return header == Header::Sized && static_cast<long long>(width) * height <= kMaxDecodedPixels;
}

}  // namespace

bool read_jpeg_size(const std::wstring& path, int& width, int& height)
{
    KernelHandle file(open_for_reading(path));
    if (!file) return false;
    FileBytes in(file.get());
    return walk_header(in, false, width, height) == Header::Sized;
}

bool read_jpeg_size(const unsigned char* data, size_t size, int& width, int& height)
{
    MemoryBytes in(data, data ? size : 0);
    return walk_header(in, false, width, height) == Header::Sized;
}

bool decodable_size(const std::wstring& path)
{
    KernelHandle file(open_for_reading(path));
    if (!file) return true;
    FileBytes in(file.get());
    return decodable(in);
}

bool decodable_size(const unsigned char* data, size_t size)
{
    MemoryBytes in(data, data ? size : 0);
    return decodable(in);
}
