#include "tray/MainWindowIcon_CL.h"

#include <algorithm>
#include <ctime>

#include <shellapi.h>

#include "base/Browser.h"
#include "base/GlobalBlock.h"
#include "base/ModulePath.h"
#include "base/Trace.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/CommonsClient_CL.h"
#include "wallpaper/CandidateRun.h"
#include "wallpaper/ChangeSchedule.h"
#include "wallpaper/FullScreen.h"
#include "wallpaper/MainWindowLink.h"
#include "wallpaper/MonitorWallpaper.h"
#include "wallpaper/SharedRandom_CL.h"
#include "wallpaper/Wallpaper.h"
#include "wallpaper/WallpaperChange.h"
#include "wallpaper/WallpaperChooser.h"
#include "store/AppSettings_CL.h"
#include "store/ServiceConfig.h"
#include "store/SettingsKeys.h"
#include "winui/ItemMenu.h"
#include "winui/PopupMenu_CL.h"

MainWindowIcon_CL::MainWindowIcon_CL()
    : tray_icon_(L"Tapestrel"), job_worker_(tasks()), downloader_(*this), candidate_worker_(*this)
{
    set_title(L"Tapestrel_ICON");
    set_style(style() & ~WS_VISIBLE);
    job_worker_.set_thread_name(L"Tapestrel wallpaper draw");
    downloader_.set_thread_name(L"Tapestrel wallpaper download");
    candidate_worker_.set_thread_name(L"Tapestrel candidates");
}

MainWindowIcon_CL::~MainWindowIcon_CL()
{
    // Nothing the workers still hand over may run on a window being torn down.
    tasks().close();
    candidate_worker_.stop();
    downloader_.stop();
    job_worker_.stop();
}

LRESULT MainWindowIcon_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    LRESULT painted = 0;
    if (PopupMenu_CL::paint_message(window, message, wparam, lparam, &painted)) return painted;
    switch (message) {
    case WM_CLOSE:
        candidate_worker_.stop();
        break;
    case WM_COMMAND:
        on_command(LOWORD(wparam));
        break;
    case WM_TIMER:
        on_timer(wparam);
        break;
    case TaskTrayIcon_CL::kNotifyMessage:
        on_tray_notify(static_cast<UINT>(lparam));
        break;
    case WM_DISPLAYCHANGE:
        on_display_change();
        break;
    case WM_DPICHANGED:
        tray_icon_.set_dpi(DpiScale(LOWORD(wparam)));
        break;
    case WM_POWERBROADCAST:
        // Sent once on every wake-up (the user-present resume may follow it).
        if (wparam == PBT_APMRESUMEAUTOMATIC) check(true);
        return TRUE;
    default:
        if (message == tray_icon_.taskbar_created_message()) tray_icon_.restore();
        break;
    }
    return MainWindowBase_CL::handle_message(window, message, wparam, lparam);
}

void MainWindowIcon_CL::on_create(const CREATESTRUCTW*)
{
    tray_icon_.attach(window());
    const bool added = tray_icon_.add();
    ShowWindow(window(), SW_HIDE);
    if (AppSettings.app_folder.empty()) AppSettings.set_folders(documents_folder());
    const int stored_seed = AppInifile.read_int(keys::kWallPaperInfo, keys::kRandSeed, 0);
    SharedRandom_CL::instance().seed(static_cast<uint64_t>(stored_seed) + GetTickCount() + static_cast<uint64_t>(time(nullptr)));
    if (added) SetTimer(window(), change_schedule::kStartupTimer, change_schedule::kStartupDelayMs, nullptr);
    else PostQuitMessage(-1);
}

int MainWindowIcon_CL::on_close()
{
    main_window_link::close_window();
    return 1;
}

void MainWindowIcon_CL::on_destroy()
{
    downloader_.cancel_downloads();
    downloader_.stop();
    tray_icon_.remove();
    KillTimer(window(), change_schedule::kCheckTimer);
}

void MainWindowIcon_CL::on_timer(UINT_PTR id)
{
    if (id == change_schedule::kCheckTimer) {
        check(false);
    } else if (id == change_schedule::kStartupTimer) {
        KillTimer(window(), id);
        ready_ = 1;
        start_candidate_run();
    }
}

