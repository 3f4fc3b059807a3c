#pragma once
#include "mainwindow/pages/SettingsPage_CL.h"

// Page "壁紙設定": automatic change, its interval, the sources of a draw and
// the wallpaper placement, alone or per monitor, whether full-screen programs
// hold scheduled changes back (section "WALL_PAPER_INFO", read from the file),
// and whether Windows starts the tray at sign-in (the registry's Run value).
class PropAppSetting_CL : public SettingsPage_CL {
public:
    // Control indexes, in creation order.
    enum : int {
        kAutoChange,
        kIntervalLabel,
        kInterval,
        kSpacer1,
        kFavoriteUse,
        kCandidateUse,
        kLocalFolderUse,
        kLocalFolder,
        kSpacer2,
        kPlacementLabel,
        kPlacement,
        kBrowse,
        kPerMonitor,        // placed under the placement choice
        kStartWithWindows,  // under the full-screen box
        kSkipFullscreen,    // under the per-monitor box
    };

protected:
    void build(HWND page) override;
    void on_command(int index, int code) override;
    void apply() override;

private:
    void place_browse_button(HWND page);
    void place_below(int index, int above);
    void load();
    void update_enabling();
    void browse();
};
