#include "base/FindFile_CL.h"

#include <windows.h>

namespace {

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : handle_(h) {}
    ~FindHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

bool is_dot_entry(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

}  // namespace

void FindFile_CL::scan(const std::wstring& path, bool recurse)
{
    const size_t slash = path.find_last_of(L'\\');
    pattern = slash == std::wstring::npos ? path : path.substr(slash + 1);
    folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    recursive = recurse;
    on_enter_folder(folder, folder);
    list_folder(folder);
    on_scan_end();
}

void FindFile_CL::list_folder(const std::wstring& dir)
{
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((dir + L"\\" + pattern).c_str(), &data));
    if (!find.valid()) return;
    do {
        if (stopped()) return;
        if (is_dot_entry(data.cFileName)) continue;
        const std::wstring name = data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            on_file(dir, name);
        } else if (recursive && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // Links are not followed: a link back up the tree would never end.
            on_enter_folder(dir, name);
            list_folder(dir + L"\\" + name);
            on_scan_end();
        }
    } while (FindNextFileW(find.get(), &data));
}
