#pragma once
#include <string>

#include "winui/HistoryComboBox_CL.h"
#include "mainwindow/tabs/ListTabView_CL.h"

// A tab that lists what a search text finds, with a search box that keeps the
// history of its texts. A new text aborts the search under way, so no record
// of an older search reaches the newer list; the list shown stays until the
// new search delivers, and stays for good when the search fails.
class SearchTabView_CL : public ListTabView_CL {
public:
    void create(TabHost* owner, HWND parent, int list_id) override;
    void apply_visibility() override;
    // Box above the list, the list below it.
    void layout(int x, int y, int width, int height) override;
    // Enter or a choice in the box searches; then the standard list handling.
    void on_parent_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
    // Searches the box's text unless it is empty or already shown.
    void activate() override;
    void on_dpi_changed(const DpiScale& scale) override;
    // Aborts the search and empties the list.
    void cancel() override;

    HistoryComboBox_CL& history_box() { return history_box_; }
    const std::wstring& current_text() const { return current_text_; }

protected:
    SearchTabView_CL(int tab_index, int image_index, const std::wstring& caption, const std::wstring& section,
                     int box_id, ListMenuChoice menu = {&kAddToCandidatesEntry, false});
    // Puts text into the box and its history, as a search from the box does.
    void take_text(const std::wstring& text);
    // The box's width in a list pane this wide (in the pane's pixels).
    virtual int box_width(int width) const { return width - history_box_.dpi()(2); }

    std::wstring current_text_;

private:
    HistoryComboBox_CL history_box_;
    int box_id_;
};
