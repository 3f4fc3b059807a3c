#pragma once
#include <string>

#include <windows.h>

namespace net_testing {

// The bytes of a downloaded block, which is freed: the test is its consumer.
inline std::string take_bytes(HGLOBAL block)
{
    if (!block) return std::string();
    std::string bytes;
    if (const char* data = static_cast<const char*>(GlobalLock(block))) {
        bytes.assign(data, GlobalSize(block));
        GlobalUnlock(block);
    }
    GlobalFree(block);
    return bytes;
}

// Distinct binary bytes (NULs included), so a shifted or cut body shows.
inline std::string pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// A name no earlier run has used: the stand-in's root (its request log, the
// gates opened) is kept between runs.
inline std::wstring fresh_name()
{
    static LONG counter = 0;
    return L"run" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) + L"-" +
           std::to_wstring(InterlockedIncrement(&counter));
}

inline std::string narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

}  // namespace net_testing
