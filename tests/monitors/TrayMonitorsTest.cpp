// The real tray process on two real monitors (the Xorg fixture): a picture per
// monitor, laid out side by side, stacked, and left of or above the primary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "TestSupport.h"
#include "TrayDriver.h"
#include "base/GdiplusInclude.h"
#include "imaging/ImageEncoder.h"
#include "wallpaper/MonitorWallpaper.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

using namespace testing_support;

namespace {

constexpr DWORD kTimeout = 20000;
constexpr int kFill = 4;

struct Layout {
    const wchar_t* name;
    RECT other;  // the primary monitor is always 0,0 1280x800
};
const RECT kPrimary = {0, 0, 1280, 800};
const Layout kSide = {L"side", {1280, 0, 2304, 768}};
const Layout kStacked = {L"stacked", {0, 800, 1024, 1568}};
const Layout kLeft = {L"left", {-1024, 0, 0, 768}};
const Layout kAbove = {L"above", {0, -768, 1024, 0}};

std::wstring windows_path(std::wstring unix_path)
{
    for (wchar_t& c : unix_path)
        if (c == L'/') c = L'\\';
    return L"Z:" + unix_path;
}

// Starts the fixture's "layout" command on the host. Wine gives no handle that
// can be waited for, so callers wait until the system reports the layout.
bool set_layout(const wchar_t* name)
{
    const std::wstring python = windows_path(env(L"TAPESTREL_PYTHON"));
    std::wstring command = L"\"" + env(L"TAPESTREL_PYTHON") + L"\" \"" + env(L"TAPESTREL_MONITOR_FIXTURE") +
                           L"\" layout --dir \"" + env(L"TAPESTREL_MONITOR_DIR") + L"\" " + name;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(python.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start the fixture's layout command, error " << GetLastError();
        return false;
    }
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return true;
}

bool same(const std::vector<RECT>& a, const std::vector<RECT>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!EqualRect(&a[i], &b[i])) return false;
    return true;
}

bool solid_jpeg(const std::wstring& path, Gdiplus::Color colour)
{
    Gdiplus::Bitmap bitmap(640, 400, PixelFormat24bppRGB);
    Gdiplus::Graphics(&bitmap).Clear(colour);
    CLSID jpeg;
    return find_image_encoder(L"image/jpeg", jpeg) && bitmap.Save(path.c_str(), &jpeg, nullptr) == Gdiplus::Ok;
}

std::vector<ImageItem_CL> items_of(const std::wstring& path)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    (void)list.load();  // a missing list is an empty one
    return list.items;
}

std::vector<std::wstring> keys_of(const std::vector<ImageItem_CL>& items)
{
    std::vector<std::wstring> keys;
    for (const ImageItem_CL& item : items) keys.push_back(item.key);
    return keys;
}

class TwoMonitors : public ::testing::Test {
protected:
    GdiplusSession gdiplus;
    TempFolder pictures;
    TrayDriver driver;
    KernelHandle tray;
    std::map<std::wstring, Gdiplus::Color> colours;
    std::wstring service;  // the stand-in's folder for the photo service

