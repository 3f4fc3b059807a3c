#include "mainwindow/tabs/TabViewNowWallPaper_CL.h"

#include "photoservice/ItemUrls.h"
#include "photoservice/LicenceNames.h"
#include "store/AppSettings_CL.h"
#include "mainwindow/tabs/TabHost.h"
#include "mainwindow/MyPictureImage_CL.h"

TabViewNowWallPaper_CL::TabViewNowWallPaper_CL() : TabView_CL(0, 14, L"現在の壁紙") {}

TabViewNowWallPaper_CL::~TabViewNowWallPaper_CL()
{
    cancel();
}

void TabViewNowWallPaper_CL::create(TabHost* owner, HWND parent, int)
{
    owner_ = owner;
    picture_ = std::make_unique<MyPictureImage_CL>();
    picture_->create(parent, kPictureId, 400, 400, 0, 0);
    tooltip_.create(parent);
}

void TabViewNowWallPaper_CL::on_dpi_changed(const DpiScale& scale)
{
    if (picture_) picture_->on_dpi_changed(scale);
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

void TabViewNowWallPaper_CL::activate()
{
    show_current();
}

// Under the file mutex from the read until picture and tip are set, so the
// tray process cannot replace the list or the picture in between.
void TabViewNowWallPaper_CL::show_current()
{
    if (!picture_) return;
    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    WallPaperItemBase_CL now;
    now.set_path(AppSettings.now_items_path());
    (void)now.load();  // no record: nothing is shown, as checked below
    ImageItem_CL::Size best;
    // A record without any picture has nothing to show; what is shown stays.
    if (now.items.empty() || !now.items[0].best_size(best)) return;
    ImageItem_CL& record = AppSettings.now_item;
    record = now.items[0];
    // From here the record names the local copy, with the size that was downloaded.
    record.localWidth = best.width;
    record.localHeight = best.height;
    record.localPath = AppSettings.now_picture_path();
    picture_->load(url_for_size(record, kLargestSize));
    tooltip_.remove_tools();
    RECT client{};
    GetClientRect(picture_->window(), &client);
    tooltip_.add_tool(picture_->window(), client, tooltip_text(record));
}

std::wstring TabViewNowWallPaper_CL::tooltip_text(const ImageItem_CL& record)
{
    const bool local = record.ownerName.empty();
    return L"★[Title]\r\n　" + record.title + L"\r\n\r\n★[Owner]\r\n　" +
           (local ? std::wstring(L"<localfolder>") : record.ownerName) + L"\r\n\r\n★[Taken]\r\n　" + record.dateTaken +
           L"\r\n\r\n★[License]\r\n　" + (local ? L"Unknown" : licence_name(record.license)) + L"\r\n";
}
