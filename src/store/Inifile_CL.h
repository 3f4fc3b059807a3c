#pragma once
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

// Key-by-key access to the settings file through the profile functions; the
// file is never held open, so both processes may use it at any moment.
class Inifile_CL {
public:
    static constexpr DWORD kMaxString = 8192;

    virtual ~Inifile_CL() = default;

    void set_path(const std::wstring& file) { path_ = file; }
    const std::wstring& path() const { return path_; }

    int read_int(const wchar_t* section, const wchar_t* key, int fallback) const;
    std::wstring read_string(const wchar_t* section, const wchar_t* key, const wchar_t* fallback = L"") const;
    bool write_int(const wchar_t* section, const wchar_t* key, int value) const;
    bool write_string(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;
    // Sets several keys of a section in one write, so a reader sees all of
    // them changed or none; an empty value removes its key. The section's
    // other keys stay.
    using KeyValues = std::vector<std::pair<std::wstring, std::wstring>>;
    bool write_strings(const wchar_t* section, const KeyValues& values) const;
    // "item" and 3 give "item3".
    static std::wstring make_indexed_key(const wchar_t* base, int n);
    // "%04d/%02d/%02d %02d:%02d:%02d" in local time.
    bool write_datetime(const wchar_t* section, const wchar_t* key, const SYSTEMTIME& time) const;
    // A value that is not in that form gives the fallback.
    SYSTEMTIME read_datetime(const wchar_t* section, const wchar_t* key, const SYSTEMTIME& fallback) const;

    static std::wstring format_datetime(const SYSTEMTIME& time);
    static bool parse_datetime(const std::wstring& text, SYSTEMTIME& time);

private:
    // "key=value" lines of a section as the profile functions give them.
    std::vector<std::wstring> section_lines(const wchar_t* section) const;

    std::wstring path_;
};
