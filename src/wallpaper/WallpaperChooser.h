#pragma once
#include <vector>

#include "store/ImageItem_CL.h"
#include "store/WallPaperItemBase_CL.h"

class SharedRandom_CL;

// Drawing the next wallpaper from the enabled sources, avoiding the history.
namespace wallpaper_chooser {

constexpr int kTries = 50;

// Draws one of favorites + candidates + local (in that index order) at random,
// up to kTries times until it is not in the history; after that the last drawn
// item. Items without an address are never drawn. False when none is usable.
bool draw(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
          const std::vector<ImageItem_CL>& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
          ImageItem_CL& drawn);

// The same for `count` pictures (one per monitor), distinct while the sources
// hold enough; a picture repeats only when there are fewer usable items than
// pictures. False when none is usable.
bool draw_several(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
                  const std::vector<ImageItem_CL>& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
                  size_t count, std::vector<ImageItem_CL>& drawn);

// Reads the source switches, scans the local folder, loads the lists under the
// file mutex and draws `count` pictures. False when every source is empty or off.
bool choose_next(size_t count, std::vector<ImageItem_CL>& drawn);
bool choose_next(ImageItem_CL& drawn);

}  // namespace wallpaper_chooser
