#include "wallpaper/CandidateMerge.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "wallpaper/SharedRandom_CL.h"

namespace candidate_merge {

int photos_per_run(int cand_add_max)
{
    static const int counts[9] = {10, 20, 30, 50, 100, 200, 300, 400, 500};
    return (cand_add_max >= 0 && cand_add_max <= 8) ? counts[cand_add_max] : counts[4];
}

void shuffle(std::vector<ImageItem_CL>& photos, SharedRandom_CL& random)
{
    const size_t n = photos.size();
    for (size_t i = 0; i < n; ++i) std::swap(photos[random.below(n)], photos[random.below(n)]);
}

int merge(WallPaperItemBase_CL& candidates, const std::vector<ImageItem_CL>& photos, int limit)
{
    // A set of keys instead of a linear find per photo: 4000 photos against
    // 30000 candidates would otherwise compare 120 million keys under the mutex.
    std::unordered_set<std::wstring> keys;
    keys.reserve(candidates.items.size() + photos.size());
    for (const ImageItem_CL& item : candidates.items) keys.insert(item.key);
    std::vector<ImageItem_CL> added;
    for (const ImageItem_CL& photo : photos) {
        if (static_cast<int>(added.size()) >= limit) break;
        if (!candidates.candidate_size_filter(photo) || !keys.insert(photo.key).second) continue;
        added.push_back(photo);
    }
    // Each photo goes in at the front, so the last one accepted ends up first.
    std::vector<ImageItem_CL>& items = candidates.items;
    const size_t keep = std::min(items.size(), kCandidateLimit > added.size() ? kCandidateLimit - added.size() : 0);
    items.resize(keep);
    items.insert(items.begin(), std::make_move_iterator(added.rbegin()), std::make_move_iterator(added.rend()));
    return static_cast<int>(added.size());
}

}  // namespace candidate_merge
