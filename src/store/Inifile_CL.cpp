#include "store/Inifile_CL.h"

#include <cwchar>
#include <vector>

int Inifile_CL::read_int(const wchar_t* section, const wchar_t* key, int fallback) const
{
    return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, path_.c_str()));
}

std::wstring Inifile_CL::read_string(const wchar_t* section, const wchar_t* key, const wchar_t* fallback) const
{
    std::vector<wchar_t> buffer(kMaxString);
    const DWORD length = GetPrivateProfileStringW(section, key, fallback, buffer.data(), kMaxString, path_.c_str());
    return std::wstring(buffer.data(), length);
}

bool Inifile_CL::write_int(const wchar_t* section, const wchar_t* key, int value) const
{
    return write_string(section, key, std::to_wstring(value));
}

bool Inifile_CL::write_string(const wchar_t* section, const wchar_t* key, const std::wstring& value) const
{
    return WritePrivateProfileStringW(section, key, value.c_str(), path_.c_str()) != FALSE;
}

std::vector<std::wstring> Inifile_CL::section_lines(const wchar_t* section) const
{
    std::vector<wchar_t> buffer(kMaxString);
    for (;;) {
        const DWORD length = GetPrivateProfileSectionW(section, buffer.data(), static_cast<DWORD>(buffer.size()), path_.c_str());
        if (length + 2 < buffer.size()) break;
        buffer.resize(buffer.size() * 2);
    }
    std::vector<std::wstring> lines;
    for (const wchar_t* line = buffer.data(); *line; line += wcslen(line) + 1) lines.emplace_back(line);
    return lines;
}

bool Inifile_CL::write_strings(const wchar_t* section, const KeyValues& values) const
{
    std::wstring block;
    for (const std::wstring& line : section_lines(section)) {
        const std::wstring key = line.substr(0, line.find(L'='));
        bool replaced = false;
        for (const auto& value : values) replaced = replaced || _wcsicmp(value.first.c_str(), key.c_str()) == 0;
        if (!replaced) block += line + L'\0';
    }
    for (const auto& value : values)
        if (!value.second.empty()) block += value.first + L'=' + value.second + L'\0';
    block += L'\0';
    return WritePrivateProfileSectionW(section, block.c_str(), path_.c_str()) != FALSE;
}

std::wstring Inifile_CL::make_indexed_key(const wchar_t* base, int n)
{
    return base + std::to_wstring(n);
}

std::wstring Inifile_CL::format_datetime(const SYSTEMTIME& time)
{
    wchar_t text[64];
    swprintf(text, 64, L"%04d/%02d/%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
             time.wMinute, time.wSecond);
    return text;
}

bool Inifile_CL::parse_datetime(const std::wstring& text, SYSTEMTIME& time)
{
    // Fixed columns: year 0-3, month 5-6, day 8-9, hour 11-12, minute 14-15, second 17-18.
    static const int starts[6] = {0, 5, 8, 11, 14, 17};
    static const int widths[6] = {4, 2, 2, 2, 2, 2};
    if (text.size() < 19) return false;
    int values[6] = {};
    for (int f = 0; f < 6; ++f) {
        for (int i = 0; i < widths[f]; ++i) {
            const wchar_t c = text[static_cast<size_t>(starts[f] + i)];
            if (c < L'0' || c > L'9') return false;
            values[f] = values[f] * 10 + (c - L'0');
        }
    }
    time = SYSTEMTIME{};
    time.wYear = static_cast<WORD>(values[0]);
    time.wMonth = static_cast<WORD>(values[1]);
    time.wDay = static_cast<WORD>(values[2]);
    time.wHour = static_cast<WORD>(values[3]);
    time.wMinute = static_cast<WORD>(values[4]);
    time.wSecond = static_cast<WORD>(values[5]);
    return true;
}

bool Inifile_CL::write_datetime(const wchar_t* section, const wchar_t* key, const SYSTEMTIME& time) const
{
    return write_string(section, key, format_datetime(time));
}

SYSTEMTIME Inifile_CL::read_datetime(const wchar_t* section, const wchar_t* key, const SYSTEMTIME& fallback) const
{
    SYSTEMTIME time{};
    if (parse_datetime(read_string(section, key, format_datetime(fallback).c_str()), time)) return time;
    time = fallback;
    time.wDayOfWeek = 0;
    time.wMilliseconds = 0;
    return time;
}
