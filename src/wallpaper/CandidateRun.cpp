#include "wallpaper/CandidateRun.h"

#include <algorithm>
#include <ctime>

#include "photoservice/CommonsClient_CL.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/LicenceNames.h"
#include "photoservice/SplitKeywords.h"
#include "wallpaper/CandidateMerge.h"
#include "wallpaper/SharedRandom_CL.h"
#include "store/AppSettings_CL.h"
#include "store/ListEdit.h"

namespace candidate_run {

namespace {

void note_failure(const FlickrXmlHelper_CL& client, HRESULT result, ServiceOutcome& failure)
{
    if (result != S_OK && !failure.failed()) failure = client.outcome();
}

}  // namespace

std::vector<ImageItem_CL> fetch_photos(FlickrXmlHelper_CL& client, ServiceOutcome& failure)
{
    failure = ServiceOutcome();
    std::vector<ImageItem_CL> photos;
    note_failure(client, client.get_interesting_photos(photos), failure);
    if (AppSettings.cand_search_keyword == 1) {
        for (const std::wstring& word : split_keywords(AppSettings.cand_search_keyword_str, kMaxKeywords))
            note_failure(client, client.search_photos(word, FlickrXmlHelper_CL::kPageSize, photos), failure);
    }
    // The popular photos come under every licence: that query takes no filter.
    photos.erase(std::remove_if(photos.begin(), photos.end(),
                                [](const ImageItem_CL& photo) { return !is_candidate_licence(photo.license); }),
                 photos.end());
    return photos;
}

void fetch_commons_pictures(CommonsClient_CL& client, std::vector<ImageItem_CL>& photos, ServiceOutcome& failure)
{
    failure = ServiceOutcome().of_commons();
    SharedRandom_CL& random = SharedRandom_CL::instance();
    const std::string start = CommonsClient_CL::random_start(
        [&random](uint64_t n) { return static_cast<uint64_t>(random.below(static_cast<size_t>(n))); },
        static_cast<int64_t>(std::time(nullptr)));
    if (client.get_featured_pictures(start, photos) != S_OK) failure = client.outcome();
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