void MainWindowIcon_CL::start_check_timer()
{
    SetTimer(window(), change_schedule::kCheckTimer, change_schedule::kCheckIntervalMs, nullptr);
}

void MainWindowIcon_CL::check(bool resumed)
{
    using change_schedule::Asker;
    if (startup_change_waiting_) change_request(Asker::StartUp);
    else if (retry_.check(resumed)) change_request(Asker::Retry);
    else change_request(Asker::Check);
}

void MainWindowIcon_CL::change_request(change_schedule::Asker asker)
{
    using change_schedule::Asker;
    if (change_) return;
    const bool forced = asker == Asker::StartUp || asker == Asker::User;
    if (!forced && (AppInifile.read_int(keys::kWallPaperInfo, keys::kAutoChange, 1) == 0 || ready_ == 0)) return;
    // The user's own change goes ahead; the others wait for the program in full screen to end.
    if (asker != Asker::User && AppInifile.read_int(keys::kWallPaperInfo, keys::kSkipFullscreen, 1) != 0 &&
        full_screen::program_in_full_screen()) {
        if (asker == Asker::StartUp) startup_change_waiting_ = true;
        return;
    }
    if (asker == Asker::StartUp) startup_change_waiting_ = false;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    if (asker == Asker::Check) {
        const change_schedule::Decision decision =
            change_schedule::decide(AppInifile.read_string(keys::kWallPaperInfo, keys::kUpdateDatetime), now,
                                    AppInifile.read_int(keys::kWallPaperInfo, keys::kUpdateTimming, 0));
        if (decision == change_schedule::Decision::Restart)
            AppInifile.write_datetime(keys::kWallPaperInfo, keys::kUpdateDatetime, now);
        if (decision != change_schedule::Decision::Due) return;
    }
    failed_draws_ = 0;
    draws_unreached_ = true;
    scheduled_change_ = asker != Asker::User;
    draw_next_wallpaper();
    AppInifile.write_datetime(keys::kWallPaperInfo, keys::kUpdateDatetime, now);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kRandSeed, static_cast<int>(GetTickCount() + now.wDay));
}

void MainWindowIcon_CL::draw_next_wallpaper()
{
    // A change under way finishes first: its request would drop a second one.
    if (change_) return;
    change_ = BusyScope(this);
    const size_t count = pictures_per_change();
    // The lists and the local folder are read there: on a share or a waking
    // disk that takes seconds, and the menu must still open meanwhile.
    job_worker_.run(
        [this, count]() -> WindowTask {
            auto change = std::make_shared<WallpaperChange>();
            if (!wallpaper_chooser::choose_next(count, change->items)) change.reset();
            return [this, change] { on_drawn(change); };
        },
        [this] { on_drawn(nullptr); });
}

void MainWindowIcon_CL::on_drawn(const std::shared_ptr<WallpaperChange>& change)
{
    // Between jobs the worker would only hold its stack.
    job_worker_.stop();
    if (!change) {
        // Nothing to draw is no missing download.
        end_change();
        on_change_failed();
        return;
    }
    // While the idle worker ends, the requests wait in its queue for the restart.
    if (!stopping_downloader_) downloader_.start();
    WallpaperChange::request_pictures(change, downloader_);
}

size_t MainWindowIcon_CL::pictures_per_change() const
{
    if (AppInifile.read_int(keys::kWallPaperInfo, keys::kPerMonitor, 0) == 0) return 1;
    // Every picture must wait in the download queue at once; further monitors repeat them.
    const size_t monitors = monitor_wallpaper::current_monitors().size();
    return std::max<size_t>(1, std::min(monitors, DownloadUri_CL::kMaxQueued));
}

void MainWindowIcon_CL::MyDownLoadUri_CL::on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data)
{
    // Only the tray's draws queue here.
    const auto arrival = WallpaperChange::receive(*request, std::move(data));
    if (arrival == WallpaperChange::Arrival::Waiting) return;
    const bool installed = arrival == WallpaperChange::Arrival::Installed;
    MainWindowIcon_CL& owner = owner_;
    // A tray window that is gone has nothing left to show or draw.
    (void)owner_.tasks().post([&owner, arrival] { owner.on_picture_done(arrival); });
    // Told after the tray is back at rest (its task comes first), so a change
    // asked for on hearing of this one is not refused as busy.
    if (installed) main_window_link::notify(main_window_link::kNewWallpaper);
}

