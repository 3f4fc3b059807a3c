#include "imaging/JpegHeader.h"

#include <algorithm>

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

template <class Bytes>
bool read_into(Bytes& in, size_t count, std::vector<unsigned char>& out)
{
    out.resize(count);
    for (unsigned char& value : out)
        if (!in.byte(value)) return false;
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
// With exif, the first Exif block met before the frame header is kept there
// (the bytes after its "Exif\0\0" signature).
template <class Bytes>
Header walk_header(Bytes& in, bool to_scan, int& width, int& height, std::vector<unsigned char>* exif = nullptr)
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
        if (marker == 0xE1 && exif && exif->empty() && !sized) {
            std::vector<unsigned char> segment;
            if (!read_into(in, length - 2, segment)) return Header::Damaged;
            static const unsigned char signature[6] = {'E', 'x', 'i', 'f', 0, 0};
            if (segment.size() > sizeof(signature) && std::equal(signature, signature + 6, segment.begin()))
                exif->assign(segment.begin() + 6, segment.end());
            continue;
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

// Reads the TIFF structure of an Exif block; every offset and count is checked
// against the block, so a damaged one only loses what it damaged.
class TiffReader {
public:
    TiffReader(const std::vector<unsigned char>& block) : data_(block.data()), size_(block.size())
    {
        if (size_ >= 8 && data_[0] == 'I' && data_[1] == 'I') little_ = true;
        else if (size_ >= 8 && data_[0] == 'M' && data_[1] == 'M') little_ = false;
        else size_ = 0;
        if (size_ && u16(2) != 42) size_ = 0;
    }

    bool valid() const { return size_ != 0; }
    unsigned first_ifd() const { return u32(4); }

    // Calls visit(tag, type, count, value offset) for each entry of the IFD at
    // `offset`; the offset of the next IFD, or 0.
    template <class Visit>
    unsigned walk_ifd(unsigned offset, Visit visit) const
    {
        if (!fits(offset, 2)) return 0;
        const unsigned count = u16(offset);
        const size_t entries = static_cast<size_t>(offset) + 2;
        if (!fits(entries, static_cast<size_t>(count) * 12 + 4)) return 0;
        for (unsigned index = 0; index < count; ++index) {
            const size_t entry = entries + static_cast<size_t>(index) * 12;
            visit(u16(entry), u16(entry + 2), u32(entry + 4), entry + 8);
        }
        return u32(entries + static_cast<size_t>(count) * 12);
    }

    // A SHORT or LONG value held in the entry itself.
    bool integer(unsigned type, unsigned count, size_t at, unsigned& value) const
    {
        if (count != 1) return false;
        if (type == 3) value = u16(at);
        else if (type == 4) value = u32(at);
        else return false;
        return true;
    }

    bool fits(size_t offset, size_t length) const { return offset <= size_ && length <= size_ - offset; }
    const unsigned char* at(size_t offset) const { return data_ + offset; }

private:
    unsigned u16(size_t at) const
    {
        return little_ ? data_[at] | data_[at + 1] << 8 : data_[at] << 8 | data_[at + 1];
    }
    unsigned u32(size_t at) const
    {
        const unsigned low = u16(at + (little_ ? 0 : 2)), high = u16(at + (little_ ? 2 : 0));
        return high << 16 | low;
    }

    const unsigned char* data_;
    size_t size_;
    bool little_ = true;
};

void parse_exif(const std::vector<unsigned char>& block, JpegInfo& info, bool with_thumbnail)
{
    const TiffReader tiff(block);
    if (!tiff.valid()) return;
    const unsigned next = tiff.walk_ifd(tiff.first_ifd(), [&](unsigned tag, unsigned type, unsigned count, size_t at) {
        unsigned value = 0;
        if (tag == 0x0112 && tiff.integer(type, count, at, value) && value >= 1 && value <= 8)
            info.orientation = static_cast<int>(value);
    });
    if (!with_thumbnail || next == 0 || next == tiff.first_ifd()) return;
    unsigned offset = 0, length = 0;
    tiff.walk_ifd(next, [&](unsigned tag, unsigned type, unsigned count, size_t at) {
        if (tag == 0x0201) tiff.integer(type, count, at, offset);
        if (tag == 0x0202) tiff.integer(type, count, at, length);
    });
    if (offset != 0 && length != 0 && tiff.fits(offset, length))
        info.thumbnail.assign(tiff.at(offset), tiff.at(offset) + length);
}

template <class Bytes>
bool info_of(Bytes& in, JpegInfo& info, bool with_thumbnail)
{
    info = JpegInfo();
    std::vector<unsigned char> exif;
    if (walk_header(in, false, info.width, info.height, &exif) != Header::Sized) return false;
    parse_exif(exif, info, with_thumbnail);
    return true;
}

}  // namespace

bool read_jpeg_info(const std::wstring& path, JpegInfo& info, bool with_thumbnail)
{
    KernelHandle file(open_for_reading(path));
    if (!file) return false;
    FileBytes in(file.get());
    return info_of(in, info, with_thumbnail);
}

bool read_jpeg_info(const unsigned char* data, size_t size, JpegInfo& info, bool with_thumbnail)
{
    MemoryBytes in(data, data ? size : 0);
    return info_of(in, info, with_thumbnail);
}

bool read_jpeg_size(const std::wstring& path, int& width, int& height)
{
    JpegInfo info;
    if (!read_jpeg_info(path, info, false)) return false;
    width = info.upright_width();
    height = info.upright_height();
    return true;
}

bool read_jpeg_size(const unsigned char* data, size_t size, int& width, int& height)
{
    JpegInfo info;
    if (!read_jpeg_info(data, size, info, false)) return false;
    width = info.upright_width();
    height = info.upright_height();
    return true;
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
