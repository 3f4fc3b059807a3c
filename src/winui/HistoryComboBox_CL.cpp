#include "winui/HistoryComboBox_CL.h"

#include <algorithm>

#include <commctrl.h>

#include "store/AppSettings_CL.h"

HistoryComboBox_CL::HistoryComboBox_CL(const std::wstring& section, size_t max_entries)
    : section_(section), max_entries_(max_entries), enter_key_(*this)
{
}

HWND HistoryComboBox_CL::create(HWND parent, int id)
{
    if (!ComboBox_CL::create(parent, id, 20, 20, kDefaultStyle, 0, 0)) return nullptr;
    load_history();
    enter_key_.attach(edit_field());
    return window();
}

HWND HistoryComboBox_CL::edit_field() const
{
    return reinterpret_cast<HWND>(SendMessageW(window(), CBEM_GETEDITCONTROL, 0, 0));
}

LRESULT HistoryComboBox_CL::EnterKey_CL::handle_message(HWND, UINT message, WPARAM wparam, LPARAM)
{
    if (message == WM_CHAR && wparam == VK_RETURN) {
        // Answered here: the edit field would only beep.
        set_handled(true);
        SendMessageW(GetParent(box_.window()), WM_COMMAND, MAKEWPARAM(box_.id(), CBN_SELCHANGE), 0);
    }
    return 0;
}

void HistoryComboBox_CL::load_history()
{
    entries_.clear();
    // The count comes from the file: no more entries than the box keeps are read.
    const int count = AppInifile.read_int(section_.c_str(), L"count", 0);
    const int limit = count < static_cast<int>(max_entries_) ? count : static_cast<int>(max_entries_);
    for (int i = 0; i < limit; ++i) {
        std::wstring entry = AppInifile.read_string(section_.c_str(), Inifile_CL::make_indexed_key(L"item", i).c_str());
        if (!entry.empty() && std::find(entries_.begin(), entries_.end(), entry) == entries_.end())
            entries_.push_back(std::move(entry));
    }
    refill();
}

void HistoryComboBox_CL::add_entry(const std::wstring& text)
{
    if (text.empty()) return;
    entries_.erase(std::remove(entries_.begin(), entries_.end(), text), entries_.end());
    if (entries_.size() >= max_entries_) entries_.resize(max_entries_ - 1);
    entries_.insert(entries_.begin(), text);
}

void HistoryComboBox_CL::refill()
{
    if (!window()) return;
    const std::wstring typed = typed_text();
    SendMessageW(window(), CB_RESETCONTENT, 0, 0);
    for (const std::wstring& entry : entries_) insert_item(entry, 0);
    set_text(typed);
}

void HistoryComboBox_CL::save_history() const
{
    AppInifile.write_int(section_.c_str(), L"count", static_cast<int>(entries_.size()));
    for (size_t i = 0; i < entries_.size(); ++i)
        AppInifile.write_string(section_.c_str(), Inifile_CL::make_indexed_key(L"item", static_cast<int>(i)).c_str(),
                                entries_[i]);
}

void HistoryComboBox_CL::set_text(const std::wstring& text)
{
    if (HWND edit = edit_field()) SetWindowTextW(edit, text.c_str());
}

std::wstring HistoryComboBox_CL::typed_text() const
{
    HWND edit = edit_field();
    const int length = edit ? GetWindowTextLengthW(edit) : 0;
    if (length <= 0) return std::wstring();
    std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
    typed.resize(static_cast<size_t>(std::max(0, GetWindowTextW(edit, &typed[0], length + 1))));
    return typed;
}
