#include "winui/DownLoadListBox_CL.h"

#include <algorithm>

#include "store/ServiceConfig.h"
#include "imaging/FitPicture.h"
#include "imaging/PictureDecode.h"

DownLoadListBox_CL::OrgDownloadUri_CL::OrgDownloadUri_CL(DownLoadListBox_CL& list) : list_(list)
{
    set_thread_name(L"DownLoadListBox_CL::OrgDownloadUri_CL");
}

void DownLoadListBox_CL::OrgDownloadUri_CL::on_transfer_over(const DownloadRequest& request)
{
    list_.mark_arriving(request.id);
}

void DownLoadListBox_CL::OrgDownloadUri_CL::on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data)
{
    list_.on_downloaded(std::move(request), std::move(data));
}

DownLoadListBox_CL::DownLoadListBox_CL()
    : back_buffer_(std::make_unique<BackBuffer_CL>()), cache_(kCacheCapacity), worker_(*this)
{
    back_buffer_->ensure_size(500, 500);
}

DownLoadListBox_CL::~DownLoadListBox_CL()
{
    // No picture may arrive at a list being torn down.
    tasks().close();
    worker_.stop_requested = true;
    worker_.cancel_downloads();
    worker_.stop();
}

void DownLoadListBox_CL::resize(int width, int height, bool repaint)
{
    ListBox_CL::resize(width, height, repaint);
    if (back_buffer_) back_buffer_->ensure_size(width, height);
}

void DownLoadListBox_CL::on_dpi_changed(const DpiScale& scale)
{
    ListBox_CL::on_dpi_changed(scale);
    SendMessageW(window(), LB_SETITEMHEIGHT, 0, row_scale()(kRowHeight));
    cache_.clear();
    InvalidateRect(window(), nullptr, FALSE);
}

DpiScale DownLoadListBox_CL::row_scale() const
{
    constexpr UINT kLargest = DpiScale::kBaseDpi * 255 / kRowHeight;
    return DpiScale(std::min(dpi().dpi(), kLargest));
}

SIZE DownLoadListBox_CL::thumbnail_size() const
{
    const DpiScale scale = row_scale();
    return SIZE{scale(kThumbnailWidth), scale(kThumbnailHeight)};
}

std::unique_ptr<DownloadRequest> DownLoadListBox_CL::new_request()
{
    return std::make_unique<DownloadRequest>();
}

std::wstring DownLoadListBox_CL::image_address(int)
{
    return std::wstring(service_config::kBuiltInSupportUrl) + L"/Tapestrel/noimage.jpg";
}

HWND DownLoadListBox_CL::create(HWND parent, int id, int width, int height, DWORD style, int x, int y)
{
    // Subclassed, so that the worker's pictures reach the list by task.
    if (!ListBox_CL::create(parent, id, width, height, style, x, y)) return nullptr;
    subclass();
    return window();
}

size_t DownLoadListBox_CL::cached_count()
{
    return cache_.count();
}

void DownLoadListBox_CL::draw_entry(Gdiplus::Graphics& graphics, const RECT& row_rect, Gdiplus::Image* picture, int,
                                    UINT)
{
    const DpiScale scale = row_scale();
    const SIZE size = thumbnail_size();
    const Gdiplus::RectF box(static_cast<Gdiplus::REAL>(row_rect.left + scale(2)),
                             static_cast<Gdiplus::REAL>(row_rect.top + scale(2)), static_cast<Gdiplus::REAL>(size.cx),
                             static_cast<Gdiplus::REAL>(size.cy));
    Gdiplus::SolidBrush fill(Gdiplus::Color(0xFFF0F0F0));
    graphics.FillRectangle(&fill, box);
    if (picture) draw_fitted(graphics, *picture, box);
}

bool DownLoadListBox_CL::on_parent_message(UINT message, LPARAM lparam)
{
    if (message == WM_MEASUREITEM) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
        if (!measure || measure->CtlType != ODT_LISTBOX || static_cast<int>(measure->CtlID) != id()) return false;
        measure->itemHeight = static_cast<UINT>(row_scale()(kRowHeight));
        return true;
    }
    if (message == WM_DRAWITEM) {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (!draw || draw->CtlType != ODT_LISTBOX || static_cast<int>(draw->CtlID) != id()) return false;
        draw_item(*draw);
        return true;
    }
    return false;
}

