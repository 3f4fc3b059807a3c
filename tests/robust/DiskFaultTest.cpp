#include <gtest/gtest.h>

#include <objbase.h>

#include "RobustSupport.h"
#include "TestSupport.h"
#include "base/GdiplusInclude.h"
#include "wallpaper/Wallpaper.h"
#include "store/AppSettings_CL.h"
#include "store/WallPaperItemBase_CL.h"

using namespace testing_support;

namespace {

// The file systems the disk fixture mounted: a small one that can be filled,
// and a read-only view of a writable folder.
std::wstring disks()
{
    return env(L"TAPESTREL_DISKS");
}

bool is_small_disk(const std::wstring& folder)
{
    ULARGE_INTEGER free{}, total{};
    return GetDiskFreeSpaceExW(folder.c_str(), &free, &total, nullptr) && total.QuadPart < (16u << 20);
}

// A folder that exists and takes no new file.
bool refuses_writes(const std::wstring& folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const std::wstring probe = folder + L"\\probe";
    KernelHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file) return true;
    file.reset();
    DeleteFileW(probe.c_str());
    return false;
}

// Writes `file` until the disk is full; the bytes written.
ULONGLONG fill(const std::wstring& file)
{
    KernelHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!handle) return 0;
    const std::vector<char> chunk(65536, 'x');
    ULONGLONG total = 0;
    for (DWORD size = 65536; size >= 512; size /= 8) {
        DWORD written = 0;
        while (WriteFile(handle.get(), chunk.data(), size, &written, nullptr) && written == size) total += written;
        total += written;
    }
    return total;
}

std::vector<ImageItem_CL> numbered_items(int count)
{
    std::vector<ImageItem_CL> items(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n) {
        items[static_cast<size_t>(n)].key = L"item" + std::to_wstring(n);
        items[static_cast<size_t>(n)].title = L"題名 " + std::to_wstring(n);
    }
    return items;
}

HRESULT save_list(const std::wstring& path, int count)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    list.items = numbered_items(count);
    return list.save();
}

size_t loaded_count(const std::wstring& path)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    return list.load() == S_OK ? list.items.size() : 0;
}

ImageItem_CL local_picture(const std::wstring& name, int width, int height)
{
    ImageItem_CL item;
    item.key = item.localPath = L"C:\\pictures\\" + name;
    item.farm = item.license = -1;
    item.localWidth = width;
    item.localHeight = height;
    return item;
}

