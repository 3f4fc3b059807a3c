#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "base/BusyScope.h"
#include "base/ThreadBase_CL.h"
#include "base/WindowTasks_CL.h"
#include "photoservice/ServiceOutcome.h"
#include "winui/DpiScale.h"

class ImageItem_CL;
class MyFlickerListBox_CL;
class MyPictureImage_CL;
class TabHost;

// One tab of the main window: its controls (as a rule one thumbnail list) and
// one loader thread that does the tab's slow work. The main window creates the
// eight tabs in strip order, passes them all its messages, tells them when
// they become current or hidden, lays them out and asks them for the selected
// record; it never looks inside a tab.
class TabView_CL : public ThreadBase_CL {
public:
    // Runs the tab's load, one per wake-up, on the loader thread.
    int on_thread_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    // Stops the loader before the list it fills goes away.
    ~TabView_CL() override;

    virtual void create(TabHost* owner, HWND parent, int list_id) = 0;
    virtual void set_visible(int flag) { visible_ = flag; }
    virtual void apply_visibility() = 0;
    // Loader thread.
    virtual void load() = 0;
    // The tab became the current one: decides whether to (re)load.
    virtual void activate() = 0;
    // Every message of the main window (hwnd is the main window).
    virtual void on_parent_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) = 0;
    // The window is closing: empties the list and aborts the tab's work.
    virtual void cancel() = 0;
    // Places the controls in the list pane.
    virtual void layout(int x, int y, int width, int height) = 0;
    // The first rectangle is the tab page's whole display area.
    virtual void layout_area(const std::vector<RECT>&) {}
    // The main window moved to a display of another DPI: fonts and rows
    // follow it (the next layout places the controls).
    virtual void on_dpi_changed(const DpiScale& scale);
    // The record at the list's caret; null when there is none.
    virtual const ImageItem_CL* selected_item();
    // The caret index when anything is selected, else -1.
    virtual int selected_index();
    // "caption(count)" as the tab's text in the strip.
    virtual void update_caption();
    // What only some tabs offer; the others have nothing to show or search.
    // The picture the tab shows itself (the current-wallpaper tab).
    virtual MyPictureImage_CL* picture() const { return nullptr; }
    // Switches the tab to the photos of the named user (the user tab).
    virtual void search_for_user(const std::wstring&) {}
    // What the status bar says of the tab's last load; empty when it went well.
    std::wstring status_text() const;

    int tab_index() const { return tab_index_; }
    int image_index() const { return image_index_; }
    const std::wstring& caption() const { return caption_; }
    int visible() const { return visible_; }
    MyFlickerListBox_CL* list() const { return list_.get(); }

protected:
    TabView_CL(int tab_index, int image_index, const std::wstring& caption);

    // The count shown in the caption: the list's entry count unless a tab says otherwise.
    virtual int caption_count() const;
    void set_tab_text(const std::wstring& text) const;
    // The thumbnail list as a child of parent, with the error picture.
    void create_list(HWND parent, int list_id);
    // LB_SETCOUNT 0 and the list's reset: no thumbnail work, no records.
    void empty_list();
    // Points the list at the indicator and empties it.
    void renew_list();
    // Renews the list, then wakes the loader.
    void start_reload();
    // Wakes the loader with the list as it is: a load that fails keeps it.
    void start_reload_keeping_list();
    // Loader thread: how the load ended, unless it was stopped.
    void set_outcome(const ServiceOutcome& outcome);
    bool last_load_failed() const;
    // Loader thread: the window thread refreshes the caption and repaints the
    // list, after the records the load handed over.
    void finish_load();
    // Any thread: asks the window thread to refresh the caption.
    void request_caption_update();
    // The main window's communicating indicator, for a loader's busy period.
    BusySignal* busy_indicator() const;
    HWND owner_window() const;

    TabHost* owner_ = nullptr;
    std::unique_ptr<MyFlickerListBox_CL> list_;
    std::wstring requested_text_;

private:
    int tab_index_;
    int image_index_;
    std::wstring caption_;
    // Any thread: runs on the main window's thread, or not at all once it is gone.
    void post_to_window(WindowTask task) const;

    int visible_ = 0;
    mutable std::mutex outcome_lock_;
    ServiceOutcome outcome_;
};
