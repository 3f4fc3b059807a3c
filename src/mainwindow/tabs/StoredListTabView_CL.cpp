#include "mainwindow/tabs/StoredListTabView_CL.h"

#include "store/AppSettings_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"

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
        (void)stored_.load();  // a missing or damaged list shows what could be read
        stored_.changed = 0;
    }
    // Shown in place rather than copied: a copy of a long list costs as much as
    // loading it. The stored list and the rows are both touched on this thread
    // only, and whatever changes the stored list sets its changed flag, so it
    // is loaded and shown again when its tab is current.
    if (list_) {
        renew_list();
        list_->show_records(stored_.items);
    }
    update_caption();
}
