#include <string>
#include <vector>

#include <objbase.h>

#include "UiTestSupport.h"
#include "PagesTestSupport.h"
#include "base/TextConvert.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "mainwindow/UpdateCheck_CL.h"
#include "mainwindow/UpdateDialog_CL.h"

using pages_testing::ModalUser;
using pages_testing::window_text;
using testing_support::http_url;
using testing_support::serve_file;

namespace {

constexpr const wchar_t* kTitle = L"Tapestrelのアップデート。";
constexpr const wchar_t* kVersionPath = L"Tapestrel/Version.txt";

int today()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wDay;
}

// What the user saw of the dialog, taken from the playing thread.
struct SeenDialog {
    std::wstring message;
    std::wstring go_caption;
    std::wstring later_caption;
    RECT window{};
    RECT client{};
    RECT go{};
    RECT later{};
    LONG_PTR style = 0;
};

// The support site is a folder of its own on the loopback stand-in for each test.
class UpdateCheck : public pages_testing::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        GUID run;
        ASSERT_EQ(CoCreateGuid(&run), S_OK);
        folder = L"support_" + std::to_wstring(run.Data1) + L"_" + std::to_wstring(run.Data2);
        ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kSupportUrl, http_url(folder)));
    }

    void publish(const std::string& text) { ASSERT_TRUE(serve_file(folder + L"/" + kVersionPath, text)); }

    // Runs the check against site (the configured one unless given) while
    // `script` plays the user of its dialog, if one comes.
    bool run_check(const ModalUser::Script& script, const std::wstring& site = L"")
    {
        UpdateCheck_CL check(site.empty() ? http_url(folder) : site, kVersionPath, host.hwnd());
        check.set_open_page([this](const std::wstring& address) { opened.push_back(address); });
        ModalUser user(kTitle, script);
        check.check_for_update(kTitle, L"1.0.2");
        user.finish();
        return user.found();
    }

    static ModalUser::Script press(int id, SeenDialog* seen = nullptr)
    {
        return [id, seen](HWND dialog) {
            if (seen) look_at(dialog, *seen);
            if (id == 0)
                PostMessageW(dialog, WM_CLOSE, 0, 0);
            else
                pages_testing::click(GetDlgItem(dialog, id));
        };
    }

    static void look_at(HWND dialog, SeenDialog& seen)
    {
        seen.message = window_text(GetDlgItem(dialog, 0x1102));
        seen.go_caption = window_text(GetDlgItem(dialog, UpdateDialog_CL::kGoToSiteId));
        seen.later_caption = window_text(GetDlgItem(dialog, UpdateDialog_CL::kRemindLaterId));
        GetWindowRect(dialog, &seen.window);
        GetClientRect(dialog, &seen.client);
        seen.go = ui_testing::rect_in_parent(GetDlgItem(dialog, UpdateDialog_CL::kGoToSiteId));
        seen.later = ui_testing::rect_in_parent(GetDlgItem(dialog, UpdateDialog_CL::kRemindLaterId));
        seen.style = GetWindowLongPtrW(dialog, GWL_STYLE);
    }

    // GETs of the version text this test's site received.
    size_t requests() const
    {
        const std::string log = testing_support::http_log(L"_requests.log");
        const std::string wanted = narrow_units(folder) + "/Tapestrel/Version.txt\n";
        size_t count = 0;
        for (size_t at = log.find(wanted); at != std::string::npos; at = log.find(wanted, at + 1)) ++count;
        return count;
    }

    int last_day() const { return AppInifile.read_int(keys::kVersion, keys::kLastDay, -1); }

    ui_testing::HostWindow host;
    std::wstring folder;
    std::vector<std::wstring> opened;
};

}  // namespace

TEST(VersionOrder, DottedNumbersComparedComponentByComponent)
{
    EXPECT_TRUE(is_newer_version(L"1.0.3.0", L"1.0.2"));
    EXPECT_TRUE(is_newer_version(L"1.0.10.0", L"1.0.2"));
    EXPECT_TRUE(is_newer_version(L"2", L"1.9.99"));
    EXPECT_TRUE(is_newer_version(L"1.0.2.1", L"1.0.2"));
    EXPECT_TRUE(is_newer_version(L"1.0.100000000000000000001", L"1.0.99999999999999999999"));
    EXPECT_FALSE(is_newer_version(L"1.0.2.0", L"1.0.2"));
    EXPECT_FALSE(is_newer_version(L"01.00.002", L"1.0.2"));
    EXPECT_FALSE(is_newer_version(L"1.0.1.9", L"1.0.2"));
    EXPECT_FALSE(is_newer_version(L"0.0.0.0", L"1.0.2"));
    // Anything but dotted numbers is no update.
    for (const wchar_t* odd : {L"", L"1.0.3a", L"1..3", L"1.0.3.", L".1", L"v1.0.3", L"1.0.3 ", L"１.0.3"})
        EXPECT_FALSE(is_newer_version(odd, L"1.0.2")) << odd;
    EXPECT_FALSE(is_newer_version(L"1.0.3", L"abc"));
}

