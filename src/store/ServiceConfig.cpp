#include "store/ServiceConfig.h"

#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

namespace service_config {

namespace {

constexpr const wchar_t* kBuiltInRestUrl = L"https://api.flickr.com";
constexpr const wchar_t* kBuiltInWebUrl = L"https://www.flickr.com";
constexpr const wchar_t* kBuiltInCommonsUrl = L"https://commons.wikimedia.org";
constexpr const wchar_t* kBuiltInApiKey = L"3f1c9a52e7d04b6a8c25e91f0d7b4a63";
constexpr const wchar_t* kBuiltInSharedSecret = L"8d2e6b40c1f9a735";

std::wstring read(const wchar_t* key, const wchar_t* fallback)
{
    const std::wstring value = AppInifile.read_string(keys::kService, key, fallback);
    return value.empty() ? fallback : value;
}

}  // namespace

std::wstring rest_url() { return read(keys::kRestUrl, kBuiltInRestUrl); }
std::wstring web_url() { return read(keys::kWebUrl, kBuiltInWebUrl); }
std::wstring api_key() { return read(keys::kApiKey, kBuiltInApiKey); }
std::wstring shared_secret() { return read(keys::kSharedSecret, kBuiltInSharedSecret); }
std::wstring support_url() { return read(keys::kSupportUrl, kBuiltInSupportUrl); }
std::wstring commons_url() { return read(keys::kCommonsUrl, kBuiltInCommonsUrl); }
std::wstring support_base_url() { return support_url() + L"/Tapestrel"; }

std::wstring built_in_api_key() { return kBuiltInApiKey; }
std::wstring built_in_shared_secret() { return kBuiltInSharedSecret; }

std::wstring stored_api_key() { return AppInifile.read_string(keys::kService, keys::kApiKey); }
std::wstring stored_shared_secret() { return AppInifile.read_string(keys::kService, keys::kSharedSecret); }

bool store_credentials(const std::wstring& api_key, const std::wstring& shared_secret)
{
    return AppInifile.write_strings(keys::kService, {{keys::kApiKey, api_key}, {keys::kSharedSecret, shared_secret}});
}

std::wstring normalised_credential(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\u3000");
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L" \t\u3000");
    std::wstring value = text.substr(first, last - first + 1);
    for (wchar_t& c : value)
        if (c >= L'A' && c <= L'F') c = static_cast<wchar_t>(c - L'A' + L'a');
    return value;
}

bool is_hex_of_length(const std::wstring& text, size_t length)
{
    if (text.size() != length) return false;
    for (wchar_t c : text)
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'))) return false;
    return true;
}

}  // namespace service_config
