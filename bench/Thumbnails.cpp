#include <algorithm>
#include <memory>
#include <string>

#include <windows.h>

#include "Bench.h"
#include "Figures.h"
#include "TestSupport.h"
#include "base/GdiplusInclude.h"
#include "wallpaper/LocalImageItem.h"
#include "imaging/FitPicture.h"
#include "mainwindow/MyFlickerListBox_CL.h"

namespace {

// Rows the local-folder tab shows at its default size.
constexpr int kVisibleRows = 5;

MyFlickerListBox_CL* painted_list = nullptr;

LRESULT CALLBACK parent_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if ((message == WM_MEASUREITEM || message == WM_DRAWITEM) && painted_list && painted_list->window() &&
        painted_list->on_parent_message(message, lparam))
        return TRUE;
    return DefWindowProcW(window, message, wparam, lparam);
}

// The thumbnail as the list made it before: the whole picture decoded, then
// drawn into a 16-bit bitmap of the fitted size.
void full_decode_thumbnail(const std::wstring& path)
{
    Gdiplus::Image picture(path.c_str());
    const Gdiplus::RectF fitted = fit_picture(picture.GetWidth(), picture.GetHeight(), Gdiplus::RectF(0, 0, 144, 108));
    Gdiplus::Bitmap thumbnail(std::max(1, static_cast<int>(fitted.Width)), std::max(1, static_cast<int>(fitted.Height)),
                              PixelFormat16bppRGB565);
    Gdiplus::Graphics graphics(&thumbnail);
    graphics.DrawImage(&picture, 0, 0, thumbnail.GetWidth(), thumbnail.GetHeight());
}

// Time until every visible row of a list of these files has its thumbnail painted.
double paint_rows(HWND parent, const std::vector<std::wstring>& paths)
{
    MyFlickerListBox_CL list;
    painted_list = &list;
    // LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL | LBS_NODATA, as the tabs make it.
    list.create(parent, 0x3302, 560, kVisibleRows * 112, 0x2811, 0, 0);
    std::vector<ImageItem_CL> records;
    for (const std::wstring& path : paths) {
        const size_t slash = path.find_last_of(L'\\');
        ImageItem_CL item;
        if (local_image::make_item(path.substr(0, slash), path.substr(slash + 1), local_image::DateSource::Creation, item))
            records.push_back(item);
    }
    const double taken = bench::seconds([&] {
        list.append_records(records);
        RedrawWindow(list.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    });
    if (list.cached_count() != paths.size()) bench::note("thumbnails: not every row was painted");
    DestroyWindow(list.window());
    painted_list = nullptr;
    return taken;
}

}  // namespace

void figure_thumbnails(const std::wstring& folder)
{
    WNDCLASSW type{};
    type.lpfnWndProc = parent_procedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"TapestrelBenchThumbnails";
    RegisterClassW(&type);
    const HWND parent = CreateWindowExW(0, type.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600,
                                        kVisibleRows * 112 + 60, nullptr, nullptr, type.hInstance, nullptr);

    // Camera-size pictures; the camera's 160 x 120 thumbnail in half of them.
    const std::vector<unsigned char> photo = make_photo_jpeg(folder + L"\\photo.jpg", 6000, 4000);
    const std::vector<unsigned char> with_thumbnail =
        testing_support::with_exif(photo, 1, testing_support::jpeg_bytes(160, 120));
    std::vector<std::wstring> embedded, plain;
    for (int n = 0; n < kVisibleRows; ++n) {
        embedded.push_back(folder + L"\\IMG_" + std::to_wstring(n) + L".jpg");
        plain.push_back(folder + L"\\DSC_" + std::to_wstring(n) + L".jpg");
        write_bytes(embedded.back(), with_thumbnail);
        write_bytes(plain.back(), photo);
    }
    bench::note("thumbnails: " + std::to_string(kVisibleRows) + " visible rows of 6000 x 4000 JPEGs (" +
                std::to_string(photo.size() / 1024) + " KiB each)");
    const auto full_decode = [&](const std::vector<std::wstring>& paths) {
        return bench::best_of(2, [&] {
            for (const std::wstring& path : paths) full_decode_thumbnail(path);
        });
    };
    const double floor_embedded = full_decode(embedded);
    const double ours_embedded = std::min(paint_rows(parent, embedded), paint_rows(parent, embedded));
    bench::report("thumbnails, camera thumbnail embedded", ours_embedded, floor_embedded, 0.2);
    const double floor_plain = full_decode(plain);
    const double ours_plain = std::min(paint_rows(parent, plain), paint_rows(parent, plain));
    bench::report("thumbnails, no camera thumbnail", ours_plain, floor_plain, 0.5);
    DestroyWindow(parent);
}
