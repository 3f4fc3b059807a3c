#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include <objbase.h>
#include <prsht.h>

#include "UiTestSupport.h"
#include "PagesTestSupport.h"
#include "store/AppSettings_CL.h"
#include "store/ServiceConfig.h"
#include "store/SettingsKeys.h"
#include "winui/PropertySheet_CL.h"
#include "mainwindow/pages/SettingsSheet.h"
#include "TestSupport.h"
#include "base/TextConvert.h"

using pages_testing::choose;
using pages_testing::click;
using pages_testing::ModalUser;
using pages_testing::type_text;
using pages_testing::window_text;

namespace {

using Wallpaper = PropAppSetting_CL;
using Candidates = PropCandSetting_CL;
using Version = PropAppVersion_CL;
using Flickr = PropFlickrSetting_CL;

// The open sheet as the playing thread sees it.
class SheetView {
public:
    explicit SheetView(HWND sheet) : sheet_(sheet) {}

    // Shows the page at index; its window.
    HWND page(int index) const
    {
        SendMessageW(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        return reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    static HWND control(HWND page, int index) { return GetDlgItem(page, 0x1100 + index); }
    static bool enabled(HWND page, int index) { return IsWindowEnabled(control(page, index)) != FALSE; }
    static bool checked(HWND page, int index)
    {
        return SendMessageW(control(page, index), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static int selection(HWND page, int index)
    {
        return static_cast<int>(SendMessageW(control(page, index), CB_GETCURSEL, 0, 0));
    }
    bool apply_enabled() const { return IsWindowEnabled(GetDlgItem(sheet_, 0x3021)) != FALSE; }

private:
    HWND sheet_;
};

// Plays the user and answers the button that closes the sheet (PSBTN_OK or
// PSBTN_CANCEL). Only non-fatal checks inside: the sheet must always close.
using SheetScript = std::function<int(const SheetView&)>;

class SettingsSheet : public pages_testing::SettingsTest {
protected:
    // Shows the sheet while the script plays; whether the sheet appeared.
    bool run_sheet(const SheetScript& script, SettingsSheet_CL* sheet = nullptr)
    {
        SettingsSheet_CL own;
        SettingsSheet_CL& shown = sheet ? *sheet : own;
        ModalUser user(L"アプリ設定", [&script](HWND window) {
            const int button = script(SheetView(window));
            // Posted, as a click is: the sheet's modal loop ends on its next message.
            PostMessageW(window, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
        });
        shown.show(host.hwnd());
        user.finish();
        return user.found();
    }

    static void expect_stored(const wchar_t* section,
                              std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> values)
    {
        for (const auto& value : values) EXPECT_EQ(stored(section, value.first), value.second) << value.first;
    }

    static void write(const wchar_t* key, int value)
    {
        ASSERT_TRUE(AppInifile.write_int(keys::kWallPaperInfo, key, value));
    }

    ui_testing::HostWindow host{800, 600};
};

}  // namespace

// Every page at the DPI of the run: its 560 x 360 (at 96 DPI) inside the sheet,
// and no caption cut off by its control.
TEST_F(SettingsSheet, PagesScaleToTheDpiAndNoTextIsClipped)
{
    const DpiScale scale = DpiScale::system();
    std::vector<std::wstring> faults;
    ASSERT_TRUE(run_sheet([&](const SheetView& sheet) {
        for (int index = 0; index < 4; ++index) {
            const HWND page = sheet.page(index);
            if (!page) {
                faults.push_back(L"no page " + std::to_wstring(index));
                continue;
            }
            RECT own{}, sheet_client{};
            GetWindowRect(page, &own);
            const HWND frame = GetParent(page);
            GetClientRect(frame, &sheet_client);
            MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&sheet_client), 2);
            const std::wstring where = L"page " + std::to_wstring(index) + L": ";
            if (own.right - own.left != scale(SettingsPage_CL::kWidth) ||
                own.bottom - own.top != scale(SettingsPage_CL::kHeight))
                faults.push_back(where + L"size " + std::to_wstring(own.right - own.left) + L" x " +
                                 std::to_wstring(own.bottom - own.top));
            if (own.right > sheet_client.right || own.bottom > sheet_client.bottom) faults.push_back(where + L"cut by the sheet");
            for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                const std::wstring clipped = ui_testing::clipped_text(child);
                if (!clipped.empty()) faults.push_back(where + clipped);
            }
        }
        return PSBTN_CANCEL;
    }));
    for (const std::wstring& fault : faults) ADD_FAILURE() << wide_to_utf8(fault);
}

TEST_F(SettingsSheet, WallpaperPageLoadsTheFileAndWritesEveryKeyOnOk)
{
    write(keys::kUpdateTimming, 2);
    write(keys::kChangeFavoriteUse, 0);
    write(keys::kChangeLocalFolderUse, 1);
    write(keys::kDispStyle, 1);
    ASSERT_TRUE(AppInifile.write_string(keys::kWallPaperInfo, keys::kChangeLocalFolderUseEdit, L"C:\\pics"));

    bool apply_at_open = true;
    bool apply_after_placement = false;
    bool per_monitor_below_placement = false;
    ASSERT_TRUE(run_sheet([&](const SheetView& sheet) {
        const HWND page = sheet.page(0);
        EXPECT_TRUE(SheetView::checked(page, Wallpaper::kAutoChange));
        EXPECT_EQ(SheetView::selection(page, Wallpaper::kInterval), 2);
        EXPECT_FALSE(SheetView::checked(page, Wallpaper::kFavoriteUse));
        EXPECT_TRUE(SheetView::checked(page, Wallpaper::kCandidateUse));
        EXPECT_TRUE(SheetView::checked(page, Wallpaper::kLocalFolderUse));
        EXPECT_EQ(window_text(SheetView::control(page, Wallpaper::kLocalFolder)), L"C:\\pics");
        EXPECT_EQ(SheetView::selection(page, Wallpaper::kPlacement), 1);
        EXPECT_FALSE(SheetView::checked(page, Wallpaper::kPerMonitor));
        EXPECT_TRUE(SheetView::checked(page, Wallpaper::kSkipFullscreen)) << "on unless switched off";
        EXPECT_EQ(window_text(SheetView::control(page, Wallpaper::kSkipFullscreen)),
                  L"全画面表示のアプリを使っている間は壁紙を変更しない");
        RECT placement{}, per_monitor{}, skip{};
        GetWindowRect(SheetView::control(page, Wallpaper::kPlacement), &placement);
        GetWindowRect(SheetView::control(page, Wallpaper::kPerMonitor), &per_monitor);
        GetWindowRect(SheetView::control(page, Wallpaper::kSkipFullscreen), &skip);
        per_monitor_below_placement = per_monitor.top >= placement.bottom && skip.top >= per_monitor.bottom;
        // Filling the page is no change of the user's.
        apply_at_open = sheet.apply_enabled();
        choose(SheetView::control(page, Wallpaper::kPlacement), 4);
        apply_after_placement = sheet.apply_enabled();
        choose(SheetView::control(page, Wallpaper::kInterval), 5);
        click(SheetView::control(page, Wallpaper::kPerMonitor));
        click(SheetView::control(page, Wallpaper::kSkipFullscreen));
        return PSBTN_OK;
    }));
    EXPECT_FALSE(apply_at_open);
    EXPECT_TRUE(apply_after_placement);
    EXPECT_TRUE(per_monitor_below_placement);

    expect_stored(keys::kWallPaperInfo, {{keys::kAutoChange, L"1"},
                                         {keys::kUpdateTimming, L"5"},
                                         {keys::kChangeFavoriteUse, L"0"},
                                         {keys::kChangeCandidateUse, L"1"},
                                         {keys::kChangeLocalFolderUse, L"1"},
                                         {keys::kChangeLocalFolderUseEdit, L"C:\\pics"},
                                         {keys::kDispStyle, L"4"},
                                         {keys::kPerMonitor, L"1"},
                                         {keys::kSkipFullscreen, L"0"}});
    // The pages never opened wrote nothing.
    EXPECT_EQ(stored(keys::kInfoGet, keys::kCandAuteAdd), L"absent");
    EXPECT_EQ(stored(keys::kInfoGet, keys::kCandSearchKeywordStr), L"absent");
    EXPECT_EQ(stored(keys::kVersion, keys::kNotify), L"absent");
}

TEST_F(SettingsSheet, AutoChangeBoxSteersTheIntervalListAtOnceAndAfterReopening)
{
    bool enabled_before = false;
    bool enabled_after = true;
    bool apply = false;
    ASSERT_TRUE(run_sheet([&](const SheetView& sheet) {
        const HWND page = sheet.page(0);
        enabled_before = SheetView::enabled(page, Wallpaper::kInterval);
        click(SheetView::control(page, Wallpaper::kAutoChange));
        enabled_after = SheetView::enabled(page, Wallpaper::kInterval);
        apply = sheet.apply_enabled();
        return PSBTN_OK;
    }));
    EXPECT_TRUE(enabled_before);
    EXPECT_FALSE(enabled_after);
    EXPECT_TRUE(apply);
    EXPECT_EQ(stored(keys::kWallPaperInfo, keys::kAutoChange), L"0");

    std::vector<bool> seen;
    RECT page_area{};
    RECT browse{};
    ASSERT_TRUE(run_sheet([&](const SheetView& sheet) {
        const HWND page = sheet.page(0);
        GetClientRect(page, &page_area);
        browse = ui_testing::rect_in_parent(SheetView::control(page, Wallpaper::kBrowse));
        seen.push_back(SheetView::enabled(page, Wallpaper::kInterval));
        // The local folder is off by default, and with it its field and "参照".
        seen.push_back(SheetView::enabled(page, Wallpaper::kLocalFolder));
        seen.push_back(SheetView::enabled(page, Wallpaper::kBrowse));
        click(SheetView::control(page, Wallpaper::kLocalFolderUse));
        seen.push_back(SheetView::enabled(page, Wallpaper::kLocalFolder));
        seen.push_back(SheetView::enabled(page, Wallpaper::kBrowse));
        return PSBTN_CANCEL;
    }));
    EXPECT_EQ(seen, (std::vector<bool>{false, false, false, true, true}));
    // "参照" stays on the page whatever the font's width.
    EXPECT_LE(browse.right, page_area.right);
    EXPECT_EQ(browse.right - browse.left, DpiScale::system()(32));
    // Cancel kept what the first sheet stored.
    EXPECT_EQ(stored(keys::kWallPaperInfo, keys::kChangeLocalFolderUse), L"0");
}

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring run_value()
{
    return testing_support::user_registry_string(kRunKey, L"Tapestrel");
}

void set_run_value(const std::wstring& command)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tapestrel", REG_SZ, command.c_str(),
                              static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void remove_run_value()
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tapestrel");
}

std::wstring this_program()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

}  // namespace

