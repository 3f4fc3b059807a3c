#pragma once
#include <initializer_list>
#include <string>

#include "winui/ControlFactory_CL.h"
#include "winui/SubClassDialogBase_CL.h"

// What every page of the settings sheet shares: a 560 x 360 page built when the
// sheet first shows it, WM_COMMAND from its controls by index, PSN_APPLY, and
// PSM_CHANGED to light the sheet's Apply button. A page holds no copy of the
// settings: it reads them when built and writes them on apply.
class SettingsPage_CL : public SubClassDialogBase_CL {
public:
    // The page's size at 96 DPI.
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 360;

    INT_PTR handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

protected:
    explicit SettingsPage_CL(int first_id = ControlFactory_CL::kFirstId) : factory_(first_id) {}

    // Creates the controls, loads their values and sets their enabling.
    virtual void build(HWND page) = 0;
    // A notification from the control at index (its id is the factory's first id + index).
    virtual void on_command(int index, int code) = 0;
    virtual void apply() = 0;
    // Whether the page's values may be kept; a page that refuses them tells
    // the user why. Asked before the sheet leaves the page and before apply.
    virtual bool validate() { return true; }

    // Tells the sheet that the page holds a change; not while it is being built.
    void mark_changed() const;

    ControlFactory_CL& factory() { return factory_; }
    // A drop-down list of the given items; answers its index.
    int add_list(HWND page, int columns, std::initializer_list<const wchar_t*> items);
    bool is_checked(int index) const;
    void set_checked(int index, bool checked) const;
    void enable(int index, bool enabled) const;
    std::wstring text_of(int index) const;
    void set_text(int index, const std::wstring& text) const;
    // Selects index when the box has that entry, otherwise the fallback entry.
    void select(int combo, int index, int fallback) const;
    int selection(int combo) const;

private:
    INT_PTR on_notify(HWND window, UINT code);

    ControlFactory_CL factory_;
    bool building_ = false;
};
