#pragma once
#include <cstddef>
#include <string>

#include "store/ImageItem_CL.h"

// Installing pictures as the desktop wallpaper and keeping the current-wallpaper
// list, the history and the favourites that go with it.
namespace wallpaper {

enum class Install { Done, NotAPicture, WrongSize, Failed };

// The registry values "WallpaperStyle" and "TileWallpaper" of a layout index.
struct Layout {
    int style;
    int tile;
};
// "disp_style" as stored: above dispStyleMax means the maximum, below 0 the default.
int clamp_layout(int disp_style);
Layout layout_of(int disp_style);

// Makes the bitmap beside a JPEG ("x.jpg" gives "x.bmp") and installs it with
// the configured layout. False, with nothing changed, when the picture cannot be
// decoded or converted.
bool set_wallpaper(const std::wstring& jpeg_path);

// Installs a picture's bytes as "Tapestrel_NowWallPaper.jpg" and its bitmap.
// The bytes replace the current files only when they decode and, with
// check_size, have the item's best size; otherwise the current wallpaper and
// its files stay as they were.
Install install_picture(const ImageItem_CL& item, const void* bytes, size_t size, bool check_size);

// "NowWallPaperItems.dat" holding only this item, under the file mutex.
bool record_current(const ImageItem_CL& item);
// Moves the item to the front of the history (at most 1000), under the file mutex.
void add_to_history(ImageItem_CL item);
// Copies the current wallpaper into the favourite folder and the favourite list.
bool save_current_as_favourite();

}  // namespace wallpaper