TEST_F(SettingsSheet, StartWithWindowsBoxWritesTheRunValueForThisProgramAndRemovesIt)
{
    remove_run_value();
    // One sheet: whether the box was checked at open, then the user's click and OK.
    bool on_page_under_the_options = false;
    const auto toggle = [&](bool click_box, bool& checked_at_open, bool& apply) {
        return run_sheet([&](const SheetView& sheet) {
            const HWND page = sheet.page(0);
            RECT client{};
            GetClientRect(page, &client);
            const RECT box = ui_testing::rect_in_parent(SheetView::control(page, Wallpaper::kStartWithWindows));
            const RECT above = ui_testing::rect_in_parent(SheetView::control(page, Wallpaper::kPerMonitor));
            on_page_under_the_options = box.top >= above.bottom && box.bottom <= client.bottom;
            checked_at_open = SheetView::checked(page, Wallpaper::kStartWithWindows);
            if (click_box) click(SheetView::control(page, Wallpaper::kStartWithWindows));
            apply = sheet.apply_enabled();
            return PSBTN_OK;
        });
    };
    const std::wstring command = L"\"" + this_program() + L"\"";
    bool checked = true, apply = false;
    ASSERT_TRUE(toggle(true, checked, apply));
    EXPECT_FALSE(checked);
    EXPECT_TRUE(apply);
    EXPECT_TRUE(on_page_under_the_options);
    EXPECT_EQ(run_value(), command);

    ASSERT_TRUE(toggle(true, checked, apply));
    EXPECT_TRUE(checked);
    EXPECT_TRUE(apply);
    EXPECT_EQ(run_value(), L"<absent>");

    // The program was moved: the value still names the old copy.
    set_run_value(L"\"C:\\Old place\\Tapestrel.exe\"");
    ASSERT_TRUE(toggle(false, checked, apply));
    EXPECT_TRUE(checked);
    EXPECT_EQ(run_value(), command);
    remove_run_value();
}

