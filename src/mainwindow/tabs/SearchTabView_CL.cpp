#include "mainwindow/tabs/SearchTabView_CL.h"

#include "mainwindow/MyFlickerListBox_CL.h"

SearchTabView_CL::SearchTabView_CL(int tab_index, int image_index, const std::wstring& caption,
                                   const std::wstring& section, int box_id, ListMenuChoice menu)
    : ListTabView_CL(tab_index, image_index, caption, menu), history_box_(section), box_id_(box_id)
{
}

void SearchTabView_CL::create(TabHost* owner, HWND parent, int list_id)
{
    ListTabView_CL::create(owner, parent, list_id);
    history_box_.create(parent, box_id_);
}

void SearchTabView_CL::apply_visibility()
{
    ListTabView_CL::apply_visibility();
    ShowWindow(history_box_.window(), visible() == 1 ? SW_SHOW : SW_HIDE);
}

void SearchTabView_CL::layout(int x, int y, int width, int height)
{
    const DpiScale scale = history_box_.dpi();
    history_box_.move_to(x + scale(1), y + scale(2));
    history_box_.resize(box_width(width), scale(28), true);
    ListTabView_CL::layout(x, y + scale(24), width, height - scale(48));
}

void SearchTabView_CL::on_dpi_changed(const DpiScale& scale)
{
    ListTabView_CL::on_dpi_changed(scale);
    history_box_.on_dpi_changed(scale);
}

void SearchTabView_CL::on_parent_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_COMMAND && LOWORD(wparam) == box_id_ && HIWORD(wparam) == CBN_SELCHANGE) {
        // A choice from the drop-down (not Enter, which comes without a window)
        // reaches the edit field only after this message.
        const int chosen = history_box_.current_selection();
        if (lparam != 0 && chosen >= 0 && static_cast<size_t>(chosen) < history_box_.entries().size())
            history_box_.set_text(history_box_.entries()[static_cast<size_t>(chosen)]);
        take_text(history_box_.typed_text());
        activate();
    }
    ListTabView_CL::on_parent_message(hwnd, message, wparam, lparam);
}

void SearchTabView_CL::take_text(const std::wstring& text)
{
    history_box_.set_text(text);
    history_box_.add_entry(text);
    history_box_.refill();
    history_box_.save_history();
}

void SearchTabView_CL::activate()
{
    requested_text_ = history_box_.typed_text();
    if (requested_text_.empty() || requested_text_ == current_text_) return;
    abort_load();
    current_text_ = requested_text_;
    start_reload_keeping_list();
}

void SearchTabView_CL::cancel()
{
    abort_load();
    empty_list();
}
