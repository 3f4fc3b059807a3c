#include "photoservice/CommonsClient_CL.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <utility>

#include <nlohmann/json.hpp>

#include "base/TextConvert.h"
#include "base/Trace.h"
#include "photoservice/HtmlText.h"
#include "photoservice/ItemUrls.h"
#include "photoservice/LicenceNames.h"
#include "store/ServiceConfig.h"

namespace {

using Json = nlohmann::json;

constexpr const char* kQuery =
    "/w/api.php?action=query&format=json&formatversion=2&generator=categorymembers"
    "&gcmtitle=Category:Featured_pictures_on_Wikimedia_Commons&gcmtype=file&gcmlimit=50&prop=imageinfo"
    "&iiprop=url|size|mime|extmetadata"
    "&iiextmetadatafilter=ObjectName|Artist|LicenseShortName|LicenseUrl|DateTimeOriginal|Attribution"
    "&iiextmetadatalanguage=ja&maxlag=5&gcmsort=timestamp&gcmdir=newer&gcmstart=";
constexpr int kFileNamespace = 6;
constexpr DWORD kTooManyRequests = 429;
constexpr int kOriginal = ImageItem_CL::kSizeCount - 1;
// Longer credits are cut: a list row shows a line or two of them.
constexpr size_t kMaxText = 512;

struct CommonsLicence {
    const wchar_t* short_name;  // upper case, blanks for '-' and '_'
    int32_t number;
};

// Commons' short names of the free licences Tapestrel can name, with their
// numbers in the one licence table.
constexpr CommonsLicence kLicences[] = {
    {L"CC BY 4.0", 11},
    {L"CC BY SA 4.0", 12},
    {L"CC BY 2.0", 4},
    {L"CC BY SA 2.0", 5},
    {L"CC0", 9},
    {L"CC0 1.0", 9},
    {L"PUBLIC DOMAIN", 10},
    {L"CC BY 3.0", kFirstSourceLicence + 0},
    {L"CC BY SA 3.0", kFirstSourceLicence + 1},
    {L"CC BY 2.5", kFirstSourceLicence + 2},
    {L"CC BY SA 2.5", kFirstSourceLicence + 3},
    {L"CC BY 1.0", kFirstSourceLicence + 4},
    {L"CC BY SA 1.0", kFirstSourceLicence + 5},
};

std::wstring normalised_licence(const std::wstring& text)
{
    std::wstring result;
    for (wchar_t c : text) {
        const wchar_t mapped = (c == L'-' || c == L'_' || std::iswspace(c)) ? L' ' : std::towupper(c);
        if (mapped == L' ' && (result.empty() || result.back() == L' ')) continue;
        result.push_back(mapped);
    }
    if (!result.empty() && result.back() == L' ') result.pop_back();
    return result;
}

std::wstring string_of(const Json& value)
{
    return value.is_string() ? utf8_to_wide(value.get_ref<const std::string&>()) : std::wstring();
}

int32_t pixels_of(const Json& value)
{
    if (!value.is_number()) return 0;
    const double pixels = value.get<double>();
    return pixels >= 1 && pixels <= 1e6 ? static_cast<int32_t>(pixels) : 0;
}

const Json* member(const Json& object, const char* name)
{
    if (!object.is_object()) return nullptr;
    const auto found = object.find(name);
    return found == object.end() ? nullptr : &*found;
}

// An extended-metadata entry's value as given (HTML); empty when absent.
std::wstring metadata_html(const Json& metadata, const char* name)
{
    const Json* entry = member(metadata, name);
    const Json* value = entry ? member(*entry, "value") : nullptr;
    return value ? string_of(*value) : std::wstring();
}

std::wstring metadata_text(const Json& metadata, const char* name)
{
    std::wstring text = html_to_text(metadata_html(metadata, name));
    if (text.size() > kMaxText) text.resize(kMaxText);
    return text;
}

bool is_digits(const std::wstring& text, size_t at, size_t count)
{
    if (at + count > text.size()) return false;
    for (size_t i = at; i < at + count; ++i)
        if (text[i] < L'0' || text[i] > L'9') return false;
    return true;
}

// The first "YYYY-MM-DD" (or the camera's "YYYY:MM:DD") in the value, markup
// included, since the machine-readable date often sits in an attribute; "" when none.
std::wstring date_of(const std::wstring& value)
{
    for (size_t i = 0; i + 10 <= value.size(); ++i) {
        const wchar_t separator = value[i + 4];
        if ((separator == L'-' || separator == L':') && value[i + 7] == separator && is_digits(value, i, 4) &&
            is_digits(value, i + 5, 2) && is_digits(value, i + 8, 2) && (i == 0 || !is_digits(value, i - 1, 1))) {
            std::wstring date = value.substr(i, 10);
            date[4] = date[7] = L'-';
            return date;
        }
    }
    return std::wstring();
}

// "File:Mount Fuji.jpg" → "Mount Fuji".
std::wstring title_from_page(const std::wstring& page_title)
{
    std::wstring name = page_title;
    const size_t colon = name.find(L':');
    if (colon != std::wstring::npos) name.erase(0, colon + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name;
}

int32_t scaled_height(int32_t width, int32_t height, int32_t to_width)
{
    return static_cast<int32_t>(std::lround(static_cast<double>(height) * to_width / width));
}

// A slot `to_width` wide; the original itself when that is not wider.
ImageItem_CL::Size scaled_size(const ImageItem_CL::Size& original, int32_t to_width)
{
    if (to_width >= original.width) return original;
    const std::wstring url = CommonsClient_CL::thumbnail_url(original.url, to_width);
    if (url.empty()) return ImageItem_CL::Size();
    return ImageItem_CL::Size{to_width, scaled_height(original.width, original.height, to_width), url};
}

// The record of a page of the answer; false when the picture is not kept.
bool record_from(const Json& page, ImageItem_CL& item)
{
    const Json* ns = member(page, "ns");
    const Json* infos = member(page, "imageinfo");
    if (!ns || !ns->is_number_integer() || ns->get<int64_t>() != kFileNamespace || !infos || !infos->is_array() ||
        infos->empty())
        return false;
    const Json& info = infos->front();
    const Json* mime = member(info, "mime");
    if (!mime || string_of(*mime) != L"image/jpeg") return false;
    const Json* metadata = member(info, "extmetadata");
    if (!metadata) return false;
    item.license = CommonsClient_CL::licence_number(metadata_text(*metadata, "LicenseShortName"));
    if (item.license < 0) return false;

    const Json* url = member(info, "url");
    const Json* page_url = member(info, "descriptionurl");
    const Json* width = member(info, "width");
    const Json* height = member(info, "height");
    ImageItem_CL::Size original{width ? pixels_of(*width) : 0, height ? pixels_of(*height) : 0,
                                url ? string_of(*url) : std::wstring()};
    item.key = page_url ? string_of(*page_url) : std::wstring();
    // Anything else (a local path, a share) would later be opened as a file.
    if (!is_web_address(item.key) || !is_web_address(original.url) || original.width == 0 || original.height == 0)
        return false;
    for (int i = 0; i < kOriginal; ++i)
        if (CommonsClient_CL::kSlotWidths[i] > 0) item.sizes[i] = scaled_size(original, CommonsClient_CL::kSlotWidths[i]);
    item.sizes[kOriginal] = std::move(original);

    const Json* page_title = member(page, "title");
    item.title = metadata_text(*metadata, "ObjectName");
    if (item.title.empty() && page_title) item.title = title_from_page(string_of(*page_title));
    item.ownerName = metadata_text(*metadata, "Artist");
    if (item.ownerName.empty()) item.ownerName = metadata_text(*metadata, "Attribution");
    item.dateTaken = date_of(metadata_html(*metadata, "DateTimeOriginal"));
    item.media = L"photo";
    item.farm = 0;
    return true;
}

// The pages of an answer: a list, or with the older format an object by page id.
void read_pages(const Json& pages, std::vector<ImageItem_CL>& items)
{
    if (!pages.is_array() && !pages.is_object()) return;
    for (const Json& page : pages) {
        ImageItem_CL item;
        if (record_from(page, item)) items.push_back(std::move(item));
    }
}

}  // namespace

constexpr int32_t CommonsClient_CL::kSlotWidths[];
constexpr int32_t CommonsClient_CL::kScreenWidths[];

std::string CommonsClient_CL::iso_moment(int64_t seconds)
{
    // Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
    const int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const int64_t in_day = seconds - days * 86400;
    const int64_t shifted = days + 719468;
    const int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const int64_t of_era = shifted - era * 146097;
    const int64_t year_of_era = (of_era - of_era / 1460 + of_era / 36524 - of_era / 146096) / 365;
    const int64_t day_of_year = of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t month_index = (5 * day_of_year + 2) / 153;
    const int64_t day = day_of_year - (153 * month_index + 2) / 5 + 1;
    const int64_t month = month_index < 10 ? month_index + 3 : month_index - 9;
    const int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
    char text[32];
    std::snprintf(text, sizeof(text), "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ", static_cast<long long>(year),
                  static_cast<long long>(month), static_cast<long long>(day), static_cast<long long>(in_day / 3600),
                  static_cast<long long>(in_day / 60 % 60), static_cast<long long>(in_day % 60));
    return text;
}

std::string CommonsClient_CL::random_start(const Random& below, int64_t now)
{
    const int64_t span = now > kFirstMoment ? now - kFirstMoment : 0;
    return iso_moment(kFirstMoment + static_cast<int64_t>(below(static_cast<uint64_t>(span) + 1)));
}

std::string CommonsClient_CL::featured_url(const std::string& start)
{
    std::wstring base = service_config::commons_url();
    while (!base.empty() && base.back() == L'/') base.pop_back();
    return narrow_units(base) + kQuery + start;
}

HRESULT CommonsClient_CL::get_featured_pictures(const std::string& start, std::vector<ImageItem_CL>& items)
{
    if (http_.fetch(featured_url(start)) != S_OK && http_.status_code() != kTooManyRequests)
        return unreachable(ServiceOutcome::no_answer(http_.last_error(), http_.status_code()));
    return parse_featured(std::string(http_.body(), http_.body_length()), http_.status_code(), items);
}

HRESULT CommonsClient_CL::parse_featured(const std::string& answer, DWORD status, std::vector<ImageItem_CL>& items)
{
    outcome_ = ServiceOutcome().of_commons();
    const Json document = Json::parse(answer, nullptr, false);
    if (const Json* error = member(document, "error")) {
        const Json* code = member(*error, "code");
        const Json* info = member(*error, "info");
        return refused(code ? string_of(*code) : std::wstring(), info ? html_to_text(string_of(*info)) : std::wstring());
    }
    if (status == kTooManyRequests) return refused(L"429", L"Too Many Requests");
    if ((status != 0 && status != 200) || !document.is_object())
        return unreachable(ServiceOutcome::no_answer(0, status == 0 ? 200 : status));
    // No "query" at all: the category ends before the batch would begin.
    const Json* query = member(document, "query");
    const Json* pages = query ? member(*query, "pages") : nullptr;
    if (pages) read_pages(*pages, items);
    return S_OK;
}

HRESULT CommonsClient_CL::refused(std::wstring code, std::wstring info)
{
    // Overload ("maxlag", 429) included: Commons asks to be left alone for a
    // while, so the run does without it rather than asking again at once.
    trace::failure(L"Wikimedia Commons refused the request: " + code + L" " + info);
    outcome_ = ServiceOutcome::refused(0, std::move(info)).of_commons();
    outcome_.code_word = std::move(code);
    return E_FAIL;
}

HRESULT CommonsClient_CL::unreachable(ServiceOutcome outcome)
{
    trace::failure(L"Wikimedia Commons did not answer: " + outcome.message, http_.last_error());
    outcome_ = outcome.of_commons();
    return E_FAIL;
}

int32_t CommonsClient_CL::licence_number(const std::wstring& short_name)
{
    const std::wstring name = normalised_licence(short_name);
    for (const CommonsLicence& licence : kLicences)
        if (name == licence.short_name) return licence.number;
    return -1;
}

std::wstring CommonsClient_CL::thumbnail_url(const std::wstring& original, int32_t width)
{
    const size_t name_at = original.rfind(L'/');
    if (name_at == std::wstring::npos || name_at < 5 || name_at + 1 >= original.size()) return std::wstring();
    // "…/a/ab/Name": a folder of one hexadecimal digit, then one of two beginning with it.
    const size_t second = name_at - 3;
    const size_t first = second - 2;
    if (original[second] != L'/' || original[first] != L'/' || !std::iswxdigit(original[first + 1]) ||
        original[second + 1] != original[first + 1] || !std::iswxdigit(original[second + 2]))
        return std::wstring();
    const std::wstring name = original.substr(name_at + 1);
    return original.substr(0, first) + L"/thumb" + original.substr(first) + L"/" + std::to_wstring(width) + L"px-" +
           name;
}

bool CommonsClient_CL::is_commons_item(const ImageItem_CL& item)
{
    return item.localPath.empty() && item.farm == 0 && item.key.find(L"/wiki/File:") != std::wstring::npos &&
           is_web_address(item.key);
}

std::vector<ImageItem_CL::Size> CommonsClient_CL::screen_sizes(const ImageItem_CL& item)
{
    std::vector<ImageItem_CL::Size> sizes;
    const ImageItem_CL::Size& original = item.sizes[kOriginal];
    if (original.url.empty() || original.width <= 0) return sizes;
    for (int32_t width : kScreenWidths) {
        if (width >= original.width) break;
        ImageItem_CL::Size size = scaled_size(original, width);
        if (!size.url.empty()) sizes.push_back(std::move(size));
    }
    sizes.push_back(original);
    return sizes;
}
