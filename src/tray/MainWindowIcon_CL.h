#pragma once
#include <memory>
#include <vector>

#include "base/BusyScope.h"
#include "base/JobWorker_CL.h"
#include "net/DownloadUri_CL.h"
#include "base/ThreadBase_CL.h"
#include "tray/TaskTrayIcon_CL.h"
#include "photoservice/ServiceOutcome.h"
#include "wallpaper/ChangeSchedule.h"
#include "wallpaper/WallpaperChange.h"
#include "winui/MainWindowBase_CL.h"

// The hidden window of the tray process ("Tapestrel_ICON"): the notification
// icon and its menu, the change schedule, and starting the draws, installs and
// new layouts of wallpapers and the candidate run. The slow work runs on
// workers, which only draw, fetch, install and store: what touches this
// window, its icon or its fields reaches the window's thread as a task.
class MainWindowIcon_CL : public MainWindowBase_CL, public BusySignal {
public:
    // Tray menu commands.
    static constexpr UINT kOpenMainWindow = 0x1110;
    static constexpr UINT kChangeNow = 0x1130;
    static constexpr UINT kSaveAsFavorite = 0x1120;
    static constexpr UINT kToggleAutoChange = 0x1160;
    static constexpr UINT kSupportSite = 0x1150;
    static constexpr UINT kExit = 0x1140;
    // Failed draws in a row after which the tray waits for the next tick or command.
    static constexpr int kMaxFailedDraws = 3;

    MainWindowIcon_CL();
    ~MainWindowIcon_CL() override;

    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
    void on_destroy() override;
    int on_close() override;
    void on_create(const CREATESTRUCTW* parameters) override;

    // Every automatic and manual change goes through here. The user's change
    // and the one that ends the start-up run ignore the automatic-change
    // switch; all but the check timer's skip the schedule; all but the user's
    // wait while a program runs full screen (when the setting says so). A
    // change asked for while one is under way is that one.
    void change_request(change_schedule::Asker asker);
    // A check: the waiting start-up change, a due retry, or the schedule.
    // resumed: the system has just woken from sleep.
    void check(bool resumed);
    // Starts the draw of the next picture (one per monitor when asked to) on
    // the job worker; the busy icon shows until the change is over. Refused
    // while a change or a new layout is under way. Window thread only.
    void draw_next_wallpaper();
    // The busy icon shows while any period lasts. Any thread: from a worker
    // the change is carried to the window's thread.
    void begin_busy() override;
    void end_busy() override;
    int busy_count() const { return busy_; }
    // The icon's tooltip as last given to the shell.
    std::wstring tray_tip() { return tray_icon_.tip(); }
    // Whether this process has shown its balloon about the key.
    bool key_balloon_shown() const { return key_balloon_shown_; }

private:
    // Downloads the drawn pictures and installs them.
    class MyDownLoadUri_CL : public DownloadUri_CL {
    public:
        explicit MyDownLoadUri_CL(MainWindowIcon_CL& owner) : owner_(owner) {}
        ~MyDownLoadUri_CL() override { stop(); }
        void on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data) override;

    private:
        MainWindowIcon_CL& owner_;
    };

    // Adds new candidates from the service once after start-up.
    class UpdateCand_CL : public ThreadBase_CL {
    public:
        explicit UpdateCand_CL(MainWindowIcon_CL& owner) : owner_(owner) {}
        ~UpdateCand_CL() override { stop(); }
        int on_thread_message(UINT message, WPARAM wparam, LPARAM lparam) override;

    private:
        void candidate_run();
        MainWindowIcon_CL& owner_;
    };

    void start_candidate_run();
    void start_check_timer();
    void on_timer(UINT_PTR id);
    void on_tray_notify(UINT mouse_message);
    void on_command(UINT id);
    void show_tray_menu();
    void open_main_window();
    void toggle_auto_change();
    // Window thread, once the draw is over: its pictures go to the download
    // worker, which ends again when idle. Null when nothing could be drawn.
    void on_drawn(const std::shared_ptr<WallpaperChange>& change);
    // Window thread, once the download worker has handled the change's pictures.
    void on_picture_done(WallpaperChange::Arrival arrival);
    // The change is over without a wallpaper: a scheduled one is retried soon
    // when no download arrived, otherwise it waits for the schedule.
    void on_change_failed();
    // The pictures a change draws: one, or one per monitor when that is on.
    size_t pictures_per_change() const;
    // Starts laying the current pictures out again for the monitors there are now.
    void on_display_change();
    void on_laid_out(bool laid_out);
    // A draw that found nothing or a new layout has ended: a layout change met meanwhile follows.
    void end_change();
    // Window thread, once the candidate run is over: the first change follows
    // and the schedule starts.
    // Each source's failure, answered when it gave what it had.
    struct RunOutcome {
        ServiceOutcome flickr;
        ServiceOutcome commons;
    };
    void on_candidate_run_done(const RunOutcome& outcome);
    // The tooltip tells of the run's failure, and a refused key gets one
    // balloon per process.
    void show_run_outcome(const RunOutcome& outcome);
    // "Tapestrel" and the failures there are (the run's, the last change's).
    void show_tip();

    // Everything below is touched on the window's thread only.
    TaskTrayIcon_CL tray_icon_;
    int busy_ = 0;
    bool layout_changed_ = false;  // the monitors changed during a change
    int ready_ = 0;
    int failed_draws_ = 0;
    bool draws_unreached_ = false;      // every failed draw of this change lacked a download
    bool scheduled_change_ = false;     // the change under way is not the user's
    bool startup_change_waiting_ = false;  // held back by a full-screen program
    change_schedule::DownloadRetry retry_;
    std::wstring run_failure_;
    std::wstring change_failure_;
    BusyScope change_;                  // lasts while a change is drawn, fetched and installed, or laid out again
    bool stopping_downloader_ = false;  // the idle worker is being ended
    JobWorker_CL job_worker_;           // the draws and the new layouts; ended between them
    MyDownLoadUri_CL downloader_;
    UpdateCand_CL candidate_worker_;
    bool key_balloon_shown_ = false;
};
