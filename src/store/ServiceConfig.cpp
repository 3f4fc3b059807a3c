#include "store/ServiceConfig.h"

#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

namespace service_config {

namespace {

constexpr const wchar_t* kBuiltInRestUrl = L"https://api.flickr.com";
constexpr const wchar_t* kBuiltInWebUrl = L"https://www.flickr.com";
constexpr const wchar_t* kBuiltInApiKey = L"3f1c9a52e7d04b6a8c25e91f0d7b4a63";
constexpr const wchar_t* kBuiltInSharedSecret = L"8d2e6b40c1f9a735";

std::wstring read(const wchar_t* key, const wchar_t* fallback)
{
    return AppInifile.read_string(keys::kService, key, fallback);
}

}  // namespace

std::wstring rest_url() { return read(keys::kRestUrl, kBuiltInRestUrl); }
std::wstring web_url() { return read(keys::kWebUrl, kBuiltInWebUrl); }
std::wstring api_key() { return read(keys::kApiKey, kBuiltInApiKey); }
std::wstring shared_secret() { return read(keys::kSharedSecret, kBuiltInSharedSecret); }
std::wstring support_url() { return read(keys::kSupportUrl, kBuiltInSupportUrl); }
std::wstring support_base_url() { return support_url() + L"/Tapestrel"; }

}  // namespace service_config
