#pragma once
#include <string>

#include "winui/ControlFactory_CL.h"
#include "winui/SubClassDialogBase_CL.h"

// The modal notice that a newer version is published: "go to the site" or
// "remind me later", at the bottom right of a 360 x 160 dialog.
class UpdateDialog_CL : public SubClassDialogBase_CL {
public:
    enum Result : INT_PTR { kClosed = 0, kGoToSite = 1, kRemindLater = 2 };
    static constexpr int kGoToSiteId = 0x1000;
    static constexpr int kRemindLaterId = 0x1002;

    UpdateDialog_CL(std::wstring title, std::wstring current_version, std::wstring new_version);

    // Runs the dialog centred on parent; kClosed also when it cannot be shown.
    Result show(HWND parent);
    INT_PTR handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

    std::wstring message_text() const;

private:
    void build(HWND window);
    void assign_id(int index, int id);

    std::wstring title_;
    std::wstring current_version_;
    std::wstring new_version_;
    ControlFactory_CL factory_;
    HWND parent_ = nullptr;
};
