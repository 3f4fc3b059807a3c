#include "wallpaper/Wallpaper.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/GdiplusInclude.h"
#include "imaging/ImageEncoder.h"
#include "wallpaper/ItemCommands.h"
#include "imaging/JpegHeader.h"
#include "wallpaper/MainWindowLink.h"
#include "wallpaper/MonitorWallpaper.h"
#include "imaging/UprightPicture.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
#include "store/ListEdit.h"
#include "store/SettingsKeys.h"
#include "base/Trace.h"

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

// The service may give a photo's size as stored or as it stands upright.
bool has_size_of(const ImageItem_CL& item, UINT width, UINT height, bool sideways)
{
    ImageItem_CL::Size best;
    if (!item.best_size(best)) return false;
    if (static_cast<UINT>(best.width) == width && static_cast<UINT>(best.height) == height) return true;
    return sideways && static_cast<UINT>(best.width) == height && static_cast<UINT>(best.height) == width;
}

bool has_size_of(const ImageItem_CL& item, Gdiplus::Bitmap& upright, const std::wstring& path)
{
    JpegInfo info;
    return has_size_of(item, upright.GetWidth(), upright.GetHeight(), read_jpeg_info(path, info, false) && info.sideways());
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
bool write_placement(const std::wstring& bmp_path, const Layout& layout)
{
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_WRITE, nullptr,
                                     &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = set_registry_string(key, L"Wallpaper", bmp_path);
        if (status == ERROR_SUCCESS) status = set_registry_string(key, L"WallpaperStyle", std::to_wstring(layout.style));
        if (status == ERROR_SUCCESS) status = set_registry_string(key, L"TileWallpaper", std::to_wstring(layout.tile));
        RegCloseKey(key);
    }
    if (status == ERROR_SUCCESS) return true;
    trace::failure(L"wallpaper placement not written to the registry", static_cast<unsigned long>(status));
    return false;
}

int configured_placement()
{
    return clamp_layout(AppInifile.read_int(keys::kWallPaperInfo, keys::kDispStyle, AppSettings.dispStyleDefault));
}

bool install_bitmap(const std::wstring& bmp_path, const Layout& layout)
{
    if (!write_placement(bmp_path, layout)) return false;
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

// Writes the bytes beside `path` (the installed file stays) and checks that
// they decode and, with check_size, have the item's best size; `picture`
// then holds them decoded. Nothing is left behind unless the result is Done.
Install stage(const ImageItem_CL& item, const void* bytes, size_t size, bool check_size, const std::wstring& path,
              std::unique_ptr<Gdiplus::Bitmap>& picture)
{
    const std::wstring temp = temporary_of(path);
    Install result = Install::Done;
    if (!write_bytes(temp, bytes, size)) result = Install::Failed;
    else if (!(picture = decode_upright(temp))) result = Install::NotAPicture;
    else if (check_size && !has_size_of(item, *picture, temp)) result = Install::WrongSize;
    if (result != Install::Done) {
        picture.reset();
        DeleteFileW(temp.c_str());
    }
    return result;
}

// The pictures composed for the monitors, as the bitmap waiting beside the installed one.
bool write_composed(const std::vector<RECT>& monitors, const std::vector<std::wstring>& pictures)
{
    std::unique_ptr<Gdiplus::Bitmap> canvas = monitor_wallpaper::compose(monitors, pictures, configured_placement());
    return canvas && write_bitmap(*canvas, AppSettings.now_bitmap_path());
}

}  // namespace

std::wstring picture_path(size_t index)
{
    const std::wstring first = AppSettings.now_picture_path();
    if (index == 0) return first;
    return first.substr(0, first.size() - 4) + L"_" + std::to_wstring(index + 1) + L".jpg";
}

// A monitor's picture is decoded once, when composed: a JPEG's size is read
// from its header here. Anything else is decoded now to learn it.
Install stage_picture(const ImageItem_CL& item, const void* bytes, size_t size, bool check_size, size_t index)
{
    const auto* data = static_cast<const unsigned char*>(bytes);
    const std::wstring temp = temporary_of(picture_path(index));
    JpegInfo info;
    if (!read_jpeg_info(data, size, info, false) || !decodable_size(data, size)) {
        std::unique_ptr<Gdiplus::Bitmap> picture;
        return stage(item, bytes, size, check_size, picture_path(index), picture);
    }
    if (check_size && !has_size_of(item, info.upright_width(), info.upright_height(), info.sideways()))
        return Install::WrongSize;
    if (write_bytes(temp, bytes, size)) return Install::Done;
    DeleteFileW(temp.c_str());
    return Install::Failed;
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
    return install_bitmap(AppSettings.now_bitmap_path(), kSpan);
}

bool reinstall_current()
{
    WallPaperItemBase_CL now;
    now.set_path(AppSettings.now_items_path());
    {
        Mutex_CL::Lock_CL lock(AppSettings.file_mutex);
        if (!lock.held()) return false;
        (void)now.load();  // no list: no wallpaper of ours to lay out
    }
    if (now.items.empty()) return true;
    const std::vector<RECT> monitors = monitor_wallpaper::current_monitors();
    if (monitors.size() < 2 || now.items.size() < 2) return set_wallpaper(AppSettings.now_picture_path());
    std::vector<std::wstring> pictures;
    for (size_t i = 0; i < now.items.size(); ++i) pictures.push_back(picture_path(i));
    const std::wstring bmp_path = AppSettings.now_bitmap_path();
    if (!write_composed(monitors, pictures) || !replace_with_temporary(bmp_path)) {
        DeleteFileW(temporary_of(bmp_path).c_str());
        return false;
    }
    return install_bitmap(bmp_path, kSpan);
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

bool set_wallpaper(const std::wstring& jpeg_path)
{
    const std::wstring bmp_path = bitmap_path_of(jpeg_path);
    {
        std::unique_ptr<Gdiplus::Bitmap> picture = decode_upright(jpeg_path);
        if (!picture || !convert(*picture, bmp_path)) return false;
    }
    return install_bitmap(bmp_path, layout_of(configured_placement()));
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
    return install_bitmap(bmp_path, layout_of(configured_placement())) ? Install::Done : Install::Failed;
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
