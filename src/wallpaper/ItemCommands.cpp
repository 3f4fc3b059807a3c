#include "wallpaper/ItemCommands.h"

#include <algorithm>
#include <functional>

#include "store/AppSettings_CL.h"
#include "store/ListEdit.h"

namespace item_commands {

namespace {

// Changes the list's file, then hands what was saved to the window's copy.
bool edit_stored(WallPaperItemBase_CL& stored, const ListChange& change)
{
    if (!edit_list(stored.path, change, &stored.items)) return false;
    stored.changed = 1;
    return true;
}

void erase_key(std::vector<ImageItem_CL>& items, const std::wstring& key)
{
    items.erase(std::remove_if(items.begin(), items.end(), [&](const ImageItem_CL& item) { return item.key == key; }),
                items.end());
}

std::wstring full_path(const std::wstring& path)
{
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return std::wstring();
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    if (written == 0 || written >= length) return std::wstring();
    full.resize(written);
    return full;
}

}  // namespace

bool add_candidate(ImageItem_CL record)
{
    if (record.farm != -1) {
        record.localWidth = record.localHeight = 0;
        record.localPath.clear();
    }
    return edit_stored(AppSettings.candidates, [&](std::vector<ImageItem_CL>& items) {
        erase_key(items, record.key);
        if (items.size() >= kCandidateLimit) items.resize(kCandidateLimit - 1);
        items.insert(items.begin(), std::move(record));
        return true;
    });
}

bool remove_keys(WallPaperItemBase_CL& stored, const std::vector<std::wstring>& keys)
{
    return edit_stored(stored, [&](std::vector<ImageItem_CL>& items) {
        for (const std::wstring& key : keys) erase_key(items, key);
        return true;
    });
}

bool add_favourite(ImageItem_CL record, const SaveBytes& save_bytes, WallPaperItemBase_CL* shown)
{
    ImageItem_CL::Size best;
    if (!record.best_size(best)) return false;
    std::wstring file;
    // The name is taken under the file mutex, where the tray process takes its own.
    const ListChange change = [&](std::vector<ImageItem_CL>& items) {
        file = AppSettings.next_favorite_file_name();
        if (file.empty()) return false;
        if (save_bytes(file) != S_OK) {
            DeleteFileW(file.c_str());
            file.clear();
            return false;
        }
        record.localWidth = best.width;
        record.localHeight = best.height;
        record.localPath = file;
        items.insert(items.begin(), std::move(record));
        return true;
    };
    const bool added = shown ? edit_stored(*shown, change) : edit_list(AppSettings.favorites_path(), change);
    if (!added && !file.empty()) DeleteFileW(file.c_str());
    return added;
}

bool delete_favourite_file(const ImageItem_CL& record)
{
    ImageItem_CL::Size best;
    if (!record.best_size(best) || !is_inside_folder(best.url, AppSettings.favorite_folder)) return false;
    return DeleteFileW(best.url.c_str()) != FALSE;
}

bool is_inside_folder(const std::wstring& path, const std::wstring& folder)
{
    const std::wstring file = full_path(path);
    std::wstring base = full_path(folder);
    if (file.empty() || base.empty()) return false;
    if (base.back() != L'\\') base += L'\\';
    return file.size() > base.size() &&
           CompareStringOrdinal(file.c_str(), static_cast<int>(base.size()), base.c_str(), static_cast<int>(base.size()),
                                TRUE) == CSTR_EQUAL;
}

}  // namespace item_commands