void MainWindowIcon_CL::on_picture_done(WallpaperChange::Arrival arrival)
{
    change_.end();
    const bool installed = arrival == WallpaperChange::Arrival::Installed;
    if (arrival != WallpaperChange::Arrival::Unreached) draws_unreached_ = false;
    if (installed) {
        retry_.clear();
        if (!change_failure_.empty()) {
            change_failure_.clear();
            show_tip();
        }
    }
    // An unreachable service must not start draws for ever.
    failed_draws_ = installed ? 0 : failed_draws_ + 1;
    if (!installed && failed_draws_ < kMaxFailedDraws) draw_next_wallpaper();
    if (!installed && !change_) on_change_failed();
    if (!change_ && layout_changed_) on_display_change();
    if (stopping_downloader_) return;
    // Between changes the worker would only hold its stack; the next draw starts it again.
    stopping_downloader_ = true;
    downloader_.stop();
    stopping_downloader_ = false;
    // A draw served while the worker ended left its requests in the queue.
    if (downloader_.queue_length() > 0) downloader_.start();
}

// The same pictures, laid out again for the monitors there are now.
void MainWindowIcon_CL::on_display_change()
{
    if (AppInifile.read_int(keys::kWallPaperInfo, keys::kPerMonitor, 0) == 0) return;
    // A change under way composes for the old layout; it is laid out again when it ends.
    layout_changed_ = static_cast<bool>(change_);
    if (layout_changed_) return;
    change_ = BusyScope(this);
    // Decoding and composing the monitors' pictures takes most of a second.
    job_worker_.run(
        [this]() -> WindowTask {
            const bool laid_out = wallpaper::reinstall_current();
            return [this, laid_out] { on_laid_out(laid_out); };
        },
        [this] { on_laid_out(false); });
}

void MainWindowIcon_CL::on_laid_out(bool laid_out)
{
    job_worker_.stop();
    if (!laid_out) trace::failure(L"wallpaper not laid out again for the monitors");
    end_change();
}

void MainWindowIcon_CL::end_change()
{
    change_.end();
    if (layout_changed_) on_display_change();
}

void MainWindowIcon_CL::begin_busy()
{
    // A tray window that is gone shows no icon.
    (void)tasks().run_or_post([this] {
        if (busy_++ == 0) tray_icon_.show_busy(true);
    });
}

void MainWindowIcon_CL::end_busy()
{
    (void)tasks().run_or_post([this] {
        if (busy_ > 0 && --busy_ == 0) tray_icon_.show_busy(false);
    });
}

void MainWindowIcon_CL::start_candidate_run()
{
    // Without auto-add there is no run, but the schedule starts all the same.
    if (AppInifile.read_int(keys::kInfoGet, keys::kCandAuteAdd, 1) != 1) {
        start_check_timer();
        return;
    }
    SYSTEMTIME today{};
    GetLocalTime(&today);
    candidate_worker_.start();
    candidate_worker_.wake();
    AppInifile.write_int(keys::kInfoGet, keys::kCanLastDay, today.wDay);
}

int MainWindowIcon_CL::UpdateCand_CL::on_thread_message(UINT message, WPARAM, LPARAM)
{
    if (message == kWorkMessage && !stop_requested) candidate_run();
    return 0;
}

void MainWindowIcon_CL::UpdateCand_CL::candidate_run()
{
    if (AppInifile.read_int(keys::kInfoGet, keys::kCandAuteAdd, 1) == 0) return;
    RunOutcome failure;
    {
        const BusyScope busy(&owner_);
        FlickrXmlHelper_CL client;
        // Both sources join before the shuffle: the run's limit and rules apply to them alike.
        std::vector<ImageItem_CL> photos = candidate_run::fetch_photos(client, failure.flickr);
        if (AppSettings.cand_commons == 1 && !stop_requested) {
            CommonsClient_CL commons;
            candidate_run::fetch_commons_pictures(commons, photos, failure.commons);
        }
        if (stop_requested) return;
        candidate_run::store_candidates(std::move(photos));
        main_window_link::notify(main_window_link::kCandidates);
    }
    MainWindowIcon_CL& owner = owner_;
    // A tray window that is gone starts no schedule.
    (void)owner_.tasks().post([&owner, failure] { owner.on_candidate_run_done(failure); });
}

