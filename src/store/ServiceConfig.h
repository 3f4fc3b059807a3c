#pragma once
#include <string>

// Where the photo service, Wikimedia Commons and the support site are, and the application's
// credentials. Each is read from the settings file ("SERVICE") at the moment of
// use, with the built-in value when the key is absent or empty. The program
// writes only the credentials, which the user sets on the "Flickr" page.
namespace service_config {

// Scheme and host of the support site built into the program; the instance
// mutex names come from it, never from the configured address.
constexpr const wchar_t* kBuiltInSupportUrl = L"https://www.tapestrel.jp";

std::wstring rest_url();
std::wstring web_url();
std::wstring api_key();
std::wstring shared_secret();
std::wstring support_url();
// Scheme and host of Wikimedia Commons, whose API lies at "/w/api.php".
std::wstring commons_url();
// support_url() + "/Tapestrel"
std::wstring support_base_url();

// The registration built into the program.
std::wstring built_in_api_key();
std::wstring built_in_shared_secret();
// The user's own key and secret as stored; empty when the built-in ones apply.
std::wstring stored_api_key();
std::wstring stored_shared_secret();
// Stores both in one write; two empty texts return to the built-in values.
bool store_credentials(const std::wstring& api_key, const std::wstring& shared_secret);

// A key has 32 hexadecimal characters, a secret 16.
constexpr size_t kApiKeyLength = 32;
constexpr size_t kSharedSecretLength = 16;
// Blanks around the text dropped, hexadecimal letters in lower case.
std::wstring normalised_credential(const std::wstring& text);
bool is_hex_of_length(const std::wstring& text, size_t length);

}  // namespace service_config
