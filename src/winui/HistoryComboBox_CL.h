#pragma once
#include <string>
#include <vector>

#include "winui/ComboBox_CL.h"
#include "winui/SubClass_CL.h"

// A search box that remembers what was searched: newest first, no two equal,
// at most max_entries, kept in its own section of the settings file ("count",
// then "item0", "item1", ...). Enter in the edit field is reported to the
// parent exactly like a selection change (WM_COMMAND, CBN_SELCHANGE).
class HistoryComboBox_CL : public ComboBox_CL {
public:
    static constexpr size_t kMaxEntries = 50;

    explicit HistoryComboBox_CL(const std::wstring& section, size_t max_entries = kMaxEntries);
    // Creates the box, fills it from the settings file and watches its edit field.
    HWND create(HWND parent, int id);

    void load_history();
    // Moves text to the front (an empty text is ignored); the oldest goes when full.
    void add_entry(const std::wstring& text);
    // Rebuilds the drop-down list; the edit field keeps its text.
    void refill();
    void save_history() const;
    // The edit field's text.
    std::wstring typed_text() const;
    void set_text(const std::wstring& text);
    const std::vector<std::wstring>& entries() const { return entries_; }

private:
    class EnterKey_CL : public SubClass_CL {
    public:
        explicit EnterKey_CL(HistoryComboBox_CL& box) : box_(box) {}
        LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;

    private:
        HistoryComboBox_CL& box_;
    };

    HWND edit_field() const;

    std::wstring section_;
    size_t max_entries_;
    std::vector<std::wstring> entries_;
    EnterKey_CL enter_key_;
};
