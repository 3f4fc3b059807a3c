#pragma once
#include <mutex>

#include "winui/ItemMenu.h"
#include "mainwindow/tabs/TabView_CL.h"

class FlickrXmlHelper_CL;

// A tab whose only control is its thumbnail list: the list-only create,
// visibility and layout, the standard handling of the main window's messages,
// and reset-and-stop on closing. Tabs with more controls add theirs.
class ListTabView_CL : public TabView_CL {
public:
    void create(TabHost* owner, HWND parent, int list_id) override;
    void apply_visibility() override;
    // A double click opens the photo, or the owner's page over the owner
    // link; a right click shows the tab's item menu; the list answers its
    // owner-draw messages.
    void on_parent_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
    void cancel() override;
    void layout(int x, int y, int width, int height) override;
    // A tab that fetches nothing shows an empty list.
    void activate() override {}
    void load() override {}

protected:
    ListTabView_CL(int tab_index, int image_index, const std::wstring& caption,
                   ListMenuChoice menu = {&kAddToCandidatesEntry, false});

    // Loader thread: the client of the load under way, so that the
    // user-interface thread can abort its transfer; null when it ends.
    void set_active_client(FlickrXmlHelper_CL* client);
    // Stops the loader, aborting a transfer under way.
    void abort_load();

private:
    // Right click in the list: the tab's item menu for the selected rows.
    void show_item_menu();

    ListMenuChoice menu_;
    std::mutex client_lock_;
    FlickrXmlHelper_CL* active_client_ = nullptr;
};