TEST_F(SettingsSheet, CandidatePageEnablesEachFieldThroughItsBoxes)
{
    AppSettings.cand_aute_add = 1;
    AppSettings.cand_check_min_pic = 0;
    AppSettings.cand_search_keyword = 1;
    const std::vector<int> dependants{Candidates::kCheckMinSize,  Candidates::kMinWidth, Candidates::kMinHeight,
                                      Candidates::kLandscapeOnly, Candidates::kAddMax,   Candidates::kSearchKeyword,
                                      Candidates::kKeywords,      Candidates::kCommons};
    auto states = [&dependants](HWND page) {
        std::vector<bool> states;
        for (int index : dependants) states.push_back(SheetView::enabled(page, index));
        return states;
    };
    std::vector<std::vector<bool>> seen;
    ASSERT_TRUE(run_sheet([&](const SheetView& sheet) {
        const HWND page = sheet.page(1);
        seen.push_back(states(page));
        click(SheetView::control(page, Candidates::kAutoAdd));
        seen.push_back(states(page));
        click(SheetView::control(page, Candidates::kAutoAdd));
        seen.push_back(states(page));
        click(SheetView::control(page, Candidates::kCheckMinSize));
        click(SheetView::control(page, Candidates::kSearchKeyword));
        seen.push_back(states(page));
        return PSBTN_CANCEL;
    }));
    // Order: min-size box, width, height, landscape, count, keyword box, keywords, Commons.
    const std::vector<bool> sizes_off{true, false, false, true, true, true, true, true};
    EXPECT_EQ(seen, (std::vector<std::vector<bool>>{sizes_off,
                                                    {false, false, false, false, false, false, false, false},
                                                    sizes_off,
                                                    {true, true, true, true, true, true, false, true}}));
    EXPECT_EQ(AppSettings.cand_check_min_pic, 0);
}

