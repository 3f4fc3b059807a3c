#include "wallpaper/CandidateRun.h"

#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/SplitKeywords.h"
#include "wallpaper/CandidateMerge.h"
#include "wallpaper/SharedRandom_CL.h"
#include "store/AppSettings_CL.h"

namespace candidate_run {

std::vector<ImageItem_CL> fetch_photos(FlickrXmlHelper_CL& client)
{
    std::vector<ImageItem_CL> photos;
    (void)client.get_interesting_photos(photos);
    if (AppSettings.cand_search_keyword == 1) {
        for (const std::wstring& word : split_keywords(AppSettings.cand_search_keyword_str, kMaxKeywords))
            (void)client.search_photos(word, kPhotosPerSearch, photos);
    }
    return photos;
}

int store_candidates(std::vector<ImageItem_CL> photos)
{
    candidate_merge::shuffle(photos, SharedRandom_CL::instance());
    const int limit = candidate_merge::photos_per_run(AppSettings.cand_add_max);
    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    WallPaperItemBase_CL candidates;
    candidates.set_path(AppSettings.candidates_path());
    if (!candidates.load_for_change()) return 0;
    const int added = candidate_merge::merge(candidates, photos, limit);
    if (added > 0 && candidates.save() != S_OK) return 0;
    return added;
}

}  // namespace candidate_run
