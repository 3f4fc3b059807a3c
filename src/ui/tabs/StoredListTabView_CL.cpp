#include "ui/tabs/StoredListTabView_CL.h"

#include "store/AppSettings_CL.h"
#include "ui/MyFlickerListBox_CL.h"

StoredListTabView_CL::StoredListTabView_CL(int tab_index, int image_index, const std::wstring& caption,
                                           WallPaperItemBase_CL& stored, const ItemMenuEntry& remove_entry)
    : ListTabView_CL(tab_index, image_index, caption, {&remove_entry, true}), stored_(stored)
{
}

int StoredListTabView_CL::caption_count() const
{
    return static_cast<int>(stored_.items.size());
}

void StoredListTabView_CL::activate()
{
    if (stored_.changed == 0) return;
    {
        Mutex_CL::Lock_CL file_lock(AppSettings.file_mutex);
        stored_.load();
        stored_.changed = 0;
    }
    // Copied outside the file mutex: the tray waits on it while it changes lists.
    std::vector<ImageItem_CL> records = stored_.items;
    {
        std::lock_guard<std::mutex> lock(pending_lock_);
        pending_.swap(records);
    }
    start_reload();
}

void StoredListTabView_CL::load()
{
    std::vector<ImageItem_CL> records;
    {
        std::lock_guard<std::mutex> lock(pending_lock_);
        records.swap(pending_);
    }
    if (list_) list_->append_records(std::move(records));
    finish_load();
}
