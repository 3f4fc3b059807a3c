#include "wallpaper/Wallpaper.h"

#include <memory>
#include <vector>

#include "base/GdiplusInclude.h"
#include "base/ImageEncoder.h"
#include "wallpaper/JpegHeader.h"
#include "wallpaper/MainWindowLink.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
#include "store/SettingsKeys.h"

namespace wallpaper {

namespace {

constexpr size_t kHistoryLimit = 1000;

std::wstring bitmap_path_of(const std::wstring& jpeg_path)
{
    const size_t dot = jpeg_path.find_last_of(L'.');
    const size_t slash = jpeg_path.find_last_of(L'\\');
    const bool has_extension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    return (has_extension ? jpeg_path.substr(0, dot) : jpeg_path) + L".bmp";
}

// A decoded picture, or null when the file is not one GDI+ can read.
std::unique_ptr<Gdiplus::Bitmap> decode(const std::wstring& path)
{
    if (!decodable_size(path)) return nullptr;
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(path.c_str());
    if (bitmap->GetLastStatus() != Gdiplus::Ok || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return nullptr;
    return bitmap;
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

bool apply(const std::wstring& bmp_path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_WRITE, &key) != ERROR_SUCCESS &&
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
        key = nullptr;
    if (key) {
        const Layout layout = layout_of(AppInifile.read_int(keys::kWallPaperInfo, keys::kDispStyle, AppSettings.dispStyleDefault));
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

}  // namespace

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

bool set_wallpaper(const std::wstring& jpeg_path)
{
    const std::wstring bmp_path = bitmap_path_of(jpeg_path);
    {
        std::unique_ptr<Gdiplus::Bitmap> picture = decode(jpeg_path);
        if (!picture || !convert(*picture, bmp_path)) return false;
    }
    return apply(bmp_path);
}

Install install_picture(const ImageItem_CL& item, const void* bytes, size_t size, bool check_size)
{
    const std::wstring jpeg_path = AppSettings.now_picture_path();
    const std::wstring bmp_path = AppSettings.now_bitmap_path();
    const std::wstring temp = temporary_of(jpeg_path);
    if (!write_bytes(temp, bytes, size)) {
        DeleteFileW(temp.c_str());
        return Install::Failed;
    }
    Install result = Install::Done;
    {
        std::unique_ptr<Gdiplus::Bitmap> picture = decode(temp);
        ImageItem_CL::Size best;
        if (!picture) result = Install::NotAPicture;
        else if (check_size && (!item.best_size(best) || static_cast<UINT>(best.width) != picture->GetWidth() ||
                                static_cast<UINT>(best.height) != picture->GetHeight()))
            result = Install::WrongSize;
        else if (!write_bitmap(*picture, bmp_path))
            result = Install::Failed;
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
    apply(bmp_path);
    return Install::Done;
}

bool record_current(const ImageItem_CL& item)
{
    WallPaperItemBase_CL now;
    now.set_path(AppSettings.now_items_path());
    now.items.push_back(item);
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
