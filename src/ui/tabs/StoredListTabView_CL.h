#pragma once
#include <mutex>
#include <vector>

#include "store/ImageItem_CL.h"
#include "ui/tabs/ListTabView_CL.h"

class WallPaperItemBase_CL;

// A tab that shows one of the stored item lists (favourites, candidates,
// history) and reloads it from its file whenever the list's changed flag is
// set, by an item command of this window or by the tray process.
class StoredListTabView_CL : public ListTabView_CL {
public:
    // Reloads the file under the file mutex when the list changed.
    void activate() override;
    // Hands the records taken at activation to the list.
    void load() override;

protected:
    StoredListTabView_CL(int tab_index, int image_index, const std::wstring& caption, WallPaperItemBase_CL& stored,
                         const ItemMenuEntry& remove_entry);
    // The records of the in-memory list, so the caption is right before the loader ran.
    int caption_count() const override;

private:
    WallPaperItemBase_CL& stored_;
    // Copied on the user-interface thread, where item commands change the
    // list, so the loader never reads the shared list itself.
    std::mutex pending_lock_;
    std::vector<ImageItem_CL> pending_;
};
