#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Browser.h"
#include "base/BusyScope.h"
#include "base/JobWorker_CL.h"
#include "store/IniWinSize_CL.h"
#include "winui/ImageList_CL.h"
#include "winui/MainWindowBase_CL.h"
#include "mainwindow/SpliterWindowHelper_CL.h"
#include "mainwindow/tabs/TabHost.h"

class CommunicateWait_CL;
class ImageItem_CL;
class MyPictureImage_CL;
class StatusBar_CL;
class Tab_CL;
class TabView_CL;
class WallPaperItemBase_CL;

// The visible window of the window process: a tab strip of eight tab views,
// the preview picture left of a draggable splitter, the current tab's list on
// the right, the communicating indicator under the list, and a status bar
// with the outcome of the current tab's last load. Keeps its placement and
// splitter position in the settings file.
class MainWindow_CL : public MainWindowBase_CL, public TabHost {
public:
    static constexpr int kTabCount = 8;
    static constexpr int kPreviewId = 0x1125;
    static constexpr int kFirstListId = 0x3301;
    static constexpr UINT_PTR kCloseTimer = 0x87654321;
    // One-shot, after the tray installed a wallpaper: the whole window, frame
    // included, is painted again once the desktop has painted the wallpaper.
    static constexpr UINT_PTR kRepaintTimer = 0x87654322;
    static constexpr UINT kRepaintDelayMs = 500;
    static constexpr int kDefaultSplit = 320;
    static constexpr int kSplitterBar = 8;

    // Commands (WM_COMMAND, wParam = id), besides those of TabHost.
    static constexpr WPARAM kAddToCandidates = 0x1010;
    static constexpr WPARAM kRemoveCandidates = 0x1011;
    static constexpr WPARAM kRemoveHistory = 0x1012;
    static constexpr WPARAM kAddDisplayedToCandidates = 0x1013;
    static constexpr WPARAM kSaveFavourite = 0x1020;
    static constexpr WPARAM kRemoveFavourites = 0x1021;
    static constexpr WPARAM kSearchOwner = 0x1030;
    static constexpr WPARAM kSetWallpaper = 0x1160;
    static constexpr WPARAM kSettings = 0x1100;
    static constexpr WPARAM kSupportSite = 0x1150;
    static constexpr WPARAM kUpdateCaption = 0x1110;  // lParam: tab index
    // Posted after the preview's menu has gone.
    static constexpr UINT kPreviewMenuClosed = WM_APP + 0x103;

    MainWindow_CL();
    // Where the owner-page command opens its page: the browser, unless replaced.
    using OpenPage = std::function<void(const std::wstring& address)>;
    void set_open_page(OpenPage open_page) { open_page_ = std::move(open_page); }
    LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
    ~MainWindow_CL() override;
    void on_destroy() override;
    void on_create(const CREATESTRUCTW* parameters) override;
    void on_size() override;
    // Fonts, pictures and the layout for the new DPI; the splitter keeps its proportion.
    void on_dpi_changed(const DpiScale& scale) override;
    // Loads the stored lists, then creates the window.
    HWND create() override;

    // Re-lays the window out and shows the current tab (also after a tab is
    // selected by a command).
    void switch_tab();
    // The preview's item menu; the current-wallpaper tab shows it for its own picture.
    void show_displayed_item_menu() override;
    // The clipboard record, or the current wallpaper on the current-wallpaper tab.
    const ImageItem_CL& displayed_item() const;

    int current_tab() const;
    HWND host_window() const override { return window(); }
    Tab_CL* tab() const override { return tab_.get(); }
    MyPictureImage_CL* preview() const override { return preview_.get(); }
    CommunicateWait_CL* indicator() const override { return indicator_.get(); }
    [[nodiscard]] bool post_task(WindowTask task) override { return tasks().post(std::move(task)); }
    void show_tab_outcome(int tab_index) override;
    StatusBar_CL* status_bar() const { return status_bar_.get(); }
    TabView_CL* tab_view(int index) const;
    const SplitterNode& splitter() const { return root_; }

private:
    void create_tab_views();
    void create_tab_strip();
    void load_tab_images();
    RECT display_area() const;
    void place_preview(const RECT& display);
    void on_command(WPARAM command, LPARAM lparam);
    void on_list_changed(WPARAM what);
    void on_splitter_moved();
    // Frame, client area and children, at once.
    void repaint_all();
    void on_closing();
    // The current tab's outcome in the status bar.
    void show_status();
    // Item commands (MainWindow_CL_commands.cpp).
    bool item_command(WPARAM command);
    void get_photo();
    void add_to_candidates(const ImageItem_CL* record);
    void remove_selected(WallPaperItemBase_CL& stored, int list_tab, bool delete_file);
    void save_as_favourite();
    void search_owner();
    void open_owner_page();
    // The record a photographer command is about: the displayed item when the
    // preview's menu asked, else the list's selected record.
    const ImageItem_CL* owner_command_record() const;
    // Starts installing the displayed picture on the install worker; refused
    // while one is under way. The indicator shows until its outcome.
    void set_as_wallpaper();
    void on_wallpaper_set(bool installed, std::vector<ImageItem_CL> history);
    // The picture that shows the displayed item.
    MyPictureImage_CL* displayed_picture() const;
    // Shows a list's change on its tab when that is current, and in its caption.
    void show_list_change(int list_tab);
    void release_children();
    static void start_tray_process();

    std::unique_ptr<Tab_CL> tab_;
    std::unique_ptr<MyPictureImage_CL> preview_;
    std::unique_ptr<CommunicateWait_CL> indicator_;
    std::unique_ptr<StatusBar_CL> status_bar_;
    ImageList_CL tab_images_;
    IniWinSize_CL placement_;
    std::vector<std::unique_ptr<TabView_CL>> tab_views_;
    bool closing_ = false;
    // While the preview's menu and its command run: the command arrives
    // without its origin.
    bool menu_on_preview_ = false;
    OpenPage open_page_ = open_in_browser;
    SplitterNode root_;
    SpliterWindowHelper_CL splitter_;
    BusyScope installing_;  // lasts while "set as wallpaper" installs
    JobWorker_CL install_worker_{tasks()};
};