void MainWindowIcon_CL::on_candidate_run_done(const RunOutcome& outcome)
{
    // The run happens once per start; an idle thread would only hold its memory.
    candidate_worker_.stop();
    show_run_outcome(outcome);
    change_request(change_schedule::Asker::StartUp);
    start_check_timer();
}

void MainWindowIcon_CL::on_change_failed()
{
    // The user's own change leaves the schedule, and a retry waiting in it, alone.
    if (!scheduled_change_) return;
    if (!draws_unreached_ || failed_draws_ == 0) {
        retry_.clear();
        change_failure_.clear();
    } else {
        retry_.missed(change_schedule::interval_hours(AppInifile.read_int(keys::kWallPaperInfo, keys::kUpdateTimming, 0)));
        change_failure_ = L"写真をダウンロードできませんでした。" + std::to_wstring(retry_.wait()) + L"分後にもう一度試します。";
    }
    show_tip();
}

void MainWindowIcon_CL::show_tip()
{
    std::wstring tip = L"Tapestrel";
    for (const std::wstring* failure : {&run_failure_, &change_failure_})
        if (!failure->empty()) tip += L"\n" + *failure;
    tray_icon_.set_tip(tip);
}

void MainWindowIcon_CL::show_run_outcome(const RunOutcome& outcome)
{
    run_failure_.clear();
    for (const ServiceOutcome* source : {&outcome.flickr, &outcome.commons})
        if (source->failed()) run_failure_ += (run_failure_.empty() ? L"" : L"\n") + outcome_text(*source);
    show_tip();
    if (outcome.flickr.blames_key() && !key_balloon_shown_) {
        key_balloon_shown_ = true;
        tray_icon_.show_balloon(L"Flickrの接続を確認してください", outcome_text(outcome.flickr));
    }
}

void MainWindowIcon_CL::on_tray_notify(UINT mouse_message)
{
    if (mouse_message == WM_LBUTTONDOWN || mouse_message == NIN_BALLOONUSERCLICK) open_main_window();
    else if (mouse_message == WM_RBUTTONUP) show_tray_menu();
}

void MainWindowIcon_CL::on_command(UINT id)
{
    switch (id) {
    case kOpenMainWindow:
        open_main_window();
        break;
    case kChangeNow:
        if (busy_count() == 0) change_request(change_schedule::Asker::User);
        break;
    case kSaveAsFavorite:
        if (!wallpaper::save_current_as_favourite()) trace::failure(L"current wallpaper not saved as a favourite");
        break;
    case kToggleAutoChange:
        toggle_auto_change();
        break;
    case kSupportSite:
        open_in_browser(service_config::support_base_url() + L"/");
        break;
    case kExit:
        PostMessageW(window(), WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void MainWindowIcon_CL::show_tray_menu()
{
    const bool auto_change = AppInifile.read_int(keys::kWallPaperInfo, keys::kAutoChange, 1) == 1;
    const std::vector<ItemMenuEntry> rows = {
        {L"メイン画面を開く", kOpenMainWindow, 0},
        {L"次の壁紙に変更する", kChangeNow, 2},
        {L"現在の壁紙をお気に入り壁紙として保存する", kSaveAsFavorite, 5},
        {auto_change ? L"壁紙の自動更新をＯＦＦにする" : L"壁紙の自動更新をＯＮにする", kToggleAutoChange, 0},
        {L"サポートサイトへ", kSupportSite, 6},
        {L"アプリの終了", kExit, 0},
    };
    // "次の壁紙に変更する" waits while a change is under way.
    show_item_menu(window(), rows, busy_count() > 0 ? std::vector<size_t>{1} : std::vector<size_t>{});
}

void MainWindowIcon_CL::open_main_window()
{
    if (HWND main_window = main_window_link::find()) {
        if (IsIconic(main_window)) ShowWindow(main_window, SW_SHOWNOACTIVATE);
        return;
    }
    ShellExecuteW(nullptr, nullptr, module_path().c_str(), L"/window", nullptr, SW_SHOWNORMAL);
}

void MainWindowIcon_CL::toggle_auto_change()
{
    const int value = AppInifile.read_int(keys::kWallPaperInfo, keys::kAutoChange, 1);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kAutoChange, value ^ 1);
}
