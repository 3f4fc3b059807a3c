#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/GdiplusInclude.h"
#include "base/Trace.h"
#include "imaging/JpegHeader.h"
#include "wallpaper/Wallpaper.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

using namespace testing_support;

namespace {

ImageItem_CL photo(const std::wstring& key, int width, int height)
{
    ImageItem_CL item;
    item.key = key;
    item.farm = 5;
    item.sizes[5] = {width, height, L"https://farm.example/" + key + L"_o.jpg"};
    return item;
}

WallPaperItemBase_CL list_at(const std::wstring& path)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    (void)list.load();  // a missing list reads as empty, which the tests expect
    return list;
}

class Installing : public ::testing::Test {
protected:
    TempFolder documents;
    GdiplusSession gdiplus;
    void SetUp() override { AppSettings.load(documents.path()); }
};

}  // namespace

TEST_F(Installing, LayoutValuesAreClampedToTheSystemsRange)
{
    AppSettings.set_layout_limits(6);
    EXPECT_EQ(wallpaper::layout_of(3).style, 6);
    EXPECT_EQ(wallpaper::layout_of(4).style, 10);
    EXPECT_EQ(wallpaper::layout_of(1).tile, 1);
    EXPECT_EQ(wallpaper::layout_of(-3).style, 10);  // below 0: the default, 4
    AppSettings.set_layout_limits(5);
    EXPECT_EQ(wallpaper::layout_of(4).style, 2);
    EXPECT_EQ(wallpaper::layout_of(4).tile, 0);
    EXPECT_EQ(wallpaper::layout_of(-1).style, 2);
    AppSettings.set_layout_limits(6);
}

TEST_F(Installing, APictureBecomesTheDesktopWallpaperWithItsLayout)
{
    AppSettings.set_layout_limits(5);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kDispStyle, 4);
    const std::vector<unsigned char> bytes = jpeg_bytes(320, 200);
    ASSERT_EQ(wallpaper::install_picture(photo(L"p", 320, 200), bytes.data(), bytes.size(), true), wallpaper::Install::Done);
    EXPECT_EQ(read_file(AppSettings.now_picture_path()), bytes);
    EXPECT_EQ(desktop_value(L"Wallpaper"), AppSettings.now_bitmap_path());
    EXPECT_EQ(desktop_value(L"WallpaperStyle"), L"2");
    EXPECT_EQ(desktop_value(L"TileWallpaper"), L"0");
    Gdiplus::Bitmap bitmap(AppSettings.now_bitmap_path().c_str());
    ASSERT_EQ(bitmap.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(bitmap.GetWidth(), 320u);
    EXPECT_EQ(bitmap.GetHeight(), 200u);
    EXPECT_FALSE(file_exists(AppSettings.now_picture_path() + L".new"));
    AppSettings.set_layout_limits(6);
}

// A registry that refuses the placement values makes the install a failure,
// so the caller records nothing as installed, and the failure is traced.
TEST_F(Installing, ARefusedRegistryWriteIsReportedAndTraced)
{
    const std::vector<unsigned char> bytes = jpeg_bytes(120, 80);
    ASSERT_EQ(wallpaper::install_picture(photo(L"a", 120, 80), bytes.data(), bytes.size(), true), wallpaper::Install::Done);
    const std::wstring before = desktop_value(L"Wallpaper");

    // Below a volatile key no lasting key can be made, so "Control Panel\Desktop"
    // cannot be opened for writing while it stands in for the user's hive.
    const wchar_t* stand_in = L"Software\\TapestrelTest\\VolatileHive";
    HKEY hive = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, stand_in, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &hive,
                              nullptr),
              ERROR_SUCCESS);
    trace::set_log_file(documents.file(L"trace.log"));
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, hive), ERROR_SUCCESS);
    const wallpaper::Install result =
        wallpaper::install_picture(photo(L"b", 120, 80), bytes.data(), bytes.size(), true);
    EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, nullptr), ERROR_SUCCESS);
    trace::set_log_file(L"");
    RegCloseKey(hive);
    RegDeleteKeyW(HKEY_CURRENT_USER, stand_in);

    EXPECT_EQ(result, wallpaper::Install::Failed);
    EXPECT_EQ(desktop_value(L"Wallpaper"), before);
    const std::vector<unsigned char> log = read_file(documents.file(L"trace.log"));
    EXPECT_NE(std::string(log.begin(), log.end()).find("wallpaper placement not written to the registry"), std::string::npos);
}

