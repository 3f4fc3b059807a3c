#pragma once
#include "mainwindow/tabs/ListTabView_CL.h"

class WallPaperItemBase_CL;

// A tab that shows one of the stored item lists (favourites, candidates,
// history) and reloads it from its file whenever the list's changed flag is
// set, by an item command of this window or by the tray process.
class StoredListTabView_CL : public ListTabView_CL {
public:
    // Reloads the file under the file mutex when the list changed and shows
    // the stored list's records.
    void activate() override;

protected:
    StoredListTabView_CL(int tab_index, int image_index, const std::wstring& caption, WallPaperItemBase_CL& stored,
                         const ItemMenuEntry& remove_entry);
    // The records of the in-memory list, so a hidden tab's caption follows the
    // commands of this window too.
    int caption_count() const override;

private:
    WallPaperItemBase_CL& stored_;
};
