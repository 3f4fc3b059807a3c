#include "resident/JpegHeader.h"

#include <windows.h>

#include "store/KernelHandle.h"

namespace {

class SegmentReader {
public:
    explicit SegmentReader(HANDLE file) : file_(file) {}

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

    bool word(unsigned& value)
    {
        unsigned char high = 0, low = 0;
        if (!byte(high) || !byte(low)) return false;
        value = static_cast<unsigned>(high) << 8 | low;
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

bool is_frame_marker(unsigned char marker)
{
    // SOF0-SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool has_no_length(unsigned char marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

bool read_jpeg_size(const std::wstring& path, int& width, int& height)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    SegmentReader in(file.get());
    unsigned soi = 0;
    if (!in.word(soi) || soi != 0xFFD8) return false;
    for (;;) {
        unsigned char prefix = 0, marker = 0;
        if (!in.byte(prefix) || prefix != 0xFF) return false;
        do {
            if (!in.byte(marker)) return false;
        } while (marker == 0xFF);  // fill bytes
        if (has_no_length(marker)) continue;
        if (marker == 0xD9 || marker == 0xDA) return false;  // image data before any frame header
        unsigned length = 0;
        if (!in.word(length) || length < 2) return false;
        if (is_frame_marker(marker)) {
            unsigned char precision = 0;
            unsigned h = 0, w = 0;
            if (length < 7 || !in.byte(precision) || !in.word(h) || !in.word(w) || w == 0 || h == 0) return false;
            width = static_cast<int>(w);
            height = static_cast<int>(h);
            return true;
        }
        if (!in.skip(length - 2)) return false;
    }
}
