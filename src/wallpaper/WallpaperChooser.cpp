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

// The listed items and the local files as one numbered pool; local files are
// read only when asked for, and those that are no readable picture leave it.
class Pool {
public:
    Pool(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates, const LocalFileNames& local)
        : listed_(usable(favorites)), local_(local)
    {
        const std::vector<const ImageItem_CL*> more = usable(candidates);
        listed_.insert(listed_.end(), more.begin(), more.end());
    }

    size_t size() const { return listed_.size() + local_.size(); }
    bool exhausted() const { return rejected_.size() >= size(); }

    bool item(size_t r, ImageItem_CL& result)
    {
        if (r < listed_.size()) {
            result = *listed_[r];
            return true;
        }
        const size_t file = r - listed_.size();
        if (rejected_.count(file)) return false;
        if (local_image::make_item(local_.folder(file), local_.name(file), local_image::DateSource::LastWrite, result))
            return true;
        rejected_.insert(file);
        return false;
    }

private:
    std::vector<const ImageItem_CL*> listed_;
    const LocalFileNames& local_;
    std::unordered_set<size_t> rejected_;
};

// Up to kTries draws until one is neither in the history nor already taken
// for this change; after that the last drawn item. Drawing again past an
// unreadable local file keeps the rest equally likely and uses up no try.
bool draw_one(Pool& pool, const WallPaperItemBase_CL& history, const WallPaperItemBase_CL& taken, SharedRandom_CL& random,
              ImageItem_CL& drawn)
{
    bool found = false;
    for (int tries = 0; tries < kTries && !pool.exhausted();) {
        ImageItem_CL pick;
        if (!pool.item(random.below(pool.size()), pick)) continue;
        ++tries;
        found = true;
        drawn = std::move(pick);
        if (!history.find(drawn) && !taken.find(drawn)) break;
    }
    return found;
}

// After the tries a picture shown on another monitor gives way to the first one
// that is not; when there is none, it stays.
void avoid_taken(Pool& pool, const WallPaperItemBase_CL& taken, ImageItem_CL& drawn)
{
    ImageItem_CL other;
    for (size_t r = 0; taken.find(drawn) && r < pool.size(); ++r)
        if (pool.item(r, other) && !taken.find(other)) drawn = std::move(other);
}

}  // namespace

bool draw(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
          const LocalFileNames& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
          ImageItem_CL& drawn)
{
    Pool pool(favorites, candidates, local);
    return draw_one(pool, history, WallPaperItemBase_CL(), random, drawn);
}

bool draw_several(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
                  const LocalFileNames& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
                  size_t count, std::vector<ImageItem_CL>& drawn)
{
    Pool pool(favorites, candidates, local);
    WallPaperItemBase_CL taken;  // the pictures of this change, kept apart like the history
    for (size_t n = 0; n < count; ++n) {
        ImageItem_CL pick;
        if (!draw_one(pool, history, taken, random, pick)) break;
        avoid_taken(pool, taken, pick);
        taken.items.push_back(std::move(pick));
    }
    drawn = std::move(taken.items);
    return !drawn.empty();
}

bool choose_next(size_t count, std::vector<ImageItem_CL>& drawn)
{
    // The folder walk touches no list file, so it runs before the mutex is taken.
    LocalFileNames local;
    if (source_on(keys::kChangeLocalFolderUse)) local = walk_local_folder();

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
