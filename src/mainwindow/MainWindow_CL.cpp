#include "mainwindow/MainWindow_CL.h"

#include <algorithm>

#include <commctrl.h>
#include <shellapi.h>

#include "base/Browser.h"
#include "base/ModulePath.h"
#include "photoservice/ItemUrls.h"
#include "wallpaper/MainWindowLink.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
#include "store/ServiceConfig.h"
#include "store/SettingsKeys.h"
#include "winui/CommunicateWait_CL.h"
#include "winui/ItemMenu.h"
#include "mainwindow/MyPictureImage_CL.h"
#include "winui/PopupMenu_CL.h"
#include "winui/Tab_CL.h"
#include "mainwindow/pages/SettingsSheet.h"
#include "mainwindow/tabs/TabViewBackWall_CL.h"
#include "mainwindow/tabs/TabViewCandWallPaper_CL.h"
#include "mainwindow/tabs/TabViewHistoryWallPaper_CL.h"
#include "mainwindow/tabs/TabViewKeyWord_CL.h"
#include "mainwindow/tabs/TabViewLocalFolder_CL.h"
#include "mainwindow/tabs/TabViewNowWallPaper_CL.h"
#include "mainwindow/tabs/TabViewPopular_CL.h"
#include "mainwindow/tabs/TabViewUser_CL.h"
#include "winui/StatusBar_CL.h"

namespace {

constexpr int kNowWallPaperTab = 0;

// The stored list behind a change notification, and the tab that shows it.
struct ListChange {
    WallPaperItemBase_CL* list;
    int tab;
};

bool list_change(WPARAM what, ListChange& change)
{
    switch (what) {
    case main_window_link::kNewWallpaper:
        change = {nullptr, 0};
        return true;
    case main_window_link::kCandidates:
        change = {&AppSettings.candidates, 2};
        return true;
    case main_window_link::kFavorites:
        change = {&AppSettings.favorites, 1};
        return true;
    case main_window_link::kHistory:
        change = {&AppSettings.history, 6};
        return true;
    default:
        return false;
    }
}

}  // namespace

MainWindow_CL::MainWindow_CL() : placement_(AppInifile)
{
    set_title(L"Tapestrel");
    set_icon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(107)));
}

MainWindow_CL::~MainWindow_CL()
{
    release_children();
}

HWND MainWindow_CL::create()
{
    AppSettings.load_all_lists();
    return MainWindowBase_CL::create();
}

TabView_CL* MainWindow_CL::tab_view(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= tab_views_.size()) return nullptr;
    return tab_views_[static_cast<size_t>(index)].get();
}

int MainWindow_CL::current_tab() const
{
    return tab_ ? static_cast<int>(SendMessageW(tab_->window(), TCM_GETCURSEL, 0, 0)) : -1;
}

void MainWindow_CL::on_create(const CREATESTRUCTW*)
{
    preview_ = std::make_unique<MyPictureImage_CL>();
    preview_->create(window(), kPreviewId, 100, 100, 0, 0);
    create_tab_views();
    indicator_ = std::make_unique<CommunicateWait_CL>();
    indicator_->create(window());
    const DpiScale scale = dpi();
    indicator_->resize(scale(312), scale(20), true);
    status_bar_ = std::make_unique<StatusBar_CL>();
    status_bar_->create(window());
    create_tab_strip();

    const IniWinSize_CL::Placement placement = placement_.load_placement(window());
    SetWindowPos(window(), nullptr, placement.left, placement.top, placement.width, placement.height, SWP_NOZORDER);

    root_.bar = scale(kSplitterBar);
    root_.layout(display_area());
    root_.panes[0].window = preview_->window();
    root_.position = AppInifile.read_int(keys::kWindow, keys::kSplitPos, scale(kDefaultSplit));
    root_.layout(root_.area());
    splitter_.bind(&root_, window());

    switch_tab();
    start_tray_process();
}

void MainWindow_CL::create_tab_views()
{
    tab_views_.push_back(std::make_unique<TabViewNowWallPaper_CL>());
    tab_views_.push_back(std::make_unique<TabViewBackWall_CL>());
    tab_views_.push_back(std::make_unique<TabViewCandWallPaper_CL>());
    tab_views_.push_back(std::make_unique<TabViewPopular_CL>());
    tab_views_.push_back(std::make_unique<TabViewKeyWord_CL>());
    tab_views_.push_back(std::make_unique<TabViewUser_CL>());
    tab_views_.push_back(std::make_unique<TabViewHistoryWallPaper_CL>());
    tab_views_.push_back(std::make_unique<TabViewLocalFolder_CL>());
    for (size_t i = 0; i < tab_views_.size(); ++i)
        tab_views_[i]->create(this, window(), kFirstListId + static_cast<int>(i));
}

