#pragma once
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "net/InetHttp_CL.h"
#include "photoservice/LicenceNames.h"
#include "photoservice/MD5_CL.h"
#include "photoservice/PhotoRecords.h"
#include "photoservice/ServiceOutcome.h"
#include "photoservice/XmlHelper_CL.h"
#include "store/ImageItem_CL.h"

// The photo-service client: request URLs, queries, answers and the sign-in
// flow. One object per thread. Hosts are read from the settings at each use.
class FlickrXmlHelper_CL {
public:
    using ImageItem_CL = ::ImageItem_CL;
    // The most photos the service answers a list query with, whatever is asked.
    static constexpr int kPageSize = 500;

    // What the sign-in flow asks of the desktop, replaceable so that it can be
    // driven without a browser or a dialog.
    struct SignInSteps {
        std::function<void(const std::wstring& page)> open_page;
        // True when the user says the application is approved (OK), false on Cancel.
        std::function<bool()> confirm;
    };
    // The browser and the message box.
    static SignInSteps interactive_sign_in();

    // With the application's registration from the settings or the program.
    FlickrXmlHelper_CL();
    FlickrXmlHelper_CL(std::string api_key, std::string shared_secret);
    FlickrXmlHelper_CL(const FlickrXmlHelper_CL&) = delete;
    FlickrXmlHelper_CL& operator=(const FlickrXmlHelper_CL&) = delete;
    virtual ~FlickrXmlHelper_CL() = default;

    // Signed calls of the sign-in flow.
    std::string build_signed_url(const std::string& method) const;
    std::string build_signed_url_with_frob(const std::string& method) const;
    std::string build_auth_url(const std::string& perms) const;

    // Readers of the answer to the last request. A refusal of the service
    // (stat="fail") or an answer that is not the service's fails them, with
    // nothing added; outcome() says why.
    [[nodiscard]] HRESULT parse_photos(const wchar_t* path, std::vector<ImageItem_CL>& items);
    [[nodiscard]] HRESULT parse_users(std::vector<UserRecord>& users);
    [[nodiscard]] HRESULT parse_frob();
    [[nodiscard]] HRESULT parse_token(std::wstring& token);
    // Appends the sets; an answer that does not load counts as no sets.
    [[nodiscard]] HRESULT parse_photosets(std::vector<PhotosetRecord>& photosets);
    // parse_photos of an answer given as the bytes the service sends.
    [[nodiscard]] HRESULT parse_photos_from(const char* answer, const wchar_t* path, std::vector<ImageItem_CL>& items);

    // The queries append to their lists (users excepted); E_FAIL when nothing
    // was fetched or the service refused, and outcome() says which.
    [[nodiscard]] HRESULT get_interesting_photos(std::vector<ImageItem_CL>& items);
    [[nodiscard]] HRESULT search_photos(const std::wstring& keyword, int per_page, std::vector<ImageItem_CL>& items);
    [[nodiscard]] HRESULT find_user_by_name(const std::wstring& username, int per_page, std::vector<UserRecord>& users);
    [[nodiscard]] HRESULT get_photoset_list(const std::wstring& user_id, std::vector<PhotosetRecord>& photosets);
    [[nodiscard]] HRESULT get_photoset_photos(const std::wstring& photoset_id, std::vector<ImageItem_CL>& items);
    // The sizes the service hands out of one photo ("flickr.photos.getSizes"),
    // appended; a video's own renditions are left out. A photo that has gone
    // fails with outcome().photo_gone().
    [[nodiscard]] HRESULT get_sizes(const std::string& photo_id, std::vector<ImageItem_CL::Size>& sizes);
    [[nodiscard]] HRESULT parse_sizes(std::vector<ImageItem_CL::Size>& sizes);
    // The photo's id, from the record's key; empty when the key is not a photo's of this service.
    static std::string photo_id_of(const ImageItem_CL& item);
    // One signed "flickr.test.echo": whether the service accepts the key and the secret.
    [[nodiscard]] HRESULT test_echo();
    // How the last query or reader ended.
    const ServiceOutcome& outcome() const { return outcome_; }

    // The owner's page on the service's web site.
    static std::wstring photostream_url(const ImageItem_CL& item);

    // Signs the user in and returns the token; empty when it failed or the user cancelled.
    std::wstring authorize(const std::string& perms, const SignInSteps& steps = interactive_sign_in());

    const std::string& frob() const { return frob_; }
    // Another thread may abort a running request through it.
    InetHttp_CL& http() { return http_; }

private:
    std::string query_prefix(const char* method) const;
    std::string signature(const std::string& sorted_parameters) const;
    [[nodiscard]] HRESULT fetch(const std::string& url);
    [[nodiscard]] HRESULT load_response();
    [[nodiscard]] HRESULT load_answer(const char* answer);
    // load_answer, then a refusal or a foreign document is a failure.
    [[nodiscard]] HRESULT load_service_answer(const char* answer);
    [[nodiscard]] HRESULT fetch_photos(const std::string& url, const wchar_t* path, std::vector<ImageItem_CL>& items);

    InetHttp_CL http_;
    MD5_CL md5_;
    XmlHelper_CL xml_;
    std::string api_key_;
    std::string shared_secret_;
    std::string frob_;
    std::string licence_filter_ = service_licence_filter();
    ServiceOutcome outcome_;
};