TEST_F(Installing, SubstitutesAndBrokenPicturesLeaveTheInstalledWallpaperAlone)
{
    const std::vector<unsigned char> good = jpeg_bytes(120, 80);
    ASSERT_EQ(wallpaper::install_picture(photo(L"a", 120, 80), good.data(), good.size(), true), wallpaper::Install::Done);
    const std::vector<unsigned char> bitmap_before = read_file(AppSettings.now_bitmap_path());

    const std::vector<unsigned char> other = jpeg_bytes(100, 100);
    EXPECT_EQ(wallpaper::install_picture(photo(L"b", 120, 80), other.data(), other.size(), true), wallpaper::Install::WrongSize);
    std::vector<unsigned char> truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 3));
    EXPECT_EQ(wallpaper::install_picture(photo(L"c", 120, 80), truncated.data(), truncated.size(), false),
              wallpaper::Install::NotAPicture);
    const std::string text = "<html>not a picture</html>";
    EXPECT_EQ(wallpaper::install_picture(photo(L"d", 120, 80), text.data(), text.size(), false), wallpaper::Install::NotAPicture);

    EXPECT_EQ(read_file(AppSettings.now_picture_path()), good);
    EXPECT_EQ(read_file(AppSettings.now_bitmap_path()), bitmap_before);
    // Without the size check a picture of any size is taken (local files).
    EXPECT_EQ(wallpaper::install_picture(photo(L"e", 1, 1), other.data(), other.size(), false), wallpaper::Install::Done);
}

TEST_F(Installing, HistoryKeepsAThousandNewestFirstWithoutDuplicates)
{
    WallPaperItemBase_CL history;
    history.set_path(AppSettings.history_path());
    for (int i = 0; i < 1000; ++i) history.items.push_back(photo(L"h" + std::to_wstring(i), 10, 10));
    ASSERT_EQ(history.save(), S_OK);

    ImageItem_CL fresh = photo(L"new", 10, 10);
    fresh.localPath = L"C:\\cache\\new.jpg";
    fresh.localWidth = 10;
    ASSERT_TRUE(wallpaper::add_to_history(fresh));
    WallPaperItemBase_CL after = list_at(AppSettings.history_path());
    ASSERT_EQ(after.items.size(), 1000u);
    EXPECT_EQ(after.items[0].key, L"new");
    EXPECT_EQ(after.items[0].localPath, L"");  // a photo keeps no local slot
    EXPECT_EQ(after.items[1].key, L"h0");
    EXPECT_EQ(after.items[999].key, L"h998");

    ASSERT_TRUE(wallpaper::add_to_history(photo(L"h500", 10, 10)));
    after = list_at(AppSettings.history_path());
    ASSERT_EQ(after.items.size(), 1000u);
    EXPECT_EQ(after.items[0].key, L"h500");
    EXPECT_EQ(after.items[1].key, L"new");

    ImageItem_CL local;
    local.key = local.localPath = L"C:\\pictures\\x.jpg";
    local.farm = -1;
    local.localWidth = 64;
    ASSERT_TRUE(wallpaper::add_to_history(local));
    after = list_at(AppSettings.history_path());
    EXPECT_EQ(after.items[0].localPath, L"C:\\pictures\\x.jpg");
    EXPECT_EQ(after.items[0].localWidth, 64);
}

