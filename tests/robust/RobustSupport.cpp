#include "RobustSupport.h"

#include <cstdarg>

#include "TestSupport.h"

namespace robust {

bool long_mode()
{
    const std::wstring value = testing_support::env(L"TAPESTREL_ROBUST_LONG");
    return !value.empty() && value != L"0";
}

int rounds(int normal, int longer)
{
    return long_mode() ? longer : normal;
}

void report(const char* format, ...)
{
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    std::printf("[figures] %s\n", text);
    std::fflush(stdout);
}

double seconds_since(ULONGLONG start)
{
    return static_cast<double>(GetTickCount64() - start) / 1000.0;
}

}  // namespace robust
