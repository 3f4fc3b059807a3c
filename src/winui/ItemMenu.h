#pragma once
#include <string>
#include <vector>

#include <windows.h>

#include "store/ImageItem_CL.h"

// One row of an item context menu: its text, command id and picture index in
// "\menu_image.bmp" (24-pixel pictures).
struct ItemMenuEntry {
    const wchar_t* text;
    UINT id;
    int image;
};

// Builds an owner-drawn menu of the entries with a separator between rows,
// greys the rows at the disabled positions, shows it at the cursor for owner
// and cleans up. The chosen row reaches owner as WM_COMMAND with its id.
void show_item_menu(HWND owner, const std::vector<ItemMenuEntry>& entries, const std::vector<size_t>& disabled);

// What a list's menu offers after "写真を取得する": adding to the candidates
// (one record at a time), removing from a stored list (any number), or nothing.
struct ListMenuChoice {
    const ItemMenuEntry* second;  // null: the row is left out
    bool second_takes_many;
};

extern const ItemMenuEntry kAddToCandidatesEntry;

// The two photographer rows for a record (none: no record). A Wikimedia Commons
// picture has no photographer to search for; its row opens the picture's own page.
struct OwnerRows {
    ItemMenuEntry search;
    ItemMenuEntry page;
    bool search_enabled;
    bool page_enabled;
};
OwnerRows owner_rows(const ImageItem_CL* record);

// The menu of a list with selected_count selected rows, `record` the selected one.
void show_list_item_menu(HWND owner, const ListMenuChoice& choice, int selected_count, const ImageItem_CL* record);
// The positions a list's menu greys.
std::vector<size_t> list_menu_disabled(const ListMenuChoice& choice, int selected_count, const OwnerRows& owner);
