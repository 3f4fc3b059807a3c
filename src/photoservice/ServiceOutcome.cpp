#include "photoservice/ServiceOutcome.h"

#include <utility>

#include <wininet.h>

namespace {

// The service's codes for an unknown key (100) and a bad or missing signature (96, 97).
constexpr int kInvalidKey = 100;
constexpr int kInvalidSignature = 96;
constexpr int kMissingSignature = 97;
constexpr int kPhotoNotFound = 1;

bool is_certificate_error(DWORD error)
{
    switch (error) {
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_NO_REV:
    case ERROR_INTERNET_SEC_CERT_REV_FAILED:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SEC_INVALID_CERT:
        return true;
    default:
        return false;
    }
}

}  // namespace

ServiceOutcome ServiceOutcome::refused(int code, std::wstring message)
{
    ServiceOutcome outcome;
    outcome.kind = Kind::kRefused;
    outcome.code = code;
    outcome.message = std::move(message);
    return outcome;
}

ServiceOutcome ServiceOutcome::unreachable(std::wstring reason)
{
    ServiceOutcome outcome;
    outcome.kind = Kind::kUnreachable;
    outcome.message = std::move(reason);
    return outcome;
}

ServiceOutcome ServiceOutcome::no_answer(DWORD error, DWORD status)
{
    if (error != 0) return unreachable(plain_reason(error));
    if (status != 0 && status != 200) return unreachable(L"HTTP status " + std::to_wstring(status));
    return unreachable(status == 0 ? L"no answer" : L"unreadable answer");
}

ServiceOutcome ServiceOutcome::of_commons() const
{
    ServiceOutcome outcome = *this;
    outcome.source = Source::kCommons;
    return outcome;
}

bool ServiceOutcome::blames_key() const
{
    return kind == Kind::kRefused && source == Source::kFlickr &&
           (code == kInvalidKey || code == kInvalidSignature || code == kMissingSignature);
}

bool ServiceOutcome::photo_gone() const
{
    return kind == Kind::kRefused && code == kPhotoNotFound;
}

std::wstring outcome_text(const ServiceOutcome& outcome)
{
    const bool commons = outcome.source == ServiceOutcome::Source::kCommons;
    const std::wstring source = commons ? L"Wikimedia Commons" : L"Flickr";
    switch (outcome.kind) {
    case ServiceOutcome::Kind::kRefused:
        return source + L"が拒否しました: " + outcome.message + L" (" +
               (commons ? outcome.code_word : std::to_wstring(outcome.code)) + L")";
    case ServiceOutcome::Kind::kUnreachable:
        return source + L"に接続できませんでした: " + outcome.message;
    default:
        return std::wstring();
    }
}

std::wstring outcome_text_with_hint(const ServiceOutcome& outcome)
{
    std::wstring text = outcome_text(outcome);
    if (outcome.blames_key()) text += L"（設定の「Flickr」ページでAPIキーを確認してください）";
    return text;
}

std::wstring plain_reason(DWORD error)
{
    if (is_certificate_error(error)) return L"certificate not trusted";
    switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        return L"name not resolved";
    case ERROR_INTERNET_CANNOT_CONNECT:
        return L"connection refused";
    case ERROR_INTERNET_TIMEOUT:
        return L"timed out";
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
        return L"connection lost";
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        return L"secure connection failed";
    case ERROR_INTERNET_OPERATION_CANCELLED:
        return L"cancelled";
    default:
        return L"error " + std::to_wstring(error);
    }
}
