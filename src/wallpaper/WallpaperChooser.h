#pragma once
#include <vector>

#include "wallpaper/LocalFileNames.h"
#include "store/ImageItem_CL.h"
#include "store/WallPaperItemBase_CL.h"

class SharedRandom_CL;

// Drawing the next wallpaper from the enabled sources, avoiding the history.
namespace wallpaper_chooser {

constexpr int kTries = 50;

// Draws one of favorites + candidates + local files (in that index order) at
// random, up to kTries times until it is not in the history; after that the
// last drawn item. Items without an address are never drawn. A local file is
// read only once drawn; one that is no readable picture leaves this draw and
// another is drawn in its place, without using up a try. False when none is usable.
bool draw(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
          const LocalFileNames& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
          ImageItem_CL& drawn);

// The same for `count` pictures (one per monitor), distinct while the sources
// hold enough; a picture repeats only when there are fewer usable items than
// pictures. False when none is usable.
bool draw_several(const std::vector<ImageItem_CL>& favorites, const std::vector<ImageItem_CL>& candidates,
                  const LocalFileNames& local, const WallPaperItemBase_CL& history, SharedRandom_CL& random,
                  size_t count, std::vector<ImageItem_CL>& drawn);

// Reads the source switches, walks the local folder's names, loads the lists
// under the file mutex and draws `count` pictures. False when every source is
// empty or off.
bool choose_next(size_t count, std::vector<ImageItem_CL>& drawn);
bool choose_next(ImageItem_CL& drawn);

}  // namespace wallpaper_chooser
