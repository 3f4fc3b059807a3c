#include <string>

#include <objbase.h>

#include "UiTestSupport.h"
#include "PagesTestSupport.h"
#include "base/TextConvert.h"
#include "store/AppSettings_CL.h"
#include "store/Crypt_CL.h"
#include "store/SettingsKeys.h"
#include "winui/PropertySheet_CL.h"
#include "mainwindow/pages/PropFlickerInfo_CL.h"

#include <prsht.h>

using pages_testing::ModalUser;
using pages_testing::window_text;
using testing_support::http_url;
using testing_support::serve_file;

namespace {

// The registration and signatures of the service's old authentication
// documentation, with the answers the stand-in gives to exactly these calls.
const std::string kFrob = "72157000000000001-0123456789abcdef-123456";
const std::wstring kFrobCall =
    L"services/rest@method=flickr.auth.getFrob&api_key=9a0554259914a86fb9e7eb014e4e5d52"
    L"&api_sig=8ad70cd3888ce493c8dde4931f7d6bd0";
const std::wstring kTokenCall =
    L"services/rest@method=flickr.auth.getToken&api_key=9a0554259914a86fb9e7eb014e4e5d52&frob=" + widen_bytes(kFrob) +
    L"&api_sig=76084f2709d35fbd5f3b1e485dd3d2e5";
constexpr const wchar_t* kToken = L"72157626000000000-0123456789abcdef";

std::string answer(const std::string& content)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<rsp stat=\"ok\">\n" + content + "\n</rsp>\n";
}

class SignInPage : public pages_testing::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        GUID run;
        ASSERT_EQ(CoCreateGuid(&run), S_OK);
        folder = L"signin_" + std::to_wstring(run.Data1) + L"_" + std::to_wstring(run.Data2);
        ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kApiKey, L"9a0554259914a86fb9e7eb014e4e5d52"));
        ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kSharedSecret, L"000005fab4534d05"));
        ASSERT_TRUE(AppInifile.write_string(keys::kFlicker, keys::kAuth, encrypt_token(L"earlier-token")));
    }
    void TearDown() override { CoUninitialize(); }

    // Shows the page alone and presses its button; the text of the notice that follows.
    std::wstring sign_in(const std::wstring& service)
    {
        EXPECT_TRUE(AppInifile.write_string(keys::kService, keys::kRestUrl, service));
        PropFlickerInfo_CL page;
        PropertySheet_CL sheet;
        sheet.add_page(&page, L"Flickr");
        std::wstring notice;
        ModalUser notice_reader(L"お知らせ", [&notice](HWND box) {
            notice = window_text(GetDlgItem(box, 0xFFFF));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        ModalUser user(L"sign-in", [](HWND window) {
            const HWND shown = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
            // Returns once the notice is closed.
            pages_testing::click(GetDlgItem(shown, 0x1100));
            PostMessageW(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        sheet.show(host.hwnd(), L"sign-in");
        user.finish();
        notice_reader.finish();
        return notice;
    }

    std::wstring stored_token() const
    {
        return decrypt_token(AppInifile.read_string(keys::kFlicker, keys::kAuth));
    }

    ui_testing::HostWindow host;
    std::wstring folder;
};

}  // namespace

TEST_F(SignInPage, ASuccessfulSignInStoresTheTokenEnciphered)
{
    ASSERT_TRUE(serve_file(folder + L"/" + kFrobCall, answer("<frob>" + kFrob + "</frob>")));
    ASSERT_TRUE(serve_file(folder + L"/" + kTokenCall,
                           answer("<auth><token>" + narrow_units(kToken) + "</token><perms>read</perms></auth>")));
    EXPECT_EQ(sign_in(http_url(folder)), L"Flickerの認証に成功しました。");
    EXPECT_EQ(stored_token(), kToken);
}

TEST_F(SignInPage, AFailedSignInKeepsTheStoredToken)
{
    EXPECT_EQ(sign_in(http_url(L"_length0/" + folder)), L"Flickerの認証に失敗しました。");
    EXPECT_EQ(stored_token(), L"earlier-token");
}
