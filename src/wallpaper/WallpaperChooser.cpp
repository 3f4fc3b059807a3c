#include "wallpaper/WallpaperChooser.h"

#include <unordered_set>

#include "wallpaper/LocalImageItem.h"
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
LocalFileNames walk_local_folder()
{
    AppSettings.local_folder = AppInifile.read_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit);
    MyFindFileIcon_CL finder;
    if (!AppSettings.local_folder.empty()) finder.scan(AppSettings.local_folder + L"\\*.*", true);
    return std::move(finder.names);
}

void load_if(bool on, const std::wstring& path, WallPaperItemBase_CL& list)
{
    list.set_path(path);
    if (on) (void)list.load();  // a missing or damaged list offers what could be read
}

}  // namespace

bool draw(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
          const LocalFileNames& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
          ImageItem_CL& drawn)
{
    std::vector<const ImageItem_CL*> pool = usable(favorites);
    const std::vector<const ImageItem_CL*> more = usable(candidates);
    pool.insert(pool.end(), more.begin(), more.end());
    // Local files that are no readable picture leave this draw. Drawing again
    // past them keeps the rest equally likely and costs no memory per file.
    std::unordered_set<size_t> rejected;
    const size_t total = pool.size() + local.size();
    bool found = false;
    for (int tries = 0; tries < kTries && rejected.size() < total;) {
        const size_t r = random.below(total);
        ImageItem_CL pick;
        if (r < pool.size()) {
            pick = *pool[r];
        } else {
            const size_t file = r - pool.size();
            if (rejected.count(file)) continue;
            if (!local_image::make_item(local.folder(file), local.name(file), local_image::DateSource::LastWrite, pick)) {
                rejected.insert(file);
                continue;
            }
        }
        ++tries;
        found = true;
        drawn = std::move(pick);
        if (!history.find(drawn)) break;
    }
    return found;
}

bool choose_next(ImageItem_CL& drawn)
{
    // The folder walk touches no list file, so it runs before the mutex is taken.
    LocalFileNames local;
    if (source_on(keys::kChangeLocalFolderUse)) local = walk_local_folder();

    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    WallPaperItemBase_CL favorites, candidates, history;
    load_if(source_on(keys::kChangeFavoriteUse), AppSettings.favorites_path(), favorites);
    load_if(source_on(keys::kChangeCandidateUse), AppSettings.candidates_path(), candidates);
    load_if(true, AppSettings.history_path(), history);
    return draw(favorites.items, candidates.items, local, history, SharedRandom_CL::instance(), drawn);
}

}  // namespace wallpaper_chooser
