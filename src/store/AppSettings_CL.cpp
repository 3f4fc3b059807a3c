#include "store/AppSettings_CL.h"

#include <cwchar>

#include <shlobj.h>

#include "base/ModulePath.h"
#include "base/Trace.h"
#include "store/SettingsKeys.h"

AppSettings_CL AppSettings;
Inifile_CL AppInifile;

namespace {

constexpr const wchar_t* kFileMutexName = L"Tapestrel_FILE_MUTEX";

bool file_exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// An empty file with only the UTF-16LE byte-order mark makes the profile
// functions keep all later text in UTF-16.
void create_settings_file(const std::wstring& path)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    static const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file.get(), bom, 2, &written, nullptr);
}

DWORD os_major_version()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    if (!GetVersionExW(&info)) return 6;
    return info.dwMajorVersion;
}

}  // namespace

std::wstring documents_folder()
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

void AppSettings_CL::set_folders(const std::wstring& documents)
{
    app_folder = documents + L"\\Tapestrel";
    favorite_folder = app_folder + L"\\FavoriteWallPaper";
    program_folder = module_folder();
}

void AppSettings_CL::read_candidate_settings()
{
    using namespace keys;
    cand_min_width = AppInifile.read_int(kInfoGet, kCandMinWidth, 1024);
    cand_min_height = AppInifile.read_int(kInfoGet, kCandMinHeight, 768);
    cand_width_long = AppInifile.read_int(kInfoGet, kCandWidthLong, 1);
    cand_aute_add = AppInifile.read_int(kInfoGet, kCandAuteAdd, 1);
    cand_check_min_pic = AppInifile.read_int(kInfoGet, kCandCheckMinPic, 1);
    cand_add_max = AppInifile.read_int(kInfoGet, kCandAddMax, 4);
    if (cand_add_max < 0 || cand_add_max > 8) cand_add_max = 4;
    cand_search_keyword = AppInifile.read_int(kInfoGet, kCandSearchKeyword, 0);
    cand_search_keyword_str = AppInifile.read_string(kInfoGet, kCandSearchKeywordStr);
    cand_commons = AppInifile.read_int(kInfoGet, kCandCommons, 1);
}

void AppSettings_CL::set_layout_limits(DWORD major_version)
{
    dispStyleMax = dispStyleDefault = (major_version > 5) ? 4 : 2;
}

void AppSettings_CL::load(const std::wstring& documents)
{
    set_folders(documents);
    CreateDirectoryW(app_folder.c_str(), nullptr);
    CreateDirectoryW(favorite_folder.c_str(), nullptr);
    const std::wstring ini = settings_path();
    if (!file_exists(ini)) create_settings_file(ini);
    AppInifile.set_path(ini);
    trace::set_log_file(AppInifile.read_int(keys::kDiagnostics, keys::kTraceLog, 0) != 0 ? log_path() : std::wstring());
    // Without the mutex no list can be changed safely; the lists refuse every change.
    if (!file_mutex.create(kFileMutexName)) trace::failure(L"file mutex not created; lists stay unchanged", GetLastError());
    notify = AppInifile.read_int(keys::kVersion, keys::kNotify, 0);
    read_candidate_settings();
    set_layout_limits(os_major_version());
    favorites.set_path(favorites_path());
    candidates.set_path(candidates_path());
    history.set_path(history_path());
}

void AppSettings_CL::load()
{
    load(documents_folder());
}

void AppSettings_CL::load_all_lists()
{
    // Reads only: files are replaced in one step, so they are whole even
    // without the mutex. A missing or damaged list shows what could be read.
    Mutex_CL::Lock_CL lock(file_mutex);
    (void)favorites.load();
    (void)candidates.load();
    (void)history.load();
}

std::wstring AppSettings_CL::next_favorite_file_name() const
{
    for (int n = 0; n <= 9999; ++n) {
        wchar_t name[32];
        swprintf(name, 32, L"\\WallPaper_%05d.jpg", n);
        std::wstring path = favorite_folder + name;
        if (!file_exists(path)) return path;
    }
    return {};
}
