#pragma once
#include <string>
#include <vector>

#include <windows.h>

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
