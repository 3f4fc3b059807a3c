#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "FuzzSupport.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "imaging/JpegHeader.h"
#include "wallpaper/MyFindFileIcon_CL.h"
#include "wallpaper/SharedRandom_CL.h"
#include "wallpaper/WallpaperChooser.h"
#include "wallpaper/Wallpaper.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "imaging/PictureDecode.h"

using namespace testing_support;

namespace {

std::string as_string(const std::vector<unsigned char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The picture with the size its frame header declares replaced, the scan data
// left as it is: a header for a picture that is not there.
std::string with_declared_size(std::string jpeg, unsigned width, unsigned height)
{
    for (size_t at = 2; at + 9 < jpeg.size(); ++at) {
        const unsigned char marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (static_cast<unsigned char>(jpeg[at]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            jpeg[at + 5] = static_cast<char>(height >> 8);
            jpeg[at + 6] = static_cast<char>(height & 0xFF);
            jpeg[at + 7] = static_cast<char>(width >> 8);
            jpeg[at + 8] = static_cast<char>(width & 0xFF);
            break;
        }
    }
    return jpeg;
}

HGLOBAL block_of(const std::string& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(bytes.size(), 1));
    if (!block) return nullptr;
    void* data = GlobalLock(block);
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
    GlobalUnlock(block);
    return block;
}

const std::vector<std::string>& dictionary()
{
    static const std::vector<std::string> words = {
        std::string("\xFF\xD8", 2), std::string("\xFF\xD9", 2), std::string("\xFF\xDA\x00\x02", 4),
        std::string("\xFF\xC0\x00\x11\x08\x4E\x20\x4E\x20\x03", 10), std::string("\xFF\xC0\x00\x02", 4),
        std::string("\xFF\xC2\x00\x0B\x08\x00\x00\x00\x00\x01", 10), std::string("\xFF\xE1\xFF\xFF", 4),
        std::string("\xFF\xC4\x00\x00", 4), std::string("\xFF\xDB\x00\x43\x00", 5), std::string(200, '\xFF'),
        "Exif\0\0MM", std::string(4096, '\0')};
    return words;
}

// The parts of an Exif block a reader may stumble over: byte orders, entry
// counts, the orientation and thumbnail tags with odd types, wild offsets.
const std::vector<std::string>& exif_dictionary()
{
    static const std::vector<std::string> words = {
        std::string("II*\0", 4), std::string("MM\0*", 4), std::string("\x01\x12\x00\x03\x00\x00\x00\x01", 8),
        std::string("\x12\x01\x03\x00\x01\x00\x00\x00", 8), std::string("\x02\x01\x04\x00", 4),
        std::string("\x02\x02\x04\x00", 4), std::string("\xFF\xFF\xFF\xFF", 4), std::string("\x00\x00\x00\x08", 4),
        std::string("\xFF\xFF", 2), std::string("\x00\x09", 2), std::string("\xFF\xE1\x00\x08" "Exif\0\0", 10)};
    return words;
}

class PictureFuzz : public ::testing::Test {
protected:
    GdiplusSession gdiplus;
    TempFolder folder;
    std::string jpeg = as_string(jpeg_bytes(64, 48));
    void SetUp() override { ASSERT_GT(jpeg.size(), 100u); }
};

}  // namespace

TEST_F(PictureFuzz, DamagedJpegsGiveTheirDeclaredSizeOrNothing)
{
    const std::wstring path = folder.file(L"damaged.jpg");
    const char* name = "jpeg files";
    const size_t cases = fuzz::announce(name, 20000);
    size_t decoded_count = 0;
    for (size_t index = 0; index < cases; ++index) {
        std::mt19937_64 random = fuzz::case_generator(name, index);
        fuzz::Mutator mutator(random);
        const std::string bytes = mutator.chance(10) ? jpeg.substr(0, mutator.below(jpeg.size()))
                                                     : mutator.mutate(jpeg, dictionary(), 4);
        ASSERT_TRUE(fuzz::overwrite_file(path, bytes)) << fuzz::where(index);
        int width = 0, height = 0;
        const bool header = read_jpeg_size(path, width, height);
        int memory_width = 0, memory_height = 0;
        ASSERT_EQ(read_jpeg_size(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), memory_width,
                                 memory_height),
                  header)
            << fuzz::where(index);
        if (header) {
            ASSERT_TRUE(width >= 1 && width <= 65535 && height >= 1 && height <= 65535) << fuzz::where(index);
            ASSERT_EQ(memory_width, width) << fuzz::where(index);
            ASSERT_EQ(memory_height, height) << fuzz::where(index);
        }
        const std::unique_ptr<Gdiplus::Image> picture = decode_block(block_of(bytes), true);
        if (!picture) continue;
        ++decoded_count;
        const long long pixels = static_cast<long long>(picture->GetWidth()) * picture->GetHeight();
        ASSERT_TRUE(pixels > 0 && pixels <= kMaxDecodedPixels) << fuzz::where(index);
        if (header) {
            ASSERT_EQ(picture->GetWidth(), static_cast<UINT>(width)) << fuzz::where(index);
            ASSERT_EQ(picture->GetHeight(), static_cast<UINT>(height)) << fuzz::where(index);
        }
    }
    std::printf("[fuzz] jpeg files: %zu of %zu damaged pictures still decoded\n", decoded_count, cases);
    fuzz::expect_peak_memory_below(fuzz::kMemoryBound);
}

