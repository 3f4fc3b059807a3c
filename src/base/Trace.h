#pragma once
#include <string>

// The failure trace. Every handled failure that the user might ask about later
// is reported here, with the code the system gave (0 when there is none). A
// line always goes to the debugger (OutputDebugStringW); it is also appended
// to a log file once set_log_file named one, which is off by default.
namespace trace {

// The log file is started over, its old content kept as "<name>.old", once it
// has grown past this many bytes, so it can never fill the disk.
constexpr unsigned long kLogLimit = 256 * 1024;

void failure(const std::wstring& what, unsigned long code = 0);
// An empty path stops the log file.
void set_log_file(const std::wstring& path);

}  // namespace trace
