#include "wallpaper/MonitorWallpaper.h"

#include <algorithm>
#include <cmath>

#include "imaging/UprightPicture.h"

namespace monitor_wallpaper {

namespace {

enum Placement { kCentre, kTile, kStretch, kFit, kFill };

int width_of(const RECT& rect)
{
    return rect.right - rect.left;
}

int height_of(const RECT& rect)
{
    return rect.bottom - rect.top;
}

RECT centred(const RECT& area, int width, int height)
{
    const int left = area.left + (width_of(area) - width) / 2;
    const int top = area.top + (height_of(area) - height) / 2;
    return {left, top, left + width, top + height};
}

RECT scaled(const RECT& area, int width, int height, bool cover)
{
    const double across = static_cast<double>(width_of(area)) / width;
    const double down = static_cast<double>(height_of(area)) / height;
    const double scale = cover ? std::max(across, down) : std::min(across, down);
    // The side that decides the scale keeps the area's exact size.
    const int scaled_width = scale == across ? width_of(area) : static_cast<int>(std::lround(width * scale));
    const int scaled_height = scale == down ? height_of(area) : static_cast<int>(std::lround(height * scale));
    return centred(area, scaled_width, scaled_height);
}

BOOL CALLBACK collect(HMONITOR monitor, HDC, LPRECT, LPARAM context)
{
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<Monitor>*>(context)->push_back({info.rcMonitor, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

// Draws one decoded picture into its monitor's part of the canvas.
bool draw(Gdiplus::Graphics& canvas, Gdiplus::Bitmap& picture, const RECT& area, int placement)
{
    const int width = static_cast<int>(picture.GetWidth());
    const int height = static_cast<int>(picture.GetHeight());
    const RECT target = place(area, width, height, placement);
    canvas.SetClip(Gdiplus::Rect(area.left, area.top, width_of(area), height_of(area)));
    Gdiplus::Status status;
    if (placement == kTile) {
        // One brush fill instead of a draw per tile: a tiny picture would need millions.
        Gdiplus::TextureBrush tiles(&picture, Gdiplus::WrapModeTile);
        tiles.TranslateTransform(static_cast<Gdiplus::REAL>(target.left), static_cast<Gdiplus::REAL>(target.top));
        status = canvas.FillRectangle(&tiles, area.left, area.top, width_of(area), height_of(area));
    } else {
        // Edge pixels repeat inward instead of fading into the black around them.
        Gdiplus::ImageAttributes edges;
        edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        status = canvas.DrawImage(&picture, Gdiplus::Rect(target.left, target.top, width_of(target), height_of(target)), 0,
                                  0, width, height, Gdiplus::UnitPixel, &edges);
    }
    canvas.ResetClip();
    return status == Gdiplus::Ok;
}

}  // namespace

void order(std::vector<Monitor>& monitors)
{
    std::stable_sort(monitors.begin(), monitors.end(), [](const Monitor& a, const Monitor& b) {
        if (a.primary != b.primary) return a.primary;
        if (a.rect.left != b.rect.left) return a.rect.left < b.rect.left;
        return a.rect.top < b.rect.top;
    });
}

std::vector<RECT> current_monitors()
{
    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&monitors));
    order(monitors);
    std::vector<RECT> rects;
    for (const Monitor& monitor : monitors) rects.push_back(monitor.rect);
    return rects;
}

RECT bounds(const std::vector<RECT>& monitors)
{
    if (monitors.empty()) return {0, 0, 0, 0};
    RECT all = monitors.front();
    for (const RECT& rect : monitors) {
        all.left = std::min(all.left, rect.left);
        all.top = std::min(all.top, rect.top);
        all.right = std::max(all.right, rect.right);
        all.bottom = std::max(all.bottom, rect.bottom);
    }
    return all;
}

RECT place(const RECT& area, int width, int height, int placement)
{
    if (width <= 0 || height <= 0) return {area.left, area.top, area.left, area.top};
    switch (placement) {
    case kTile:
        return {area.left, area.top, area.left + width, area.top + height};
    case kStretch:
        return area;
    case kFit:
        return scaled(area, width, height, false);
    case kFill:
        return scaled(area, width, height, true);
    default:
        return centred(area, width, height);
    }
}

std::unique_ptr<Gdiplus::Bitmap> compose(const std::vector<RECT>& monitors, const std::vector<std::wstring>& pictures,
                                         int placement)
{
    const RECT all = bounds(monitors);
    if (pictures.empty() || width_of(all) <= 0 || height_of(all) <= 0) return nullptr;
    // Three bytes a pixel: the canvas of two 4K monitors is the largest thing held.
    auto result = std::make_unique<Gdiplus::Bitmap>(width_of(all), height_of(all), PixelFormat24bppRGB);
    if (result->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics canvas(result.get());
    if (canvas.GetLastStatus() != Gdiplus::Ok || canvas.Clear(Gdiplus::Color(255, 0, 0, 0)) != Gdiplus::Ok) return nullptr;
    canvas.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
    canvas.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    for (size_t i = 0; i < monitors.size(); ++i) {
        RECT area = monitors[i];
        OffsetRect(&area, -all.left, -all.top);  // screen coordinates may be negative, bitmap ones never
        std::unique_ptr<Gdiplus::Bitmap> picture = decode_upright(pictures[i % pictures.size()]);
        if (!picture || !draw(canvas, *picture, area, placement)) return nullptr;
    }
    return result;
}

}  // namespace monitor_wallpaper