TEST_F(Installing, AHistoryThatCannotBeReadIsNotReplaced)
{
    const std::string unreadable = "locked history";
    ASSERT_TRUE(write_file(AppSettings.history_path(), unreadable));
    KernelHandle lock(CreateFileW(AppSettings.history_path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_FALSE(wallpaper::add_to_history(photo(L"x", 10, 10)));
    lock.reset();
    EXPECT_EQ(read_file(AppSettings.history_path()), std::vector<unsigned char>(unreadable.begin(), unreadable.end()));
}

TEST_F(Installing, SavingTheCurrentWallpaperTwiceGivesTwoFavourites)
{
    EXPECT_FALSE(wallpaper::save_current_as_favourite());
    const std::vector<unsigned char> bytes = jpeg_bytes(64, 48);
    ASSERT_EQ(wallpaper::install_picture(photo(L"cur", 64, 48), bytes.data(), bytes.size(), true), wallpaper::Install::Done);
    ASSERT_TRUE(wallpaper::record_current(photo(L"cur", 64, 48)));

    ASSERT_TRUE(wallpaper::save_current_as_favourite());
    ASSERT_TRUE(wallpaper::save_current_as_favourite());
    WallPaperItemBase_CL favorites = list_at(AppSettings.favorites_path());
    ASSERT_EQ(favorites.items.size(), 2u);
    EXPECT_EQ(favorites.items[0].localPath, AppSettings.favorite_folder + L"\\WallPaper_00001.jpg");
    EXPECT_EQ(favorites.items[1].localPath, AppSettings.favorite_folder + L"\\WallPaper_00000.jpg");
    EXPECT_EQ(favorites.items[0].localWidth, 64);
    EXPECT_EQ(favorites.items[0].localHeight, 48);
    EXPECT_EQ(read_file(favorites.items[1].localPath), bytes);
}

TEST_F(Installing, JpegHeadersGiveTheSizeGdiplusReports)
{
    TempFolder folder;
    const int sizes[][2] = {{1, 1}, {640, 480}, {33, 1017}, {2000, 3}};
    for (const auto& size : sizes) {
        const std::wstring path = folder.file(L"p" + std::to_wstring(size[0]) + L".jpg");
        ASSERT_TRUE(make_jpeg(path, size[0], size[1]));
        int width = 0, height = 0;
        ASSERT_TRUE(read_jpeg_size(path, width, height));
        Gdiplus::Bitmap bitmap(path.c_str());
        EXPECT_EQ(static_cast<UINT>(width), bitmap.GetWidth());
        EXPECT_EQ(static_cast<UINT>(height), bitmap.GetHeight());
    }
    // A header declaring 20000 x 20000 is read without decoding anything.
    std::vector<unsigned char> big = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x4A, 0x46, 0xFF, 0xC0, 0x00, 0x0B, 0x08,
                                      0x4E, 0x20, 0x4E, 0x20, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xD9};
    ASSERT_TRUE(write_file(folder.file(L"big.jpg"), big));
    int width = 0, height = 0;
    ASSERT_TRUE(read_jpeg_size(folder.file(L"big.jpg"), width, height));
    EXPECT_EQ(width, 20000);
    EXPECT_EQ(height, 20000);

    const std::vector<unsigned char> whole = read_file(folder.file(L"p640.jpg"));
    for (size_t cut : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(5), size_t(20)}) {
        ASSERT_TRUE(write_file(folder.file(L"cut.jpg"), std::vector<unsigned char>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut))));
        EXPECT_FALSE(read_jpeg_size(folder.file(L"cut.jpg"), width, height)) << cut;
    }
    ASSERT_TRUE(write_file(folder.file(L"text.jpg"), std::string("GIF89a not a jpeg")));
    EXPECT_FALSE(read_jpeg_size(folder.file(L"text.jpg"), width, height));
    EXPECT_FALSE(read_jpeg_size(folder.file(L"missing.jpg"), width, height));
}

// Camera pictures carry their pixels as the sensor read them and an Exif tag
// that says how to turn them; the installed bitmap must stand upright for all
// eight values, the mirrored ones included, in either byte order.
TEST_F(Installing, EveryExifOrientationIsInstalledUpright)
{
    struct Case {
        int orientation;
        Quarter top_left, top_right;
    };
    const Case cases[] = {{1, Quarter::Red, Quarter::Green},  {2, Quarter::Green, Quarter::Red},
                          {3, Quarter::White, Quarter::Blue}, {4, Quarter::Blue, Quarter::White},
                          {5, Quarter::Red, Quarter::Blue},   {6, Quarter::Blue, Quarter::Red},
                          {7, Quarter::White, Quarter::Green}, {8, Quarter::Green, Quarter::White}};
    const std::vector<unsigned char> stored = quartered_jpeg_bytes(120, 80);
    ASSERT_FALSE(stored.empty());
    for (const Case& c : cases) {
        const bool sideways = c.orientation >= 5;
        const std::vector<unsigned char> bytes = with_exif(stored, c.orientation, {}, c.orientation % 2 == 0);
        // The service may state either the stored or the upright size.
        const bool upright_size = c.orientation % 3 == 0;
        const ImageItem_CL item = sideways && upright_size ? photo(L"p", 80, 120) : photo(L"p", 120, 80);
        ASSERT_EQ(wallpaper::install_picture(item, bytes.data(), bytes.size(), true), wallpaper::Install::Done)
            << c.orientation;
        Gdiplus::Bitmap bitmap(AppSettings.now_bitmap_path().c_str());
        ASSERT_EQ(bitmap.GetLastStatus(), Gdiplus::Ok);
        EXPECT_EQ(bitmap.GetWidth(), sideways ? 80u : 120u) << c.orientation;
        EXPECT_EQ(bitmap.GetHeight(), sideways ? 120u : 80u) << c.orientation;
        Gdiplus::Color top_left, top_right;
        bitmap.GetPixel(4, 4, &top_left);
        bitmap.GetPixel(static_cast<INT>(bitmap.GetWidth()) - 5, 4, &top_right);
        EXPECT_EQ(quarter_of(top_left), c.top_left) << c.orientation;
        EXPECT_EQ(quarter_of(top_right), c.top_right) << c.orientation;
        int width = 0, height = 0;
        ASSERT_TRUE(read_jpeg_size(AppSettings.now_picture_path(), width, height));
        EXPECT_EQ(width * 1000 + height, sideways ? 80120 : 120080) << c.orientation;
    }
    // A sideways size that fits neither way is still a substitute picture.
    const std::vector<unsigned char> turned = with_exif(stored, 6);
    EXPECT_EQ(wallpaper::install_picture(photo(L"q", 120, 120), turned.data(), turned.size(), true),
              wallpaper::Install::WrongSize);
}

