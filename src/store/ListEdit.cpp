#include "store/ListEdit.h"

#include "base/Trace.h"
#include "store/AppSettings_CL.h"

bool edit_list(const std::wstring& path, const ListChange& change, std::vector<ImageItem_CL>* edited)
{
    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    if (!lock.held()) {
        trace::failure(L"list not changed, the file mutex is not held: " + path);
        return false;
    }
    WallPaperItemBase_CL fresh;
    fresh.set_path(path);
    if (!fresh.load_for_change()) {
        trace::failure(L"list not changed, it cannot be read: " + path);
        return false;
    }
    if (!change(fresh.items)) return false;
    if (fresh.save() != S_OK) {
        trace::failure(L"list not changed, it cannot be saved: " + path, GetLastError());
        return false;
    }
    if (edited) *edited = std::move(fresh.items);
    return true;
}
