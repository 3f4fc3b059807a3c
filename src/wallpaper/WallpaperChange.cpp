#include "wallpaper/WallpaperChange.h"

#include <algorithm>

#include "photoservice/CommonsClient_CL.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/ScreenFit.h"
#include "store/AppSettings_CL.h"
#include "store/WallPaperItemBase_CL.h"

#include "wallpaper/ItemCommands.h"
#include "wallpaper/MainWindowLink.h"
#include "wallpaper/MonitorWallpaper.h"
#include "wallpaper/Wallpaper.h"

namespace {

struct WallpaperRequest : DownloadRequest {
    std::shared_ptr<WallpaperChange> change;
    size_t index = 0;

    void prepare(const InetHttp_CL::Announce& announce) override
    {
        change->ask_sizes(index, announce);
        // A photo that has gone is not fetched at all.
        uri = change->gone[index] ? std::wstring() : change->downloads[index].url;
    }
};

bool gone_status(DWORD status)
{
    return status == HTTP_STATUS_NOT_FOUND || status == HTTP_STATUS_GONE;
}

}  // namespace

void WallpaperChange::request_pictures(const std::shared_ptr<WallpaperChange>& change, DownloadUri_CL& downloader)
{
    const std::vector<RECT> monitors = monitor_wallpaper::current_monitors();
    change->screens.clear();
    change->downloads.clear();
    change->gone.assign(change->items.size(), 0);
    // Everything is settled before the first request: the worker reads it meanwhile.
    for (size_t i = 0; i < change->items.size(); ++i) {
        // One picture is for the primary monitor; one per monitor, for its own.
        const RECT screen = monitors.empty() ? RECT{} : monitors[std::min(i, monitors.size() - 1)];
        change->screens.push_back({screen.right - screen.left, screen.bottom - screen.top});
        change->downloads.push_back(download_size(change->items[i], change->screens.back()));
    }
    for (size_t i = 0; i < change->items.size(); ++i) {
        auto request = std::make_unique<WallpaperRequest>();
        request->id = static_cast<int>(i) + 1;
        request->uri = change->downloads[i].url;
        request->change = change;
        request->index = i;
        downloader.request_download(std::move(request));
    }
}

void WallpaperChange::ask_sizes(size_t index, const InetHttp_CL::Announce& announce)
{
    const ImageItem_CL& item = items[index];
    const std::string photo_id = FlickrXmlHelper_CL::photo_id_of(item);
    if (photo_id.empty() || !item.localPath.empty() || CommonsClient_CL::is_commons_item(item)) return;
    FlickrXmlHelper_CL service;
    std::vector<ImageItem_CL::Size> offered;
    announce(&service.http());
    const HRESULT asked = service.get_sizes(photo_id, offered);
    announce(nullptr);
    if (asked != S_OK) {
        gone[index] = service.outcome().photo_gone() ? 1 : 0;
        return;
    }
    const size_t fit = screen_fit(offered, screens[index]);
    if (fit != kNoFit) downloads[index] = offered[fit];
}

ImageItem_CL::Size WallpaperChange::download_size(const ImageItem_CL& item, SIZE screen)
{
    ImageItem_CL::Size best;
    (void)item.best_size(best);  // the draw takes only items that have an address
    if (!CommonsClient_CL::is_commons_item(item)) return best;
    const std::vector<ImageItem_CL::Size> offered = CommonsClient_CL::screen_sizes(item);
    const size_t fit = screen_fit(offered, screen);
    return fit == kNoFit ? best : offered[fit];
}

ImageItem_CL WallpaperChange::as_downloaded(size_t index) const
{
    ImageItem_CL measured = items[index];
    if (index < downloads.size() && measured.localPath.empty())
        measured.sizes[ImageItem_CL::kSizeCount - 1] = downloads[index];
    return measured;
}

WallpaperChange::Arrival WallpaperChange::receive(DownloadRequest& request, GlobalBlock block)
{
    // Only request_pictures() queues on a change's worker, always this kind of request.
    auto& wanted = static_cast<WallpaperRequest&>(request);
    return wanted.change->receive(wanted.index, std::move(block), wanted.status);
}

bool WallpaperChange::install_given(const ImageItem_CL& item, const std::vector<unsigned char>& bytes)
{
    WallpaperChange change;
    change.items = {item};
    return !bytes.empty() && change.install_one(bytes.data(), bytes.size(), false);
}

// Files, the registry and the desktop wallpaper only, no window: the install
// takes long enough (large photos, the composition for several monitors, the
// broadcast of the new wallpaper) that a window's thread would freeze on it.
WallpaperChange::Arrival WallpaperChange::receive(size_t index, GlobalBlock block, DWORD status)
{
    if (index < items.size() && ((index < gone.size() && gone[index]) || gone_status(status))) {
        forget_gone(index);
        // Whatever stands in for a photo that has gone is not the photo.
        block.reset();
    } else if (!block && index < items.size() && items[index].localPath.empty()) {
        // A local file that cannot be read is no matter of the network.
        unreached = true;
    }
    const GlobalBlock::Lock bytes(block);
    const size_t size = bytes.data() ? GlobalSize(block.get()) : 0;
    bool installed = false;
    if (items.size() > 1) {
        if (!receive_monitor_picture(index, bytes.data(), size)) return Arrival::Waiting;
        // One failed picture fails the change: a monitor never shows a picture of the one before.
        if (!pictures_ok) wallpaper::discard_staged(items.size());
        else installed = install_staged();
    } else {
        // Local files are taken as they are; a photo must have the size the service promised.
        installed = bytes.data() && !items.empty() && install_one(bytes.data(), size, items[0].localPath.empty());
    }
    if (!installed) return unreached ? Arrival::Unreached : Arrival::Failed;
    return Arrival::Installed;
}

// Keeps one monitor's picture until the last one is there; true once all have arrived.
bool WallpaperChange::receive_monitor_picture(size_t index, const void* bytes, size_t size)
{
    if (!bytes || index >= items.size() ||
        wallpaper::stage_picture(as_downloaded(index), bytes, size, items[index].localPath.empty(), index) !=
            wallpaper::Install::Done)
        pictures_ok = false;
    return ++arrived >= items.size();
}

void WallpaperChange::forget_gone(size_t index) const
{
    // Only the candidates hold photos without a local file; favourites keep theirs.
    if (items[index].key.empty() || !items[index].localPath.empty()) return;
    WallPaperItemBase_CL candidates;
    candidates.set_path(AppSettings.candidates_path());
    if (item_commands::remove_keys(candidates, {items[index].key})) main_window_link::notify(main_window_link::kCandidates);
}

bool WallpaperChange::install_one(const void* bytes, size_t size, bool check_size) const
{
    return wallpaper::install_picture(as_downloaded(0), bytes, size, check_size, [this] { record(); }) ==
           wallpaper::Install::Done;
}

bool WallpaperChange::install_staged() const
{
    return wallpaper::install_staged(items.size(), monitor_wallpaper::current_monitors(), [this] { record(); });
}

void WallpaperChange::record() const
{
    // The current wallpaper is recorded as installed, at the size downloaded,
    // so that a favourite saved from it describes the picture it keeps. The
    // wallpaper is installed either way; a list that could not be written was
    // traced and is written again by the next change.
    std::vector<ImageItem_CL> installed;
    for (size_t i = 0; i < items.size(); ++i) installed.push_back(as_downloaded(i));
    (void)wallpaper::record_current(installed);
    // The first monitor's picture ends up newest.
    for (auto item = items.rbegin(); item != items.rend(); ++item) (void)wallpaper::add_to_history(*item);
}