void MainWindow_CL::create_tab_strip()
{
    tab_ = std::make_unique<Tab_CL>();
    tab_->create(window());
    load_tab_images();
    for (const auto& view : tab_views_) {
        tab_->insert_tab(view->caption(), view->image_index(), 0, Tab_CL::kAppend);
        view->update_caption();
    }
}

void MainWindow_CL::load_tab_images()
{
    // The strip lets go of the old list when it takes the new one.
    ImageList_CL images;
    images.load_strip(AppSettings.program_folder + L"\\menu_image.bmp", 24, dpi());
    SendMessageW(tab_->window(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.handle()));
    tab_images_ = std::move(images);
}

void MainWindow_CL::on_dpi_changed(const DpiScale& scale)
{
    const DpiScale before = dpi();
    MainWindowBase_CL::on_dpi_changed(scale);
    if (!tab_) return;
    for (ControlBase_CL* control : std::initializer_list<ControlBase_CL*>{tab_.get(), preview_.get(), indicator_.get(),
                                                                          status_bar_.get()})
        control->on_dpi_changed(scale);
    for (const auto& view : tab_views_) view->on_dpi_changed(scale);
    load_tab_images();
    root_.bar = scale(kSplitterBar);
    root_.position = scale.from(root_.position, before);
    on_size();
    InvalidateRect(window(), nullptr, TRUE);
}

// The tab strip fills the client area above the status bar; its display area is what the tabs share.
RECT MainWindow_CL::display_area() const
{
    RECT client{};
    GetClientRect(window(), &client);
    if (status_bar_ && status_bar_->window()) client.bottom = std::max(0L, client.bottom - status_bar_->fit());
    tab_->resize(client.right, client.bottom, true);
    SendMessageW(tab_->window(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&client));
    return client;
}

void MainWindow_CL::on_size()
{
    if (!tab_ || IsIconic(window())) return;
    const RECT display = display_area();
    root_.layout(display);
    place_preview(display);
    const RECT right = root_.pane_rect(1);
    const DpiScale scale = dpi();
    indicator_->move_to(right.left + scale(4), right.bottom - scale(24));
    indicator_->resize(right.right - right.left - scale(8), scale(20), true);
    for (const auto& view : tab_views_) {
        view->layout(right.left, right.top, right.right - right.left, right.bottom - right.top);
        view->layout_area({display});
    }
    placement_.save_placement(window());
}

// On the current-wallpaper tab the preview is hidden; it keeps the whole area then.
void MainWindow_CL::place_preview(const RECT& display)
{
    const RECT box = current_tab() != kNowWallPaperTab ? root_.pane_rect(0) : display;
    SetWindowPos(preview_->window(), nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    preview_->set_busy_indicator(indicator_.get());
}

void MainWindow_CL::switch_tab()
{
    on_size();
    const int current = current_tab();
    for (const auto& view : tab_views_) {
        if (view->tab_index() == current) {
            view->activate();
            view->set_visible(1);
        } else {
            view->set_visible(0);
        }
    }
    for (const auto& view : tab_views_) view->apply_visibility();
    ShowWindow(preview_->window(), current != kNowWallPaperTab ? SW_SHOW : SW_HIDE);
    InvalidateRect(preview_->window(), nullptr, FALSE);
    show_status();
}

void MainWindow_CL::show_tab_outcome(int tab_index)
{
    if (TabView_CL* view = tab_view(tab_index)) view->update_caption();
    if (tab_index == current_tab()) show_status();
}

void MainWindow_CL::show_status()
{
    const TabView_CL* view = tab_view(current_tab());
    if (status_bar_) status_bar_->show_text(view ? view->status_text() : std::wstring());
}

// Started only when its instance mutex does not exist; a failure is ignored.
void MainWindow_CL::start_tray_process()
{
    KernelHandle running(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, main_window_link::instance_mutex_name(main_window_link::ProcessKind::Tray).c_str()));
    if (running) return;
    ShellExecuteW(nullptr, nullptr, module_path().c_str(), L"", nullptr, SW_SHOWNORMAL);
}

LRESULT MainWindow_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CLOSE:
        // Stopping workers serves this thread's messages, so a second close
        // (the tray closing too) can arrive in the middle of the first.
        if (closing_) return 0;
        closing_ = true;
        on_closing();
        break;
    case WM_TIMER:
        if (wparam == kCloseTimer) PostQuitMessage(0);
        if (wparam == kRepaintTimer) repaint_all();
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header && tab_ && header->hwndFrom == tab_->window() && header->code == TCN_SELCHANGE) switch_tab();
        break;
    }
    case WM_COMMAND:
        on_command(wparam, lparam);
        break;
    case MyPictureImage_CL::kChildRightClick:
        if (LOWORD(wparam) == kPreviewId) show_displayed_item_menu();
        break;
    case kPreviewMenuClosed:
        menu_on_preview_ = false;
        break;
    case SpliterWindowHelper_CL::kSplitterMoved:
        on_splitter_moved();
        break;
    case main_window_link::kListChanged:
        on_list_changed(wparam);
        break;
    case WM_MOVE:
        // Moving without resizing is kept too, so the window opens where it was left.
        if (tab_) placement_.save_placement(window);
        break;
    default:
        break;
    }
    splitter_.handle_message(window, message, wparam, lparam);
    for (const auto& view : tab_views_) view->on_parent_message(window, message, wparam, lparam);
    LRESULT menu_result = 0;
    if (PopupMenu_CL::paint_message(window, message, wparam, lparam, &menu_result)) return menu_result;
    return MainWindowBase_CL::handle_message(window, message, wparam, lparam);
}