// Camera pictures: a damaged Exif block means no orientation and no embedded
// thumbnail, never a crash, a read outside the block or a wrong size.
TEST_F(PictureFuzz, DamagedExifBlocksGiveAnOrientationInRangeOrNone)
{
    const std::string original = as_string(with_exif(jpeg_bytes(64, 48), 6, jpeg_bytes(16, 12)));
    const std::wstring path = folder.file(L"camera.jpg");
    // The mutations stay in the start marker and the Exif segment.
    const size_t block_end = 4 + (static_cast<unsigned char>(original[4]) << 8 | static_cast<unsigned char>(original[5]));
    const char* name = "exif blocks";
    const size_t cases = fuzz::announce(name, 5000);
    size_t turned = 0;
    for (size_t index = 0; index < cases; ++index) {
        std::mt19937_64 random = fuzz::case_generator(name, index);
        fuzz::Mutator mutator(random);
        const std::string bytes =
            mutator.mutate(original.substr(0, block_end), exif_dictionary(), 3) + original.substr(block_end);
        ASSERT_TRUE(fuzz::overwrite_file(path, bytes)) << fuzz::where(index);
        JpegInfo from_file, from_memory;
        const bool header = read_jpeg_info(path, from_file, true);
        ASSERT_EQ(read_jpeg_info(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), from_memory, true),
                  header)
            << fuzz::where(index);
        if (!header) continue;
        ASSERT_TRUE(from_file.orientation >= 1 && from_file.orientation <= 8) << fuzz::where(index);
        ASSERT_EQ(from_memory.orientation, from_file.orientation) << fuzz::where(index);
        ASSERT_EQ(from_memory.thumbnail, from_file.thumbnail) << fuzz::where(index);
        ASSERT_LE(from_file.thumbnail.size(), bytes.size()) << fuzz::where(index);
        if (from_file.sideways()) ++turned;
        // Whatever the block says, what is shown has the size the header reader reports.
        const std::unique_ptr<Gdiplus::Image> picture = decode_block(block_of(bytes), true);
        if (picture) {
            ASSERT_EQ(picture->GetWidth(), static_cast<UINT>(from_file.upright_width())) << fuzz::where(index);
            ASSERT_EQ(picture->GetHeight(), static_cast<UINT>(from_file.upright_height())) << fuzz::where(index);
        }
        if (index % 10 == 0) decode_thumbnail(path, 144, 108);
    }
    std::printf("[fuzz] exif blocks: %zu of %zu damaged blocks still turned the picture\n", turned, cases);
    fuzz::expect_peak_memory_below(fuzz::kMemoryBound);
}

