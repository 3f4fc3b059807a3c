#pragma once
#include <string>

// Where the photo service and the support site are, and the application's
// credentials. Each is read from the settings file ("SERVICE") at the moment of
// use, with the built-in value when the key is absent; the program never writes them.
namespace service_config {

// Scheme and host of the support site built into the program; the instance
// mutex names come from it, never from the configured address.
constexpr const wchar_t* kBuiltInSupportUrl = L"https://www.tapestrel.jp";

std::wstring rest_url();
std::wstring web_url();
std::wstring api_key();
std::wstring shared_secret();
std::wstring support_url();
// support_url() + "/Tapestrel"
std::wstring support_base_url();

}  // namespace service_config
