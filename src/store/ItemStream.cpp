#include "store/ItemStream.h"

#include <cstring>

void ItemWriter::put_int(int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                    static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    out_.insert(out_.end(), bytes, bytes + 4);
}

void ItemWriter::put_string(const std::wstring& text)
{
    put_int(static_cast<int32_t>(text.size()));
    const size_t at = out_.size();
    out_.resize(at + 2 * text.size() + 2);
    unsigned char* p = out_.data() + at;
    for (wchar_t unit : text) {
        *p++ = static_cast<unsigned char>(unit & 0xFF);
        *p++ = static_cast<unsigned char>((unit >> 8) & 0xFF);
    }
    p[0] = p[1] = 0;
}

bool ItemReader::get_int(int32_t& value)
{
    if (!ok_ || remaining() < 4) return fail();
    value = static_cast<int32_t>(static_cast<uint32_t>(pos_[0]) | static_cast<uint32_t>(pos_[1]) << 8 |
                                 static_cast<uint32_t>(pos_[2]) << 16 | static_cast<uint32_t>(pos_[3]) << 24);
    pos_ += 4;
    return true;
}

bool ItemReader::get_string(std::wstring& text)
{
    int32_t length = 0;
    if (!get_int(length)) return false;
    // The length comes from the file: check it against what is really there
    // before sizing anything from it.
    if (length < 0 || static_cast<size_t>(length) >= remaining() / 2) return fail();
    static_assert(sizeof(wchar_t) == 2, "UTF-16 code units");
    // Every field is a whole number of units, so the text is aligned for wchar_t.
    const wchar_t* units = reinterpret_cast<const wchar_t*>(pos_);
    const wchar_t* zero = std::char_traits<wchar_t>::find(units, static_cast<size_t>(length), L'\0');
    text.assign(units, zero ? static_cast<size_t>(zero - units) : static_cast<size_t>(length));
    pos_ += 2 * static_cast<size_t>(length) + 2;
    return true;
}
