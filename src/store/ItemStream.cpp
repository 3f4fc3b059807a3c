#include "store/ItemStream.h"

#include <cstring>

namespace {

// The first zero among the units, or null. Every string of a list passes here,
// so four units are tested at a time; a word with a zero is searched unit by unit.
const wchar_t* find_zero(const wchar_t* units, size_t length)
{
    constexpr uint64_t kOnes = 0x0001000100010001ull;
    constexpr uint64_t kHighs = 0x8000800080008000ull;
    size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        uint64_t word = 0;
        std::memcpy(&word, units + i, sizeof word);
        if ((word - kOnes) & ~word & kHighs) break;
    }
    for (; i < length; ++i)
        if (units[i] == L'\0') return units + i;
    return nullptr;
}

}  // namespace

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
    const wchar_t* zero = find_zero(units, static_cast<size_t>(length));
    text.assign(units, zero ? static_cast<size_t>(zero - units) : static_cast<size_t>(length));
    pos_ += 2 * static_cast<size_t>(length) + 2;
    return true;
}
