// The item commands of the main window: what the item menus and a double click
// in a list ask for, carried out on the current tab.
#include "mainwindow/MainWindow_CL.h"

#include <commctrl.h>

#include "base/Browser.h"
#include "base/Trace.h"
#include "photoservice/CommonsClient_CL.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/ItemUrls.h"
#include "wallpaper/WallpaperChange.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "wallpaper/ItemCommands.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "mainwindow/MyPictureImage_CL.h"
#include "winui/CommunicateWait_CL.h"
#include "winui/ItemMenu.h"
#include "winui/Tab_CL.h"
#include "mainwindow/tabs/TabView_CL.h"

namespace {

constexpr int kNowWallPaperTab = 0;
constexpr int kFavoritesTab = 1;
constexpr int kCandidatesTab = 2;
constexpr int kUserTab = 5;
constexpr int kHistoryTab = 6;

}  // namespace

bool MainWindow_CL::item_command(WPARAM command)
{
    TabView_CL* view = tab_view(current_tab());
    switch (command) {
    case kGetPhoto:
        get_photo();
        return true;
    case kAddToCandidates:
        add_to_candidates(view ? view->selected_item() : nullptr);
        return true;
    case kAddDisplayedToCandidates:
        add_to_candidates(&displayed_item());
        return true;
    case kRemoveCandidates:
        remove_selected(AppSettings.candidates, kCandidatesTab, false);
        return true;
    case kRemoveHistory:
        remove_selected(AppSettings.history, kHistoryTab, false);
        return true;
    case kRemoveFavourites:
        remove_selected(AppSettings.favorites, kFavoritesTab, true);
        return true;
    case kSaveFavourite:
        save_as_favourite();
        return true;
    case kSearchOwner:
        search_owner();
        return true;
    case kOpenOwnerPage:
        open_owner_page();
        return true;
    case kSetWallpaper:
        set_as_wallpaper();
        return true;
    default:
        return false;
    }
}

// The selected record goes to the item clipboard and its largest picture to the preview.
void MainWindow_CL::get_photo()
{
    TabView_CL* view = tab_view(current_tab());
    const ImageItem_CL* record = view ? view->selected_item() : nullptr;
    if (!record) return;
    AppSettings.clipboard_marker = view->tab_index();
    AppSettings.clipboard_item = *record;
    const std::wstring address = url_for_size(AppSettings.clipboard_item, kLargestSize);
    if (!address.empty()) preview_->load(address);
}

void MainWindow_CL::show_list_change(int list_tab)
{
    TabView_CL* view = tab_view(list_tab);
    if (!view) return;
    if (current_tab() == list_tab) view->activate();
    view->update_caption();
}

void MainWindow_CL::add_to_candidates(const ImageItem_CL* record)
{
    if (!record || record->key.empty()) return;
    if (item_commands::add_candidate(*record)) show_list_change(kCandidatesTab);
}

// Acts on the rows selected in the list's own tab; the keys, not the row
// numbers, say what goes, since the file may hold more than the list shows.
void MainWindow_CL::remove_selected(WallPaperItemBase_CL& stored, int list_tab, bool delete_file)
{
    TabView_CL* view = tab_view(current_tab());
    if (!view || view->tab_index() != list_tab || !view->list()) return;
    MyFlickerListBox_CL& list = *view->list();
    std::vector<std::wstring> keys;
    const int rows = static_cast<int>(SendMessageW(list.window(), LB_GETCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const ImageItem_CL* record = list.record_at(row);
        if (record && SendMessageW(list.window(), LB_GETSEL, row, 0) > 0) keys.push_back(record->key);
    }
    if (keys.empty()) return;
    // Only the caret record's picture is deleted, and only after the list no longer names it.
    const ImageItem_CL* caret = view->selected_item();
    const ImageItem_CL doomed = caret ? *caret : ImageItem_CL();
    if (!item_commands::remove_keys(stored, keys)) return;
    if (delete_file && caret && !item_commands::delete_favourite_file(doomed))
        trace::failure(L"favourite picture not deleted", GetLastError());
    show_list_change(list_tab);
}

MyPictureImage_CL* MainWindow_CL::displayed_picture() const
{
    if (current_tab() != kNowWallPaperTab) return preview_.get();
    return tab_view(kNowWallPaperTab)->picture();
}

void MainWindow_CL::save_as_favourite()
{
    MyPictureImage_CL* picture = displayed_picture();
    if (!picture) return;
    const auto save_bytes = [picture](const std::wstring& path) { return picture->save_bytes(path); };
    if (item_commands::add_favourite(displayed_item(), save_bytes, &AppSettings.favorites)) show_list_change(kFavoritesTab);
}

// The preview's menu is greyed by the photo it shows, so its commands act on
// that photo: the list's selection may be another photo, or none at all.
const ImageItem_CL* MainWindow_CL::owner_command_record() const
{
    if (menu_on_preview_) return &displayed_item();
    TabView_CL* view = tab_view(current_tab());
    return view ? view->selected_item() : nullptr;
}

void MainWindow_CL::search_owner()
{
    const ImageItem_CL* record = owner_command_record();
    if (!record || !owner_rows(record).search_enabled) return;
    // Copied: switching tabs may reload the list that holds the record.
    const std::wstring name = record->ownerName;
    tab_view(kUserTab)->search_for_user(name);
    SendMessageW(tab_->window(), TCM_SETCURSEL, kUserTab, 0);
    switch_tab();
}

void MainWindow_CL::open_owner_page()
{
    const ImageItem_CL* record = owner_command_record();
    if (!record) return;
    if (CommonsClient_CL::is_commons_item(*record)) open_page_(record->key);
    else if (!record->pathAlias.empty() || !record->owner.empty()) open_page_(FlickrXmlHelper_CL::photostream_url(*record));
}

// Installed first: a picture that does not decode changes neither the
// wallpaper nor the current-wallpaper list nor the history.
void MainWindow_CL::set_as_wallpaper()
{
    // One install at a time: a second request while one runs is refused as busy.
    if (installing_) return;
    MyPictureImage_CL* picture = displayed_picture();
    if (!picture) return;
    std::vector<unsigned char> bytes = picture->copy_bytes();
    if (bytes.empty()) return;
    installing_ = BusyScope(indicator_.get());
    // Decoding, the bitmap and the broadcast of the new wallpaper take most of
    // a second with a large picture, longer when another program answers slowly.
    install_worker_.run(
        [this, record = displayed_item(), bytes = std::move(bytes)]() -> WindowTask {
            const bool installed = WallpaperChange::install_given(record, bytes);
            WallPaperItemBase_CL history;
            if (installed) {
                SYSTEMTIME now{};
                GetLocalTime(&now);
                AppInifile.write_datetime(keys::kWallPaperInfo, keys::kUpdateDatetime, now);
                history.set_path(AppSettings.history_path());
                Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
                (void)history.load();  // shows what could be read
            }
            return [this, installed, items = std::move(history.items)]() mutable {
                on_wallpaper_set(installed, std::move(items));
            };
        },
        [this] { on_wallpaper_set(false, {}); });
}

void MainWindow_CL::on_wallpaper_set(bool installed, std::vector<ImageItem_CL> history)
{
    install_worker_.stop();
    installing_.end();
    if (!installed) return;
    AppSettings.history.items = std::move(history);
    AppSettings.history.changed = 1;
    show_list_change(kHistoryTab);
    if (current_tab() == kNowWallPaperTab) tab_view(kNowWallPaperTab)->activate();
}
