#include "mainwindow/pages/PropAppSetting_CL.h"

#include "wallpaper/Wallpaper.h"
#include "base/ModulePath.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "store/StartWithWindows.h"
#include "winui/FolderSelectDialog_CL.h"

namespace {

int read(const wchar_t* key, int fallback)
{
    return AppInifile.read_int(keys::kWallPaperInfo, key, fallback);
}

void write(const wchar_t* key, int value)
{
    AppInifile.write_int(keys::kWallPaperInfo, key, value);
}

}  // namespace

void PropAppSetting_CL::build(HWND page)
{
    ControlFactory_CL& controls = factory();
    controls.add_check_box(page, L"壁紙の自動変更を行なう", 0);
    controls.add_static_text(page, L"壁紙を変更する間隔", 8, 0);
    add_list(page, 24,
             {L"１時間毎に変更する", L"２時間毎に変更する", L"３時間毎に変更する", L"１日毎に変更する",
              L"３日毎に変更する", L"７日毎に変更する"});
    controls.add_static_text(page, L"　", 8, 0);
    controls.add_check_box(page, L"壁紙変更の際にお気に入りを対象とする", 0);
    controls.add_check_box(page, L"壁紙変更の際に壁紙候補を対象とする", 0);
    controls.add_check_box(page, L"壁紙変更の際に以下のローカルフォルダを対象とする", 0);
    controls.add_edit(page, 54, WS_BORDER | ES_AUTOHSCROLL, 16);
    controls.add_static_text(page, L"　", 8, 0);
    controls.add_static_text(page, L"壁紙の配置方法", 8, 0);
    add_list(page, 20, {L"中央に表示", L"並べて表示", L"画面に合わせて伸縮", L"ページ縦幅に合わせる", L"ページ横幅に合わせる"});
    controls.add_button(page, L"参照", 0, 0);
    controls.add_check_box(page, L"モニターごとに別の壁紙にする", 0);
    controls.add_check_box(page, L"Windowsの起動時にTapestrelを起動する", 0);
    controls.add_check_box(page, L"全画面表示のアプリを使っている間は壁紙を変更しない", 0);
    const int below_placement = controls.stack_rows(4, kPlacement, 3);
    if (ControlBase_CL* per_monitor = controls.at(kPerMonitor)) per_monitor->set_top(below_placement);
    place_below(kSkipFullscreen, kPerMonitor);
    place_below(kStartWithWindows, kSkipFullscreen);

    place_browse_button(page);
    load();
    update_enabling();
}

// "参照" sits just right of the folder field; with a wide font the field gives
// way so that the button stays on the page.
void PropAppSetting_CL::place_browse_button(HWND page)
{
    ControlBase_CL* field = factory().at(kLocalFolder);
    ControlBase_CL* button = factory().at(kBrowse);
    if (!field || !button) return;
    const DpiScale scale = DpiScale::of(page);
    const int width = scale(32);
    const int height = scale(20);
    const int gap = scale(4);
    RECT client{};
    GetClientRect(page, &client);
    RECT rect = ControlFactory_CL::placement(*field);
    const int widest = client.right - gap - width - gap - rect.left;
    if (rect.right - rect.left > widest) {
        field->resize(widest, rect.bottom - rect.top, false);
        rect.right = rect.left + widest;
    }
    MoveWindow(button->window(), rect.right + gap, rect.top - scale(2), width, height, FALSE);
}

// Puts the control at index 3 pixels under the one at `above`.
void PropAppSetting_CL::place_below(int index, int above)
{
    ControlBase_CL* control = factory().at(index);
    const ControlBase_CL* upper = factory().at(above);
    if (control && upper) control->set_top(ControlFactory_CL::placement(*upper).bottom + control->dpi()(3));
}

void PropAppSetting_CL::load()
{
    set_checked(kAutoChange, read(keys::kAutoChange, 1) != 0);
    // An interval the list does not know runs as one hour.
    select(kInterval, read(keys::kUpdateTimming, 0), 0);
    set_checked(kFavoriteUse, read(keys::kChangeFavoriteUse, 1) != 0);
    set_checked(kCandidateUse, read(keys::kChangeCandidateUse, 1) != 0);
    set_checked(kLocalFolderUse, read(keys::kChangeLocalFolderUse, 0) != 0);
    set_text(kLocalFolder, AppInifile.read_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit));
    // The placement the wallpaper is actually installed with.
    const int placement = wallpaper::clamp_layout(read(keys::kDispStyle, AppSettings.dispStyleDefault));
    select(kPlacement, placement, AppSettings.dispStyleDefault);
    set_checked(kPerMonitor, read(keys::kPerMonitor, 0) != 0);
    set_checked(kSkipFullscreen, read(keys::kSkipFullscreen, 1) != 0);
    // Checked for a value naming another copy too: Apply points it at this one.
    set_checked(kStartWithWindows, !start_with_windows::registered_command().empty());
}

void PropAppSetting_CL::update_enabling()
{
    enable(kInterval, is_checked(kAutoChange));
    enable(kLocalFolder, is_checked(kLocalFolderUse));
    enable(kBrowse, is_checked(kLocalFolderUse));
}

void PropAppSetting_CL::on_command(int index, int code)
{
    switch (index) {
    case kAutoChange:
    case kLocalFolderUse:
        update_enabling();
        mark_changed();
        break;
    case kInterval:
    case kFavoriteUse:
    case kCandidateUse:
    case kPlacement:
    case kPerMonitor:
    case kSkipFullscreen:
    case kStartWithWindows:
        mark_changed();
        break;
    case kLocalFolder:
        if (code == EN_CHANGE) mark_changed();
        break;
    case kBrowse:
        browse();
        break;
    default:
        break;
    }
}

void PropAppSetting_CL::browse()
{
    std::wstring folder;
    if (!FolderSelectDialog_CL::browse_for_folder(window(), L"対象にするローカルフォルダを選択してください", folder))
        return;
    set_text(kLocalFolder, folder);
    mark_changed();
}

void PropAppSetting_CL::apply()
{
    // The tray process reads these keys from the file when it needs them.
    write(keys::kAutoChange, is_checked(kAutoChange) ? 1 : 0);
    write(keys::kUpdateTimming, selection(kInterval));
    write(keys::kChangeFavoriteUse, is_checked(kFavoriteUse) ? 1 : 0);
    write(keys::kChangeCandidateUse, is_checked(kCandidateUse) ? 1 : 0);
    write(keys::kChangeLocalFolderUse, is_checked(kLocalFolderUse) ? 1 : 0);
    AppInifile.write_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit, text_of(kLocalFolder));
    write(keys::kDispStyle, selection(kPlacement));
    write(keys::kPerMonitor, is_checked(kPerMonitor) ? 1 : 0);
    write(keys::kSkipFullscreen, is_checked(kSkipFullscreen) ? 1 : 0);
    // Failures are traced where they happen; the other settings stand.
    if (is_checked(kStartWithWindows))
        (void)start_with_windows::register_program(module_path());
    else
        (void)start_with_windows::unregister_program();
}
