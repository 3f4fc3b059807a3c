#include "mainwindow/UpdateCheck_CL.h"

#include <cstring>
#include <utility>
#include <vector>

#include "base/Browser.h"
#include "net/InetHttp_CL.h"
#include "photoservice/ItemUrls.h"
#include "base/TextConvert.h"
#include "store/AppSettings_CL.h"
#include "store/ServiceConfig.h"
#include "store/SettingsKeys.h"
#include "mainwindow/UpdateDialog_CL.h"

namespace {

int today_of_month()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wDay;
}

void remember_today()
{
    AppInifile.write_int(keys::kVersion, keys::kLastDay, today_of_month());
}

// The line starting at begin, without its break; end is moved past the break.
std::wstring take_line(const char*& begin, const char* end)
{
    const char* stop = begin;
    while (stop < end && *stop != '\r' && *stop != '\n') ++stop;
    // Each byte becomes one UTF-16 unit: the text is plain ASCII.
    std::wstring line = widen_bytes(std::string(begin, stop));
    if (stop < end && *stop == '\r') ++stop;
    if (stop < end && *stop == '\n') ++stop;
    begin = stop;
    return line;
}

// Components of a dotted decimal version, leading zeros removed; empty when the
// text is anything else.
std::vector<std::wstring> components(const std::wstring& version)
{
    std::vector<std::wstring> parts(1);
    for (wchar_t c : version) {
        if (c == L'.') {
            if (parts.back().empty()) return {};
            parts.emplace_back();
        } else if (c >= L'0' && c <= L'9') {
            parts.back().push_back(c);
        } else {
            return {};
        }
    }
    if (parts.back().empty()) return {};
    for (std::wstring& part : parts) {
        const size_t first = part.find_first_not_of(L'0');
        part = first == std::wstring::npos ? L"" : part.substr(first);
    }
    return parts;
}

// <0, 0 or >0 for two numbers without leading zeros, however long.
int compare_numbers(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

}  // namespace

bool is_newer_version(const std::wstring& candidate, const std::wstring& current)
{
    const std::vector<std::wstring> newer = components(candidate);
    const std::vector<std::wstring> older = components(current);
    if (newer.empty() || older.empty()) return false;
    const size_t count = newer.size() > older.size() ? newer.size() : older.size();
    for (size_t i = 0; i < count; ++i) {
        const std::wstring zero;
        const int order = compare_numbers(i < newer.size() ? newer[i] : zero, i < older.size() ? older[i] : zero);
        if (order != 0) return order > 0;
    }
    return false;
}

UpdateCheck_CL::UpdateCheck_CL(std::wstring site, std::wstring path, HWND parent)
    : site_(std::move(site)), path_(std::move(path)), parent_(parent), open_page_(&open_in_browser)
{
    while (!site_.empty() && site_.back() == L'/') site_.pop_back();
}

bool UpdateCheck_CL::fetch_version_text(VersionText& text) const
{
    InetHttp_CL http;
    // An empty text (Content-Length: 0) fails the fetch but is read as no
    // update; a missing length or a body short of it ends the check.
    (void)http.fetch(narrow_units(site_ + L"/" + path_));
    const LONG length = http.content_length();
    if (length < 0 || http.body_length() != static_cast<DWORD>(length)) return false;
    text = read_version_text(http.body(), static_cast<size_t>(length));
    return true;
}

UpdateCheck_CL::VersionText UpdateCheck_CL::read_version_text(const char* body, size_t length)
{
    VersionText text;
    const char* begin = body;
    const char* end = begin + strnlen(begin, length);
    // An error page of the site instead of the version text means no update.
    if (begin < end && *begin == '<') {
        text.version = L"0.0.0.0";
        return text;
    }
    text.version = take_line(begin, end);
    text.address = take_line(begin, end);
    return text;
}

void UpdateCheck_CL::check_for_update(const std::wstring& title, const std::wstring& current_version)
{
    if (AppInifile.read_int(keys::kVersion, keys::kLastDay, 0) == today_of_month()) return;
    VersionText text;
    if (!fetch_version_text(text)) return;
    if (!is_newer_version(text.version, current_version)) {
        remember_today();
        return;
    }
    UpdateDialog_CL dialog(title, current_version, text.version);
    switch (dialog.show(parent_)) {
    case UpdateDialog_CL::kGoToSite:
        // Only a web page: the text must not make the shell run a program or open a file.
        if (is_web_address(text.address)) open_page_(text.address);
        break;
    case UpdateDialog_CL::kRemindLater:
        remember_today();
        break;
    case UpdateDialog_CL::kClosed:
        break;
    }
}

void check_for_update_at_start(HWND main_window)
{
    if (AppSettings.notify != 0) return;
    UpdateCheck_CL check(service_config::support_url(), L"Tapestrel/Version.txt", main_window);
    check.check_for_update(L"Tapestrelのアップデート。", kProgramVersion);
}
