#pragma once
#include <windows.h>

class Inifile_CL;

// The main window's placement in the settings file (section "WINDOW").
class IniWinSize_CL {
public:
    struct Placement {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };

    explicit IniWinSize_CL(const Inifile_CL& ini) : ini_(ini) {}
    virtual ~IniWinSize_CL() = default;

    // Writes nothing while the window is minimised or maximised.
    void save_placement(HWND window) const;
    // Each key absent keeps the window's current value; the result lies whole
    // on the work area of the nearest monitor.
    Placement load_placement(HWND window) const;

private:
    const Inifile_CL& ini_;
};
