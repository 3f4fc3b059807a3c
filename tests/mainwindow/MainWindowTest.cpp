#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <windows.h>
#include <commctrl.h>

#include "TestSupport.h"
#include "UiTestSupport.h"
#include "app/Application.h"
#include "wallpaper/MainWindowLink.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "winui/CommunicateWait_CL.h"
#include "mainwindow/MainWindow_CL.h"
#include "mainwindow/MyFlickerListBox_CL.h"
#include "mainwindow/MyPictureImage_CL.h"
#include "winui/Tab_CL.h"
#include "mainwindow/tabs/TabView_CL.h"
#include "mainwindow/tabs/TabViewUser_CL.h"

using namespace testing_support;
using ui_testing::local_record;
using ui_testing::pump_until;
using ui_testing::tab_text;

namespace {

void write_list(const std::wstring& path, size_t count, const std::wstring& picture)
{
    WallPaperItemBase_CL list;
    list.set_path(path);
    for (size_t i = 0; i < count; ++i) list.items.push_back(local_record(picture, L"picture " + std::to_wstring(i)));
    ASSERT_EQ(list.save(), S_OK);
}

// The real main window over a settings folder of its own. The fixture holds
// the tray process's instance mutex, so the window starts no tray process.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tray_mutex_.reset(CreateMutexW(nullptr, FALSE, app::instance_mutex_name(app::ProcessKind::Tray).c_str()));
        AppSettings.load(documents_.path());
        ASSERT_TRUE(make_jpeg(picture_, 320, 240));
        write_list(AppSettings.favorites_path(), 2, picture_);
        write_list(AppSettings.history_path(), 1, picture_);
    }
    void TearDown() override
    {
        close();
        UnregisterClassW(MainWindowBase_CL::kClassName, GetModuleHandleW(nullptr));
    }

    void open()
    {
        window_ = std::make_unique<MainWindow_CL>();
        ASSERT_NE(window_->create(), nullptr);
        ui_testing::pump_messages();
    }
    void close()
    {
        if (!window_) return;
        if (window_->window()) SendMessageW(window_->window(), WM_CLOSE, 0, 0);
        ui_testing::pump_messages();
        window_.reset();
    }
    HWND hwnd() const { return window_->window(); }
    HWND strip() const { return window_->tab()->window(); }

    void select_tab(int index)
    {
        SendMessageW(strip(), TCM_SETCURSEL, index, 0);
        NMHDR header{strip(), static_cast<UINT_PTR>(Tab_CL::kId), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(hwnd(), WM_NOTIFY, Tab_CL::kId, reinterpret_cast<LPARAM>(&header));
    }
    int list_count(int tab) const
    {
        return static_cast<int>(SendMessageW(window_->tab_view(tab)->list()->window(), LB_GETCOUNT, 0, 0));
    }
    RECT preview_rect() const { return ui_testing::rect_in_parent(window_->preview()->window()); }
    RECT display() const
    {
        RECT area{};
        GetClientRect(hwnd(), &area);
        SendMessageW(strip(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        return area;
    }
    int ini_int(const wchar_t* key, int fallback = -12345) const { return AppInifile.read_int(keys::kWindow, key, fallback); }

    TempFolder documents_;
    std::wstring picture_ = documents_.file(L"picture.jpg");
    KernelHandle tray_mutex_;
    GdiplusSession gdiplus_;
    std::unique_ptr<MainWindow_CL> window_;
};

}  // namespace

TEST_F(MainWindowTest, EightTabsInOrderWithTheirCaptions)
{
    open();
    ASSERT_EQ(SendMessageW(strip(), TCM_GETITEMCOUNT, 0, 0), 8);
    const wchar_t* expected[] = {L"現在の壁紙",         L"お気に入りの壁紙(2)",       L"壁紙候補(0)",
                                 L"人気の写真(0)",      L"キーワードで検索(0)",       L"指定したユーザーの写真(0)",
                                 L"最近設定した壁紙(1)", L"ローカルフォルダ(0)"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(tab_text(strip(), i), expected[i]) << "tab " << i;
        EXPECT_EQ(window_->tab_view(i)->tab_index(), i);
    }
    wchar_t title[32] = {};
    GetWindowTextW(hwnd(), title, 32);
    EXPECT_STREQ(title, L"Tapestrel");
}

TEST_F(MainWindowTest, StoredSplitPositionIsKeptInsideTheDisplayArea)
{
    AppInifile.write_int(keys::kWindow, keys::kSplitPos, 5000);
    open();
    select_tab(1);
    EXPECT_EQ(preview_rect().right, display().right - DpiScale::system()(MainWindow_CL::kSplitterBar));
    EXPECT_EQ(ui_testing::rect_in_parent(window_->tab_view(1)->list()->window()).left, display().right);
    close();
    UnregisterClassW(MainWindowBase_CL::kClassName, GetModuleHandleW(nullptr));

    AppInifile.write_int(keys::kWindow, keys::kSplitPos, -40);
    open();
    select_tab(1);
    EXPECT_EQ(window_->splitter().position, display().left);
    EXPECT_EQ(preview_rect().right, display().left);
}

TEST_F(MainWindowTest, DraggingTheSplitterMovesThePanesAndIsRemembered)
{
    AppInifile.write_int(keys::kWindow, keys::kSplitPos, 200);
    open();
    select_tab(1);
    const int y = (display().top + display().bottom) / 2;
    SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(203, y));
    SendMessageW(hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, y));
    SendMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(260, y));
    EXPECT_EQ(ini_int(keys::kSplitPos), 260);
    EXPECT_EQ(preview_rect().right, 260);
    EXPECT_EQ(ui_testing::rect_in_parent(window_->tab_view(1)->list()->window()).left,
              260 + DpiScale::system()(MainWindow_CL::kSplitterBar));
    EXPECT_TRUE(GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_CLIPCHILDREN);
    close();
    UnregisterClassW(MainWindowBase_CL::kClassName, GetModuleHandleW(nullptr));

    open();
    EXPECT_EQ(window_->splitter().position, 260);
}

