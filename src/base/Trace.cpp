#include "base/Trace.h"

#include <windows.h>

#include "base/KernelHandle.h"
#include "base/TextConvert.h"

namespace trace {

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
std::wstring g_log_path;

std::wstring line_of(const std::wstring& what, unsigned long code)
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t stamp[64];
    swprintf_s(stamp, L"%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu:%lu] ", now.wYear, now.wMonth, now.wDay, now.wHour,
               now.wMinute, now.wSecond, now.wMilliseconds, GetCurrentProcessId(), GetCurrentThreadId());
    std::wstring line = stamp + what;
    if (code != 0) line += L" (code " + std::to_wstring(code) + L")";
    return line + L"\r\n";
}

// Both processes may write the same file: appends are whole lines, and a file
// that passed the limit is moved aside before the line is added.
void append_to_log(const std::wstring& path, const std::string& bytes)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
        (data.nFileSizeHigh != 0 || data.nFileSizeLow + bytes.size() > kLogLimit))
        MoveFileExW(path.c_str(), (path + L".old").c_str(), MOVEFILE_REPLACE_EXISTING);
    KernelHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    // Nothing is left to tell about a log that cannot be written.
    if (file) (void)WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void failure(const std::wstring& what, unsigned long code)
{
    const std::wstring line = line_of(L"Tapestrel: " + what, code);
    OutputDebugStringW(line.c_str());
    AcquireSRWLockExclusive(&g_lock);
    if (!g_log_path.empty()) append_to_log(g_log_path, wide_to_utf8(line));
    ReleaseSRWLockExclusive(&g_lock);
}

void set_log_file(const std::wstring& path)
{
    AcquireSRWLockExclusive(&g_lock);
    g_log_path = path;
    ReleaseSRWLockExclusive(&g_lock);
}

}  // namespace trace