    void SetUp() override
    {
        ASSERT_FALSE(env(L"TAPESTREL_MONITOR_DIR").empty())
            << "runs only in the two-monitor fixture (tests/support/monitor_fixture.py run)";
        ASSERT_TRUE(use_layout(kSide)) << "the fixture's X server did not give Wine two monitors: Wine reports "
                                       << monitor_wallpaper::current_monitors().size();
        service = fresh_program_folder(L"monitors");
        const Gdiplus::Color choices[] = {Gdiplus::Color(255, 220, 0, 0), Gdiplus::Color(255, 0, 200, 0),
                                          Gdiplus::Color(255, 0, 0, 230)};
        int n = 0;
        for (const Gdiplus::Color& colour : choices) {
            const std::wstring path = pictures.file(L"picture" + std::to_wstring(n++) + L".jpg");
            ASSERT_TRUE(solid_jpeg(path, colour));
            colours[path] = colour;
        }
        AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0);
        AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 0);
        AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 1);
        AppInifile.write_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit, pictures.path());
        AppInifile.write_int(keys::kWallPaperInfo, keys::kDispStyle, kFill);
        AppInifile.write_int(keys::kWallPaperInfo, keys::kAutoChange, 0);
        AppInifile.write_int(keys::kInfoGet, keys::kCandAuteAdd, 0);
    }

    void TearDown() override
    {
        if (tray) {
            EXPECT_TRUE(driver.exit_tray(tray.get(), kTimeout));
        }
    }

    void start_tray()
    {
        ASSERT_TRUE(driver.ready());
        tray = start_tapestrel(L"");
        ASSERT_TRUE(tray);
        ASSERT_TRUE(driver.find_tray(kTimeout));
    }

    // Lays the monitors out and waits until Wine reports them so.
    bool use_layout(const Layout& layout)
    {
        const std::vector<RECT> expected = {kPrimary, layout.other};
        return set_layout(layout.name) &&
               driver.pump_until([&] { return same(monitor_wallpaper::current_monitors(), expected); }, kTimeout);
    }

    // What Windows sends every top-level window once the monitors changed.
    // Wine takes the X server's new layout but tells no window, so the test
    // broadcasts it; sent, so every window has handled it on return.
    void announce_display_change() const
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(HWND_BROADCAST, WM_DISPLAYCHANGE, 24,
                            MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)), SMTO_ABORTIFHUNG,
                            kTimeout, &result);
    }

    // The tray lays the pictures out again on a worker: waits until the
    // installed bitmap has the size of the new layout (read from its header).
    bool wait_for_bitmap(LONG width, LONG height)
    {
        return driver.pump_until(
            [&] {
                const std::vector<unsigned char> bytes = read_file(AppSettings.now_bitmap_path());
                BITMAPINFOHEADER header{};
                if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(header)) return false;
                std::memcpy(&header, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof(header));
                return header.biWidth == width && std::abs(header.biHeight) == height;
            },
            kTimeout);
    }
    bool wait_for_bitmap(const Layout& layout)
    {
        const RECT all = monitor_wallpaper::bounds({kPrimary, layout.other});
        return wait_for_bitmap(all.right - all.left, all.bottom - all.top);
    }
    // The tray is still busy a moment after the new layout's bitmap is in
    // place (the wallpaper is being installed), and refuses a change until then.
    bool change_at_rest()
    {
        for (int tries = 0; tries < 10; ++tries)
            if (driver.change_now(2000)) return true;
        return false;
    }

    // The installed bitmap spans both monitors, each showing its own record's picture.
    void expect_spanned(const Layout& layout, const std::vector<ImageItem_CL>& records)
    {
        SCOPED_TRACE(layout.name);
        const std::vector<RECT> monitors = {kPrimary, layout.other};
        const RECT all = monitor_wallpaper::bounds(monitors);
        EXPECT_EQ(desktop_value(L"Wallpaper"), AppSettings.now_bitmap_path());
        EXPECT_EQ(desktop_value(L"WallpaperStyle"), L"22");
        EXPECT_EQ(desktop_value(L"TileWallpaper"), L"0");
        Gdiplus::Bitmap bitmap(AppSettings.now_bitmap_path().c_str());
        ASSERT_EQ(bitmap.GetLastStatus(), Gdiplus::Ok);
        EXPECT_EQ(static_cast<LONG>(bitmap.GetWidth()), all.right - all.left);
        EXPECT_EQ(static_cast<LONG>(bitmap.GetHeight()), all.bottom - all.top);
        ASSERT_EQ(records.size(), 2u);
        for (size_t i = 0; i < monitors.size(); ++i) {
            const RECT& m = monitors[i];
            // A corner and the middle of the monitor: fill covers all of it.
            for (const POINT point : {POINT{m.left + 2, m.top + 2}, POINT{(m.left + m.right) / 2, (m.top + m.bottom) / 2}}) {
                Gdiplus::Color pixel;
                ASSERT_EQ(bitmap.GetPixel(point.x - all.left, point.y - all.top, &pixel), Gdiplus::Ok);
                const Gdiplus::Color want = colours[records[i].localPath];
                EXPECT_NEAR(pixel.GetR(), want.GetR(), 12) << "monitor " << i;
                EXPECT_NEAR(pixel.GetG(), want.GetG(), 12) << "monitor " << i;
                EXPECT_NEAR(pixel.GetB(), want.GetB(), 12) << "monitor " << i;
            }
        }
    }
};

}  // namespace

