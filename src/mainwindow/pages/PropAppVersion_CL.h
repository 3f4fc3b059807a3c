#pragma once
#include <functional>
#include <string>

#include "mainwindow/pages/SettingsPage_CL.h"

// Page "バージョン情報": the update-notice switch ("notify", section "VERSION")
// and the way to the support site.
class PropAppVersion_CL : public SettingsPage_CL {
public:
    // Opens the support site; the shell's browser unless a test replaces it.
    using OpenPage = std::function<void(const std::wstring& address)>;

    // Control indexes, in creation order.
    enum : int {
        kNoNotify,
        kIconButton,
        kVersion,
        kSpacer,
        kSupportLabel,
        kSupportButton,
        kNotifyGroup,
        kVersionGroup,
    };

    PropAppVersion_CL();
    void set_open_page(OpenPage open_page) { open_page_ = std::move(open_page); }

protected:
    void build(HWND page) override;
    void on_command(int index, int code) override;
    void apply() override;

private:
    void show_program_icon();

    OpenPage open_page_;
};
