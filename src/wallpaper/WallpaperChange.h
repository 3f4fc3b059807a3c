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
    enum class Arrival { Waiting, Installed, Failed };

    // Queues one download per picture, each request carrying the change.
    static void request_pictures(const std::shared_ptr<WallpaperChange>& change, DownloadUri_CL& downloader);
    // Download worker: the picture of a request made by request_pictures().
    // Installs, records and adds to the history once the last picture is
    // there; the block is freed on leaving.
    [[nodiscard]] static Arrival receive(DownloadRequest& request, GlobalBlock block);

    std::vector<ImageItem_CL> items;
    size_t arrived = 0;
    bool pictures_ok = true;

private:
    [[nodiscard]] Arrival receive(size_t index, GlobalBlock block);
    [[nodiscard]] bool receive_monitor_picture(size_t index, const void* bytes, size_t size);
};
