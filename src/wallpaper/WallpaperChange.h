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
//
// Every install of either process goes through here, on a worker: the swap of
// the installed files, the record of the current wallpaper and the history
// entry hold the file mutex together, so the recorded wallpaper is always the
// installed one.
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
    // The main window's "set as wallpaper": the picture's bytes, installed as
    // they are (no size check), recorded and added to the history.
    [[nodiscard]] static bool install_given(const ImageItem_CL& item, const std::vector<unsigned char>& bytes);
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
    [[nodiscard]] bool install_one(const void* bytes, size_t size, bool check_size) const;
    [[nodiscard]] bool install_staged() const;
    // Under the file mutex that the install holds.
    void record() const;
    // The item measured by the size it was downloaded at.
    ImageItem_CL as_downloaded(size_t index) const;
};