void DownLoadListBox_CL::draw_item(const DRAWITEMSTRUCT& item)
{
    if (item.itemID == static_cast<UINT>(-1)) return;
    const int row = static_cast<int>(item.itemID);
    const RECT& rect = item.rcItem;
    Gdiplus::Bitmap* buffer = back_buffer_ ? back_buffer_->bitmap() : nullptr;
    {
        std::unique_ptr<Gdiplus::Graphics> graphics(buffer ? new Gdiplus::Graphics(buffer)
                                                           : new Gdiplus::Graphics(item.hDC));
        Gdiplus::SolidBrush background(Gdiplus::Color((item.itemState & ODS_SELECTED) ? 0xFF6464DC : 0xFFFFFFFF));
        graphics->FillRectangle(&background, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                                static_cast<INT>(rect.right - rect.left), static_cast<INT>(rect.bottom - rect.top));
        if (Gdiplus::Image* picture = picture_for(row)) draw_entry(*graphics, rect, picture, row, item.itemState);
    }
    if (!buffer) return;
    Gdiplus::Graphics screen(item.hDC);
    const Gdiplus::Rect target(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    screen.DrawImage(buffer, target, rect.left, rect.top, target.Width, target.Height, Gdiplus::UnitPixel);
}

Gdiplus::Image* DownLoadListBox_CL::picture_for(int row)
{
    if (Gdiplus::Image* cached = cache_.find(row)) return cached;
    if (resetting_ || failed_.count(row) || arriving(row)) return nullptr;
    const std::wstring uri = image_address(row);
    if (uri.empty()) return nullptr;
    if (!InetHttp_CL::is_local_path(uri)) {
        request_picture(row, uri);
        return nullptr;
    }
    const SIZE size = thumbnail_size();
    std::unique_ptr<Gdiplus::Image> thumbnail = decode_thumbnail(uri, size.cx, size.cy);
    // An undecodable file shows the error picture, so it is not decoded again at every paint.
    if (!thumbnail && !error_image_.empty()) thumbnail = decode_file(error_image_);
    if (!thumbnail) {
        failed_.insert(row);
        return nullptr;
    }
    cache_.store(row, std::move(thumbnail));
    return cache_.find(row);
}

void DownLoadListBox_CL::request_picture(int row, const std::wstring& uri)
{
    worker_.start();
    std::unique_ptr<DownloadRequest> request = new_request();
    request->id = row;
    request->uri = uri;
    request->busy = BusyScope(indicator_);
    worker_.request_download(std::move(request));
}

// The stream made from the block frees it with the picture.
void DownLoadListBox_CL::on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data)
{
    std::unique_ptr<Gdiplus::Image> picture = data ? decode_block(data.release(), true) : nullptr;
    // A list whose window is gone drops the picture with the task; the
    // request's busy period ends when the task is over.
    (void)tasks().post([this, request = std::move(request), picture = std::move(picture)]() mutable {
        take_picture(request->id, std::move(picture));
    });
}

void DownLoadListBox_CL::take_picture(int row, std::unique_ptr<Gdiplus::Image> picture)
{
    // A picture that did not arrive or does not decode shows the error
    // picture, or none: either way the row is not fetched again.
    if (!picture && !error_image_.empty()) picture = decode_file(error_image_);
    if (picture)
        cache_.store(row, std::move(picture));
    else
        failed_.insert(row);
    {
        std::lock_guard<std::mutex> guard(arriving_lock_);
        arriving_.erase(row);
    }
    InvalidateRect(window(), nullptr, FALSE);
}

void DownLoadListBox_CL::mark_arriving(int row)
{
    std::lock_guard<std::mutex> guard(arriving_lock_);
    arriving_.insert(row);
}

bool DownLoadListBox_CL::arriving(int row)
{
    std::lock_guard<std::mutex> guard(arriving_lock_);
    return arriving_.count(row) != 0;
}

void DownLoadListBox_CL::reset()
{
    resetting_ = 1;
    // The worker stops before the cache is emptied, so no old picture arrives afterwards.
    worker_.stop_requested = true;
    worker_.cancel_downloads();
    worker_.stop();
    cache_.clear();
    failed_.clear();
    {
        std::lock_guard<std::mutex> guard(arriving_lock_);
        arriving_.clear();
    }
    clear();
    resetting_ = 0;
}
