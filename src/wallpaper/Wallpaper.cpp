#include "wallpaper/Wallpaper.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/GdiplusInclude.h"
#include "base/ImageEncoder.h"
#include "wallpaper/ItemCommands.h"
#include "wallpaper/JpegHeader.h"
#include "wallpaper/MainWindowLink.h"
#include "wallpaper/UprightPicture.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
#include "store/ListEdit.h"
#include "store/SettingsKeys.h"
#include "base/Trace.h"

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

// The service may give a photo's size as stored or as it stands upright.
bool has_size_of(const ImageItem_CL& item, Gdiplus::Bitmap& upright, const std::wstring& path)
{
    ImageItem_CL::Size best;
    if (!item.best_size(best)) return false;
    const UINT width = upright.GetWidth(), height = upright.GetHeight();
    if (static_cast<UINT>(best.width) == width && static_cast<UINT>(best.height) == height) return true;
    JpegInfo info;
    return read_jpeg_info(path, info, false) && info.sideways() && static_cast<UINT>(best.width) == height &&
           static_cast<UINT>(best.height) == width;
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

LSTATUS set_registry_string(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() * sizeof(wchar_t)));
}

// The placement values go first: a wallpaper installed without them would be
// shown with whatever placement was left there.
bool write_placement(const std::wstring& bmp_path)
{
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_WRITE, nullptr,
                                     &key, nullptr);
    if (status == ERROR_SUCCESS) {
        const Layout layout = layout_of(AppInifile.read_int(keys::kWallPaperInfo, keys::kDispStyle, AppSettings.dispStyleDefault));
        status = set_registry_string(key, L"Wallpaper", bmp_path);
        if (status == ERROR_SUCCESS) status = set_registry_string(key, L"WallpaperStyle", std::to_wstring(layout.style));
        if (status == ERROR_SUCCESS) status = set_registry_string(key, L"TileWallpaper", std::to_wstring(layout.tile));
        RegCloseKey(key);
    }
    if (status == ERROR_SUCCESS) return true;
    trace::failure(L"wallpaper placement not written to the registry", static_cast<unsigned long>(status));
    return false;
}

bool apply(const std::wstring& bmp_path)
{
    if (!write_placement(bmp_path)) return false;
    std::wstring path = bmp_path;
    if (SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, &path[0], SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) return true;
    trace::failure(L"wallpaper not installed", GetLastError());
    return false;
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
        std::unique_ptr<Gdiplus::Bitmap> picture = decode_upright(jpeg_path);
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
        std::unique_ptr<Gdiplus::Bitmap> picture = decode_upright(temp);
        if (!picture) result = Install::NotAPicture;
        else if (check_size && !has_size_of(item, *picture, temp))
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
    return apply(bmp_path) ? Install::Done : Install::Failed;
}

bool record_current(const ImageItem_CL& item)
{
    WallPaperItemBase_CL now;
    now.set_path(AppSettings.now_items_path());
    now.items.push_back(item);
    now.changed = 1;
    Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
    if (lock.held() && now.save() == S_OK) return true;
    trace::failure(L"current wallpaper not recorded", GetLastError());
    return false;
}

bool add_to_history(ImageItem_CL item)
{
    if (item.farm != -1) {
        item.localWidth = item.localHeight = 0;
        item.localPath.clear();
    }
    const bool added = edit_list(AppSettings.history_path(), [&](std::vector<ImageItem_CL>& items) {
        const auto same = std::find_if(items.begin(), items.end(),
                                       [&](const ImageItem_CL& stored) { return stored.key == item.key; });
        if (same != items.end()) items.erase(same);
        if (items.size() >= kHistoryLimit) items.resize(kHistoryLimit - 1);
        items.insert(items.begin(), std::move(item));
        return true;
    });
    if (added) main_window_link::notify(main_window_link::kHistory);
    return added;
}

bool save_current_as_favourite()
{
    WallPaperItemBase_CL now;
    now.set_path(AppSettings.now_items_path());
    {
        Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
        if (now.load() != S_OK || now.items.empty()) return false;
    }
    const std::wstring picture = AppSettings.now_picture_path();
    const auto copy_picture = [&](const std::wstring& file) {
        return CopyFileW(picture.c_str(), file.c_str(), FALSE) ? S_OK : E_FAIL;
    };
    if (!item_commands::add_favourite(now.items[0], copy_picture)) return false;
    main_window_link::notify(main_window_link::kFavorites);
    return true;
}

}  // namespace wallpaper
