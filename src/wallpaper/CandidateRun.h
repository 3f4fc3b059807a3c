#pragma once
#include <vector>

#include "photoservice/ServiceOutcome.h"
#include "store/ImageItem_CL.h"

class CommonsClient_CL;
class FlickrXmlHelper_CL;

// The part of a candidate run that fetches and stores: the service's popular
// photos (and keyword searches when asked), shuffled, filtered and merged into
// the candidate list under the file mutex.
namespace candidate_run {

constexpr size_t kMaxKeywords = 10;

// Everything the queries give under a candidate licence; a failing query adds nothing and does not stop
// the others. `failure` is the first failure of the run, answered when none failed.
std::vector<ImageItem_CL> fetch_photos(FlickrXmlHelper_CL& client, ServiceOutcome& failure);
// Appends one batch of Wikimedia Commons' featured pictures, from a moment of
// the category drawn at random so that each run sees another part of it.
// `failure` says why nothing came, answered when the batch arrived.
void fetch_commons_pictures(CommonsClient_CL& client, std::vector<ImageItem_CL>& photos, ServiceOutcome& failure);
// Merges into the candidate file; the number of photos added.
int store_candidates(std::vector<ImageItem_CL> photos);

}  // namespace candidate_run
