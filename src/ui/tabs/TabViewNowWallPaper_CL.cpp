#include "ui/tabs/TabViewNowWallPaper_CL.h"

#include "store/AppSettings_CL.h"
#include "ui/MainWindow_CL.h"
#include "ui/MyPictureImage_CL.h"

TabViewNowWallPaper_CL::TabViewNowWallPaper_CL() : TabView_CL(0, 14, L"現在の壁紙") {}

TabViewNowWallPaper_CL::~TabViewNowWallPaper_CL()
{
    cancel();
}

void TabViewNowWallPaper_CL::create(MainWindow_CL* owner, HWND parent, int)
{
    owner_ = owner;
    picture_ = std::make_unique<MyPictureImage_CL>();
    picture_->create(parent, kPictureId, 400, 400, 0, 0);
    tooltip_.create(parent);
}

void TabViewNowWallPaper_CL::apply_visibility()
{
    if (owner_ && owner_->preview()) ShowWindow(owner_->preview()->window(), SW_HIDE);
    if (picture_) ShowWindow(picture_->window(), visible() == 1 ? SW_SHOW : SW_HIDE);
}

void TabViewNowWallPaper_CL::on_parent_message(HWND, UINT message, WPARAM wparam, LPARAM)
{
    if (message == MyPictureImage_CL::kChildRightClick && LOWORD(wparam) == kPictureId && owner_)
        owner_->show_displayed_item_menu();
}

void TabViewNowWallPaper_CL::cancel()
{
    // Taken out first, since stopping its worker serves messages that may cancel again.
    std::unique_ptr<MyPictureImage_CL> picture = std::move(picture_);
    if (!picture) return;
    picture->stop_downloads();
    if (picture->window()) DestroyWindow(picture->window());
}

void TabViewNowWallPaper_CL::layout_area(const std::vector<RECT>& rectangles)
{
    if (!picture_ || rectangles.empty()) return;
    const RECT& page = rectangles.front();
    SetWindowPos(picture_->window(), nullptr, page.left, page.top, page.right - page.left, page.bottom - page.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

const ImageItem_CL* TabViewNowWallPaper_CL::selected_item()
{
    return &AppSettings.now_item;
}

void TabViewNowWallPaper_CL::update_caption()
{
    set_tab_text(caption());
}