TEST_F(TwoMonitors, EachMonitorShowsItsOwnPictureInEveryLayout)
{
    AppInifile.write_int(keys::kWallPaperInfo, keys::kPerMonitor, 1);
    start_tray();
    std::vector<ImageItem_CL> records;
    for (const Layout& layout : {kSide, kStacked, kLeft, kAbove}) {
        ASSERT_TRUE(use_layout(layout)) << layout.name;
        if (!records.empty()) {
            // The same pictures laid out again for the new monitors, without a new draw.
            const size_t history = items_of(AppSettings.history_path()).size();
            announce_display_change();
            ASSERT_TRUE(wait_for_bitmap(layout)) << layout.name;
            EXPECT_EQ(keys_of(items_of(AppSettings.now_items_path())), keys_of(records));
            EXPECT_EQ(items_of(AppSettings.history_path()).size(), history);
            expect_spanned(layout, records);
        }
        ASSERT_TRUE(change_at_rest()) << layout.name;
        records = items_of(AppSettings.now_items_path());
        ASSERT_EQ(records.size(), 2u);
        EXPECT_NE(records[0].key, records[1].key);
        expect_spanned(layout, records);
        const std::vector<ImageItem_CL> history = items_of(AppSettings.history_path());
        ASSERT_GE(history.size(), 2u);
        EXPECT_EQ(history[0].key, records[0].key);
        EXPECT_EQ(history[1].key, records[1].key);
    }

    // One monitor left: the first record's picture alone, placed the usual way.
    ASSERT_TRUE(set_layout(L"single"));
    ASSERT_TRUE(driver.pump_until([] { return monitor_wallpaper::current_monitors().size() == 1; }, kTimeout));
    announce_display_change();
    ASSERT_TRUE(wait_for_bitmap(640, 400));
    EXPECT_EQ(keys_of(items_of(AppSettings.now_items_path())), keys_of(records));
    Gdiplus::Bitmap single(AppSettings.now_bitmap_path().c_str());
    ASSERT_EQ(single.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(single.GetWidth(), 640u);
    EXPECT_EQ(single.GetHeight(), 400u);
    EXPECT_EQ(desktop_value(L"WallpaperStyle"), L"10");
    EXPECT_EQ(desktop_value(L"TileWallpaper"), L"0");
    Gdiplus::Color pixel;
    single.GetPixel(320, 200, &pixel);
    EXPECT_NEAR(pixel.GetR(), colours[records[0].localPath].GetR(), 12);
    EXPECT_NEAR(pixel.GetG(), colours[records[0].localPath].GetG(), 12);
}

TEST_F(TwoMonitors, WithTheOptionOffOnePictureIsInstalledAsBefore)
{
    start_tray();
    ASSERT_TRUE(driver.change_now(kTimeout));
    const std::vector<ImageItem_CL> records = items_of(AppSettings.now_items_path());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(desktop_value(L"WallpaperStyle"), L"10");
    EXPECT_EQ(desktop_value(L"TileWallpaper"), L"0");
    const std::vector<unsigned char> installed = read_file(AppSettings.now_bitmap_path());
    {
        Gdiplus::Bitmap bitmap(AppSettings.now_bitmap_path().c_str());
        EXPECT_EQ(bitmap.GetWidth(), 640u);
        EXPECT_EQ(bitmap.GetHeight(), 400u);
    }
    EXPECT_FALSE(file_exists(AppSettings.app_folder + L"\\Tapestrel_NowWallPaper_2.jpg"));
    // A layout change leaves the single picture to the system, as before.
    ASSERT_TRUE(use_layout(kStacked));
    announce_display_change();
    EXPECT_EQ(read_file(AppSettings.now_bitmap_path()), installed);
    EXPECT_EQ(desktop_value(L"WallpaperStyle"), L"10");
}

// Each monitor's service photo comes at the offered size that covers that
// monitor's own pixels, whatever the display scaling.
TEST_F(TwoMonitors, EachMonitorsServicePhotoComesAtTheSizeThatCoversIt)
{
    std::vector<OfferedSize> sizes = {{"Large", 1024, 768, L""}, {"Large 1600", 1600, 1200, L""}, {"Large 2048", 2048, 1536, L""}};
    for (OfferedSize& size : sizes) {
        const std::wstring name = service + L"/" + std::to_wstring(size.width) + L"x" + std::to_wstring(size.height) + L".jpg";
        const std::vector<unsigned char> picture = jpeg_bytes(size.width, size.height);
        ASSERT_TRUE(serve_file(name, std::string(picture.begin(), picture.end())));
        size.url = http_url(name);
    }
    ASSERT_TRUE(serve_file(service + L"/services/rest", sizes_answer(sizes)));
    WallPaperItemBase_CL candidates;
    candidates.set_path(AppSettings.candidates_path());
    for (int n = 1; n <= 2; ++n) {
        ImageItem_CL photo;
        photo.key = L"http://farm3.staticflickr.com/7/4" + std::to_wstring(n) + L"_s";
        photo.farm = 3;
        photo.sizes[5] = {2048, 1536, http_url(service + L"/2048x1536.jpg")};
        candidates.items.push_back(photo);
    }
    ASSERT_EQ(candidates.save(), S_OK);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeCandidateUse, 1);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 0);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kPerMonitor, 1);
    start_tray();
    ASSERT_TRUE(driver.change_now(kTimeout));
    EXPECT_EQ(items_of(AppSettings.now_items_path()).size(), 2u);
    const std::vector<std::string> requests = http_requests(service);
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "1600x1200.jpg"), 1) << "the primary monitor is 1280 x 800";
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "1024x768.jpg"), 1) << "the other is 1024 x 768";
    EXPECT_EQ(std::count(requests.begin(), requests.end(), "2048x1536.jpg"), 0);
}

// The 144-DPI run says so (TAPESTREL_DPI): the composition above must not have
// passed in a prefix that stayed at 96.
TEST(TrayMonitors, TheRunIsAtItsDpi)
{
    const std::wstring asked = env(L"TAPESTREL_DPI");
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(dpi, asked.empty() ? 96 : std::stoi(asked));
}
