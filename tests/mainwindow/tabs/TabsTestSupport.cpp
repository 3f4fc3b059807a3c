#include <gtest/gtest.h>

#include "TabsTestSupport.h"

#include <commctrl.h>

#include "UiTestSupport.h"
#include "app/Application.h"
#include "store/AppSettings_CL.h"
#include "winui/CommunicateWait_CL.h"
#include "winui/PopupMenu_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "mainwindow/MyPictureImage_CL.h"
#include "winui/Tab_CL.h"
#include "mainwindow/tabs/SearchTabView_CL.h"
#include "mainwindow/tabs/TabView_CL.h"

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
    (void)list.load();  // a missing list reads as empty
    return list.items;
}

namespace {

std::vector<MenuRow>* g_rows = nullptr;
UINT g_choose = 0;
HHOOK g_hook = nullptr;

// Moves down to the row and presses Enter, as the keyboard does; a greyed
// row cannot be chosen, so the menu is closed instead.
void choose_row(HWND menu_window, const std::vector<MenuRow>& rows, UINT id)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].id != id || rows[i].greyed) continue;
        for (size_t step = 0; step <= i; ++step) PostMessageW(menu_window, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu_window, WM_KEYDOWN, VK_RETURN, 0);
        return;
    }
    EndMenu();
}

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
            // Owner-drawn rows keep their text in the menu object.
            const auto* owner = reinterpret_cast<const PopupMenu_CL*>(info.dwItemData);
            const PopupMenu_CL::Item* item = owner ? owner->find(info.wID) : nullptr;
            g_rows->push_back({info.wID, (info.fState & MFS_GRAYED) != 0, item ? item->text : std::wstring()});
        }
        if (g_choose != 0)
            choose_row(reinterpret_cast<HWND>(message->lParam), *g_rows, g_choose);
        else
            EndMenu();
    }
    return CallNextHookEx(g_hook, code, wparam, lparam);
}

}  // namespace

std::vector<MenuRow> capture_menu(const std::function<void()>& open, UINT choose)
{
    std::vector<MenuRow> rows;
    g_rows = &rows;
    g_choose = choose;
    g_hook = SetWindowsHookExW(WH_CALLWNDPROC, watch_menu, nullptr, GetCurrentThreadId());
    open();
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    g_rows = nullptr;
    g_choose = 0;
    ui_testing::pump_messages();
    return rows;
}

std::string answer(const std::string& content)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<rsp stat=\"ok\">\n" + content + "\n</rsp>\n";
}

std::string photos_answer(const std::vector<std::string>& titles, const std::string& element)
{
    std::string photos;
    for (const std::string& title : titles)
        photos += "<photo id=\"" + title + "\" owner=\"1@N00\" ownername=\"owner\" secret=\"s\" server=\"2\" farm=\"3\" "
                  "title=\"" + title + "\" originalformat=\"jpg\"/>";
    return answer("<" + element + " page=\"1\" pages=\"1\" perpage=\"4000\" total=\"" + std::to_string(titles.size()) +
                  "\">" + photos + "</" + element + ">");
}

std::vector<std::wstring> stored_history(const wchar_t* section)
{
    std::vector<std::wstring> entries;
    const int count = AppInifile.read_int(section, L"count", 0);
    for (int i = 0; i < count; ++i)
        entries.push_back(AppInifile.read_string(section, Inifile_CL::make_indexed_key(L"item", i).c_str()));
    return entries;
}

void store_history(const wchar_t* section, const std::vector<std::wstring>& entries)
{
    AppInifile.write_int(section, L"count", static_cast<int>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i)
        AppInifile.write_string(section, Inifile_CL::make_indexed_key(L"item", static_cast<int>(i)).c_str(), entries[i]);
}

std::vector<std::wstring> titles_of(const std::vector<ImageItem_CL>& items)
{
    std::vector<std::wstring> titles;
    for (const ImageItem_CL& item : items) titles.push_back(item.title);
    return titles;
}

void MainWindowFixture::SetUp()
{
    tray_mutex_.reset(CreateMutexW(nullptr, FALSE, app::instance_mutex_name(app::ProcessKind::Tray).c_str()));
    AppSettings.load(documents_.path());
    AppSettings.clipboard_marker = -1;
    AppSettings.clipboard_item = ImageItem_CL();
    AppSettings.now_item = ImageItem_CL();
    ASSERT_TRUE(make_jpeg(picture_, 320, 240));
    // The stand-in's request log outlives runs, and Wine reuses process ids.
    GUID run;
    ASSERT_EQ(CoCreateGuid(&run), S_OK);
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    service_folder_ = L"tabs_" + std::wstring(test.begin(), test.end()) + L"_" + std::to_wstring(run.Data1);
    point_service_at(L"");
}

void MainWindowFixture::point_service_at(const std::wstring& switches)
{
    service_switches_ = switches;
    const std::wstring address = http_url(requests_folder());
    for (const wchar_t* key : {L"rest_url", L"web_url", L"support_url"})
        ASSERT_TRUE(AppInifile.write_string(L"SERVICE", key, address));
}

std::wstring MainWindowFixture::requests_folder() const
{
    return service_switches_.empty() ? service_folder_ : service_switches_ + L"/" + service_folder_;
}

void MainWindowFixture::serve_answer_for(const std::string& parameter, const std::string& body)
{
    ASSERT_TRUE(serve_file(service_folder_ + L"/services/rest@@" + std::wstring(parameter.begin(), parameter.end()), body));
}

std::vector<std::string> MainWindowFixture::requests() const
{
    return http_requests(requests_folder());
}

void MainWindowFixture::open_gate()
{
    ASSERT_TRUE(serve_file(L"_gate/" + service_folder_ + L"/services/rest.open", ""));
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

std::vector<ImageItem_CL> MainWindowFixture::rows(int tab) const
{
    std::vector<ImageItem_CL> records;
    for (int row = 0; row < list_count(tab); ++row)
        if (const ImageItem_CL* record = window_->tab_view(tab)->list()->record_at(row)) records.push_back(*record);
    return records;
}

void MainWindowFixture::enter_text(int tab, const std::wstring& text)
{
    HistoryComboBox_CL& box = static_cast<SearchTabView_CL*>(window_->tab_view(tab))->history_box();
    box.set_text(text);
    const HWND edit = reinterpret_cast<HWND>(SendMessageW(box.window(), CBEM_GETEDITCONTROL, 0, 0));
    SendMessageW(edit, WM_CHAR, VK_RETURN, 0);
}

void MainWindowFixture::mark_caption(int tab)
{
    window_->tab()->set_tab(L"-", 0, tab);
}

bool MainWindowFixture::wait_for_caption(int tab, const std::wstring& caption) const
{
    return ui_testing::pump_until([&] { return tab_text(strip(), tab) == caption; });
}

bool MainWindowFixture::get_photo()
{
    command(MainWindow_CL::kGetPhoto);
    return ui_testing::pump_until(
        [&] { return window_->indicator()->busy_count() == 0 && window_->preview()->holds_picture(); });
}

bool MainWindowFixture::set_as_wallpaper()
{
    command(MainWindow_CL::kSetWallpaper);
    return ui_testing::pump_until([&] { return window_->indicator()->busy_count() == 0; });
}

}  // namespace tabs_testing
