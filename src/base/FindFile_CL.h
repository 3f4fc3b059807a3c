#pragma once
#include <string>

// Walks a folder (and, when asked, its subfolders) and calls the hooks for every
// file; subclasses decide what a file means.
class FindFile_CL {
public:
    virtual void on_enter_folder(const std::wstring& folder, const std::wstring& name) {}
    virtual void on_file(const std::wstring& folder, const std::wstring& name) {}
    virtual void on_scan_end() {}
    virtual ~FindFile_CL() = default;
    // Asked before each entry: true ends the walk early (a scan being aborted).
    virtual bool stopped() const { return false; }

    // path is the folder followed by "\" and a pattern such as "*.*".
    void scan(const std::wstring& path, bool recursive);

protected:
    std::wstring pattern;
    std::wstring folder;
    bool recursive = false;

private:
    void list_folder(const std::wstring& dir);
};
