#pragma once
#include "mainwindow/pages/SettingsPage_CL.h"

// Page of the photo-service sign-in: one button that signs the application in
// and stores the token ("auth", section "FLICKER", enciphered). The settings
// sheet constructs it with the other pages but does not show it.
class PropFlickerInfo_CL : public SettingsPage_CL {
protected:
    void build(HWND page) override;
    void on_command(int index, int code) override;
    void apply() override {}

private:
    void sign_in();
};
