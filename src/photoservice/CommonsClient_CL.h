#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "net/InetHttp_CL.h"
#include "photoservice/ServiceOutcome.h"
#include "store/ImageItem_CL.h"

// Wikimedia Commons' featured pictures as image item records: one batch per
// request from a given moment of the category on, through the public API,
// which needs no key. One object per thread; the host is read from the
// settings at each use.
class CommonsClient_CL {
public:
    // The server scales at most this many thumbnails per request.
    static constexpr int kBatchSize = 50;
    // 2005-01-01T00:00:00Z: the category holds nothing older.
    static constexpr int64_t kFirstMoment = 1104537600;
    // Commons' standard thumbnail widths of the record's sizes "_sq" to "_z";
    // it offers no square, so "_sq" stays empty.
    static constexpr int32_t kSlotWidths[ImageItem_CL::kSizeCount - 1] = {0, 120, 250, 500, 960};
    // The standard widths a wallpaper is downloaded at, besides the original.
    static constexpr int32_t kScreenWidths[] = {1920, 3840};

    // 0 to n - 1 for n > 0.
    using Random = std::function<uint64_t(uint64_t n)>;
    // A moment between kFirstMoment and `now` (seconds since 1970, UTC), as
    // ISO 8601 ("2016-03-09T17:04:21Z").
    static std::string random_start(const Random& below, int64_t now);
    static std::string iso_moment(int64_t seconds);
    // The request for one batch of the category, oldest first from `start` on.
    static std::string featured_url(const std::string& start);

    CommonsClient_CL() = default;
    CommonsClient_CL(const CommonsClient_CL&) = delete;
    CommonsClient_CL& operator=(const CommonsClient_CL&) = delete;

    // Appends the batch's JPEG pictures under a licence Tapestrel can name;
    // E_FAIL when the request failed or Commons refused it (overload included:
    // "maxlag", HTTP 429), and outcome() says which. Nothing is retried.
    [[nodiscard]] HRESULT get_featured_pictures(const std::string& start, std::vector<ImageItem_CL>& items);
    // The same reading of an answer given as the bytes Commons sends with its HTTP status.
    [[nodiscard]] HRESULT parse_featured(const std::string& answer, DWORD status, std::vector<ImageItem_CL>& items);
    const ServiceOutcome& outcome() const { return outcome_; }
    // Another thread may abort a running request through it.
    InetHttp_CL& http() { return http_; }

    // The licence number of a "LicenseShortName"; -1 when Tapestrel cannot name it.
    static int32_t licence_number(const std::wstring& short_name);
    // The address of the thumbnail `width` pixels wide of the original at
    // `original` ("…/<a>/<ab>/<Name>" → "…/thumb/<a>/<ab>/<Name>/<W>px-<Name>");
    // empty when the address has not that form.
    static std::wstring thumbnail_url(const std::wstring& original, int32_t width);
    // Whether the item is a picture of Commons (its key is the description page).
    static bool is_commons_item(const ImageItem_CL& item);
    // What installing a Commons picture may download: the standard screen
    // widths narrower than the original, then the original.
    static std::vector<ImageItem_CL::Size> screen_sizes(const ImageItem_CL& item);

private:
    [[nodiscard]] HRESULT refused(std::wstring code, std::wstring info);
    [[nodiscard]] HRESULT unreachable(ServiceOutcome outcome);

    InetHttp_CL http_;
    ServiceOutcome outcome_;
};
