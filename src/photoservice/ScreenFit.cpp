#include "photoservice/ScreenFit.h"

#include <cstdint>

namespace {

int64_t pixels(const ImageItem_CL::Size& size)
{
    return int64_t{size.width} * size.height;
}

}  // namespace

size_t screen_fit(const std::vector<ImageItem_CL::Size>& offered, SIZE screen)
{
    size_t smallest_cover = kNoFit, largest = kNoFit;
    for (size_t i = 0; i < offered.size(); ++i) {
        const ImageItem_CL::Size& size = offered[i];
        if (size.url.empty() || size.width <= 0 || size.height <= 0) continue;
        if (largest == kNoFit || pixels(size) > pixels(offered[largest])) largest = i;
        const bool covers = size.width >= screen.cx && size.height >= screen.cy;
        if (covers && (smallest_cover == kNoFit || pixels(size) < pixels(offered[smallest_cover]))) smallest_cover = i;
    }
    return smallest_cover != kNoFit ? smallest_cover : largest;
}
