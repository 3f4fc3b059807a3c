#pragma once
// An independent writer of the item-list binary form, so the tests do not check
// the program's encoder against itself.
#include <cstdint>
#include <string>
#include <vector>

struct ListBytes {
    std::vector<unsigned char> bytes;

    ListBytes& i32(int32_t v)
    {
        for (int s = 0; s < 32; s += 8) bytes.push_back(static_cast<unsigned char>((static_cast<uint32_t>(v) >> s) & 0xFF));
        return *this;
    }
    ListBytes& str(const std::wstring& s)
    {
        i32(static_cast<int32_t>(s.size()));
        for (wchar_t c : s) {
            bytes.push_back(static_cast<unsigned char>(c & 0xFF));
            bytes.push_back(static_cast<unsigned char>(c >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(0);
        return *this;
    }
    // One record with distinct values derived from n.
    ListBytes& record(int n, bool with_local_slot)
    {
        i32(with_local_slot ? 0x00010001 : 0x00010000);
        str(L"key-" + std::to_wstring(n));
        for (int s = 0; s < 6; ++s) i32(n * 10 + s).i32(n * 20 + s).str(L"https://example/" + std::to_wstring(n) + L"_" + std::to_wstring(s));
        i32(n + 1).i32(n % 9);
        str(L"photo").str(L"2024-05-0" + std::to_wstring(n % 9) + L" 10:00:00").str(L"富士山の朝 " + std::to_wstring(n));
        str(L"山田太郎").str(L"1234@N0" + std::to_wstring(n)).str(L"alias" + std::to_wstring(n));
        if (with_local_slot) i32(4000 + n).i32(3000 + n).str(L"C:\\写真\\" + std::to_wstring(n) + L".jpg");
        return *this;
    }
};
