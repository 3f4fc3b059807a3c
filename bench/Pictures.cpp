#include <memory>

#include <shlwapi.h>

#include "Bench.h"
#include "Figures.h"
#include "base/GdiplusInclude.h"
#include "imaging/ImageEncoder.h"
#include "wallpaper/Wallpaper.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"

std::vector<unsigned char> make_photo_jpeg(const std::wstring& path, int width, int height)
{
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data;
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &data) == Gdiplus::Ok) {
        unsigned seed = 12345;
        for (int y = 0; y < height; ++y) {
            auto* row = static_cast<unsigned char*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
            for (int x = 0; x < width; ++x) {
                seed = seed * 1103515245u + 12345u;
                const int noise = static_cast<int>((seed >> 16) & 31);
                row[3 * x] = static_cast<unsigned char>((x * 255 / width + noise) & 255);
                row[3 * x + 1] = static_cast<unsigned char>((y * 255 / height + noise) & 255);
                row[3 * x + 2] = static_cast<unsigned char>(((x + y) * 127 / (width + height) + noise) & 255);
            }
        }
        bitmap.UnlockBits(&data);
    }
    CLSID jpeg;
    if (find_image_encoder(L"image/jpeg", jpeg)) bitmap.Save(path.c_str(), &jpeg, nullptr);
    return read_bytes(path);
}

namespace {

double decode_to_pixels_and_write_bitmap(const std::vector<unsigned char>& bytes, const std::wstring& bmp_path)
{
    return bench::best_of(3, [&] {
        IStream* stream = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
        {
            Gdiplus::Bitmap picture(stream);
            const int width = static_cast<int>(picture.GetWidth()), height = static_cast<int>(picture.GetHeight());
            Gdiplus::Rect all(0, 0, width, height);
            Gdiplus::BitmapData data;
            if (picture.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, &data) == Gdiplus::Ok) {
                const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
                BITMAPFILEHEADER file{};
                BITMAPINFOHEADER info{};
                file.bfType = 0x4D42;
                file.bfOffBits = sizeof(file) + sizeof(info);
                file.bfSize = file.bfOffBits + row * static_cast<DWORD>(height);
                info.biSize = sizeof(info);
                info.biWidth = width;
                info.biHeight = -height;
                info.biPlanes = 1;
                info.biBitCount = 24;
                KernelHandle out(CreateFileW(bmp_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
                DWORD written = 0;
                WriteFile(out.get(), &file, sizeof(file), &written, nullptr);
                WriteFile(out.get(), &info, sizeof(info), &written, nullptr);
                WriteFile(out.get(), data.Scan0, row * static_cast<DWORD>(height), &written, nullptr);
                FlushFileBuffers(out.get());
                picture.UnlockBits(&data);
            }
        }
        stream->Release();
    });
}

}  // namespace

void figure_install(const std::wstring& folder)
{
    AppSettings.load(folder);
    const std::vector<unsigned char> bytes = make_photo_jpeg(folder + L"\\big.jpg", 6000, 4000);
    bench::note("6000 x 4000 JPEG: " + std::to_string(bytes.size() / 1024) + " KiB");
    ImageItem_CL item;
    item.key = L"big";
    item.sizes[5] = {6000, 4000, L"https://live.staticflickr.com/65535/big_o.jpg"};
    const double floor = decode_to_pixels_and_write_bitmap(bytes, folder + L"\\floor.bmp");
    const double ours = bench::best_of(3, [&] { (void)wallpaper::install_picture(item, bytes.data(), bytes.size(), true); });
    bench::report("install a 6000 x 4000 JPEG", ours, floor, 1.5);
}