// The window is destroyed right after this (on_close lets it close); the timer
// ends the process should it still run then.
void MainWindow_CL::on_closing()
{
    SetTimer(window(), kCloseTimer, 3000, nullptr);
    for (const auto& view : tab_views_) view->cancel();
    if (preview_) preview_->stop_downloads();
}

void MainWindow_CL::on_command(WPARAM command, LPARAM lparam)
{
    if (item_command(command)) return;
    switch (command) {
    case kSettings:
        show_settings_sheet(window());
        break;
    case kUpdateCaption:
        show_tab_outcome(static_cast<int>(lparam));
        break;
    case kSupportSite:
        open_in_browser(service_config::support_base_url() + L"/");
        break;
    default:
        break;
    }
}

void MainWindow_CL::on_list_changed(WPARAM what)
{
    // Wine's virtual desktop paints a new wallpaper over the windows on it,
    // title bars included, without telling them, and it may do so after the
    // tray's notice: painted now and once more a moment later.
    if (what == main_window_link::kNewWallpaper) {
        repaint_all();
        SetTimer(window(), kRepaintTimer, kRepaintDelayMs, nullptr);
    }
    ListChange change{};
    if (!list_change(what, change)) return;
    if (change.list) change.list->changed = 1;
    if (current_tab() == change.tab) tab_view(change.tab)->activate();
}

void MainWindow_CL::repaint_all()
{
    KillTimer(window(), kRepaintTimer);
    RedrawWindow(window(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void MainWindow_CL::on_splitter_moved()
{
    AppInifile.write_int(keys::kWindow, keys::kSplitPos, root_.position);
    on_size();
    InvalidateRect(window(), nullptr, TRUE);
}

const ImageItem_CL& MainWindow_CL::displayed_item() const
{
    return current_tab() != kNowWallPaperTab ? AppSettings.clipboard_item : AppSettings.now_item;
}

void MainWindow_CL::show_displayed_item_menu()
{
    const ImageItem_CL& item = displayed_item();
    const OwnerRows owner = owner_rows(&item);
    const std::vector<ItemMenuEntry> entries = {
        {L"壁紙に設定する", 0x1160, 14},
        {L"お気に入り壁紙として保存する", 0x1020, 5},
        {L"壁紙候補へ追加する", 0x1013, 15},
        owner.search,
        owner.page,
        {L"サポートサイトへ", 0x1150, 6},
        {L"アプリ設定", 0x1100, 1},
    };
    std::vector<size_t> disabled;
    if (current_tab() != kNowWallPaperTab) {
        // A photo that came from a list need not be added to that list again.
        if (AppSettings.clipboard_marker == 1) disabled.push_back(1);
        if (AppSettings.clipboard_marker == 2) disabled.push_back(2);
    }
    if (url_for_size(item, kThumbnailSize).empty()) disabled.insert(disabled.end(), {0, 1, 2});
    if (!owner.search_enabled) disabled.push_back(3);
    if (!owner.page_enabled) disabled.push_back(4);
    // The chosen command is posted while the menu runs, so it arrives before
    // this closing note and still knows which menu it came from.
    menu_on_preview_ = true;
    show_item_menu(window(), entries, disabled);
    PostMessageW(window(), kPreviewMenuClosed, 0, 0);
}

void MainWindow_CL::on_destroy()
{
    release_children();
}

// Loaders stop before their tabs go, so none runs into a destroyed list.
void MainWindow_CL::release_children()
{
    // An install under way ends first; its outcome finds nothing left to show.
    install_worker_.stop();
    installing_.end();
    // Taken out first: messages served while a loader stops must find no half-destroyed tab.
    std::vector<std::unique_ptr<TabView_CL>> views = std::move(tab_views_);
    tab_views_.clear();
    for (auto& view : views) {
        view->stop();
        view.reset();
    }
    // The preview goes before the indicator: its pending loads hold busy periods on it.
    if (preview_ && preview_->window()) DestroyWindow(preview_->window());
    preview_.reset();
    if (indicator_ && indicator_->window()) DestroyWindow(indicator_->window());
    indicator_.reset();
    if (status_bar_ && status_bar_->window()) DestroyWindow(status_bar_->window());
    status_bar_.reset();
}
