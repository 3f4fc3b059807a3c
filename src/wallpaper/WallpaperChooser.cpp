#include "wallpaper/WallpaperChooser.h"

#include "wallpaper/MyFindFileIcon_CL.h"
#include "wallpaper/SharedRandom_CL.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

namespace wallpaper_chooser {

namespace {

bool has_address(const ImageItem_CL& item)
{
    ImageItem_CL::Size best;
    return item.best_size(best) && !best.url.empty();
}

std::vector<const ImageItem_CL*> usable(const std::vector<ImageItem_CL>& items)
{
    std::vector<const ImageItem_CL*> result;
    result.reserve(items.size());
    for (const ImageItem_CL& item : items)
        if (has_address(item)) result.push_back(&item);
    return result;
}

bool source_on(const wchar_t* key)
{
    return AppInifile.read_int(keys::kWallPaperInfo, key, 1) != 0;
}

// An empty path is an empty source, never the root of the current drive.
std::vector<ImageItem_CL> scan_local_folder()
{
    AppSettings.local_folder = AppInifile.read_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit);
    MyFindFileIcon_CL finder;
    if (!AppSettings.local_folder.empty()) finder.scan(AppSettings.local_folder + L"\\*.*", true);
    return std::move(finder.items);
}

void load_if(bool on, const std::wstring& path, WallPaperItemBase_CL& list)
{
    list.set_path(path);
    if (on) list.load();
}

}  // namespace

bool draw(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
          const std::vector<ImageItem_CL>& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
          ImageItem_CL& drawn)
{
    std::vector<ImageItem_CL> one;
    if (!draw_several(favorites, candidates, local, history, random, 1, one)) return false;
    drawn = std::move(one.front());
    return true;
}

bool draw_several(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
                  const std::vector<ImageItem_CL>& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
                  size_t count, std::vector<ImageItem_CL>& drawn)
{
    std::vector<const ImageItem_CL*> pool = usable(favorites);
    for (const std::vector<ImageItem_CL>* source : {&candidates, &local}) {
        const std::vector<const ImageItem_CL*> more = usable(*source);
        pool.insert(pool.end(), more.begin(), more.end());
    }
    if (pool.empty()) return false;
    drawn.clear();
    WallPaperItemBase_CL taken;  // the pictures of this change, kept apart like the history
    for (size_t n = 0; n < count; ++n) {
        const ImageItem_CL* pick = nullptr;
        for (int attempt = 0; attempt < kTries; ++attempt) {
            pick = pool[random.below(pool.size())];
            if (!history.find(*pick) && !taken.find(*pick)) break;
        }
        // After the tries a picture shown on another monitor gives way to any other one.
        for (size_t i = 0; taken.find(*pick) && i < pool.size(); ++i)
            if (!taken.find(*pool[i])) pick = pool[i];
        taken.items.push_back(*pick);
        drawn.push_back(*pick);
    }
    return true;
}

bool choose_next(size_t count, std::vector<ImageItem_CL>& drawn)
{
    // The folder scan touches no list file, so it runs before the mutex is taken.
    std::vector<ImageItem_CL> local;
    if (source_on(keys::kChangeLocalFolderUse)) local = scan_local_folder();

    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    WallPaperItemBase_CL favorites, candidates, history;
    load_if(source_on(keys::kChangeFavoriteUse), AppSettings.favorites_path(), favorites);
    load_if(source_on(keys::kChangeCandidateUse), AppSettings.candidates_path(), candidates);
    load_if(true, AppSettings.history_path(), history);
    return draw_several(favorites.items, candidates.items, local, history, SharedRandom_CL::instance(), count, drawn);
}

bool choose_next(ImageItem_CL& drawn)
{
    std::vector<ImageItem_CL> one;
    if (!choose_next(1, one)) return false;
    drawn = std::move(one.front());
    return true;
}

}  // namespace wallpaper_chooser
