// Child process for the concurrency tests: changes the candidate list of an
// application folder many times through the same code the two programs use,
// each change a whole-file read-modify-write under the file mutex.
//   tapestrel_list_changer <documents folder> <window|tray|wallpaper> <tag> <changes>
// "window" adds with the item commands of the main window and removes every
// fifth record it added again; "tray" merges one photo at a time as a candidate
// run does; "wallpaper" installs a plain picture (WallpaperColour.h) at a time
// through the install road of both programs. Record keys are <tag><number>.
// Exit code 0 when every change was stored, 1 when one failed, 2 on wrong arguments.
#include <string>
#include <vector>

#include <windows.h>

#include "wallpaper/CandidateRun.h"
#include "store/AppSettings_CL.h"
#include "wallpaper/ItemCommands.h"
#include "wallpaper/WallpaperChange.h"
#include "WallpaperColour.h"
#include "base/ComPtr.h"
#include "imaging/ImageEncoder.h"

namespace {

ImageItem_CL photo(const std::wstring& key)
{
    ImageItem_CL item;
    item.key = key;
    item.farm = 3;
    item.title = L"並行 " + key;
    item.sizes[5] = {1600, 1200, L"http://farm.example/" + key + L"_o.jpg"};
    return item;
}

bool window_change(const std::wstring& tag, int n)
{
    if (!item_commands::add_candidate(photo(tag + std::to_wstring(n)))) return false;
    // Every fifth change takes back a record added a few changes before.
    if (n % 5 == 4) return item_commands::remove_keys(AppSettings.candidates, {tag + std::to_wstring(n - 2)});
    return true;
}

bool tray_change(const std::wstring& tag, int n)
{
    return candidate_run::store_candidates({photo(tag + std::to_wstring(n))}) == 1;
}

// A small JPEG of the record's plain colour.
std::vector<unsigned char> plain_jpeg(const std::wstring& key)
{
    Gdiplus::Bitmap picture(64, 48, PixelFormat24bppRGB);
    {
        Gdiplus::Graphics graphics(&picture);
        Gdiplus::SolidBrush brush(wallpaper_colour(key));
        graphics.FillRectangle(&brush, 0, 0, 64, 48);
    }
    CLSID jpeg;
    ComPtr<IStream> stream;
    if (!find_image_encoder(L"image/jpeg", jpeg) || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.receive())) ||
        picture.Save(stream.get(), &jpeg, nullptr) != Gdiplus::Ok)
        return {};
    STATSTG stat{};
    const LARGE_INTEGER start{};
    std::vector<unsigned char> bytes;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return {};
    bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG got = 0;
    if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got)) || got != bytes.size()) return {};
    return bytes;
}

bool wallpaper_change(const std::wstring& tag, int n)
{
    ImageItem_CL item;
    item.key = tag + std::to_wstring(n);
    item.farm = -1;
    return WallpaperChange::install_given(item, plain_jpeg(item.key));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 5) return 2;
    AppSettings.load(argv[1]);
    AppSettings.cand_check_min_pic = 0;
    AppSettings.cand_width_long = 0;
    const std::wstring mode = argv[2];
    const std::wstring tag = argv[3];
    const int changes = _wtoi(argv[4]);
    const auto change = mode == L"window" ? window_change : mode == L"tray" ? tray_change : wallpaper_change;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ULONG_PTR gdiplus = 0;
    const Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr);
    int code = 0;
    for (int n = 0; n < changes && code == 0; ++n) {
        if (!change(tag, n)) code = 1;
    }
    Gdiplus::GdiplusShutdown(gdiplus);
    CoUninitialize();
    return code;
}
