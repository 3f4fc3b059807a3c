#include "wallpaper/Wallpaper.h"

#include <memory>
#include <vector>

#include "base/GdiplusInclude.h"
#include "base/ImageEncoder.h"
#include "wallpaper/JpegHeader.h"
#include "wallpaper/MainWindowLink.h"
#include "wallpaper/MonitorWallpaper.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
#include "store/SettingsKeys.h"

namespace wallpaper {

namespace {

constexpr size_t kHistoryLimit = 1000;
// The system's own style for one picture spread over every monitor.
constexpr Layout kSpan = {22, 0};

std::wstring bitmap_path_of(const std::wstring& jpeg_path)
{
    const size_t dot = jpeg_path.find_last_of(L'.');
    const size_t slash = jpeg_path.find_last_of(L'\\');
    const bool has_extension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    return (has_extension ? jpeg_path.substr(0, dot) : jpeg_path) + L".bmp";
}

// The file beside `path` that is written first and swapped in when whole.
std::wstring temporary_of(const std::wstring& path)
{
    return path + L".new";
}

bool replace_with_temporary(const std::wstring& path)
{
    return MoveFileExW(temporary_of(path).c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// Writes the bitmap beside `bmp_path`; the installed bitmap stays untouched.
bool write_bitmap(Gdiplus::Bitmap& picture, const std::wstring& bmp_path)
{
    CLSID clsid;
    const std::wstring temp = temporary_of(bmp_path);
    if (find_image_encoder(L"image/bmp", clsid) && picture.Save(temp.c_str(), &clsid, nullptr) == Gdiplus::Ok) return true;
    DeleteFileW(temp.c_str());
    return false;
}

bool convert(Gdiplus::Bitmap& picture, const std::wstring& bmp_path)
{
    return write_bitmap(picture, bmp_path) && replace_with_temporary(bmp_path);
}

void set_registry_string(HKEY key, const wchar_t* name, const std::wstring& value)
{
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() * sizeof(wchar_t)));
}

Layout configured_layout()
{
    return layout_of(AppInifile.read_int(keys::kWallPaperInfo, keys::kDispStyle, AppSettings.dispStyleDefault));
}

bool install_bitmap(const std::wstring& bmp_path, const Layout& layout)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_WRITE, &key) != ERROR_SUCCESS &&
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
        key = nullptr;
    if (key) {
        set_registry_string(key, L"Wallpaper", bmp_path);
        set_registry_string(key, L"WallpaperStyle", std::to_wstring(layout.style));
        set_registry_string(key, L"TileWallpaper", std::to_wstring(layout.tile));
        RegCloseKey(key);
    }
    std::wstring path = bmp_path;
    return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, &path[0], SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != FALSE;
}

bool write_bytes(const std::wstring& path, const void* bytes, size_t size)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || size > MAXDWORD) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes, static_cast<DWORD>(size), &written, nullptr) && written == size &&
           FlushFileBuffers(file.get());
}

// Writes the bytes beside `path` (the installed file stays) and checks that
// they decode and, with check_size, have the item's best size; `picture`
// then holds them decoded. Nothing is left behind unless the result is Done.
Install stage(const ImageItem_CL& item, const void* bytes, size_t size, bool check_size, const std::wstring& path,
              std::unique_ptr<Gdiplus::Bitmap>& picture)
{
    const std::wstring temp = temporary_of(path);
    Install result = Install::Done;
    ImageItem_CL::Size best;
    if (!write_bytes(temp, bytes, size)) result = Install::Failed;
    else if (!(picture = decode_picture(temp))) result = Install::NotAPicture;
    else if (check_size && (!item.best_size(best) || static_cast<UINT>(best.width) != picture->GetWidth() ||
                            static_cast<UINT>(best.height) != picture->GetHeight()))
        result = Install::WrongSize;
    if (result != Install::Done) {
        picture.reset();
        DeleteFileW(temp.c_str());
    }
    return result;
}