TEST_F(UpdateCheck, NewerVersionShowsTheDialogAndGoToSiteOpensTheAddress)
{
    publish("1.0.3.0\r\nhttp://download.invalid/tapestrel/\r\n");
    SeenDialog seen;
    ASSERT_TRUE(run_check(press(UpdateDialog_CL::kGoToSiteId, &seen)));

    EXPECT_EQ(seen.message,
              L"最新のバージョン1.0.3.0が公開されています。\r\nサイトへ移動しますか？\r\n\r\n"
              L"　（現在インストールされているバージョンは1.0.2です。）\r\n");
    EXPECT_EQ(seen.go_caption, L"　サイトへ移動する　");
    EXPECT_EQ(seen.later_caption, L"後日通知する　");
    const DpiScale scale = DpiScale::system();
    EXPECT_EQ(seen.window.right - seen.window.left, scale(360));
    EXPECT_EQ(seen.window.bottom - seen.window.top, scale(160));
    EXPECT_EQ(seen.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(seen.later.right, seen.client.right - scale(4));
    EXPECT_EQ(seen.later.bottom, seen.client.bottom - scale(4));
    EXPECT_EQ(seen.go.right, seen.later.left - scale(4));

    EXPECT_EQ(opened, std::vector<std::wstring>{L"http://download.invalid/tapestrel/"});
    // The question comes again at the next start.
    EXPECT_EQ(last_day(), -1);
    EXPECT_EQ(requests(), 1u);
}

TEST_F(UpdateCheck, RemindLaterSilencesTheRestOfTheDayWithoutAConnection)
{
    publish("1.0.3.0\r\nhttp://download.invalid/\r\n");
    ASSERT_TRUE(run_check(press(UpdateDialog_CL::kRemindLaterId)));
    EXPECT_EQ(last_day(), today());
    EXPECT_TRUE(opened.empty());

    EXPECT_FALSE(run_check(press(0)));
    EXPECT_EQ(requests(), 1u);
}

TEST_F(UpdateCheck, CloseBoxWritesNothing)
{
    publish("1.0.3.0\r\nhttp://download.invalid/\r\n");
    ASSERT_TRUE(run_check(press(0)));
    EXPECT_EQ(last_day(), -1);
    EXPECT_TRUE(opened.empty());
}

TEST_F(UpdateCheck, OnlyAWebAddressIsOpened)
{
    publish("1.0.3.0\r\nC:\\Windows\\notepad.exe\r\n");
    ASSERT_TRUE(run_check(press(UpdateDialog_CL::kGoToSiteId)));
    EXPECT_TRUE(opened.empty());
}

TEST_F(UpdateCheck, LongerVersionAndBareLineFeedsStillRead)
{
    publish("1.0.10.0\nhttps://download.invalid/dl\n");
    SeenDialog seen;
    ASSERT_TRUE(run_check(press(UpdateDialog_CL::kGoToSiteId, &seen)));
    EXPECT_EQ(seen.message.find(L"最新のバージョン1.0.10.0が"), 0u);
    EXPECT_EQ(opened, std::vector<std::wstring>{L"https://download.invalid/dl"});
}

TEST_F(UpdateCheck, SameVersionOrAnHtmlPageMeansNoUpdateForToday)
{
    publish("1.0.2.0\r\nhttp://download.invalid/\r\n");
    EXPECT_FALSE(run_check(press(0)));
    EXPECT_EQ(last_day(), today());

    ASSERT_TRUE(AppInifile.write_int(keys::kVersion, keys::kLastDay, 0));
    publish("<html><body>Not here</body></html>");
    EXPECT_FALSE(run_check(press(0)));
    EXPECT_EQ(last_day(), today());
    EXPECT_EQ(requests(), 2u);
}

TEST_F(UpdateCheck, IncompleteAnswersEndTheCheckSilently)
{
    publish("1.0.3.0\r\nhttp://download.invalid/\r\n");
    for (const wchar_t* sw : {L"_nolength/", L"_short/"}) {
        EXPECT_FALSE(run_check(press(0), http_url(sw + folder))) << sw;
        EXPECT_EQ(last_day(), -1) << sw;
    }
    // An empty text is no update: the day is remembered.
    EXPECT_FALSE(run_check(press(0), http_url(L"_length0/" + folder)));
    EXPECT_EQ(last_day(), today());
}

TEST_F(UpdateCheck, StartUpCheckRespectsTheNotifySetting)
{
    publish("1.0.2\r\nhttp://download.invalid/\r\n");
    AppSettings.notify = 1;
    check_for_update_at_start(host.hwnd());
    EXPECT_EQ(requests(), 0u);
    EXPECT_EQ(last_day(), -1);

    AppSettings.notify = 0;
    check_for_update_at_start(host.hwnd());
    EXPECT_EQ(requests(), 1u);
    EXPECT_EQ(last_day(), today());
}
