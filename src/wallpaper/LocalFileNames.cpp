#include "wallpaper/LocalFileNames.h"

namespace {

// Both buffers start above the size from which the heap takes blocks straight
// from the system and gives them back when freed: a walk repeated at every
// change then leaves no grown buffers behind in the heap.
constexpr size_t kFirstNameUnits = 256 * 1024;
constexpr size_t kFirstEntries = 64 * 1024;

}  // namespace

void LocalFileNames::add(const std::wstring& folder, const std::wstring& name)
{
    if (entries_.empty()) {
        names_.reserve(kFirstNameUnits);
        entries_.reserve(kFirstEntries);
    }
    if (folders_.empty() || folders_.back() != folder) folders_.push_back(folder);
    entries_.push_back({static_cast<uint32_t>(folders_.size() - 1), static_cast<uint32_t>(names_.size())});
    names_.append(name);
    names_.push_back(L'\0');
}