TEST_F(MainWindowTest, CurrentWallpaperTabHidesThePreview)
{
    open();
    EXPECT_EQ(window_->current_tab(), 0);
    EXPECT_FALSE(IsWindowVisible(window_->preview()->window()));
    select_tab(3);
    EXPECT_TRUE(IsWindowVisible(window_->preview()->window()));
    EXPECT_TRUE(IsWindowVisible(window_->tab_view(3)->list()->window()));
    EXPECT_FALSE(IsWindowVisible(window_->tab_view(1)->list()->window()));
    select_tab(0);
    EXPECT_FALSE(IsWindowVisible(window_->preview()->window()));
    EXPECT_FALSE(IsWindowVisible(window_->tab_view(3)->list()->window()));
}

TEST_F(MainWindowTest, PlacementIsSavedOnResizeButNotWhileMinimised)
{
    open();
    SetWindowPos(hwnd(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(ini_int(keys::kWidth), 700);

    ShowWindow(hwnd(), SW_MINIMIZE);
    ui_testing::pump_messages();
    ASSERT_TRUE(IsIconic(hwnd()));
    WritePrivateProfileStringW(keys::kWindow, nullptr, nullptr, AppInifile.path().c_str());
    SendMessageW(hwnd(), WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    SetWindowPos(hwnd(), nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(ini_int(keys::kWidth), -12345);
    EXPECT_EQ(ini_int(keys::kPosX), -12345);

    ShowWindow(hwnd(), SW_RESTORE);
    ui_testing::pump_messages();
    EXPECT_EQ(ini_int(keys::kWidth), 700);
}

TEST_F(MainWindowTest, ListChangeReloadsTheCurrentTabAndOnlyMarksAHiddenOne)
{
    open();
    select_tab(1);
    ASSERT_TRUE(pump_until([&] { return list_count(1) == 2; }));

    // History is hidden: the list is only marked.
    write_list(AppSettings.history_path(), 3, picture_);
    SendMessageW(hwnd(), main_window_link::kListChanged, main_window_link::kHistory, 0);
    EXPECT_EQ(AppSettings.history.changed, 1);
    EXPECT_EQ(AppSettings.history.items.size(), 1u);
    EXPECT_EQ(list_count(6), 0);

    // Favourites are current: reloaded at once.
    write_list(AppSettings.favorites_path(), 4, picture_);
    SendMessageW(hwnd(), main_window_link::kListChanged, main_window_link::kFavorites, 0);
    EXPECT_TRUE(pump_until([&] { return list_count(1) == 4; }));
    EXPECT_TRUE(pump_until([&] { return tab_text(strip(), 1) == L"お気に入りの壁紙(4)"; }));

    // The marked history is read when its tab is shown.
    select_tab(6);
    EXPECT_TRUE(pump_until([&] { return list_count(6) == 3; }));
    EXPECT_EQ(AppSettings.history.changed, 0);
    EXPECT_EQ(tab_text(strip(), 6), L"最近設定した壁紙(3)");

    // Values outside the table change nothing.
    AppSettings.candidates.changed = 0;
    SendMessageW(hwnd(), main_window_link::kListChanged, 9, 0);
    EXPECT_EQ(AppSettings.candidates.changed, 0);
}

TEST_F(MainWindowTest, GetPhotoLoadsTheSelectedRecordIntoThePreview)
{
    open();
    select_tab(1);
    ASSERT_TRUE(pump_until([&] { return list_count(1) == 2; }));
    SendMessageW(window_->tab_view(1)->list()->window(), LB_SETSEL, TRUE, 1);
    SendMessageW(window_->tab_view(1)->list()->window(), LB_SETCARETINDEX, 1, 0);
    SendMessageW(hwnd(), WM_COMMAND, MainWindow_CL::kGetPhoto, 0);
    EXPECT_EQ(AppSettings.clipboard_marker, 1);
    EXPECT_EQ(AppSettings.clipboard_item.title, L"picture 1");
    EXPECT_TRUE(pump_until([&] { return window_->preview()->holds_picture(); }));

    const std::wstring screenshot = documents_.file(L"copy.jpg");
    EXPECT_EQ(window_->preview()->save_bytes(screenshot), S_OK);
    EXPECT_EQ(read_file(screenshot), read_file(picture_));
}

TEST_F(MainWindowTest, ScreenshotOfAFilledList)
{
    // Remote thumbnails come from the stand-in, local ones from the disk.
    const std::string jpeg(reinterpret_cast<const char*>(jpeg_bytes(200, 150).data()), jpeg_bytes(200, 150).size());
    ASSERT_TRUE(serve_file(L"window/thumb.jpg", jpeg));
    WallPaperItemBase_CL favourites;
    favourites.set_path(AppSettings.favorites_path());
    for (int i = 0; i < 6; ++i) {
        ImageItem_CL item = local_record(picture_, L"ローカルの写真 " + std::to_wstring(i));
        if (i % 2) {
            item.localPath.clear();
            item.farm = 5;
            item.license = 4;
            item.ownerName = L"photographer";
            item.sizes[1] = {100, 75, http_url(L"window/thumb.jpg")};
            item.sizes[5] = {4000, 3000, http_url(L"window/thumb.jpg")};
        }
        favourites.items.push_back(item);
    }
    ASSERT_EQ(favourites.save(), S_OK);
    // Room for the same rows at every DPI.
    AppInifile.write_int(keys::kWindow, keys::kWidth, DpiScale::system()(900));
    AppInifile.write_int(keys::kWindow, keys::kHeight, DpiScale::system()(640));
    open();
    select_tab(1);
    MyFlickerListBox_CL* list = window_->tab_view(1)->list();
    ASSERT_TRUE(pump_until([&] { return list_count(1) == 6; }));
    SendMessageW(hwnd(), WM_COMMAND, MainWindow_CL::kGetPhoto, 0);
    EXPECT_TRUE(pump_until([&] {
        RedrawWindow(list->window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return list->cached_count() >= 4 && window_->indicator()->busy_count() == 0;
    }));
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ui_testing::pump_messages();
    // Left beside the test program for a person to look at.
    EXPECT_TRUE(ui_testing::save_screenshot(hwnd(), L"main_window.png"));
}

namespace {

std::wstring status_text(HWND bar)
{
    wchar_t text[512] = {};
    SendMessageW(bar, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string rsp(const std::string& content, const char* stat = "ok")
{
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\" ?><rsp stat=\"") + stat + "\">" + content + "</rsp>";
}

// A user "ann" with one photo set of two photos, answered by method.
bool serve_user(const std::wstring& folder)
{
    const std::wstring rest = folder + L"/services/rest@@method=";
    const std::wstring host = http_host();
    std::string photos;
    for (const char* id : {"81", "82"})
        photos += std::string("<photo id=\"") + id + "\" secret=\"s\" server=\"1\" farm=\"1\" title=\"t" + id +
                  "\" originalformat=\"jpg\" width_o=\"1600\" height_o=\"1200\" url_o=\"http://" +
                  std::string(host.begin(), host.end()) + "/none.jpg\"/>";
    return serve_file(rest + L"flickr.people.findByUsername",
                      rsp("<user id=\"1@N00\" nsid=\"1@N00\"><username>ann</username></user>")) &&
           serve_file(rest + L"flickr.photosets.getList", rsp("<photosets><photoset id=\"77\" photos=\"2\"/></photosets>")) &&
           serve_file(rest + L"flickr.photosets.getPhotos", rsp("<photoset id=\"77\">" + photos + "</photoset>"));
}

}  // namespace

TEST_F(MainWindowTest, StatusBarTellsWhyTheCurrentTabsLastLoadFailedAndTheListStays)
{
    GUID id;
    ASSERT_EQ(CoCreateGuid(&id), S_OK);
    const std::wstring folder = L"status_" + std::to_wstring(id.Data1);
    ASSERT_TRUE(serve_file(folder + L"/refused/services/rest",
                           rsp("<err code=\"100\" msg=\"Invalid API Key (Key has invalid format)\" />", "fail")));
    ASSERT_TRUE(serve_user(folder + L"/user"));
    ASSERT_TRUE(trust_test_authority());
    AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder + L"/refused"));
    open();
    const HWND bar = GetDlgItem(hwnd(), 0x3400);
    ASSERT_NE(bar, nullptr);
    RECT client{};
    GetClientRect(hwnd(), &client);
    const RECT bar_rect = ui_testing::rect_in_parent(bar);
    EXPECT_EQ(bar_rect.bottom, client.bottom);
    EXPECT_LE(ui_testing::rect_in_parent(strip()).bottom, bar_rect.top) << "the tab view ends above the bar";
    EXPECT_EQ(status_text(bar), L"");

    select_tab(3);
    EXPECT_TRUE(pump_until([&] { return !status_text(bar).empty(); }));
    EXPECT_EQ(status_text(bar), L"Flickrが拒否しました: Invalid API Key (Key has invalid format) (100)"
                                L"（設定の「Flickr」ページでAPIキーを確認してください）");
    EXPECT_EQ(list_count(3), 0);
    select_tab(1);
    EXPECT_EQ(status_text(bar), L"") << "another tab shows its own outcome";

    // The user tab finds two photos, then a search over an untrusted certificate keeps them.
    AppInifile.write_string(keys::kService, keys::kWebUrl, http_url(folder + L"/user"));
    select_tab(5);
    auto* user_tab = static_cast<TabViewUser_CL*>(window_->tab_view(5));
    user_tab->search_for_user(L"ann");
    ASSERT_TRUE(pump_until([&] { return list_count(5) == 2; }));
    EXPECT_EQ(status_text(bar), L"");
    AppInifile.write_string(keys::kService, keys::kWebUrl, https_url(TlsSite::kSelfSigned, folder + L"/user"));
    user_tab->search_for_user(L"bob");
    EXPECT_TRUE(pump_until([&] { return !status_text(bar).empty(); }));
    EXPECT_EQ(status_text(bar), L"Flickrに接続できませんでした: certificate not trusted");
    EXPECT_EQ(list_count(5), 2);
}

// Wine gives every monitor the prefix's DPI, so the move to a display of
// another scaling is played by its message, with the rectangle Windows suggests.
TEST_F(MainWindowTest, DpiChangeTakesTheSuggestedRectangleAndScalesTheWholeWindow)
{
    AppInifile.write_int(keys::kWindow, keys::kSplitPos, 300);
    AppSettings.program_folder = env(L"TAPESTREL_SOURCE") + L"\\res";  // the picture strip
    open();
    select_tab(1);
    const DpiScale before = DpiScale::system();
    const HWND list = window_->tab_view(1)->list()->window();
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), before(112));
    const int split = window_->splitter().position;

    const DpiScale after(before.dpi() * 2);
    RECT suggested{40, 30, 40 + 1100, 30 + 760};
    SendMessageW(hwnd(), WM_DPICHANGED, MAKEWPARAM(after.dpi(), after.dpi()), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(hwnd(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    // A list box row is at most 255 pixels high: past about 218 DPI the rows stop growing.
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), std::min(after(112), 254));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(strip(), WM_GETFONT, 0, 0)), after.font());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), after.font());
    int image_width = 0, image_height = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(strip(), TCM_GETIMAGELIST, 0, 0)), &image_width,
                          &image_height);
    EXPECT_EQ(image_width, after(24));
    EXPECT_EQ(window_->splitter().position, after.from(split, before)) << "the panes keep their proportion";
    EXPECT_EQ(ui_testing::rect_in_parent(list).left, window_->splitter().position + after(MainWindow_CL::kSplitterBar));
    EXPECT_EQ(ui_testing::rect_in_parent(window_->indicator()->window()).bottom -
                  ui_testing::rect_in_parent(window_->indicator()->window()).top,
              after(20));
    EXPECT_EQ(ini_int(keys::kWidth), 1100) << "the placement is kept in the system's pixels";
}

namespace {

// Frame paints of one window, as the thread's window procedures see them.
HWND g_watched = nullptr;
int g_frame_paints = 0;

LRESULT CALLBACK count_frame_paints(int code, WPARAM wparam, LPARAM lparam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->hwnd == g_watched && message->message == WM_NCPAINT) ++g_frame_paints;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

// Wine's virtual desktop may paint the new wallpaper over the title bar after
// the tray's notice: the frame is painted at the notice and once more later.
TEST_F(MainWindowTest, ANewWallpaperRepaintsTheFrameAtOnceAndAgainAMomentLater)
{
    open();
    ui_testing::pump_messages();
    g_watched = hwnd();
    g_frame_paints = 0;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, count_frame_paints, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    SendMessageW(hwnd(), main_window_link::kListChanged, main_window_link::kNewWallpaper, 0);
    const int at_notice = g_frame_paints;
    pump_until([] { return false; }, MainWindow_CL::kRepaintDelayMs + 700);
    const int later = g_frame_paints;
    UnhookWindowsHookEx(hook);
    g_watched = nullptr;
    EXPECT_GE(at_notice, 1);
    EXPECT_GT(later, at_notice);
}
