#include "ui/ItemMenu.h"

#include "store/AppSettings_CL.h"
#include "ui/ImageList_CL.h"
#include "ui/PopupMenu_CL.h"

void show_item_menu(HWND owner, const std::vector<ItemMenuEntry>& entries, const std::vector<size_t>& disabled)
{
    ImageList_CL images;
    images.load_strip(AppSettings.program_folder + L"\\menu_image.bmp", 24);
    PopupMenu_CL menu;
    if (!menu.create_popup()) return;
    menu.set_image_list(images.handle());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) menu.append_separator();
        menu.append_item(entries[i].id, entries[i].text, entries[i].image);
    }
    for (size_t position : disabled) menu.set_enabled(position, false);
    SetForegroundWindow(owner);
    menu.track(owner);
}
