#include "resident/LocalFileNames.h"

void LocalFileNames::add(const std::wstring& folder, const std::wstring& name)
{
    if (folders_.empty() || folders_.back() != folder) folders_.push_back(folder);
    entries_.push_back({static_cast<uint32_t>(folders_.size() - 1), static_cast<uint32_t>(names_.size())});
    names_.append(name);
    names_.push_back(L'\0');
}
