#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>
#include <shellapi.h>

#include "Bench.h"
#include "Figures.h"
#include "base/GdiplusInclude.h"
#include "wallpaper/MonitorWallpaper.h"
#include "wallpaper/Wallpaper.h"
#include "store/AppSettings_CL.h"
#include "base/KernelHandle.h"
#include "ProcessFootprint.h"

namespace {

ImageItem_CL item_of(const wchar_t* key, int width, int height)
{
    ImageItem_CL item;
    item.key = key;
    item.sizes[5] = {width, height, std::wstring(L"https://farm.example/") + key + L"_o.jpg"};
    return item;
}

// This process on the host: Wine reports no memory, and its /proc/self is the
// wineserver's.
std::wstring host_entry(const wchar_t* name)
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring arguments;
    for (int i = 1; argv && i < count; ++i) arguments += (arguments.empty() ? L"" : L" ") + std::wstring(argv[i]);
    LocalFree(argv);
    const ProcessFootprint self(GetCurrentProcessId(), L"tapestrel_bench.exe", arguments);
    return self.found() ? L"Z:\\proc\\" + std::to_wstring(self.host_pid()) + L"\\" + name : std::wstring();
}

// "VmHWM" (the peak) or "VmRSS" of the host's status entry, in bytes.
long long host_memory(const std::wstring& status, const char* field)
{
    KernelHandle file(CreateFileW(status.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string text(16384, '\0');
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &got, nullptr)) return -1;
    text.resize(got);
    const size_t at = text.find(field);
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + std::strlen(field) + 1) * 1024;
}

// Makes the peak of host_memory start again from what is resident now.
bool reset_peak(const std::wstring& clear_refs)
{
    KernelHandle file(CreateFileW(clear_refs.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), "5", 1, &written, nullptr) && written == 1;
}

std::string mib(long long bytes)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f MiB", bytes / 1048576.0);
    return text;
}

}  // namespace

void figure_monitors(const std::wstring& folder)
{
    AppSettings.load(folder);
    const ImageItem_CL first = item_of(L"first", 2560, 1440), second = item_of(L"second", 2560, 1440);
    const std::vector<unsigned char> a = make_photo_jpeg(folder + L"\\a.jpg", 2560, 1440), b = make_photo_jpeg(folder + L"\\b.jpg", 2560, 1440);
    const std::vector<RECT> full_hd = {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
    // The floor is today's change on one monitor; ours draws one picture per monitor.
    const double floor = bench::best_of(3, [&] { (void)wallpaper::install_picture(first, a.data(), a.size(), true); });
    const double ours = bench::best_of(3, [&] {
        (void)wallpaper::stage_picture(first, a.data(), a.size(), true, 0);
        (void)wallpaper::stage_picture(second, b.data(), b.size(), true, 1);
        (void)wallpaper::install_staged(2, full_hd);
    });
    bench::report("change, two 1920 x 1080 monitors against one (2560 x 1440 JPEGs)", ours, floor, 3.0);

    // Two 4K monitors: composing two 4K pictures should cost no more memory than
    // one 4K picture and a tiny one on the same bitmap, which is what one decoded
    // picture at a time means (GDI+'s own buffers for a draw counted in both).
    const std::wstring big_a = folder + L"\\big_a.jpg", big_b = folder + L"\\big_b.jpg", tiny = folder + L"\\tiny.jpg";
    make_photo_jpeg(big_a, 3840, 2160);
    make_photo_jpeg(big_b, 3840, 2160);
    make_photo_jpeg(tiny, 64, 36);
    const std::vector<RECT> uhd = {{0, 0, 3840, 2160}, {3840, 0, 7680, 2160}};
    const std::wstring status = host_entry(L"status"), clear_refs = host_entry(L"clear_refs");
    const auto peak_of = [&](const std::vector<RECT>& monitors, const std::vector<std::wstring>& pictures) {
        if (status.empty() || !reset_peak(clear_refs)) return -1LL;
        const long long before = host_memory(status, "VmRSS:");
        if (!monitor_wallpaper::compose(monitors, pictures, 4)) return -1LL;
        return host_memory(status, "VmHWM:") - before;
    };
    const long long one = peak_of(uhd, {big_a, tiny});
    const long long two = peak_of(uhd, {big_a, big_b});
    if (one <= 0 || two <= 0) {
        bench::note("two 4K monitors: this process's host memory cannot be measured here");
        return;
    }
    const double ratio = static_cast<double>(two) / static_cast<double>(one);
    bench::note("memory, composing two 3840 x 2160 monitors: two 4K pictures against one 4K and one tiny: " + mib(two) + ", " +
                mib(one) + ", " + bench::ratio(static_cast<double>(two), static_cast<double>(one)) + ", goal <= 1.1x" +
                (ratio <= 1.1 ? "" : "  (missed)") + " (the bitmap alone is " + mib(7680LL * 2160 * 3) +
                ", a decoded picture " + mib(3840LL * 2160 * 4) + ")");
}
