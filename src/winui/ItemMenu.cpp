#include "winui/ItemMenu.h"

#include "photoservice/CommonsClient_CL.h"
#include "store/AppSettings_CL.h"
#include "winui/ImageList_CL.h"
#include "winui/PopupMenu_CL.h"

const ItemMenuEntry kAddToCandidatesEntry = {L"壁紙候補へ追加する", 0x1010, 15};

void show_item_menu(HWND owner, const std::vector<ItemMenuEntry>& entries, const std::vector<size_t>& disabled)
{
    ImageList_CL images;
    images.load_strip(AppSettings.program_folder + L"\\menu_image.bmp", 24, DpiScale::of(owner));
    PopupMenu_CL menu;
    if (!menu.create_popup()) return;
    menu.set_image_list(images.handle());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) menu.append_separator();
        menu.append_item(entries[i].id, entries[i].text, entries[i].image);
    }
    for (size_t position : disabled) menu.set_enabled(position, false);
    SetForegroundWindow(owner);
    (void)menu.track(owner);  // a menu that cannot open offers nothing to act on
    // A message after the menu lets a notification-area menu close properly.
    PostMessageW(owner, WM_NULL, 0, 0);
}

OwnerRows owner_rows(const ImageItem_CL* record)
{
    if (record && CommonsClient_CL::is_commons_item(*record))
        return {{L"この撮影者の写真を検索する", 0x1030, 9}, {L"この画像のWikimedia Commonsページを開く", 0x1040, 8}, false, true};
    const bool known = record && !record->ownerName.empty();
    return {{L"この撮影者の写真を検索する", 0x1030, 9}, {L"この撮影者のFlickrページを開く", 0x1040, 8}, known, known};
}

std::vector<size_t> list_menu_disabled(const ListMenuChoice& choice, int selected_count, const OwnerRows& owner)
{
    // Positions of "写真を取得する", the tab's own row, and the two photographer rows.
    const size_t get = 0;
    const size_t search = choice.second ? 2 : 1;
    const size_t page = search + 1;
    if (selected_count <= 0) {
        if (choice.second) return {get, 1, search, page};
        return {get, search, page};
    }
    if (selected_count > 1) {
        if (choice.second && !choice.second_takes_many) return {get, 1, search, page};
        return {get, search, page};
    }
    std::vector<size_t> disabled;
    if (!owner.search_enabled) disabled.push_back(search);
    if (!owner.page_enabled) disabled.push_back(page);
    return disabled;
}

void show_list_item_menu(HWND owner, const ListMenuChoice& choice, int selected_count, const ImageItem_CL* record)
{
    const OwnerRows rows = owner_rows(record);
    std::vector<ItemMenuEntry> entries = {{L"写真を取得する", 0x1000, 2}};
    if (choice.second) entries.push_back(*choice.second);
    entries.insert(entries.end(), {rows.search, rows.page, {L"サポートサイトへ", 0x1150, 6}, {L"アプリ設定", 0x1100, 1}});
    show_item_menu(owner, entries, list_menu_disabled(choice, selected_count, rows));
}
