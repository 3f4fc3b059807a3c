#include "mainwindow/tabs/TabViewLocalFolder_CL.h"

#include "wallpaper/LocalImageItem.h"
#include "store/SettingsKeys.h"
#include "winui/FolderSelectDialog_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "mainwindow/tabs/MyFindFile_CL.h"

namespace {

// "D:\pictures\" and "D:\pictures" name the same folder; the walk adds its own backslash.
std::wstring without_trailing_backslashes(std::wstring folder)
{
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

// A listed file's size and date, read when its row is first painted or used.
void complete_record(ImageItem_CL& record)
{
    if (record.localPath.size() <= record.title.size()) return;
    const std::wstring folder = record.localPath.substr(0, record.localPath.size() - record.title.size() - 1);
    ImageItem_CL read;
    if (local_image::make_item(folder, record.title, local_image::DateSource::Creation, read)) record = std::move(read);
}

}  // namespace

// A local file has no photographer and is no candidate: the menu offers neither.
TabViewLocalFolder_CL::TabViewLocalFolder_CL()
    : SearchTabView_CL(7, 10, L"ローカルフォルダ", keys::kSearchHistoryLocalFolder, kBoxId, {nullptr, false})
{
}

void TabViewLocalFolder_CL::create(TabHost* owner, HWND parent, int list_id)
{
    SearchTabView_CL::create(owner, parent, list_id);
    if (list_) list_->set_record_filler(complete_record);
    browse_button_.create(parent, kBrowseId, L"参照", 0, 0);
}

void TabViewLocalFolder_CL::apply_visibility()
{
    SearchTabView_CL::apply_visibility();
    ShowWindow(browse_button_.window(), visible() == 1 ? SW_SHOW : SW_HIDE);
}

void TabViewLocalFolder_CL::layout(int x, int y, int width, int height)
{
    SearchTabView_CL::layout(x, y, width, height);
    const DpiScale scale = browse_button_.dpi();
    browse_button_.move_to(x + width - scale(33), y + scale(2));
    browse_button_.resize(scale(32), scale(20), true);
}

void TabViewLocalFolder_CL::on_dpi_changed(const DpiScale& scale)
{
    SearchTabView_CL::on_dpi_changed(scale);
    browse_button_.on_dpi_changed(scale);
}

void TabViewLocalFolder_CL::on_parent_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_COMMAND && LOWORD(wparam) == kBrowseId && HIWORD(wparam) == BN_CLICKED &&
        reinterpret_cast<HWND>(lparam) == browse_button_.window() && browse_button_.window())
        browse();
    SearchTabView_CL::on_parent_message(hwnd, message, wparam, lparam);
}

void TabViewLocalFolder_CL::browse()
{
    std::wstring folder;
    if (!FolderSelectDialog_CL::browse_for_folder(owner_window(), L"画像のあるフォルダを選択してください。", folder))
        return;
    take_text(folder);
    activate();
}

void TabViewLocalFolder_CL::activate()
{
    const std::vector<std::wstring>& folders = history_box().entries();
    if (history_box().typed_text().empty() && !folders.empty()) history_box().set_text(folders.front());
    SearchTabView_CL::activate();
}

void TabViewLocalFolder_CL::load()
{
    BusyScope busy(busy_indicator());
    MyFindFile_CL finder(stop_requested);
    finder.scan(without_trailing_backslashes(current_text_) + L"\\*.*", true);
    // A finished walk replaces the rows; an aborted one lists nothing, for a
    // newer folder, or the closing window, follows.
    if (!stop_requested && list_) list_->replace_records(std::move(finder.items));
    busy.end();
    finish_load();
}
