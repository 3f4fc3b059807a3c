#include "winui/PopupMenu_CL.h"

#include <algorithm>

namespace {

// Menu objects alive in this process. Item data arriving with a paint message
// is used only when it names one of them. Menus live on the user-interface
// thread alone.
std::vector<const PopupMenu_CL*>& live_menus()
{
    static std::vector<const PopupMenu_CL*> menus;
    return menus;
}

// MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA
constexpr UINT kItemMask = 0x37;

struct TextParts {
    std::wstring left;
    std::wstring right;
};

// "Open|Ctrl+O": the part after the first "|" is drawn right-aligned.
TextParts split_text(const std::wstring& text)
{
    const size_t bar = text.find(L'|');
    if (bar == std::wstring::npos) return {text, std::wstring()};
    return {text.substr(0, bar), text.substr(bar + 1)};
}

}  // namespace

PopupMenu_CL::PopupMenu_CL()
{
    live_menus().push_back(this);
}

PopupMenu_CL::~PopupMenu_CL()
{
    if (menu_) DestroyMenu(menu_);
    auto& menus = live_menus();
    menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
}

bool PopupMenu_CL::create_popup()
{
    if (!menu_) menu_ = CreatePopupMenu();
    return menu_ != nullptr;
}

bool PopupMenu_CL::create_menu_bar()
{
    if (!menu_) menu_ = CreateMenu();
    return menu_ != nullptr;
}

PopupMenu_CL::Item* PopupMenu_CL::item_at(size_t index)
{
    if (index > items_.size()) return nullptr;
    if (index == items_.size()) {
        auto item = std::make_unique<Item>();
        item->info = MENUITEMINFOW{};
        item->info.cbSize = sizeof(MENUITEMINFOW);
        item->info.fMask = kItemMask;
        item->info.fType = MFT_OWNERDRAW;
        item->info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
        item->image = -1;
        items_.push_back(std::move(item));
    }
    return items_[index].get();
}

bool PopupMenu_CL::append_item(UINT id, const std::wstring& text, int image)
{
    if (!menu_) return false;
    Item* item = item_at(items_.size());
    item->text = text;
    item->image = image;
    item->info.wID = id;
    item->info.dwTypeData = const_cast<wchar_t*>(item->text.c_str());
    item->info.cch = static_cast<UINT>(item->text.size());
    return InsertMenuItemW(menu_, static_cast<UINT>(GetMenuItemCount(menu_)), TRUE, &item->info) != FALSE;
}

bool PopupMenu_CL::append_separator()
{
    if (!menu_) return false;
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_TYPE;
    separator.fType = MFT_SEPARATOR;
    return InsertMenuItemW(menu_, static_cast<UINT>(GetMenuItemCount(menu_)), TRUE, &separator) != FALSE;
}

bool PopupMenu_CL::set_enabled(size_t index, bool enabled)
{
    if (!menu_ || index >= items_.size()) return false;
    MENUITEMINFOW& info = items_[index]->info;
    info.fState = enabled ? MFS_ENABLED : (MFS_GRAYED | MFS_DISABLED);
    MENUITEMINFOW change{};
    change.cbSize = sizeof(change);
    change.fMask = MIIM_STATE;
    change.fState = info.fState;
    return SetMenuItemInfoW(menu_, info.wID, FALSE, &change) != FALSE;
}

bool PopupMenu_CL::track(HWND owner)
{
    scale_ = DpiScale::of(owner);
    POINT cursor{};
    GetCursorPos(&cursor);
    return TrackPopupMenu(menu_, TPM_VERTICAL, cursor.x, cursor.y, 0, owner, nullptr) != FALSE;
}

const PopupMenu_CL::Item* PopupMenu_CL::find(UINT id) const
{
    for (const auto& item : items_)
        if (item->info.wID == id) return item.get();
    return nullptr;
}

const PopupMenu_CL* PopupMenu_CL::owner_of(ULONG_PTR item_data)
{
    const auto* candidate = reinterpret_cast<const PopupMenu_CL*>(item_data);
    const auto& menus = live_menus();
    return std::find(menus.begin(), menus.end(), candidate) != menus.end() ? candidate : nullptr;
}

SIZE PopupMenu_CL::image_size() const
{
    int width = 0;
    int height = 0;
    if (image_list_) ImageList_GetIconSize(image_list_, &width, &height);
    return SIZE{width, height};
}

bool PopupMenu_CL::paint_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result)
{
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
        const PopupMenu_CL* menu = measure && measure->CtlType == ODT_MENU ? owner_of(measure->itemData) : nullptr;
        if (!menu || !menu->find(measure->itemID)) return false;
        menu->measure(window, *measure);
    } else if (message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        const PopupMenu_CL* menu = draw && draw->CtlType == ODT_MENU ? owner_of(draw->itemData) : nullptr;
        if (!menu || !menu->find(draw->itemID)) return false;
        menu->draw(*draw);
    } else {
        return false;
    }
    if (result) *result = TRUE;
    return true;
}

void PopupMenu_CL::measure(HWND window, MEASUREITEMSTRUCT& measure) const
{
    const std::wstring left = split_text(find(measure.itemID)->text).left;
    HDC dc = GetDC(window);
    const HGDIOBJ old_font = SelectObject(dc, scale_.font());
    SIZE extent{};
    GetTextExtentPoint32W(dc, left.c_str(), static_cast<int>(left.size()), &extent);
    SelectObject(dc, old_font);
    ReleaseDC(window, dc);
    LONG width = extent.cx + scale_(48);
    LONG height = extent.cy + scale_(1);
    if (image_list_) {
        const SIZE image = image_size();
        width += image.cx + scale_(4);
        height = std::max<LONG>(height, image.cy + scale_(1));
    }
    measure.itemWidth = static_cast<UINT>(width);
    measure.itemHeight = static_cast<UINT>(height);
}

void PopupMenu_CL::draw(const DRAWITEMSTRUCT& draw) const
{
    const Item* item = find(draw.itemID);
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const bool grayed = (draw.itemState & ODS_GRAYED) != 0;
    const COLORREF background = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
    const COLORREF foreground = GetSysColor(selected ? (grayed ? COLOR_GRAYTEXT : COLOR_HIGHLIGHTTEXT)
                                                     : (grayed ? COLOR_BTNSHADOW : COLOR_MENUTEXT));
    HDC dc = draw.hDC;
    const COLORREF old_background = SetBkColor(dc, background);
    const COLORREF old_text = SetTextColor(dc, foreground);
    const int old_mode = SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ old_font = SelectObject(dc, scale_.font());

    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &draw.rcItem, nullptr, 0, nullptr);
    RECT text_box = draw.rcItem;
    const SIZE image = image_size();
    if (image_list_) text_box.left += image.cx + scale_(4);
    const TextParts parts = split_text(item->text);
    DrawTextW(dc, parts.left.c_str(), static_cast<int>(parts.left.size()), &text_box, DT_SINGLELINE | DT_VCENTER);
    text_box.right -= scale_(24);
    DrawTextW(dc, parts.right.c_str(), static_cast<int>(parts.right.size()), &text_box,
              DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
    if (image_list_ && item->image != -1)
        ImageList_DrawEx(image_list_, item->image, dc, draw.rcItem.left, draw.rcItem.top, image.cx, image.cy, background,
                         foreground, ILD_NORMAL);

    SelectObject(dc, old_font);
    SetBkMode(dc, old_mode);
    SetTextColor(dc, old_text);
    SetBkColor(dc, old_background);
}