// The pictures composed for the monitors, as the bitmap waiting beside the installed one.
bool write_composed(const std::vector<RECT>& monitors, const std::vector<std::wstring>& pictures)
{
    const int placement = clamp_layout(AppInifile.read_int(keys::kWallPaperInfo, keys::kDispStyle, AppSettings.dispStyleDefault));
    std::unique_ptr<Gdiplus::Bitmap> canvas = monitor_wallpaper::compose(monitors, pictures, placement);
    return canvas && write_bitmap(*canvas, AppSettings.now_bitmap_path());
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> decode_picture(const std::wstring& path)
{
    if (!decodable_size(path)) return nullptr;
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(path.c_str());
    if (bitmap->GetLastStatus() != Gdiplus::Ok || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return nullptr;
    return bitmap;
}

std::wstring picture_path(size_t index)
{
    const std::wstring first = AppSettings.now_picture_path();
    if (index == 0) return first;
    return first.substr(0, first.size() - 4) + L"_" + std::to_wstring(index + 1) + L".jpg";
}

Install stage_picture(const ImageItem_CL& item, const void* bytes, size_t size, bool check_size, size_t index)
{
    std::unique_ptr<Gdiplus::Bitmap> picture;
    return stage(item, bytes, size, check_size, picture_path(index), picture);
}

void discard_staged(size_t count)
{
    for (size_t i = 0; i < count; ++i) DeleteFileW(temporary_of(picture_path(i)).c_str());
    DeleteFileW(temporary_of(AppSettings.now_bitmap_path()).c_str());
}

bool install_staged(size_t count, const std::vector<RECT>& monitors)
{
    std::vector<std::wstring> staged;
    for (size_t i = 0; i < count; ++i) staged.push_back(temporary_of(picture_path(i)));
    bool done = write_composed(monitors, staged);
    // The pictures go first, as with one picture: readers may hold them open.
    for (size_t i = 0; done && i < count; ++i) done = replace_with_temporary(picture_path(i));
    done = done && replace_with_temporary(AppSettings.now_bitmap_path());
    if (!done) {
        discard_staged(count);
        return false;
    }
    install_bitmap(AppSettings.now_bitmap_path(), kSpan);
    return true;
}

bool reinstall_current(size_t count)
{
    const std::vector<RECT> monitors = monitor_wallpaper::current_monitors();
    if (monitors.size() < 2) return set_wallpaper(AppSettings.now_picture_path());
    std::vector<std::wstring> pictures;
    for (size_t i = 0; i < count; ++i)
        if (GetFileAttributesW(picture_path(i).c_str()) != INVALID_FILE_ATTRIBUTES) pictures.push_back(picture_path(i));
    if (!write_composed(monitors, pictures) || !replace_with_temporary(AppSettings.now_bitmap_path())) {
        DeleteFileW(temporary_of(AppSettings.now_bitmap_path()).c_str());
        return false;
    }
    return install_bitmap(AppSettings.now_bitmap_path(), kSpan);
}

int clamp_layout(int disp_style)
{
    if (disp_style < 0) return AppSettings.dispStyleDefault;
    return disp_style > AppSettings.dispStyleMax ? AppSettings.dispStyleMax : disp_style;
}

Layout layout_of(int disp_style)
{
    static const Layout table[5] = {{0, 0}, {0, 1}, {2, 0}, {6, 0}, {10, 0}};
    const int index = clamp_layout(disp_style);
    return table[index >= 0 && index < 5 ? index : 0];
}

size_t current_count()
{
    WallPaperItemBase_CL now;
    now.set_path(AppSettings.now_items_path());
    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    return now.load() == S_OK ? now.items.size() : 0;
}

bool set_wallpaper(const std::wstring& jpeg_path)
{
    const std::wstring bmp_path = bitmap_path_of(jpeg_path);
    {
        std::unique_ptr<Gdiplus::Bitmap> picture = decode_picture(jpeg_path);
        if (!picture || !convert(*picture, bmp_path)) return false;
    }
    return install_bitmap(bmp_path, configured_layout());
}

Install install_picture(const ImageItem_CL& item, const void* bytes, size_t size, bool check_size)
{
    const std::wstring jpeg_path = AppSettings.now_picture_path();
    const std::wstring bmp_path = AppSettings.now_bitmap_path();
    const std::wstring temp = temporary_of(jpeg_path);
    Install result;
    {
        std::unique_ptr<Gdiplus::Bitmap> picture;
        result = stage(item, bytes, size, check_size, jpeg_path, picture);
        if (result == Install::Done && !write_bitmap(*picture, bmp_path)) result = Install::Failed;
    }
    // The picture goes first: it is the file that readers (the main window)
    // may hold open, and while it cannot be replaced the bitmap stays as well.
    if (result == Install::Done && (!replace_with_temporary(jpeg_path) || !replace_with_temporary(bmp_path)))
        result = Install::Failed;
    if (result != Install::Done) {
        DeleteFileW(temp.c_str());
        DeleteFileW(temporary_of(bmp_path).c_str());
        return result;
    }
    install_bitmap(bmp_path, configured_layout());
    return Install::Done;
}

bool record_current(const ImageItem_CL& item)
{
    return record_current(std::vector<ImageItem_CL>{item});
}

bool record_current(const std::vector<ImageItem_CL>& items)
{
    WallPaperItemBase_CL now;
    now.set_path(AppSettings.now_items_path());
    now.items = items;
    now.changed = 1;
    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    return now.save() == S_OK;
}

void add_to_history(ImageItem_CL item)
{
    {
        Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
        WallPaperItemBase_CL history;
        history.set_path(AppSettings.history_path());
        if (!history.load_for_change()) return;
        size_t index = 0;
        if (history.find(item, &index)) history.erase_at(index);
        if (history.items.size() >= kHistoryLimit) history.items.resize(kHistoryLimit - 1);
        if (item.farm != -1) {
            item.localWidth = item.localHeight = 0;
            item.localPath.clear();
        }
        history.items.insert(history.items.begin(), std::move(item));
        history.save();
    }
    main_window_link::notify(main_window_link::kHistory);
}

bool save_current_as_favourite()
{
    {
        Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
        WallPaperItemBase_CL now;
        now.set_path(AppSettings.now_items_path());
        if (now.load() != S_OK || now.items.empty()) return false;
        WallPaperItemBase_CL favorites;
        favorites.set_path(AppSettings.favorites_path());
        if (!favorites.load_for_change()) return false;
        ImageItem_CL item = now.items[0];
        ImageItem_CL::Size best;
        item.best_size(best);
        const std::wstring file = AppSettings.next_favorite_file_name();
        if (file.empty()) return false;
        if (!CopyFileW(AppSettings.now_picture_path().c_str(), file.c_str(), FALSE)) {
            DeleteFileW(file.c_str());  // a copy cut short by a full disk stays behind otherwise
            return false;
        }
        item.localWidth = best.width;
        item.localHeight = best.height;
        item.localPath = file;
        favorites.items.insert(favorites.items.begin(), std::move(item));
        if (favorites.save() != S_OK) {
            DeleteFileW(file.c_str());
            return false;
        }
    }
    main_window_link::notify(main_window_link::kFavorites);
    return true;
}

}  // namespace wallpaper
