#pragma once
#include "mainwindow/pages/SettingsPage_CL.h"

// Page "壁紙候補設定": the automatic adding of candidates (section "INFO_GET",
// loaded from and applied to the in-memory settings as well as the file).
class PropCandSetting_CL : public SettingsPage_CL {
public:
    // Control indexes, in creation order.
    enum : int {
        kAutoAdd,
        kSpacer1,
        kCheckMinSize,
        kMinWidth,
        kMinHeight,
        kLandscapeOnly,
        kSpacer2,
        kAddMaxLabel,
        kAddMax,
        kSpacer3,
        kSearchKeyword,
        kKeywords,
        kCommons,
        kTimes,
    };

protected:
    void build(HWND page) override;
    void on_command(int index, int code) override;
    void apply() override;

private:
    void place_size_row();
    void load();
    void update_enabling();
};
