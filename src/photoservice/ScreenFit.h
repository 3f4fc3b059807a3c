#pragma once
#include <cstddef>
#include <vector>

#include <windows.h>

#include "store/ImageItem_CL.h"

// Which of the sizes a picture source offers to download for a screen: the
// smallest whose upright width and height both cover the screen, else the
// largest. Sizes without an address or without pixels are never chosen;
// kNoFit when none is left.
constexpr size_t kNoFit = static_cast<size_t>(-1);
size_t screen_fit(const std::vector<ImageItem_CL::Size>& offered, SIZE screen);
