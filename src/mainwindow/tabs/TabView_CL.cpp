#include "mainwindow/tabs/TabView_CL.h"

#include "store/AppSettings_CL.h"
#include "winui/CommunicateWait_CL.h"
#include "mainwindow/tabs/TabHost.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "winui/Tab_CL.h"

namespace {
// LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL | LBS_NODATA
constexpr DWORD kListStyle = 0x2811;
}  // namespace

TabView_CL::TabView_CL(int tab_index, int image_index, const std::wstring& caption)
    : tab_index_(tab_index), image_index_(image_index), caption_(caption)
{
    set_thread_name(caption);
}

TabView_CL::~TabView_CL()
{
    stop();
    if (list_ && list_->window()) DestroyWindow(list_->window());
}

int TabView_CL::on_thread_message(UINT message, WPARAM, LPARAM)
{
    if (message == kWorkMessage && !stop_requested) load();
    return 0;
}

HWND TabView_CL::owner_window() const
{
    return owner_ ? owner_->host_window() : nullptr;
}

const ImageItem_CL* TabView_CL::selected_item()
{
    if (!list_) return nullptr;
    const LRESULT caret = SendMessageW(list_->window(), LB_GETCURSEL, 0, 0);
    return list_->record_at(static_cast<int>(caret));
}

int TabView_CL::selected_index()
{
    if (!list_ || SendMessageW(list_->window(), LB_GETSELCOUNT, 0, 0) <= 0) return -1;
    return static_cast<int>(SendMessageW(list_->window(), LB_GETCURSEL, 0, 0));
}

int TabView_CL::caption_count() const
{
    return list_ ? static_cast<int>(SendMessageW(list_->window(), LB_GETCOUNT, 0, 0)) : 0;
}

void TabView_CL::update_caption()
{
    set_tab_text(caption_ + L"(" + std::to_wstring(caption_count()) + L")");
}

void TabView_CL::set_tab_text(const std::wstring& text) const
{
    if (owner_ && owner_->tab()) owner_->tab()->set_tab(text, 0, tab_index_);
}

void TabView_CL::on_dpi_changed(const DpiScale& scale)
{
    if (list_) list_->on_dpi_changed(scale);
}

void TabView_CL::create_list(HWND parent, int list_id)
{
    list_ = std::make_unique<MyFlickerListBox_CL>();
    list_->create(parent, list_id, 500, 500, kListStyle, 0, 0);
    list_->set_error_image(AppSettings.program_folder + L"\\err_image.JPG");
}

void TabView_CL::empty_list()
{
    if (!list_) return;
    SendMessageW(list_->window(), LB_SETCOUNT, 0, 0);
    list_->reset();
}

void TabView_CL::renew_list()
{
    if (list_) list_->set_busy_indicator(busy_indicator());
    empty_list();
}

void TabView_CL::start_reload()
{
    renew_list();
    start();
    wake();
}

void TabView_CL::start_reload_keeping_list()
{
    if (list_) list_->set_busy_indicator(busy_indicator());
    start();
    wake();
}

void TabView_CL::set_outcome(const ServiceOutcome& outcome)
{
    if (stop_requested) return;
    std::lock_guard<std::mutex> guard(outcome_lock_);
    outcome_ = outcome;
}

bool TabView_CL::last_load_failed() const
{
    std::lock_guard<std::mutex> guard(outcome_lock_);
    return outcome_.failed();
}

std::wstring TabView_CL::status_text() const
{
    std::lock_guard<std::mutex> guard(outcome_lock_);
    return outcome_text_with_hint(outcome_);
}

void TabView_CL::post_to_window(WindowTask task) const
{
    // A main window that is gone has no caption or list left to show.
    if (owner_) (void)owner_->post_task(std::move(task));
}

void TabView_CL::request_caption_update()
{
    post_to_window([this] { owner_->show_tab_outcome(tab_index_); });
}

void TabView_CL::finish_load()
{
    post_to_window([this] {
        owner_->show_tab_outcome(tab_index_);
        if (list_) InvalidateRect(list_->window(), nullptr, FALSE);
    });
}

BusySignal* TabView_CL::busy_indicator() const
{
    return owner_ ? owner_->indicator() : nullptr;
}
