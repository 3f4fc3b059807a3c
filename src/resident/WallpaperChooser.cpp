#include "resident/WallpaperChooser.h"

#include <numeric>

#include "resident/LocalImageItem.h"
#include "resident/MyFindFileIcon_CL.h"
#include "resident/SharedRandom_CL.h"
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
    if (on) list.load();
}

}  // namespace

bool draw(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
          const LocalFileNames& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
          ImageItem_CL& drawn)
{
    std::vector<const ImageItem_CL*> pool = usable(favorites);
    const std::vector<const ImageItem_CL*> more = usable(candidates);
    pool.insert(pool.end(), more.begin(), more.end());
    // The local files still in this draw; a rejected one is swapped out.
    std::vector<uint32_t> files(local.size());
    std::iota(files.begin(), files.end(), uint32_t{0});
    bool found = false;
    for (int tries = 0; tries < kTries && pool.size() + files.size() > 0;) {
        const size_t r = random.below(pool.size() + files.size());
        ImageItem_CL pick;
        if (r < pool.size()) {
            pick = *pool[r];
        } else {
            uint32_t& file = files[r - pool.size()];
            if (!local_image::make_item(local.folder(file), local.name(file), local_image::DateSource::LastWrite, pick)) {
                file = files.back();
                files.pop_back();
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
