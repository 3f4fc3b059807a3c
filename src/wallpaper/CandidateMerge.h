#pragma once
#include <vector>

#include "store/ImageItem_CL.h"
#include "store/WallPaperItemBase_CL.h"

class SharedRandom_CL;

// The filter-and-merge step of a candidate run.
namespace candidate_merge {

constexpr size_t kCandidateLimit = 30000;

// Photos added per run for "cand_add_max" 0 to 8 (others mean 4).
int photos_per_run(int cand_add_max);
// Shuffles the photos in place.
void shuffle(std::vector<ImageItem_CL>& photos, SharedRandom_CL& random);
// Inserts accepted photos that are not candidates yet at the front, dropping the
// last candidate while the list is full, until `limit` were added. The count added.
int merge(WallPaperItemBase_CL& candidates, const std::vector<ImageItem_CL>& photos, int limit);

}  // namespace candidate_merge