// A damaged or strange Exif block means "no orientation", never a failure.
TEST_F(Installing, AnInvalidOrDamagedOrientationLeavesThePictureAsStored)
{
    const std::vector<unsigned char> stored = quartered_jpeg_bytes(120, 80);
    std::vector<unsigned char> cut_block = with_exif(stored, 6);
    cut_block[20] = 0xFF;  // the first IFD's entry count now runs past the block
    cut_block[21] = 0xFF;
    for (const std::vector<unsigned char>& bytes : {with_exif(stored, 0), with_exif(stored, 9, {}, true), cut_block}) {
        ASSERT_EQ(wallpaper::install_picture(photo(L"p", 120, 80), bytes.data(), bytes.size(), true),
                  wallpaper::Install::Done);
        Gdiplus::Bitmap bitmap(AppSettings.now_bitmap_path().c_str());
        EXPECT_EQ(bitmap.GetWidth(), 120u);
        Gdiplus::Color top_left;
        bitmap.GetPixel(4, 4, &top_left);
        EXPECT_EQ(quarter_of(top_left), Quarter::Red);
    }
}

TEST_F(Installing, PicturesPerMonitorAreInstalledTogetherOrNotAtAll)
{
    AppInifile.write_int(keys::kWallPaperInfo, keys::kDispStyle, 2);
    // The second monitor left of and above the first: the bitmap's origin is -80,-60.
    const std::vector<RECT> monitors = {{0, 0, 160, 100}, {-80, -60, 0, 0}};
    const std::vector<unsigned char> first = jpeg_bytes(120, 80), second = jpeg_bytes(100, 100);
    EXPECT_EQ(wallpaper::stage_picture(photo(L"b", 120, 80), second.data(), second.size(), true, 1), wallpaper::Install::WrongSize);
    ASSERT_EQ(wallpaper::stage_picture(photo(L"a", 120, 80), first.data(), first.size(), true, 0), wallpaper::Install::Done);
    ASSERT_EQ(wallpaper::stage_picture(photo(L"b", 100, 100), second.data(), second.size(), true, 1), wallpaper::Install::Done);
    ASSERT_TRUE(wallpaper::install_staged(2, monitors));
    EXPECT_EQ(read_file(wallpaper::picture_path(0)), first);
    EXPECT_EQ(read_file(wallpaper::picture_path(1)), second);
    EXPECT_EQ(wallpaper::picture_path(1), documents.path() + L"\\Tapestrel\\Tapestrel_NowWallPaper_2.jpg");
    EXPECT_EQ(desktop_value(L"WallpaperStyle"), L"22");
    const std::vector<unsigned char> bitmap_before = read_file(AppSettings.now_bitmap_path());

    // One picture that does not decode fails the whole change; nothing installed changes.
    std::vector<unsigned char> truncated(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(first.size() / 3));
    const bool staged =
        wallpaper::stage_picture(photo(L"c", 120, 80), second.data(), second.size(), false, 0) == wallpaper::Install::Done &&
        wallpaper::stage_picture(photo(L"d", 120, 80), truncated.data(), truncated.size(), true, 1) == wallpaper::Install::Done;
    EXPECT_FALSE(staged && wallpaper::install_staged(2, monitors));
    wallpaper::discard_staged(2);
    EXPECT_EQ(read_file(wallpaper::picture_path(0)), first);
    EXPECT_EQ(read_file(wallpaper::picture_path(1)), second);
    EXPECT_EQ(read_file(AppSettings.now_bitmap_path()), bitmap_before);
    EXPECT_FALSE(file_exists(wallpaper::picture_path(0) + L".new"));
    EXPECT_FALSE(file_exists(AppSettings.now_bitmap_path() + L".new"));
}
