#pragma once
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "winui/DpiScale.h"

// An owner-drawn menu (the tray menu and the item menus). Each item carries
// its text and the index of its picture in an image list that the caller
// creates, hands over with set_image_list and destroys after the menu closes.
// The windows that show a menu pass every message to paint_message, which
// measures and draws the items of any live menu object.
//
// Typical use: create_popup; append_item for each row with append_separator
// between rows; set_enabled; track; the command arrives as WM_COMMAND.
class PopupMenu_CL {
public:
    // One menu item: the menu-item record (owner-drawn, item data = the menu
    // object) with the text it points to and the picture index (-1 for none).
    struct Item {
        MENUITEMINFOW info;
        std::wstring text;
        int image;
    };

    PopupMenu_CL();
    PopupMenu_CL(const PopupMenu_CL&) = delete;
    PopupMenu_CL& operator=(const PopupMenu_CL&) = delete;
    // Destroys the menu when one is held.
    virtual ~PopupMenu_CL();
    virtual bool create_popup();
    virtual bool create_menu_bar();

    // The record at index; at index == item_count() a default record is
    // appended first. Null beyond that.
    Item* item_at(size_t index);
    // Fills the next record and inserts it at the end of the menu.
    bool append_item(UINT id, const std::wstring& text, int image);
    bool append_separator();
    // Greys and disables (or enables again) the item of the record at index.
    bool set_enabled(size_t index, bool enabled);
    // TrackPopupMenu at the cursor, drawn at the owner's DPI; the choice
    // arrives at owner as a posted WM_COMMAND once the menu has gone.
    bool track(HWND owner);

    void set_image_list(HIMAGELIST list) { image_list_ = list; }
    HIMAGELIST image_list() const { return image_list_; }
    HMENU handle() const { return menu_; }
    size_t item_count() const { return items_.size(); }
    const Item* find(UINT id) const;

    // Answers WM_MEASUREITEM and WM_DRAWITEM of menu items that belong to a
    // live menu object (result TRUE); false for every other message.
    static bool paint_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);

private:
    static const PopupMenu_CL* owner_of(ULONG_PTR item_data);
    SIZE image_size() const;
    void measure(HWND window, MEASUREITEMSTRUCT& measure) const;
    void draw(const DRAWITEMSTRUCT& draw) const;

    HMENU menu_ = nullptr;
    std::vector<std::unique_ptr<Item>> items_;
    HIMAGELIST image_list_ = nullptr;
    DpiScale scale_ = DpiScale::system();
};
