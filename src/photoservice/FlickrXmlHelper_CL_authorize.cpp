#include "photoservice/FlickrXmlHelper_CL.h"

#include "base/Browser.h"
#include "photoservice/ItemUrls.h"
#include "base/TextConvert.h"

namespace {

constexpr const wchar_t* kConfirmCaption = L"ユーザー確認";
constexpr const wchar_t* kConfirmText =
    L"FlickrのSign Inページが開きますので、Sign Inを行ってください。\r\n"
    L"Sign Inを行うと、認証用のWebページが開かれますので、\r\n"
    L"[OK,I'LL AUTHORIZE IT]を押下してから「ＯＫ」を押下してください。";
// Lets the browser come up before the box asks the user to confirm.
constexpr DWORD kBrowserStartMs = 3000;

}  // namespace

FlickrXmlHelper_CL::SignInSteps FlickrXmlHelper_CL::interactive_sign_in()
{
    SignInSteps steps;
    steps.open_page = [](const std::wstring& page) {
        shell_open(page);
        Sleep(kBrowserStartMs);
    };
    steps.confirm = [] { return MessageBoxW(nullptr, kConfirmText, kConfirmCaption, MB_OKCANCEL) == IDOK; };
    return steps;
}

std::wstring FlickrXmlHelper_CL::authorize(const std::string& perms, const SignInSteps& steps)
{
    if (fetch(build_signed_url("flickr.auth.getFrob")) != S_OK || parse_frob() != S_OK)
        return {};
    std::wstring token;
    for (;;) {
        // Asked before the first page opens too: the application may be approved already.
        if (fetch(build_signed_url_with_frob("flickr.auth.getToken")) == S_OK && parse_token(token) == S_OK)
            return token;
        // The configured host must not turn the page into a file or a program to open.
        const std::wstring page = widen_bytes(build_auth_url(perms));
        if (!is_web_address(page))
            return {};
        steps.open_page(page);
        if (!steps.confirm())
            return {};
    }
}