TEST_F(SettingsSheet, CandidatePageStoresItsValuesInMemoryAndFile)
{
    AppSettings.cand_aute_add = 1;
    AppSettings.cand_check_min_pic = 1;
    AppSettings.cand_add_max = 4;
    AppSettings.cand_search_keyword_str = L"夕焼け sea";
    AppSettings.cand_commons = 1;
    std::wstring loaded_width;
    std::wstring loaded_keywords;
    std::wstring commons_text;
    bool commons_loaded = false;
    RECT keywords{};
    RECT commons{};
    bool apply_after_typing = false;
    ASSERT_TRUE(run_sheet([&](const SheetView& sheet) {
        const HWND page = sheet.page(1);
        loaded_width = window_text(SheetView::control(page, Candidates::kMinWidth));
        loaded_keywords = window_text(SheetView::control(page, Candidates::kKeywords));
        const HWND commons_box = SheetView::control(page, Candidates::kCommons);
        commons_text = window_text(commons_box);
        commons_loaded = SendMessageW(commons_box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        keywords = ui_testing::rect_in_parent(SheetView::control(page, Candidates::kKeywords));
        commons = ui_testing::rect_in_parent(commons_box);
        click(commons_box);
        type_text(SheetView::control(page, Candidates::kMinWidth), L"abc");
        apply_after_typing = sheet.apply_enabled();
        type_text(SheetView::control(page, Candidates::kMinHeight), L"600");
        choose(SheetView::control(page, Candidates::kAddMax), 8);
        return PSBTN_OK;
    }));
    EXPECT_EQ(loaded_width, L"1024");
    EXPECT_EQ(loaded_keywords, L"夕焼け sea");
    EXPECT_EQ(commons_text, L"Wikimedia Commonsの秀逸な画像も自動追加する");
    EXPECT_TRUE(commons_loaded);
    EXPECT_GE(commons.top, keywords.bottom);
    EXPECT_TRUE(apply_after_typing);
    EXPECT_EQ(AppSettings.cand_commons, 0);

    EXPECT_EQ(AppSettings.cand_min_width, 0);
    EXPECT_EQ(AppSettings.cand_min_height, 600);
    EXPECT_EQ(AppSettings.cand_add_max, 8);
    expect_stored(keys::kInfoGet, {{keys::kCandAuteAdd, L"1"},
                                         {keys::kCandCheckMinPic, L"1"},
                                         {keys::kCandAddMax, L"8"},
                                         {keys::kCandMinWidth, L"0"},
                                         {keys::kCandMinHeight, L"600"},
                                         {keys::kCandWidthLong, L"1"},
                                         {keys::kCandSearchKeyword, L"0"},
                                         {keys::kCandSearchKeywordStr, L"夕焼け sea"},
                                         {keys::kCandCommons, L"0"}});
}

TEST_F(SettingsSheet, VersionPageSwitchesNoticesOffAndOpensTheSupportSite)
{
    SettingsSheet_CL sheet_object;
    std::vector<std::wstring> opened;
    sheet_object.version_page().set_open_page([&opened](const std::wstring& page) { opened.push_back(page); });
    bool apply = false;
    ASSERT_TRUE(run_sheet(
        [&](const SheetView& sheet) {
            const HWND page = sheet.page(3);
            click(SheetView::control(page, Version::kSupportButton));
            click(SheetView::control(page, Version::kIconButton));
            click(SheetView::control(page, Version::kNoNotify));
            apply = sheet.apply_enabled();
            return PSBTN_OK;
        },
        &sheet_object));
    const std::wstring product_page = service_config::support_base_url() + L"/";
    EXPECT_EQ(opened, (std::vector<std::wstring>{product_page, product_page}));
    EXPECT_TRUE(apply);
    EXPECT_EQ(AppSettings.notify, 1);
    EXPECT_EQ(stored(keys::kVersion, keys::kNotify), L"1");
}

namespace {

constexpr int kFlickrPage = 2;
const std::wstring kKey = L"0123456789abcdef0123456789abcdef";
const std::wstring kSecret = L"fedcba9876543210";

HWND flickr_control(HWND page, int index)
{
    return GetDlgItem(page, Flickr::kFirstId + index);
}

// Waits for the message box the sheet's thread shows, answers OK and gives its text.
std::wstring answer_message_box()
{
    for (int i = 0; i < 400; ++i) {
        if (HWND box = FindWindowW(L"#32770", L"Flickr")) {
            std::wstring text;
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                text += window_text(child) + L"|";
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            while (IsWindow(box)) Sleep(20);
            return text;
        }
        Sleep(50);
    }
    return L"no message box";
}

HWND focus_of(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// Presses the check button and waits for its result text.
std::wstring check_connection(HWND page)
{
    SetWindowTextW(flickr_control(page, Flickr::kResult), L"");
    click(flickr_control(page, Flickr::kCheckButton));
    for (int i = 0; i < 600; ++i) {
        const std::wstring result = window_text(flickr_control(page, Flickr::kResult));
        if (IsWindowEnabled(flickr_control(page, Flickr::kCheckButton)) && !result.empty()) return result;
        Sleep(50);
    }
    return L"no result";
}

}  // namespace

TEST_F(SettingsSheet, FlickrPageRefusesMalformedCredentialsAndStoresWellFormedOnesInLowerCase)
{
    const std::wstring built_in_key = service_config::api_key();
    ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kRestUrl, L"http://127.0.0.84"));
    ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kApiKey, L"0000"));
    std::vector<std::wstring> shown, refusals;
    std::vector<bool> focused;
    ASSERT_TRUE(run_sheet([&](const SheetView& sheet) {
        const HWND page = sheet.page(kFlickrPage);
        shown = {window_text(flickr_control(page, Flickr::kKeyLabel)), window_text(flickr_control(page, Flickr::kKeyField)),
                 window_text(flickr_control(page, Flickr::kSecretField)),
                 window_text(flickr_control(page, Flickr::kGetKeyButton))};
        const auto refused_on_ok = [&](int field) {
            PostMessageW(GetParent(page), PSM_PRESSBUTTON, PSBTN_OK, 0);
            refusals.push_back(answer_message_box());
            focused.push_back(focus_of(page) == flickr_control(page, field));
        };
        refused_on_ok(Flickr::kKeyField);
        type_text(flickr_control(page, Flickr::kKeyField), L"  0123456789ABCDEF0123456789ABCDEF ");
        type_text(flickr_control(page, Flickr::kSecretField), L"fedcba987654321g");
        refused_on_ok(Flickr::kSecretField);
        type_text(flickr_control(page, Flickr::kSecretField), L"FEDCBA9876543210");
        return PSBTN_OK;
    }));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"APIキー", L"0000", L"", L"APIキーを取得する…"}));
    ASSERT_EQ(refusals.size(), 2u);
    EXPECT_NE(refusals[0].find(L"APIキーは32文字の16進数で入力してください。"), std::wstring::npos) << refusals[0];
    EXPECT_NE(refusals[1].find(L"シークレットは16文字の16進数で入力してください。"), std::wstring::npos) << refusals[1];
    EXPECT_EQ(focused, (std::vector<bool>{true, true}));
    expect_stored(keys::kService, {{keys::kApiKey, kKey.c_str()}, {keys::kSharedSecret, kSecret.c_str()},
                                   {keys::kRestUrl, L"http://127.0.0.84"}});

    // Emptying both fields returns to the built-in registration.
    ASSERT_TRUE(run_sheet([&](const SheetView& sheet) {
        const HWND page = sheet.page(kFlickrPage);
        SetWindowTextW(flickr_control(page, Flickr::kKeyField), L"");
        SetWindowTextW(flickr_control(page, Flickr::kSecretField), L" ");
        return PSBTN_OK;
    }));
    expect_stored(keys::kService, {{keys::kApiKey, L"absent"}, {keys::kSharedSecret, L"absent"}});
    EXPECT_EQ(service_config::api_key(), built_in_key);
}

