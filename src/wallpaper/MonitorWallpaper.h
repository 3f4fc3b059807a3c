#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/GdiplusInclude.h"

// One wallpaper made of a picture per monitor: the monitors' order, where each
// picture goes inside its monitor, and the bitmap covering all of them.
namespace monitor_wallpaper {

struct Monitor {
    RECT rect;  // in screen coordinates; the primary monitor's origin is 0,0
    bool primary;
};

// The primary monitor first, then the others from left to right, and from top
// to bottom where they share a left edge.
void order(std::vector<Monitor>& monitors);
// The monitors as the system reports them now, ordered.
std::vector<RECT> current_monitors();
// The rectangle holding every monitor (the virtual screen).
RECT bounds(const std::vector<RECT>& monitors);

// Where a picture of width x height goes inside `area` with a placement
// (0 centre, 1 tile, 2 stretch, 3 fit, 4 fill): fit and fill keep the aspect
// ratio and centre; tile gives the first tile, at the area's corner. The result
// may reach beyond the area, which clips it.
RECT place(const RECT& area, int width, int height, int placement);

// A bitmap the size of bounds(monitors), whose pixel 0,0 is the top-left corner
// of that rectangle: monitor i shows picture i (taken again from the first
// when there are fewer pictures than monitors), placed in its own rectangle;
// what no picture covers is black. Pictures are decoded one at a time. Null
// when a picture does not decode or the bitmap cannot be made.
std::unique_ptr<Gdiplus::Bitmap> compose(const std::vector<RECT>& monitors, const std::vector<std::wstring>& pictures,
                                         int placement);

}  // namespace monitor_wallpaper
