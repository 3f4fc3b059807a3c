#include <cstdio>
#include <string>
#include <vector>

#include "Bench.h"
#include "Figures.h"
#include "TestSupport.h"
#include "net/InetHttp_CL.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "wallpaper/WallpaperChange.h"

namespace {

struct Offered {
    const char* label;
    int width;
    int height;
};

// What the service offers of a 24-megapixel camera photo.
constexpr Offered kOffered[] = {{"Medium 640", 640, 427},   {"Large", 1024, 683},       {"Large 1600", 1600, 1067},
                                {"Large 2048", 2048, 1365}, {"X-Large 3K", 3072, 2048}, {"X-Large 4K", 4096, 2731},
                                {"Original", 6000, 4000}};
constexpr size_t kCovering = 3;  // the smallest that covers 1920 x 1080
constexpr size_t kOriginal = 6;

std::wstring picture_name(const std::wstring& folder, const Offered& size)
{
    return folder + L"/" + std::to_wstring(size.width) + L".jpg";
}

// Serves the photo's sizes and their answer; the bytes of each size.
std::vector<size_t> serve_photo(const std::wstring& folder)
{
    std::vector<size_t> bytes;
    std::vector<testing_support::OfferedSize> listed;
    CreateDirectoryW((testing_support::http_root() + L"\\" + folder).c_str(), nullptr);
    for (const Offered& size : kOffered) {
        const std::wstring path = testing_support::http_root() + L"\\" + folder + L"\\" + std::to_wstring(size.width) + L".jpg";
        bytes.push_back(make_photo_jpeg(path, size.width, size.height).size());
        listed.push_back({size.label, size.width, size.height, testing_support::http_url(picture_name(folder, size))});
    }
    (void)testing_support::serve_file(folder + L"/services/rest", testing_support::sizes_answer(listed));
    return bytes;
}

}  // namespace

void figure_service_bytes(const std::wstring& folder)
{
    if (testing_support::http_root().empty()) {
        bench::note("service_bytes: no stand-in of the photo service (run it through scripts/bench.sh)");
        return;
    }
    AppSettings.load(folder);
    const std::wstring site = L"service_bytes";
    AppInifile.write_string(keys::kService, keys::kWebUrl, testing_support::http_url(site));
    const std::vector<size_t> bytes = serve_photo(site);

    // A candidate as the lists keep it: its original the best size.
    WallpaperChange change;
    ImageItem_CL photo;
    photo.key = L"http://farm66.staticflickr.com/65535/53712345678_4f3e2d1c";
    photo.farm = 66;
    photo.sizes[5] = {kOffered[kOriginal].width, kOffered[kOriginal].height,
                      testing_support::http_url(picture_name(site, kOffered[kOriginal]))};
    change.items = {photo};
    change.screens = {{1920, 1080}};
    change.downloads = {WallpaperChange::download_size(photo, change.screens[0])};
    change.gone = {0};
    change.ask_sizes(0, [](InetHttp_CL*) {});
    const HGLOBAL block = InetHttp_CL::download_to_movable(change.downloads[0].url);
    const size_t ours = block ? GlobalSize(block) : 0;
    if (block) GlobalFree(block);

    const size_t floor = bytes[kCovering];
    std::printf("service_bytes, one change on a 1920 x 1080 screen from a 24-megapixel photo: %zu bytes, %zu bytes, %s, "
                "goal <= 1.2x%s\n",
                ours, floor, bench::ratio(static_cast<double>(ours), static_cast<double>(floor)).c_str(),
                ours > 0 && ours <= floor * 12 / 10 ? "" : "  (missed)");
    bench::note("the whole original would be " +
                bench::ratio(static_cast<double>(bytes[kOriginal]), static_cast<double>(floor)));
}
