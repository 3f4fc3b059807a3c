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
    // there; the block is freed on leaving. A photo that has gone (the service
    // says "Photo not found", or its address answers 404 or 410) leaves the
    // candidates, with the main window told, and fails the change.
    [[nodiscard]] static Arrival receive(DownloadRequest& request, GlobalBlock block);
    // The main window's "set as wallpaper": the picture's bytes, installed as
    // they are (no size check), recorded and added to the history.
    [[nodiscard]] static bool install_given(const ImageItem_CL& item, const std::vector<unsigned char>& bytes);
    // What a change downloads of a picture for a screen of that size, until
    // the photo service says better: a Commons picture at the standard width
    // that covers it (its original when that is smaller), anything else at
    // its best size.
    static ImageItem_CL::Size download_size(const ImageItem_CL& item, SIZE screen);
    // Download worker, before a picture's transfer: a photo of the photo
    // service is downloaded at the offered size that fits its screen, as the
    // service lists them now; when it cannot say, at the size chosen before.
    void ask_sizes(size_t index, const InetHttp_CL::Announce& announce);

    std::vector<ImageItem_CL> items;
    // The screen each picture is for, and the size it is downloaded at, which
    // its bytes must measure.
    std::vector<SIZE> screens;
    std::vector<ImageItem_CL::Size> downloads;
    std::vector<char> gone;  // 1 for a picture the service said is gone
    size_t arrived = 0;
    bool pictures_ok = true;
    bool unreached = false;

private:
    [[nodiscard]] Arrival receive(size_t index, GlobalBlock block, DWORD status);
    // Takes a photo the service no longer has out of the candidates.
    void forget_gone(size_t index) const;
    [[nodiscard]] bool receive_monitor_picture(size_t index, const void* bytes, size_t size);
    [[nodiscard]] bool install_one(const void* bytes, size_t size, bool check_size) const;
    [[nodiscard]] bool install_staged() const;
    // Under the file mutex that the install holds.
    void record() const;
    // The item measured by the size it was downloaded at.
    ImageItem_CL as_downloaded(size_t index) const;
};
