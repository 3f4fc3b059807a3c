#include "RobustSupport.h"

#include <cstdarg>

#include "TestSupport.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

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

std::wstring candidate_service(const std::wstring& prefix, int cand_add_max)
{
    const std::wstring folder = testing_support::fresh_program_folder(prefix);
    AppInifile.write_int(keys::kInfoGet, keys::kCandAddMax, cand_add_max);
    AppInifile.write_int(keys::kInfoGet, keys::kCandCheckMinPic, 0);
    AppInifile.write_int(keys::kInfoGet, keys::kCandWidthLong, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 0);
    return folder;
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
