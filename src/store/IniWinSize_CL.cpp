#include "store/IniWinSize_CL.h"

#include "store/Inifile_CL.h"
#include "store/SettingsKeys.h"

void IniWinSize_CL::save_placement(HWND window) const
{
    RECT rect{};
    if (IsIconic(window) || IsZoomed(window) || !GetWindowRect(window, &rect)) return;
    ini_.write_int(keys::kWindow, keys::kPosX, rect.left);
    ini_.write_int(keys::kWindow, keys::kPosY, rect.top);
    ini_.write_int(keys::kWindow, keys::kWidth, rect.right - rect.left);
    ini_.write_int(keys::kWindow, keys::kHeight, rect.bottom - rect.top);
}

IniWinSize_CL::Placement IniWinSize_CL::load_placement(HWND window) const
{
    RECT rect{};
    GetWindowRect(window, &rect);
    Placement placement;
    placement.left = ini_.read_int(keys::kWindow, keys::kPosX, rect.left);
    placement.top = ini_.read_int(keys::kWindow, keys::kPosY, rect.top);
    placement.width = ini_.read_int(keys::kWindow, keys::kWidth, rect.right - rect.left);
    placement.height = ini_.read_int(keys::kWindow, keys::kHeight, rect.bottom - rect.top);
    return placement;
}