TEST_F(SettingsSheet, FlickrPageChecksTheTypedKeyOnAWorkerAndSaysWhatTheServiceAnswered)
{
    using namespace testing_support;
    GUID id;
    ASSERT_EQ(CoCreateGuid(&id), S_OK);
    const std::wstring folder = L"flickr_page_" + std::to_wstring(id.Data1);
    const auto serve = [&folder](const std::wstring& sub, const std::string& content, const char* stat) {
        return serve_file(folder + L"/" + sub + L"/services/rest",
                          std::string("<?xml version=\"1.0\" encoding=\"utf-8\" ?><rsp stat=\"") + stat + "\">" +
                              content + "</rsp>");
    };
    ASSERT_TRUE(serve(L"refused", "<err code=\"100\" msg=\"Invalid API Key (Key has invalid format)\" />", "fail"));
    ASSERT_TRUE(serve(L"ok", "<method>flickr.test.echo</method>", "ok"));
    ASSERT_TRUE(serve_file(L"_gate/" + folder + L"/gated/services/rest", "<rsp stat=\"ok\"/>"));
    ASSERT_TRUE(trust_test_authority());
    const auto rest_at = [](const std::wstring& url) { AppInifile.write_string(keys::kService, keys::kRestUrl, url); };

    SettingsSheet_CL sheet_object;
    std::vector<std::wstring> opened;
    sheet_object.flickr_page().set_open_page([&opened](const std::wstring& page) { opened.push_back(page); });
    ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kWebUrl, L"https://www.example.jp/"));
    std::vector<std::wstring> results;
    bool disabled_while_checking = false;
    ASSERT_TRUE(run_sheet(
        [&](const SheetView& sheet) {
            const HWND page = sheet.page(kFlickrPage);
            type_text(flickr_control(page, Flickr::kKeyField), kKey);
            type_text(flickr_control(page, Flickr::kSecretField), kSecret);
            rest_at(http_url(folder + L"/refused"));
            results.push_back(check_connection(page));
            rest_at(http_url(folder + L"/ok"));
            results.push_back(check_connection(page));
            rest_at(https_url(TlsSite::kSelfSigned, folder + L"/ok"));
            results.push_back(check_connection(page));
            click(flickr_control(page, Flickr::kGetKeyButton));
            // Closing the sheet while a check waits for the service ends the check.
            rest_at(http_url(L"_gate/" + folder + L"/gated"));
            click(flickr_control(page, Flickr::kCheckButton));
            const std::string gated = "GET /_gate/" + std::string(folder.begin(), folder.end()) + "/gated/services/rest/?";
            for (int i = 0; i < 400 && http_log(L"_requests.log").find(gated) == std::string::npos; ++i) Sleep(50);
            disabled_while_checking = http_log(L"_requests.log").find(gated) != std::string::npos &&
                                      !IsWindowEnabled(flickr_control(page, Flickr::kCheckButton));
            return PSBTN_CANCEL;
        },
        &sheet_object));
    serve_file(L"_gate/" + folder + L"/gated/services/rest.open", "");
    EXPECT_EQ(results, (std::vector<std::wstring>{L"Flickrが拒否しました: Invalid API Key (Key has invalid format) (100)",
                                                  L"接続できました。",
                                                  L"Flickrに接続できませんでした: certificate not trusted"}));
    EXPECT_TRUE(disabled_while_checking);
    const std::vector<std::string> requests = http_requests(folder);
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(requests.front().find("method=flickr.test.echo&api_key=" + std::string(kKey.begin(), kKey.end()) + "&api_sig="),
              std::string::npos);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"https://www.example.jp/services/apps/create/"}));
    EXPECT_EQ(stored(keys::kService, keys::kApiKey), L"absent") << "a check stores nothing";
}
