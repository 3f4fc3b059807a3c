#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "net/DownloadUri_CL.h"
#include "base/ThreadBase_CL.h"
#include "tray/TaskTrayIcon_CL.h"
#include "photoservice/ServiceOutcome.h"
#include "store/ImageItem_CL.h"
#include "winui/MainWindowBase_CL.h"

// The hidden window of the tray process ("Tapestrel_ICON"): the notification
// icon and its menu, the change schedule, drawing and installing wallpapers,
// and the candidate worker.
class MainWindowIcon_CL : public MainWindowBase_CL {
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

    // Every automatic and manual change goes through here; a forced change
    // ignores the schedule and the automatic-change switch.
    void change_request(bool forced);
    // Draws the next picture (one per monitor when asked to) and queues the
    // downloads; the busy icon shows until they are over. Window thread only:
    // it starts the download worker, which ends again when idle.
    void draw_next_wallpaper();
    int busy_count() const { return busy_.load(); }
    // The icon's tooltip as last given to the shell.
    std::wstring tray_tip() { return tray_icon_.tip(); }
    // Whether this process has shown its balloon about the key.
    bool key_balloon_shown() const { return key_balloon_shown_; }

private:
    // Downloads the drawn picture and installs it.
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

    // Posted by the candidate worker when its run is over: the first change
    // follows and the schedule starts.
    static constexpr UINT kCandidateRunDone = WM_APP + 1;
    // Posted by the download worker once a picture was handled; wparam is
    // non-zero when a failed one is to be drawn again.
    static constexpr UINT kPictureDone = WM_APP + 2;

    void raise_busy();
    void lower_busy();
    void start_candidate_run();
    void start_check_timer();
    void on_timer(UINT_PTR id);
    void on_tray_notify(UINT mouse_message);
    void on_command(UINT id);
    void show_tray_menu();
    void open_main_window();
    void toggle_auto_change();
    enum class Outcome { Waiting, Done, Retry };
    // Installs a downloaded picture, or keeps it until the other monitors'
    // pictures are there; Retry when a failed draw is to be drawn again.
    Outcome on_picture(size_t index, GlobalBlock block);
    Outcome on_monitor_picture(const std::vector<ImageItem_CL>& items, size_t index, const void* bytes, size_t size);
    Outcome finish_change(bool installed, const std::vector<ImageItem_CL>& items);
    void on_picture_done(bool retry);
    // The pictures a change draws: one, or one per monitor when that is on.
    size_t pictures_per_change() const;
    void on_display_change();
    // Window thread: the tooltip tells of the run's failure, and a refused key
    // gets one balloon per process.
    void show_run_outcome();
    void set_pending(const std::vector<ImageItem_CL>& items);
    std::vector<ImageItem_CL> pending() const;

    TaskTrayIcon_CL tray_icon_;
    std::atomic<int> busy_{0};
    mutable std::mutex pending_lock_;  // drawn on any thread, installed on the download worker
    std::vector<ImageItem_CL> pending_;
    // Download worker only, reset by the draw before the requests are queued.
    size_t arrived_ = 0;
    bool pictures_ok_ = true;
    bool layout_changed_ = false;  // window thread: the monitors changed during a change
    int ready_ = 0;
    std::atomic<int> failed_draws_{0};
    std::atomic<bool> downloading_{false};  // one picture at a time
    bool stopping_downloader_ = false;       // window thread: the idle worker is being ended
    MyDownLoadUri_CL downloader_;
    UpdateCand_CL candidate_worker_;
    std::mutex outcome_lock_;  // written by the candidate worker, read on the window thread
    ServiceOutcome run_outcome_;
    bool key_balloon_shown_ = false;
};
