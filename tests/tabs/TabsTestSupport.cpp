#include <gtest/gtest.h>

#include "TabsTestSupport.h"

#include <commctrl.h>

#include "UiTestSupport.h"
#include "app/Application.h"
#include "store/AppSettings_CL.h"
#include "ui/CommunicateWait_CL.h"
#include "ui/MyFlickerListBox_CL.h"
#include "ui/MyPictureImage_CL.h"
#include "ui/Tab_CL.h"
#include "ui/tabs/TabView_CL.h"

using namespace testing_support;

namespace tabs_testing {

ImageItem_CL service_record(const std::wstring& key, const std::wstring& picture_url)
{
    ImageItem_CL item;
    item.key = key;
    item.farm = 5;
    item.license = 4;
    item.title = L"photo " + key;
    item.ownerName = L"photographer";
    item.owner = L"12345@N00";
    item.sizes[1] = {100, 75, picture_url};
    item.sizes[5] = {320, 240, picture_url};
    return item;
}

void write_list(const std::wstring& path, const std::vector<ImageItem_CL>& items)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    list.items = items;
    ASSERT_EQ(list.save(), S_OK);
}

std::vector<ImageItem_CL> read_list(const std::wstring& path)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    list.load();
    return list.items;
}

namespace {

std::vector<MenuRow>* g_rows = nullptr;
HHOOK g_hook = nullptr;

// Sees the messages sent to the menu's owner; once the menu waits for input
// its rows are read and it is closed.
LRESULT CALLBACK watch_menu(int code, WPARAM wparam, LPARAM lparam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->message == WM_ENTERIDLE && message->wParam == MSGF_MENU && g_rows &&
        g_rows->empty()) {
        const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(reinterpret_cast<HWND>(message->lParam), MN_GETHMENU, 0, 0));
        const int count = GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STATE | MIIM_FTYPE | MIIM_DATA | MIIM_ID;
            GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
            if (info.fType & MFT_SEPARATOR) continue;
            g_rows->push_back({info.wID, (info.fState & MFS_GRAYED) != 0});
        }
        EndMenu();
    }
    return CallNextHookEx(g_hook, code, wparam, lparam);
}

}  // namespace

std::vector<MenuRow> capture_menu(const std::function<void()>& open)
{
    std::vector<MenuRow> rows;
    g_rows = &rows;
    g_hook = SetWindowsHookExW(WH_CALLWNDPROC, watch_menu, nullptr, GetCurrentThreadId());
    open();
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    g_rows = nullptr;
    ui_testing::pump_messages();
    return rows;
}

void MainWindowFixture::SetUp()
{
    tray_mutex_.reset(CreateMutexW(nullptr, FALSE, app::instance_mutex_name(app::ProcessKind::Tray).c_str()));
    AppSettings.load(documents_.path());
    AppSettings.clipboard_marker = -1;
    AppSettings.clipboard_item = ImageItem_CL();
    AppSettings.now_item = ImageItem_CL();
    ASSERT_TRUE(make_jpeg(picture_, 320, 240));
}

void MainWindowFixture::TearDown()
{
    close();
    UnregisterClassW(MainWindowBase_CL::kClassName, GetModuleHandleW(nullptr));
}

void MainWindowFixture::open()
{
    window_ = std::make_unique<MainWindow_CL>();
    ASSERT_NE(window_->create(), nullptr);
    ShowWindow(hwnd(), SW_SHOW);
    ui_testing::pump_messages();
}

void MainWindowFixture::close()
{
    if (!window_) return;
    if (window_->window()) SendMessageW(window_->window(), WM_CLOSE, 0, 0);
    ui_testing::pump_messages();
    window_.reset();
}

HWND MainWindowFixture::strip() const
{
    return window_->tab()->window();
}

HWND MainWindowFixture::list_window(int tab) const
{
    return window_->tab_view(tab)->list()->window();
}

void MainWindowFixture::select_tab(int index)
{
    SendMessageW(strip(), TCM_SETCURSEL, index, 0);
    NMHDR header{strip(), static_cast<UINT_PTR>(Tab_CL::kId), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(hwnd(), WM_NOTIFY, Tab_CL::kId, reinterpret_cast<LPARAM>(&header));
}

int MainWindowFixture::list_count(int tab) const
{
    return static_cast<int>(SendMessageW(list_window(tab), LB_GETCOUNT, 0, 0));
}

bool MainWindowFixture::wait_for_rows(int tab, int count) const
{
    return ui_testing::pump_until([&] { return list_count(tab) == count; });
}

void MainWindowFixture::select_rows(int tab, const std::vector<int>& rows, int caret)
{
    SendMessageW(list_window(tab), LB_SETSEL, FALSE, -1);
    for (int row : rows) SendMessageW(list_window(tab), LB_SETSEL, TRUE, row);
    SendMessageW(list_window(tab), LB_SETCARETINDEX, caret, 0);
}

bool MainWindowFixture::get_photo()
{
    command(MainWindow_CL::kGetPhoto);
    return ui_testing::pump_until(
        [&] { return window_->indicator()->busy_count() == 0 && window_->preview()->holds_picture(); });
}

}  // namespace tabs_testing
