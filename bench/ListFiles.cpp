#include <algorithm>
#include <cwchar>

#include <windows.h>

#include "Bench.h"
#include "Figures.h"
#include "wallpaper/WallpaperChooser.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
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

namespace {

// The texts of the records' strings that take a heap block (longer than the
// few units a string holds in place), back to back as they lie in the file.
std::vector<std::wstring> allocated_strings(const std::vector<ImageItem_CL>& items)
{
    std::vector<std::wstring> strings;
    for (const ImageItem_CL& item : items) {
        std::vector<const std::wstring*> fields = {&item.key, &item.media, &item.dateTaken, &item.title, &item.ownerName,
                                                   &item.owner, &item.pathAlias, &item.localPath};
        for (const ImageItem_CL::Size& size : item.sizes) fields.push_back(&size.url);
        for (const std::wstring* field : fields)
            if (field->size() > std::wstring().capacity()) strings.push_back(*field);
    }
    return strings;
}

// The fastest of several fillings of a list with empty records in fresh
// memory, their freeing not counted: the records' share of a load.
double best_empty_records(int runs, size_t count)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        std::vector<ImageItem_CL> records;
        best = std::min(best, bench::seconds([&] {
            records.reserve(count);
            for (size_t r = 0; r < count; ++r) records.emplace_back();
        }));
    }
    return best;
}

// The fastest of several copies of the texts into fresh strings, from one block
// of memory and with their freeing not counted.
double best_fresh_copy(int runs, const std::vector<std::wstring>& strings)
{
    std::wstring block;
    for (const std::wstring& text : strings) block += text;
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        std::vector<std::wstring> copies(strings.size());
        best = std::min(best, bench::seconds([&] {
            const wchar_t* text = block.data();
            for (size_t s = 0; s < strings.size(); ++s) {
                copies[s].assign(text, strings[s].size());
                text += strings[s].size();
            }
        }));
    }
    return best;
}

}  // namespace

double best_fresh_load(int runs, const std::wstring& path)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        WallPaperItemBase_CL list;
        list.set_path(path);
        best = std::min(best, bench::seconds([&] { (void)list.load(); }));
    }
    return best;
}

void figure_list_files(const std::wstring& folder)
{
    WallPaperItemBase_CL list;
    list.set_path(folder + L"\\list.dat");
    list.items = realistic_items(30000, L"c");
    if (list.save() != S_OK) bench::note("list file could not be written");
    const std::vector<unsigned char> bytes = WallPaperItemBase_CL::encode(list.items);
    bench::note("item-list file of 30,000 records: " + std::to_string(bytes.size() / 1024) + " KiB");

    const std::wstring plain = folder + L"\\plain.dat";
    const double save = bench::best_of(5, [&] { (void)list.save(); });
    const double write_floor = bench::best_of(5, [&] { write_bytes(plain, bytes); });
    bench::report("list save (30,000 records)", save, write_floor, 3.0);

    // Loads start from a heap without the saved list, as in a process that loads it.
    const std::vector<std::wstring> texts = allocated_strings(list.items);
    std::vector<ImageItem_CL>().swap(list.items);
    const double load = best_fresh_load(5, list.path);
    const double read_floor = bench::best_of(5, [&] { read_bytes(plain); });
    bench::report("list load (30,000 records)", load, read_floor, 2.0);
    // What limits the load: the memory of the records and of their strings,
    // every string a heap block of its own.
    const double strings = best_fresh_copy(5, texts);
    const double records = best_empty_records(5, 30000);
    bench::note("what limits the load: 30,000 empty records in fresh memory take " + bench::millis(records) +
                ", copying their " + std::to_string(texts.size()) + " strings alone " + bench::millis(strings));
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
        if (list.save() != S_OK) bench::note("list file could not be written");
    }
    const double floor = bench::best_of(5, [&] {
        for (const auto& entry : lists) {
            WallPaperItemBase_CL list;
            list.set_path(entry.first);
            (void)list.load();  // timed only
        }
    });
    ImageItem_CL drawn;
    const double ours = bench::best_of(5, [&] { wallpaper_chooser::choose_next(drawn); });
    bench::report("draw next wallpaper (100 + 30,000, history 1,000)", ours, floor, 1.5);
}
