#pragma once
#include <memory>

#include "winui/ToolTips_CL.h"
#include "mainwindow/tabs/TabView_CL.h"

class MyPictureImage_CL;

// The wallpaper set now: a large picture over the whole tab page with its
// details as a tool tip. It has no list; its loader has nothing to do.
class TabViewNowWallPaper_CL : public TabView_CL {
public:
    static constexpr int kPictureId = 0x3325;

    TabViewNowWallPaper_CL();
    ~TabViewNowWallPaper_CL() override;
    // The list id is not used: the picture has its own.
    void create(TabHost* owner, HWND parent, int list_id) override;
    // Hides the main window's preview, shows or hides the picture.
    void apply_visibility() override;
    void load() override {}
    // Shows the current-wallpaper record and its picture.
    void activate() override;
    // A right click on the picture shows the displayed item's menu.
    void on_parent_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
    // Stops the picture's downloads and destroys it.
    void cancel() override;
    void layout(int, int, int, int) override {}
    void on_dpi_changed(const DpiScale& scale) override;
    // The picture covers the whole tab page.
    void layout_area(const std::vector<RECT>& rectangles) override;
    const ImageItem_CL* selected_item() override;
    int selected_index() override { return -1; }
    // The caption alone, without a count.
    void update_caption() override;

    MyPictureImage_CL* picture() const override { return picture_.get(); }
    HWND tooltip_window() const { return tooltip_.window(); }
    // The details block of a record.
    static std::wstring tooltip_text(const ImageItem_CL& record);

private:
    void show_current();

    std::unique_ptr<MyPictureImage_CL> picture_;
    ToolTips_CL tooltip_;
};