std::wstring registry_wallpaper()
{
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

// The installed wallpaper's files and records, as bytes.
struct WallpaperFiles {
    std::vector<unsigned char> picture, bitmap, now, history;
    std::wstring registry;
    bool operator==(const WallpaperFiles& other) const
    {
        return picture == other.picture && bitmap == other.bitmap && now == other.now && history == other.history &&
               registry == other.registry;
    }
};

WallpaperFiles wallpaper_files(const std::wstring& app_folder)
{
    return {read_file(app_folder + L"\\Tapestrel_NowWallPaper.jpg"), read_file(app_folder + L"\\Tapestrel_NowWallPaper.bmp"),
            read_file(app_folder + L"\\NowWallPaperItems.dat"), read_file(app_folder + L"\\HistoryWallPaperItems.dat"),
            registry_wallpaper()};
}

// Installs a picture of the given size as the tray does after a download.
bool install(const ImageItem_CL& item)
{
    const std::vector<unsigned char> bytes = jpeg_bytes(item.localWidth, item.localHeight);
    if (bytes.empty() || wallpaper::install_picture(item, bytes.data(), bytes.size(), false) != wallpaper::Install::Done)
        return false;
    const bool recorded = wallpaper::record_current(item);
    const bool in_history = wallpaper::add_to_history(item);
    return recorded && in_history;
}

// Nothing of a failed save may stay behind.
void expect_no_temporary_files(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        const std::wstring name = data.cFileName;
        EXPECT_FALSE(name.size() > 4 && (name.substr(name.size() - 4) == L".tmp" || name.substr(name.size() - 4) == L".new"))
            << "left behind: " << std::string(name.begin(), name.end());
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

class DiskFaults : public ::testing::Test {
protected:
    void TearDown() override
    {
        AppSettings.set_folders(documents_folder());
        for (const std::wstring& folder : made_) remove_tree(folder);
    }

    // A fresh folder below a fixture mount.
    std::wstring make_folder(const std::wstring& mount)
    {
        GUID id;
        CoCreateGuid(&id);
        const std::wstring folder = disks() + L"\\" + mount + L"\\case" + std::to_wstring(id.Data1);
        CreateDirectoryW(folder.c_str(), nullptr);
        made_.push_back(folder);
        return folder;
    }
    // The program's folders below `documents`, which AppSettings then uses.
    static std::wstring use_documents(const std::wstring& documents)
    {
        AppSettings.set_folders(documents);
        CreateDirectoryW(AppSettings.app_folder.c_str(), nullptr);
        CreateDirectoryW(AppSettings.favorite_folder.c_str(), nullptr);
        return AppSettings.app_folder;
    }

    std::vector<std::wstring> made_;
    GdiplusSession gdiplus_;
};

}  // namespace

TEST_F(DiskFaults, AListSaveOntoAFullDiskFailsAndKeepsThePreviousFile)
{
    const std::wstring folder = make_folder(L"full");
    if (!is_small_disk(folder)) GTEST_SKIP() << "no small file system mounted at " << std::string(folder.begin(), folder.end());
    const std::wstring path = folder + L"\\list.dat";
    ASSERT_EQ(save_list(path, 10), S_OK);
    const std::vector<unsigned char> before = read_file(path);
    const ULONGLONG filled = fill(folder + L"\\filler");
    ASSERT_GT(filled, 0u);

    EXPECT_EQ(save_list(path, 400), E_FAIL);
    EXPECT_EQ(read_file(path), before);
    EXPECT_EQ(loaded_count(path), 10u);
    expect_no_temporary_files(folder);
    robust::report("disk faults: list save onto a full disk refused after filling %llu bytes", filled);
}

TEST_F(DiskFaults, AListSaveIntoAReadOnlyFolderFailsAndKeepsThePreviousFile)
{
    const std::wstring writable = make_folder(L"source");
    const std::wstring readonly = disks() + L"\\readonly\\" + writable.substr(writable.find_last_of(L'\\') + 1);
    if (!refuses_writes(readonly)) GTEST_SKIP() << "no read-only view mounted";
    ASSERT_EQ(save_list(writable + L"\\list.dat", 10), S_OK);
    const std::vector<unsigned char> before = read_file(writable + L"\\list.dat");

    EXPECT_EQ(save_list(readonly + L"\\list.dat", 20), E_FAIL);
    EXPECT_EQ(read_file(writable + L"\\list.dat"), before);
    EXPECT_EQ(loaded_count(readonly + L"\\list.dat"), 10u);
    expect_no_temporary_files(writable);
}

// The disk fills up between two changes: the picture, its bitmap, the records
// and the registry keep the previous wallpaper, whichever file no longer fits.
TEST_F(DiskFaults, AnInstallOntoAFullDiskKeepsThePreviousWallpaperWhole)
{
    const std::wstring documents = make_folder(L"full");
    if (!is_small_disk(documents)) GTEST_SKIP() << "no small file system mounted";
    const std::wstring app = use_documents(documents);
    ASSERT_TRUE(install(local_picture(L"first.jpg", 200, 150)));
    const WallpaperFiles before = wallpaper_files(app);
    ASSERT_EQ(before.registry, AppSettings.now_bitmap_path());

    // Room for the new picture, but not for its bitmap.
    const std::wstring reserve = documents + L"\\reserve";
    ASSERT_TRUE(write_file(reserve, std::string(64 * 1024, 'r')));
    ASSERT_GT(fill(documents + L"\\filler"), 0u);
    DeleteFileW(reserve.c_str());
    EXPECT_FALSE(install(local_picture(L"second.jpg", 240, 180)));
    EXPECT_TRUE(wallpaper_files(app) == before) << "the wallpaper files changed with room for the picture only";
    expect_no_temporary_files(app);

    // No room at all.
    fill(documents + L"\\filler2");
    EXPECT_FALSE(install(local_picture(L"third.jpg", 240, 180)));
    EXPECT_FALSE(wallpaper::record_current(local_picture(L"third.jpg", 240, 180)));
    EXPECT_FALSE(wallpaper::add_to_history(local_picture(L"third.jpg", 240, 180)));
    EXPECT_TRUE(wallpaper_files(app) == before) << "the wallpaper files changed on a full disk";
    EXPECT_FALSE(wallpaper::save_current_as_favourite());
    EXPECT_FALSE(file_exists(AppSettings.favorite_folder + L"\\WallPaper_00000.jpg")) << "a torn favourite picture";
    EXPECT_FALSE(file_exists(AppSettings.favorites_path()));
    expect_no_temporary_files(app);
}

TEST_F(DiskFaults, AnInstallIntoAReadOnlyFolderKeepsThePreviousWallpaperWhole)
{
    const std::wstring writable = make_folder(L"source");
    const std::wstring readonly = disks() + L"\\readonly\\" + writable.substr(writable.find_last_of(L'\\') + 1);
    if (!refuses_writes(readonly)) GTEST_SKIP() << "no read-only view mounted";
    const std::wstring app = use_documents(writable);
    ASSERT_TRUE(install(local_picture(L"first.jpg", 200, 150)));
    const WallpaperFiles before = wallpaper_files(app);

    use_documents(readonly);
    EXPECT_FALSE(install(local_picture(L"second.jpg", 240, 180)));
    EXPECT_FALSE(wallpaper::save_current_as_favourite());
    EXPECT_TRUE(wallpaper_files(app) == before);
    expect_no_temporary_files(app);
}

// The main window reads the installed picture through a handle without
// sharing; an install that meets it must not half replace the wallpaper.
TEST_F(DiskFaults, AnInstallWhileThePictureIsHeldOpenKeepsThePreviousWallpaperWhole)
{
    TempFolder documents;
    const std::wstring app = use_documents(documents.path());
    ASSERT_TRUE(install(local_picture(L"first.jpg", 200, 150)));
    const WallpaperFiles before = wallpaper_files(app);
    KernelHandle held(CreateFileW(AppSettings.now_picture_path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    EXPECT_FALSE(install(local_picture(L"second.jpg", 240, 180)));
    held.reset();
    EXPECT_TRUE(wallpaper_files(app) == before) << "the bitmap or the records changed without the picture";
    expect_no_temporary_files(app);
}
