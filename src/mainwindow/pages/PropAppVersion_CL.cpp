#include "mainwindow/pages/PropAppVersion_CL.h"

#include "base/Browser.h"
#include "store/AppSettings_CL.h"
#include "store/ServiceConfig.h"
#include "store/SettingsKeys.h"
#include "mainwindow/UpdateCheck_CL.h"

namespace {
// The program's icon resource (the tray's normal picture).
constexpr int kProgramIcon = 107;
}  // namespace

PropAppVersion_CL::PropAppVersion_CL() : open_page_(&open_in_browser) {}

void PropAppVersion_CL::build(HWND page)
{
    SetWindowTextW(page, L"バージョン表示");
    ControlFactory_CL& controls = factory();
    controls.add_check_box(page, L"バージョンアップの通知をしない", 14);
    controls.add_button(page, L"OK", 0, 0);
    controls.add_static_text(page, std::wstring(L"Version : ") + kProgramVersion, 0, 0);
    controls.add_static_text(page, L"　", 0, 0);
    controls.add_static_text(page, L"サポートサイトへ", 0, 0);
    controls.add_button(page, L"　　サポートサイトへ　　", 0, 0);
    controls.add_group_box(page, L"バージョンアップの通知", 0, 36);
    controls.add_group_box(page, L"バージョン情報", 48, 140);
    show_program_icon();
    controls.stack_left({kIconButton, kVersion, kSpacer, kSupportLabel, kSupportButton, ControlFactory_CL::kEndOfList});
    const DpiScale scale = DpiScale::of(page);
    if (ControlBase_CL* icon = controls.at(kIconButton)) icon->move_to(scale(16), scale(64));
    set_checked(kNoNotify, AppSettings.notify != 0);
}

// A flat 36 x 36 button with the 32 x 32 program icon instead of its caption.
void PropAppVersion_CL::show_program_icon()
{
    ControlBase_CL* button = factory().at(kIconButton);
    if (!button) return;
    const DpiScale scale = button->dpi();
    button->resize(scale(36), scale(36), false);
    // Shared: the system keeps the icon, nothing to free.
    const HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON, scale(32),
                                   scale(32), LR_SHARED);
    const LONG_PTR style = GetWindowLongPtrW(button->window(), GWL_STYLE);
    SetWindowLongPtrW(button->window(), GWL_STYLE, style | BS_FLAT | (icon ? BS_ICON : 0));
    if (icon) SendMessageW(button->window(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

void PropAppVersion_CL::on_command(int index, int code)
{
    switch (index) {
    case kNoNotify:
        mark_changed();
        break;
    case kIconButton:
    case kSupportButton:
        open_page_(service_config::support_base_url() + L"/");
        break;
    default:
        break;
    }
}

void PropAppVersion_CL::apply()
{
    AppSettings.notify = is_checked(kNoNotify) ? 1 : 0;
    AppInifile.write_int(keys::kVersion, keys::kNotify, AppSettings.notify);
}
