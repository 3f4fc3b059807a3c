#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

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
// the configured layout. False when the picture cannot be decoded or converted
// (nothing changed) or the system refused the placement or the wallpaper.
[[nodiscard]] bool set_wallpaper(const std::wstring& jpeg_path);

// What an install records once its files are in place (the current-wallpaper
// list, the history). It runs under the file mutex, which the install holds
// from the swap of its files to the record, so that no install of the other
// process comes between the installed picture and its record. Not run when
// the files or the placement could not be put in place.
using Record = std::function<void()>;

// Installs a picture's bytes as "Tapestrel_NowWallPaper.jpg" and its bitmap.
// The bytes replace the current files only when they decode and, with
// check_size, have the item's best size; otherwise the current wallpaper and
// its files stay as they were. Failed also when the placement could not be
// written (nothing recorded) or the system refused the wallpaper (recorded:
// the files and the record hold the new picture, which the next install or
// new layout shows). The decoding and the bitmap are made under this
// process's staging names, before the file mutex is taken.
[[nodiscard]] Install install_picture(const ImageItem_CL& item, const void* bytes, size_t size, bool check_size,
                                      const Record& record = Record());

// The file beside `path` that this process writes first and swaps in when
// whole: each process stages under names of its own, so that one never
// installs or deletes what the other is still writing.
std::wstring staging_path(const std::wstring& path);

// With a picture per monitor: the picture of monitor `index`, in the order of
// the current-wallpaper list ("Tapestrel_NowWallPaper.jpg" for the first,
// "Tapestrel_NowWallPaper_2.jpg" for the second, ...).
std::wstring picture_path(size_t index);
// Checks a monitor's picture like install_picture (a JPEG by its header: it is
// decoded once, when composed) and keeps it beside picture_path(index) until
// install_staged or discard_staged; the installed files stay as they were.
[[nodiscard]] Install stage_picture(const ImageItem_CL& item, const void* bytes, size_t size, bool check_size, size_t index);
void discard_staged(size_t count);
// Composes the staged pictures 0..count-1 for the monitors into one bitmap,
// puts them and the bitmap in place of the current ones and installs it across
// all monitors. False, with the current wallpaper and files unchanged, when a
// picture does not decode or a file cannot be written; false also when the
// system refused the placement or the wallpaper.
[[nodiscard]] bool install_staged(size_t count, const std::vector<RECT>& monitors, const Record& record = Record());
// Installs the current pictures again for the monitors connected now: composed
// when there are two or more, otherwise the first one alone, the single-picture way.
// It holds the file mutex until the new bitmap is in place.
[[nodiscard]] bool reinstall_current();

// "NowWallPaperItems.dat" holding only these items, under the file mutex.
[[nodiscard]] bool record_current(const ImageItem_CL& item);
[[nodiscard]] bool record_current(const std::vector<ImageItem_CL>& items);
// Moves the item to the front of the history (at most 1000), under the file mutex.
[[nodiscard]] bool add_to_history(ImageItem_CL item);
// Copies the current wallpaper into the favourite folder and the favourite list.
[[nodiscard]] bool save_current_as_favourite();

}  // namespace wallpaper
