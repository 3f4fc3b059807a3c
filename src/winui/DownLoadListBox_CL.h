#pragma once
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "base/BusyScope.h"
#include "base/GdiplusInclude.h"
#include "net/DownloadUri_CL.h"
#include "net/ImageCache_CL.h"
#include "winui/BackBuffer_CL.h"
#include "winui/ListBox_CL.h"

// An owner-drawn list whose rows show a picture: painted from a cache of
// decoded pictures; a missing one is decoded at once when it is a local file,
// otherwise fetched and decoded by the list's own download worker, which hands
// the picture to the list's thread to fill the cache and repaint. A row is
// tried once: one that fails shows the error picture, or none. The cache is
// touched on the list's thread only.
class DownLoadListBox_CL : public ListBox_CL {
public:
    static constexpr int kThumbnailWidth = 144;
    static constexpr int kThumbnailHeight = 108;
    static constexpr int kCacheCapacity = 300;
    static constexpr int kRowHeight = kThumbnailHeight + 4;

    DownLoadListBox_CL();
    // Stops the worker before the cache and the lock it uses go away.
    ~DownLoadListBox_CL() override;
    void resize(int width, int height, bool repaint) override;
    // Rows and pictures at the new size: the pictures are made again.
    void on_dpi_changed(const DpiScale& scale) override;
    // The scale of the rows: the list's DPI, but no more than lets a row be
    // the 255 pixels a list box allows.
    DpiScale row_scale() const;
    // The picture box of a row, in pixels.
    SIZE thumbnail_size() const;
    virtual std::unique_ptr<DownloadRequest> new_request();
    // Where the picture of a row comes from: a web address or a local path.
    virtual std::wstring image_address(int row);
    // Paints a row's content over its background; picture may be null.
    virtual void draw_entry(Gdiplus::Graphics& graphics, const RECT& row_rect, Gdiplus::Image* picture, int row,
                            UINT state);
    HWND create(HWND parent, int id, int width, int height, DWORD style, int x, int y) override;

    // Answers WM_MEASUREITEM and WM_DRAWITEM addressed to this list (the owner
    // passes every message of the parent here); false for everything else.
    bool on_parent_message(UINT message, LPARAM lparam);
    // Stops all picture work and empties the list.
    void reset();

    // Not owned, and outlives the list; each pending download is a busy
    // period on it.
    void set_busy_indicator(BusySignal* indicator) { indicator_ = indicator; }
    // Drawn for rows whose picture could not be fetched.
    void set_error_image(const std::wstring& path) { error_image_ = path; }
    // Pictures held in the cache now.
    size_t cached_count();

private:
    class OrgDownloadUri_CL : public DownloadUri_CL {
    public:
        explicit OrgDownloadUri_CL(DownLoadListBox_CL& list);
        void on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data) override;
        void on_transfer_over(const DownloadRequest& request) override;

    private:
        DownLoadListBox_CL& list_;
    };

    void draw_item(const DRAWITEMSTRUCT& item);
    // The cached picture of a row, decoding a local file or queueing a download on a miss.
    Gdiplus::Image* picture_for(int row);
    void request_picture(int row, const std::wstring& uri);
    // Worker thread: decodes what arrived and hands it over with the request.
    void on_downloaded(std::unique_ptr<DownloadRequest> request, GlobalBlock data);
    // The list's thread: a null picture shows the error picture.
    void take_picture(int row, std::unique_ptr<Gdiplus::Image> picture);
    // Whether a row's picture is on its way to the list's thread.
    bool arriving(int row);
    // Worker thread: the row's transfer is over, its picture on its way.
    void mark_arriving(int row);

    std::unique_ptr<BackBuffer_CL> back_buffer_;
    ImageCache_CL cache_;
    int resetting_ = 0;
    BusySignal* indicator_ = nullptr;
    // Rows whose download is over but whose picture is not in the cache yet:
    // a paint meanwhile must not fetch them again.
    std::mutex arriving_lock_;
    std::set<int> arriving_;
    // Rows whose picture could not be had, not even the error picture: they
    // stay without one until the reset, or every paint would fetch them again.
    std::set<int> failed_;
    std::wstring error_image_;
    OrgDownloadUri_CL worker_;  // last: it uses everything above until it stops
};
