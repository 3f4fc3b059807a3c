#pragma once
#include <windows.h>

// Every layout number in the program is a pixel count at 96 DPI; a window
// shows it at its own DPI. This is the one place that scales them, and the one
// source of the user-interface font for a DPI.
//
// The DPI of a window comes from GetDpiForWindow (Windows 10 1607 and later,
// which know per-monitor DPI); older systems have one DPI for every window,
// the system's, which the screen's device context reports.
class DpiScale {
public:
    static constexpr UINT kBaseDpi = 96;

    explicit DpiScale(UINT dpi = kBaseDpi) : dpi_(dpi ? dpi : kBaseDpi) {}
    // The DPI a window is shown at; the system DPI for no window.
    static DpiScale of(HWND window);
    static DpiScale system();

    // A 96-DPI length at this DPI, rounded to the nearest pixel (halves away from zero).
    int operator()(int pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), static_cast<int>(kBaseDpi)); }
    // A length measured at another DPI, at this one.
    int from(int pixels, const DpiScale& other) const
    {
        return MulDiv(pixels, static_cast<int>(dpi_), static_cast<int>(other.dpi_));
    }
    UINT dpi() const { return dpi_; }
    bool operator==(const DpiScale& other) const { return dpi_ == other.dpi_; }
    bool operator!=(const DpiScale& other) const { return dpi_ != other.dpi_; }

    // The face of the stock GUI font at its size for this DPI; one font per
    // DPI for the life of the process, shared by every window (never deleted
    // by them).
    HFONT font() const;
    // A system metric (SM_CXSMICON, ...) at this DPI.
    int metric(int index) const;

private:
    UINT dpi_;
};
