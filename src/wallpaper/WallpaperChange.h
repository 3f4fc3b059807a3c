#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "base/GlobalBlock.h"
#include "net/DownloadUri_CL.h"
#include "store/ImageItem_CL.h"

// The pictures of one wallpaper change (one, or one per monitor), shared by
// their download requests so that the worker installing them needs nothing of
// a window. The counts are the download worker's.
struct WallpaperChange {
    // Unreached: a photo's download did not arrive (no connection, no name,
    // a time-out); Failed: anything else (a refused answer, a picture that
    // does not decode or has another size than promised).
    enum class Arrival { Waiting, Installed, Failed, Unreached };

    // Queues one download per picture, each request carrying the change.
    static void request_pictures(const std::shared_ptr<WallpaperChange>& change, DownloadUri_CL& downloader);
    // Download worker: the picture of a request made by request_pictures().
    // Installs, records and adds to the history once the last picture is
    // there; the block is freed on leaving.
    [[nodiscard]] static Arrival receive(DownloadRequest& request, GlobalBlock block);
    // What a change downloads of a picture for a screen of that size: a Commons
    // picture at the standard width that covers it (its original when that is
    // smaller), anything else at its best size.
    static ImageItem_CL::Size download_size(const ImageItem_CL& item, SIZE screen);

    std::vector<ImageItem_CL> items;
    // The size each picture is downloaded at, which its bytes must measure.
    std::vector<ImageItem_CL::Size> downloads;
    size_t arrived = 0;
    bool pictures_ok = true;
    bool unreached = false;

private:
    [[nodiscard]] Arrival receive(size_t index, GlobalBlock block);
    [[nodiscard]] bool receive_monitor_picture(size_t index, const void* bytes, size_t size);
    // The item measured by the size it was downloaded at.
    ImageItem_CL as_downloaded(size_t index) const;
};
