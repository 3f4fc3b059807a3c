#include "mainwindow/pages/PropCandSetting_CL.h"

#include <cwchar>
#include <string>

#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

namespace {

constexpr DWORD kFieldStyle = WS_BORDER | ES_AUTOHSCROLL;

// Text that is not a number gives 0, as does nothing.
int32_t number_of(const std::wstring& text)
{
    return static_cast<int32_t>(std::wcstol(text.c_str(), nullptr, 10));
}

void write(const wchar_t* key, int value)
{
    AppInifile.write_int(keys::kInfoGet, key, value);
}

}  // namespace

void PropCandSetting_CL::build(HWND page)
{
    ControlFactory_CL& controls = factory();
    controls.add_check_box(page, L"壁紙候補の自動追加を行う", 0);
    controls.add_static_text(page, L"　", 8, 0);
    controls.add_check_box(page, L"指定したサイズよりも小さい写真は自動追加を行わない", 0);
    controls.add_edit(page, 5, kFieldStyle, 16);
    controls.add_edit(page, 5, kFieldStyle, 16);
    controls.add_check_box(page, L"横長の写真のみ自動登録する", 0);
    controls.add_static_text(page, L"　", 8, 0);
    controls.add_static_text(page, L"一回で登録する最大枚数", 8, 0);
    add_list(page, 20, {L"10枚", L"20枚", L"30枚", L"50枚", L"100枚", L"200枚", L"300枚", L"400枚", L"500枚"});
    controls.add_static_text(page, L"　", 8, 0);
    controls.add_check_box(page, L"キーワードで検索した写真も自動追加する(空白をあけて複数指定できます)", 0);
    controls.add_edit(page, 40, kFieldStyle, 16);
    controls.add_check_box(page, L"Wikimedia Commonsの秀逸な画像も自動追加する", 0);
    controls.add_static_text(page, L" x ", 0, 0);
    controls.stack_rows(4, kCommons, 3);
    place_size_row();
    load();
    update_enabling();
}

// Width field, " x " and height field on one row.
void PropCandSetting_CL::place_size_row()
{
    ControlFactory_CL& controls = factory();
    ControlBase_CL* width = controls.at(kMinWidth);
    ControlBase_CL* times = controls.at(kTimes);
    ControlBase_CL* height = controls.at(kMinHeight);
    if (!width || !times || !height) return;
    const RECT width_rect = ControlFactory_CL::placement(*width);
    const int top = width_rect.top + DpiScale::of(window())(4);
    width->set_top(top);
    const int field_height = width_rect.bottom - width_rect.top;
    const RECT times_rect = ControlFactory_CL::placement(*times);
    times->move_to(width_rect.right, top + (field_height - (times_rect.bottom - times_rect.top)) / 2);
    height->move_to(width_rect.right + (times_rect.right - times_rect.left), top);
}

void PropCandSetting_CL::load()
{
    set_checked(kAutoAdd, AppSettings.cand_aute_add != 0);
    set_checked(kCheckMinSize, AppSettings.cand_check_min_pic != 0);
    set_text(kMinWidth, std::to_wstring(AppSettings.cand_min_width));
    set_text(kMinHeight, std::to_wstring(AppSettings.cand_min_height));
    set_checked(kLandscapeOnly, AppSettings.cand_width_long != 0);
    select(kAddMax, AppSettings.cand_add_max, 4);
    set_checked(kSearchKeyword, AppSettings.cand_search_keyword != 0);
    set_text(kKeywords, AppSettings.cand_search_keyword_str);
    set_checked(kCommons, AppSettings.cand_commons != 0);
}

// Everything hangs on the auto-add box; the size fields and the keyword field
// also on their own boxes.
void PropCandSetting_CL::update_enabling()
{
    const bool adding = is_checked(kAutoAdd);
    for (int index : {kCheckMinSize, kLandscapeOnly, kAddMax, kSearchKeyword, kCommons}) enable(index, adding);
    const bool sizes = adding && is_checked(kCheckMinSize);
    enable(kMinWidth, sizes);
    enable(kMinHeight, sizes);
    enable(kKeywords, adding && is_checked(kSearchKeyword));
}

void PropCandSetting_CL::on_command(int index, int code)
{
    switch (index) {
    case kAutoAdd:
    case kCheckMinSize:
    case kSearchKeyword:
        update_enabling();
        mark_changed();
        break;
    case kLandscapeOnly:
    case kAddMax:
    case kCommons:
        mark_changed();
        break;
    case kMinWidth:
    case kMinHeight:
    case kKeywords:
        // Typing, deleting and pasting alike.
        if (code == EN_CHANGE) mark_changed();
        break;
    default:
        break;
    }
}

void PropCandSetting_CL::apply()
{
    AppSettings.cand_aute_add = is_checked(kAutoAdd) ? 1 : 0;
    AppSettings.cand_check_min_pic = is_checked(kCheckMinSize) ? 1 : 0;
    AppSettings.cand_add_max = selection(kAddMax);
    AppSettings.cand_min_width = number_of(text_of(kMinWidth));
    AppSettings.cand_min_height = number_of(text_of(kMinHeight));
    AppSettings.cand_width_long = is_checked(kLandscapeOnly) ? 1 : 0;
    AppSettings.cand_search_keyword = is_checked(kSearchKeyword) ? 1 : 0;
    AppSettings.cand_search_keyword_str = text_of(kKeywords);
    AppSettings.cand_commons = is_checked(kCommons) ? 1 : 0;

    write(keys::kCandAuteAdd, AppSettings.cand_aute_add);
    write(keys::kCandCheckMinPic, AppSettings.cand_check_min_pic);
    write(keys::kCandAddMax, AppSettings.cand_add_max);
    write(keys::kCandMinWidth, AppSettings.cand_min_width);
    write(keys::kCandMinHeight, AppSettings.cand_min_height);
    write(keys::kCandWidthLong, AppSettings.cand_width_long);
    write(keys::kCandSearchKeyword, AppSettings.cand_search_keyword);
    write(keys::kCandCommons, AppSettings.cand_commons);
    AppInifile.write_string(keys::kInfoGet, keys::kCandSearchKeywordStr, AppSettings.cand_search_keyword_str);
}
