#include "winui/DpiScale.h"

#include <map>
#include <mutex>

namespace {

// Looked up once: Windows 7 and 8 lack both functions.
using DpiForWindow = UINT(WINAPI*)(HWND);
using MetricsForDpi = int(WINAPI*)(int, UINT);

template <class Function>
Function user32_function(const char* name)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

DpiForWindow dpi_for_window()
{
    static const DpiForWindow function = user32_function<DpiForWindow>("GetDpiForWindow");
    return function;
}

MetricsForDpi metrics_for_dpi()
{
    static const MetricsForDpi function = user32_function<MetricsForDpi>("GetSystemMetricsForDpi");
    return function;
}

UINT screen_dpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : DpiScale::kBaseDpi;
}

// The fonts live until the process ends; the map's owner deletes them then.
class FontCache {
public:
    FontCache() = default;
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;
    ~FontCache()
    {
        for (const auto& entry : fonts_) DeleteObject(entry.second);
    }

    HFONT font(UINT dpi)
    {
        std::lock_guard<std::mutex> guard(lock_);
        const auto found = fonts_.find(dpi);
        if (found != fonts_.end()) return found->second;
        const HFONT made = make(dpi);
        if (made) fonts_.emplace(dpi, made);
        return made ? made : stock();
    }

private:
    static HFONT stock() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

    // The stock font is made for the system DPI: its height is taken from there.
    static HFONT make(UINT dpi)
    {
        LOGFONTW face{};
        if (!GetObjectW(stock(), sizeof(face), &face)) return nullptr;
        face.lfHeight = DpiScale(dpi).from(face.lfHeight, DpiScale::system());
        face.lfWidth = 0;
        return CreateFontIndirectW(&face);
    }

    std::mutex lock_;
    std::map<UINT, HFONT> fonts_;
};

FontCache& fonts()
{
    static FontCache cache;
    return cache;
}

}  // namespace

DpiScale DpiScale::of(HWND window)
{
    const DpiForWindow function = dpi_for_window();
    const UINT dpi = function && window ? function(window) : 0;
    return dpi ? DpiScale(dpi) : system();
}

DpiScale DpiScale::system()
{
    static const UINT dpi = screen_dpi();
    return DpiScale(dpi);
}

HFONT DpiScale::font() const
{
    return fonts().font(dpi_);
}

int DpiScale::metric(int index) const
{
    if (const MetricsForDpi function = metrics_for_dpi()) return function(index, dpi_);
    return from(GetSystemMetrics(index), system());
}
