#include "mainwindow/pages/PropFlickerInfo_CL.h"

#include "photoservice/FlickrXmlHelper_CL.h"
#include "store/AppSettings_CL.h"
#include "store/Crypt_CL.h"
#include "store/SettingsKeys.h"

void PropFlickerInfo_CL::build(HWND page)
{
    factory().add_button(page, L"このアプリをFlickerで認証する", 8, 16);
}

void PropFlickerInfo_CL::on_command(int index, int code)
{
    if (index == 0 && code == BN_CLICKED) sign_in();
}

void PropFlickerInfo_CL::sign_in()
{
    FlickrXmlHelper_CL client;
    const std::wstring token = client.authorize("read");
    MessageBoxW(window(), token.empty() ? L"Flickerの認証に失敗しました。" : L"Flickerの認証に成功しました。",
                L"お知らせ", MB_OK);
    // A failed or cancelled sign-in keeps the token stored before.
    if (token.empty()) return;
    AppInifile.write_string(keys::kFlicker, keys::kAuth, encrypt_token(token));
    mark_changed();
}
