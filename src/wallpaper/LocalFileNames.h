#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The files of a folder tree known by name only, held compactly: a library of
// tens of thousands of pictures costs one string per folder and a few bytes
// per file, so the tray can walk it at every change without keeping it.
class LocalFileNames {
public:
    // Files of one folder arrive together; a folder met again costs one more string.
    void add(const std::wstring& folder, const std::wstring& name);
    size_t size() const { return entries_.size(); }
    const std::wstring& folder(size_t index) const { return folders_[entries_[index].folder]; }
    std::wstring name(size_t index) const { return std::wstring(names_.c_str() + entries_[index].name); }

private:
    struct Entry {
        uint32_t folder;
        uint32_t name;  // offset in names_
    };
    std::vector<std::wstring> folders_;
    std::wstring names_;  // every name followed by its zero
    std::vector<Entry> entries_;
};
