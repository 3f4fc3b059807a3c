#include "base/TextConvert.h"

#include <climits>

#include <windows.h>

std::wstring widen_bytes(const std::string& narrow)
{
    std::wstring wide;
    wide.reserve(narrow.size());
    for (char c : narrow)
        wide.push_back(static_cast<wchar_t>(static_cast<signed char>(c)));
    return wide;
}

std::string narrow_units(const std::wstring& wide)
{
    std::string narrow;
    narrow.reserve(wide.size());
    for (wchar_t unit : wide)
        narrow.push_back(static_cast<char>(unit & 0xFF));
    return narrow;
}

std::wstring utf8_to_wide(const std::string& bytes)
{
    if (bytes.empty() || bytes.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
    if (units <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, &wide[0], units);
    return wide;
}

std::string wide_to_utf8(const std::wstring& text)
{
    if (text.empty() || text.size() > INT_MAX / 3)
        return {};
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

namespace {

bool kept_as_is(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '*' || c == '-' || c == '.' || c == '_';
}

}  // namespace

std::wstring url_encode(const std::string& utf8_bytes)
{
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring encoded;
    for (char c : utf8_bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (kept_as_is(byte)) {
            encoded.push_back(static_cast<wchar_t>(byte));
        } else if (byte == ' ') {
            encoded.push_back(L'+');
        } else {
            encoded.push_back(L'%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}