TEST_F(PictureFuzz, OddPicturesAreSizedSkippedOrRefusedWithoutDecodingGigabytes)
{
    ASSERT_TRUE(make_jpeg(folder.file(L"one.jpg"), 1, 1));
    ASSERT_TRUE(write_file(folder.file(L"huge.jpg"), with_declared_size(jpeg, 20000, 20000)));
    ASSERT_TRUE(write_file(folder.file(L"text.jpg"), std::string("This is not a picture.\r\n")));
    ASSERT_TRUE(write_file(folder.file(L"empty.jpeg"), std::string()));
    ASSERT_TRUE(write_file(folder.file(L"start only.JPG"), std::string("\xFF\xD8", 2)));
    ASSERT_TRUE(write_file(folder.file(L"cut.jpg"), jpeg.substr(0, jpeg.size() / 2)));

    int width = 0, height = 0;
    ASSERT_TRUE(read_jpeg_size(folder.file(L"one.jpg"), width, height));
    EXPECT_EQ(width * 1000 + height, 1001);
    ASSERT_TRUE(read_jpeg_size(folder.file(L"huge.jpg"), width, height));
    EXPECT_EQ(width, 20000);
    EXPECT_EQ(height, 20000);
    EXPECT_FALSE(read_jpeg_size(folder.file(L"text.jpg"), width, height));
    EXPECT_FALSE(read_jpeg_size(folder.file(L"empty.jpeg"), width, height));
    EXPECT_FALSE(read_jpeg_size(folder.file(L"start only.JPG"), width, height));

    // The tray's draw: pictures with a readable header, with that size; the rest never drawn.
    MyFindFileIcon_CL walk;
    walk.scan(folder.file(L"*.*"), true);
    SharedRandom_CL random;
    const WallPaperItemBase_CL history;
    std::set<std::wstring> found;
    for (int i = 0; i < 100; ++i) {
        ImageItem_CL item;
        ASSERT_TRUE(wallpaper_chooser::draw({}, {}, walk.names, history, random, item));
        found.insert(item.title + L" " + std::to_wstring(item.localWidth) + L"x" + std::to_wstring(item.localHeight));
    }
    EXPECT_EQ(found, (std::set<std::wstring>{L"cut.jpg 64x48", L"huge.jpg 20000x20000", L"one.jpg 1x1"}));

    // Decoding: the small ones as they are, the giant header refused before any pixel is allocated.
    const std::unique_ptr<Gdiplus::Image> one = decode_file(folder.file(L"one.jpg"));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->GetWidth() * 1000 + one->GetHeight(), 1001u);
    EXPECT_FALSE(decode_file(folder.file(L"huge.jpg")));
    EXPECT_FALSE(decode_block(block_of(with_declared_size(jpeg, 20000, 20000)), true));
    EXPECT_FALSE(decode_file(folder.file(L"text.jpg")));
    EXPECT_FALSE(decode_file(folder.file(L"empty.jpeg")));

    // Installing one: nothing converted, no bitmap left behind.
    EXPECT_FALSE(wallpaper::set_wallpaper(folder.file(L"huge.jpg")));
    EXPECT_FALSE(file_exists(folder.file(L"huge.bmp")));
    EXPECT_FALSE(wallpaper::set_wallpaper(folder.file(L"text.jpg")));
    EXPECT_FALSE(file_exists(folder.file(L"text.bmp")));
    fuzz::expect_peak_memory_below(fuzz::kMemoryBound);
}

TEST_F(PictureFuzz, UndecodableThumbnailsShowTheErrorPictureAndAreFetchedOnce)
{
    const std::wstring error_image = env(L"TAPESTREL_SOURCE") + L"\\res\\err_image.JPG";
    ASSERT_TRUE(decode_file(error_image));
    ui_testing::HostWindow host(640, 480, true);
    MyFlickerListBox_CL list;
    host.set_hook([&](HWND, UINT message, WPARAM, LPARAM lparam, LRESULT* result) {
        if (!list.window() || !list.on_parent_message(message, lparam)) return false;
        *result = TRUE;
        return true;
    });
    // LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL | LBS_NODATA, as the tabs make it.
    ASSERT_NE(list.create(host.hwnd(), 0x3302, 560, 400, 0x2811, 0, 20), nullptr);
    list.set_error_image(error_image);

    const std::wstring run = L"fuzz_pictures/" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                             std::to_wstring(GetTickCount()) + L"/";
    const std::vector<std::pair<std::wstring, std::string>> served = {
        {L"text.jpg", "<html>not found</html>"},
        {L"huge.jpg", with_declared_size(jpeg, 20000, 20000)},
        {L"cut.jpg", jpeg.substr(0, 20)},
        {L"good.jpg", jpeg}};
    std::vector<ImageItem_CL> records;
    for (const auto& file : served) {
        ASSERT_TRUE(serve_file(run + file.first, file.second));
        ImageItem_CL item;
        item.key = http_url(run + file.first);
        item.farm = 3;
        item.title = file.first;
        item.sizes[1].url = item.key;
        records.push_back(item);
    }
    ASSERT_TRUE(write_file(folder.file(L"local text.jpg"), std::string("text")));
    records.push_back(ui_testing::local_record(folder.file(L"local text.jpg"), L"local text"));
    list.append_records(records);
    const auto paint = [&] { RedrawWindow(list.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); };
    EXPECT_TRUE(ui_testing::pump_until([&] {
        paint();
        return list.cached_count() == records.size();
    }));
    for (int round = 0; round < 5; ++round) {
        paint();
        ui_testing::pump_messages();
    }
    const std::string log = http_log(L"_requests.log");
    for (const auto& file : served) {
        const std::string line = "GET /" + std::string(run.begin(), run.end()) +
                                 std::string(file.first.begin(), file.first.end()) + "\n";
        size_t count = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
        EXPECT_EQ(count, 1u) << line;
    }
    DestroyWindow(list.window());
}
