#include "wallpaper/CandidateRun.h"

#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/SplitKeywords.h"
#include "wallpaper/CandidateMerge.h"
#include "wallpaper/SharedRandom_CL.h"
#include "store/AppSettings_CL.h"
#include "store/ListEdit.h"

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
    int added = 0;
    const bool saved = edit_list(AppSettings.candidates_path(), [&](std::vector<ImageItem_CL>& items) {
        WallPaperItemBase_CL candidates;
        candidates.set_path(AppSettings.candidates_path());
        candidates.items = std::move(items);
        added = candidate_merge::merge(candidates, photos, limit);
        items = std::move(candidates.items);
        return added > 0;
    });
    return saved ? added : 0;
}

}  // namespace candidate_run
