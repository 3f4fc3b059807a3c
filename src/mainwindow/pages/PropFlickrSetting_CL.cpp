#include "mainwindow/pages/PropFlickrSetting_CL.h"

#include <objbase.h>

#include "base/Browser.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/ItemUrls.h"
#include "base/TextConvert.h"
#include "store/ServiceConfig.h"

namespace {

constexpr DWORD kFieldStyle = WS_BORDER | ES_AUTOHSCROLL;
constexpr int kFieldX = 100;
constexpr int kResultWidth = 540;
constexpr int kResultHeight = 48;
constexpr const wchar_t* kKeyRefusal = L"APIキーは32文字の16進数で入力してください。";
constexpr const wchar_t* kSecretRefusal = L"シークレットは16文字の16進数で入力してください。";

}  // namespace

PropFlickrSetting_CL::PropFlickrSetting_CL() : SettingsPage_CL(kFirstId), open_page_(&open_in_browser), check_(*this)
{
    check_.set_thread_name(L"Tapestrel key check");
}

PropFlickrSetting_CL::~PropFlickrSetting_CL()
{
    // No result may arrive at a page being torn down.
    tasks().close();
    check_.cancel();
}

void PropFlickrSetting_CL::build(HWND page)
{
    ControlFactory_CL& controls = factory();
    controls.add_static_text(page, L"APIキー", 8, 0);
    controls.add_edit(page, 34, kFieldStyle, kFieldX);
    controls.add_static_text(page, L"シークレット", 8, 0);
    controls.add_edit(page, 18, kFieldStyle, kFieldX);
    controls.add_button(page, L"接続を確認", kFieldX, 0);
    controls.add_static_text(page, L"", kFieldX, 0);
    controls.add_button(page, L"APIキーを取得する…", 8, 0);
    const DpiScale scale = DpiScale::of(page);
    if (ControlBase_CL* result = controls.at(kResult))
        result->resize(scale(kResultWidth - kFieldX), scale(kResultHeight), false);
    // Rows from the top: each label beside its field, the result under the button.
    int y = scale(12);
    const auto place = [&controls, scale](int index, int x, int top) {
        ControlBase_CL* control = controls.at(index);
        if (!control) return top;
        control->move_to(scale(x), top);
        return static_cast<int>(ControlFactory_CL::placement(*control).bottom);
    };
    for (int label : {kKeyLabel, kSecretLabel}) {
        place(label, 8, y + scale(3));
        y = place(label + 1, kFieldX, y) + scale(8);
    }
    y = place(kCheckButton, kFieldX, y) + scale(4);
    y = place(kResult, kFieldX, y) + scale(8);
    place(kGetKeyButton, 8, y);
    set_text(kKeyField, service_config::stored_api_key());
    set_text(kSecretField, service_config::stored_shared_secret());
}

INT_PTR PropFlickrSetting_CL::handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    // The sheet is closing: a check under way is abandoned, not waited for.
    if (message == WM_DESTROY) check_.cancel();
    return SettingsPage_CL::handle_message(window, message, wparam, lparam);
}

void PropFlickrSetting_CL::on_command(int index, int code)
{
    switch (index) {
    case kKeyField:
    case kSecretField:
        if (code == EN_CHANGE) mark_changed();
        break;
    case kCheckButton:
        if (code == BN_CLICKED) start_check();
        break;
    case kGetKeyButton:
        if (code == BN_CLICKED) open_key_page();
        break;
    default:
        break;
    }
}

void PropFlickrSetting_CL::open_key_page() const
{
    std::wstring address = service_config::web_url();
    while (!address.empty() && address.back() == L'/') address.pop_back();
    address += L"/services/apps/create/";
    // Only a web page: the configured address must not open a file or a program.
    if (is_web_address(address)) open_page_(address);
}

bool PropFlickrSetting_CL::field_value(int field, size_t length, const wchar_t* refusal, std::wstring& value)
{
    value = service_config::normalised_credential(text_of(field));
    if (service_config::is_hex_of_length(value, length)) return true;
    MessageBoxW(window(), refusal, L"Flickr", MB_OK | MB_ICONWARNING);
    if (const ControlBase_CL* control = factory().at(field)) {
        SetFocus(control->window());
        SendMessageW(control->window(), EM_SETSEL, 0, -1);
    }
    return false;
}

bool PropFlickrSetting_CL::credentials(std::wstring& api_key, std::wstring& shared_secret)
{
    api_key = service_config::normalised_credential(text_of(kKeyField));
    shared_secret = service_config::normalised_credential(text_of(kSecretField));
    if (api_key.empty() && shared_secret.empty()) return true;
    return field_value(kKeyField, service_config::kApiKeyLength, kKeyRefusal, api_key) &&
           field_value(kSecretField, service_config::kSharedSecretLength, kSecretRefusal, shared_secret);
}

bool PropFlickrSetting_CL::validate()
{
    std::wstring api_key, shared_secret;
    return credentials(api_key, shared_secret);
}

void PropFlickrSetting_CL::apply()
{
    std::wstring api_key, shared_secret;
    if (!credentials(api_key, shared_secret)) return;
    service_config::store_credentials(api_key, shared_secret);
    // The fields show what is stored now.
    set_text(kKeyField, api_key);
    set_text(kSecretField, shared_secret);
}

void PropFlickrSetting_CL::start_check()
{
    std::wstring api_key, shared_secret;
    if (!credentials(api_key, shared_secret)) return;
    if (api_key.empty()) {
        api_key = service_config::built_in_api_key();
        shared_secret = service_config::built_in_shared_secret();
    }
    enable(kCheckButton, false);
    set_text(kResult, L"確認しています…");
    check_.begin(narrow_units(api_key), narrow_units(shared_secret));
}

void PropFlickrSetting_CL::show_check_result(const std::wstring& result)
{
    set_text(kResult, result);
    enable(kCheckButton, true);
}

void PropFlickrSetting_CL::Check_CL::begin(const std::string& api_key, const std::string& shared_secret)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        api_key_ = api_key;
        shared_secret_ = shared_secret;
    }
    start();
    wake();
}

int PropFlickrSetting_CL::Check_CL::on_thread_message(UINT message, WPARAM, LPARAM)
{
    if (message != kWorkMessage || stop_requested) return 0;
    // The answer is parsed as XML, which needs COM on this thread.
    if (FAILED(CoInitialize(nullptr))) return 0;
    std::wstring result;
    {
        std::unique_lock<std::mutex> guard(lock_);
        FlickrXmlHelper_CL client(api_key_, shared_secret_);
        client_ = &client;
        guard.unlock();
        const bool answered = client.test_echo() == S_OK;
        guard.lock();
        client_ = nullptr;
        result = answered ? L"接続できました。" : outcome_text(client.outcome());
    }
    CoUninitialize();
    if (stop_requested) return 0;
    PropFlickrSetting_CL& page = page_;
    // A page that is gone shows nothing.
    (void)page_.tasks().post([&page, result] { page.show_check_result(result); });
    return 0;
}

void PropFlickrSetting_CL::Check_CL::cancel()
{
    stop_requested = true;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (client_) client_->http().abort_transfer();
    }
    stop();
}

