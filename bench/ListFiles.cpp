#include <cwchar>

#include <windows.h>

#include "Bench.h"
#include "Figures.h"
#include "resident/WallpaperChooser.h"
#include "store/AppSettings_CL.h"
#include "store/KernelHandle.h"
#include "store/SettingsKeys.h"
#include "store/WallPaperItemBase_CL.h"

std::vector<ImageItem_CL> realistic_items(int count, const wchar_t* tag)
{
    static const wchar_t* const suffixes[6] = {L"_s", L"_t", L"_m", L"", L"_z", L"_o"};
    static const int widths[6] = {75, 100, 240, 500, 640, 4000};
    std::vector<ImageItem_CL> items(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ImageItem_CL& item = items[static_cast<size_t>(i)];
        wchar_t stem[96];
        swprintf(stem, 96, L"https://live.staticflickr.com/65535/5%010d_%s%08x", i, tag, 0x4f3e2d1cu ^ static_cast<unsigned>(i));
        item.key = stem;
        for (int s = 0; s < 6; ++s) {
            item.sizes[s].width = widths[s];
            item.sizes[s].height = widths[s] * 3 / 4;
            item.sizes[s].url = std::wstring(stem) + suffixes[s] + L".jpg";
        }
        item.farm = 66;
        item.license = i % 7;
        item.media = L"photo";
        item.dateTaken = L"2024-05-03 10:22:11";
        item.title = L"夕暮れの富士山と河口湖の紅葉 " + std::to_wstring(i);
        item.ownerName = L"山田 花子";
        item.owner = L"12345678@N0" + std::to_wstring(i % 10);
        item.pathAlias = L"hanako_yamada";
    }
    return items;
}

bool write_bytes(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           FlushFileBuffers(file.get());
}

std::vector<unsigned char> read_bytes(const std::wstring& path)
{
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    std::vector<unsigned char> bytes;
    if (!file || !GetFileSizeEx(file.get(), &size)) return bytes;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

void figure_list_files(const std::wstring& folder)
{
    WallPaperItemBase_CL list;
    list.set_path(folder + L"\\list.dat");
    list.items = realistic_items(30000, L"c");
    list.save();
    const std::vector<unsigned char> bytes = WallPaperItemBase_CL::encode(list.items);
    bench::note("item-list file of 30,000 records: " + std::to_string(bytes.size() / 1024) + " KiB");

    const std::wstring plain = folder + L"\\plain.dat";
    const double save = bench::best_of(5, [&] { list.save(); });
    const double write_floor = bench::best_of(5, [&] { write_bytes(plain, bytes); });
    WallPaperItemBase_CL loaded;
    loaded.set_path(list.path);
    const double load = bench::best_of(5, [&] { loaded.load(); });
    const double read_floor = bench::best_of(5, [&] { read_bytes(plain); });
    bench::report("list load (30,000 records)", load, read_floor, 2.0);
    // Where the time goes: one heap allocation per string of every record.
    std::vector<std::wstring> strings(30000 * 11);
    const double allocations = bench::seconds([&] {
        for (std::wstring& text : strings) text.assign(60, L'x');
    });
    bench::note("of which allocating the 330,000 strings of the records alone: " + std::to_string(static_cast<int>(allocations * 1000)) + " ms");
    bench::report("list save (30,000 records)", save, write_floor, 3.0);
}

void figure_draw(const std::wstring& folder)
{
    AppSettings.load(folder);
    AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 0);
    const std::pair<std::wstring, int> lists[3] = {
        {AppSettings.favorites_path(), 100}, {AppSettings.candidates_path(), 30000}, {AppSettings.history_path(), 1000}};
    for (const auto& entry : lists) {
        WallPaperItemBase_CL list;
        list.set_path(entry.first);
        list.items = realistic_items(entry.second, entry.second == 1000 ? L"c" : L"x");
        list.save();
    }
    const double floor = bench::best_of(5, [&] {
        for (const auto& entry : lists) {
            WallPaperItemBase_CL list;
            list.set_path(entry.first);
            list.load();
        }
    });
    ImageItem_CL drawn;
    const double ours = bench::best_of(5, [&] { wallpaper_chooser::choose_next(drawn); });
    bench::report("draw next wallpaper (100 + 30,000, history 1,000)", ours, floor, 1.5);
}
