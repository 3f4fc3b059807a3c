#pragma once
#include "winui/Button_CL.h"
#include "mainwindow/tabs/SearchTabView_CL.h"

// The JPEG files of a folder on the user's disk, subfolders included. The
// folder is typed into a box that remembers the folders listed before, or
// chosen with the "参照" button.
class TabViewLocalFolder_CL : public SearchTabView_CL {
public:
    // Not the user tab's box id: a search in one box must not reach the other.
    static constexpr int kBoxId = 0x1126;
    static constexpr int kBrowseId = 0x2323;

    TabViewLocalFolder_CL();
    void create(TabHost* owner, HWND parent, int list_id) override;
    void apply_visibility() override;
    // Box and button above the list.
    void layout(int x, int y, int width, int height) override;
    void on_dpi_changed(const DpiScale& scale) override;
    // The "参照" button, then the search box and the list.
    void on_parent_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
    // With an empty box the folder listed last is taken.
    void activate() override;
    // Loader thread: scans the folder and lists its JPEG files.
    void load() override;

    HWND browse_button() const { return browse_button_.window(); }

protected:
    int box_width(int width) const override { return width - browse_button_.dpi()(34); }

private:
    // The folder chooser; a chosen folder goes into the box and is listed at once.
    void browse();

    Button_CL browse_button_;
};
