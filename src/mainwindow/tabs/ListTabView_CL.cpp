#include "mainwindow/tabs/ListTabView_CL.h"

#include "photoservice/FlickrXmlHelper_CL.h"
#include "mainwindow/tabs/TabHost.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "store/ImageItem_CL.h"

ListTabView_CL::ListTabView_CL(int tab_index, int image_index, const std::wstring& caption, ListMenuChoice menu)
    : TabView_CL(tab_index, image_index, caption), menu_(menu)
{
}

void ListTabView_CL::show_item_menu()
{
    const ImageItem_CL* record = selected_item();
    const int selected = selected_index() < 0 ? 0 : static_cast<int>(SendMessageW(list_->window(), LB_GETSELCOUNT, 0, 0));
    show_list_item_menu(owner_window(), menu_, selected, record);
}

void ListTabView_CL::create(TabHost* owner, HWND parent, int list_id)
{
    owner_ = owner;
    create_list(parent, list_id);
}

void ListTabView_CL::apply_visibility()
{
    if (list_) ShowWindow(list_->window(), visible() == 1 ? SW_SHOW : SW_HIDE);
}

void ListTabView_CL::layout(int x, int y, int width, int height)
{
    if (!list_) return;
    list_->move_to(x, y);
    list_->resize(width, height, true);
}

void ListTabView_CL::cancel()
{
    empty_list();
    stop();
}

void ListTabView_CL::on_parent_message(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!list_) return;
    if (message == WM_COMMAND && LOWORD(wparam) == list_->id() && HIWORD(wparam) == LBN_DBLCLK) {
        const WPARAM command = list_->hover_flag() ? TabHost::kOpenOwnerPage : TabHost::kGetPhoto;
        SendMessageW(hwnd, WM_COMMAND, command, 0);
    } else if (message == MyFlickerListBox_CL::kChildRightClick && LOWORD(wparam) == list_->id()) {
        show_item_menu();
    }
    list_->on_parent_message(message, lparam);
}

void ListTabView_CL::set_active_client(FlickrXmlHelper_CL* client)
{
    std::lock_guard<std::mutex> lock(client_lock_);
    active_client_ = client;
}

void ListTabView_CL::abort_load()
{
    stop_requested = true;
    {
        std::lock_guard<std::mutex> lock(client_lock_);
        if (active_client_) active_client_->http().abort_transfer();
    }
    stop();
}
