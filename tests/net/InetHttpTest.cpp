#include <gtest/gtest.h>

#include <thread>

#include "NetTestSupport.h"
#include "TestSupport.h"
#include "net/InetHttp_CL.h"

using namespace testing_support;
using namespace net_testing;

namespace {

constexpr DWORD kRequestTimeout = 20000;

std::string fetch_url(const std::wstring& relative_path)
{
    return narrow(http_url(relative_path));
}

}  // namespace

TEST(InetHttpFetch, ReadsABodyOfAnnouncedLength)
{
    const std::string body = "<rsp stat=\"ok\"><photos page=\"1\"/></rsp>";
    ASSERT_TRUE(serve_file(L"net/fetch/known.xml", body));
    InetHttp_CL http;
    ASSERT_EQ(http.fetch(fetch_url(L"net/fetch/known.xml")), S_OK);
    EXPECT_EQ(http.content_length(), static_cast<LONG>(body.size()));
    EXPECT_EQ(std::string(http.body(), http.body_length()), body);
    EXPECT_EQ(http.body()[http.body_length()], '\0');
}

TEST(InetHttpFetch, ReadsABodyWithoutLengthToItsEndAcrossSeveralChunks)
{
    // Longer than two read steps, so the chunks must be joined in order.
    std::string body = pattern(InetHttp_CL::kReadChunk * 2 + 12345);
    for (char& c : body) c = c ? c : 'x';  // the text is read up to its NUL
    ASSERT_TRUE(serve_file(L"net/fetch/unknown.bin", body));
    InetHttp_CL http;
    ASSERT_EQ(http.fetch(fetch_url(L"_nolength/net/fetch/unknown.bin")), S_OK);
    EXPECT_EQ(http.content_length(), -1);
    ASSERT_EQ(http.body_length(), body.size());
    EXPECT_TRUE(std::string(http.body(), http.body_length()) == body);
    EXPECT_EQ(http.body()[http.body_length()], '\0');
}

TEST(InetHttpFetch, AnEmptyBodyFailsAndLeavesNoEarlierBodyReadable)
{
    ASSERT_TRUE(serve_file(L"net/fetch/first.xml", "<first/>"));
    ASSERT_TRUE(serve_file(L"net/fetch/empty.xml", "ignored"));
    InetHttp_CL http;
    ASSERT_EQ(http.fetch(fetch_url(L"net/fetch/first.xml")), S_OK);
    EXPECT_EQ(http.fetch(fetch_url(L"_length0/net/fetch/empty.xml")), E_FAIL);
    EXPECT_STREQ(http.body(), "");
    EXPECT_EQ(http.body_length(), 0u);
}

TEST(InetHttpFetch, AnErrorStatusWithABodyIsTheDocument)
{
    ASSERT_TRUE(serve_file(L"net/fetch/error.xml", "<rsp stat=\"fail\"><err code=\"1\"/></rsp>"));
    for (const wchar_t* status : {L"_status404/", L"_status500/"}) {
        InetHttp_CL http;
        ASSERT_EQ(http.fetch(fetch_url(std::wstring(status) + L"net/fetch/error.xml")), S_OK) << status;
        EXPECT_STREQ(http.body(), "<rsp stat=\"fail\"><err code=\"1\"/></rsp>");
    }
}

TEST(InetHttpFetch, ABodyEndingShortOfItsLengthFails)
{
    ASSERT_TRUE(serve_file(L"net/fetch/short.xml", std::string(4000, 'a')));
    InetHttp_CL http;
    EXPECT_EQ(http.fetch(fetch_url(L"_short/net/fetch/short.xml")), E_FAIL);
    EXPECT_STREQ(http.body(), "");
    EXPECT_EQ(InetHttp_CL::download_to_movable(http_url(L"_short/net/fetch/short.xml")), nullptr);
}

TEST(InetHttpFetch, AHostWithoutPathAsksForTheRoot)
{
    const size_t before = http_log(L"_requests.log").size();
    InetHttp_CL http;
    // The stand-in answers its root with a 404 page, which is still a document.
    ASSERT_EQ(http.fetch("http://" + narrow(http_host())), S_OK);
    EXPECT_STREQ(http.body(), "not found");
    EXPECT_EQ(http_log(L"_requests.log").substr(before), "GET /\n");
}

TEST(InetHttpFetch, AnAbortFromAnotherThreadEndsAWaitingRequestAtOnce)
{
    // The gate is never opened: the stand-in answers only after a minute, and a
    // fetch that waited for it would succeed.
    ASSERT_TRUE(serve_file(L"net/fetch/gated.xml", "<late/>"));
    InetHttp_CL http;
    HRESULT result = S_OK;
    const std::wstring gated = L"_gate/net/fetch/gated.xml?" + fresh_name();
    std::thread reader([&] { result = http.fetch(fetch_url(gated)); });
    const bool arrived = wait_for_http_request(gated, kRequestTimeout);
    http.abort_transfer();
    reader.join();
    EXPECT_TRUE(arrived);
    EXPECT_EQ(result, E_FAIL);
    EXPECT_STREQ(http.body(), "");
    // The object stays usable for the next request.
    ASSERT_TRUE(serve_file(L"net/fetch/after.xml", "<after/>"));
    ASSERT_EQ(http.fetch(fetch_url(L"net/fetch/after.xml")), S_OK);
    EXPECT_STREQ(http.body(), "<after/>");
}

TEST(InetHttpSplit, BothSplitsGiveTheSameHostAndPathForEitherScheme)
{
    struct Case {
        const wchar_t* url;
        const wchar_t* host;
        const wchar_t* path;
        bool secure;
    };
    const Case cases[] = {
        {L"http://api.example.test/services/rest/?method=a.b&x=1", L"api.example.test", L"services/rest/?method=a.b&x=1", false},
        {L"https://api.example.test/services/rest/?method=a.b", L"api.example.test", L"services/rest/?method=a.b", true},
        {L"HTTPS://farm1.example.test/1/2_s.jpg", L"farm1.example.test", L"1/2_s.jpg", true},
        {L"http://example.test", L"example.test", L"", false},
        {L"https://example.test/", L"example.test", L"", true},
    };
    for (const Case& c : cases) {
        for (const InetHttp_CL::UrlParts& parts : {InetHttp_CL::split_for_fetch(c.url), InetHttp_CL::split_for_download(c.url)}) {
            EXPECT_EQ(parts.host, c.host) << c.url;
            EXPECT_EQ(parts.path, c.path) << c.url;
            EXPECT_EQ(parts.secure, c.secure) << c.url;
        }
    }
}

TEST(InetHttpSplit, TheTwoSplitsDifferOnPortsAndMissingSlashes)
{
    // A colon in the host restarts it in the fetch split; the download split keeps it.
    EXPECT_EQ(InetHttp_CL::split_for_fetch(L"http://h:8080/p").host, L"80");
    EXPECT_EQ(InetHttp_CL::split_for_download(L"http://h:8080/p").host, L"h:8080");
    const InetHttp_CL::UrlParts parts = InetHttp_CL::split_for_download(L"no-slashes");
    EXPECT_EQ(parts.host, L"no-slashes");
    EXPECT_EQ(parts.path, L"no-slashes");
}

TEST(InetHttpSecure, HttpsAddressesOpenATlsConnectionOnPort443)
{
    // The stand-in's probe on port 443 records what a client sends first and
    // hangs up; a TLS client begins with a handshake record (0x16 0x03).
    const size_t before = http_log(L"_probe.log").size();
    const size_t requests_before = http_log(L"_requests.log").size();
    InetHttp_CL http;
    EXPECT_EQ(http.fetch("https://" + narrow(http_host()) + "/net/secure/a.xml"), E_FAIL);
    EXPECT_EQ(InetHttp_CL::download_to_movable(L"https://" + http_host() + L"/net/secure/b.jpg"), nullptr);
    const std::string probes = http_log(L"_probe.log").substr(before);
    size_t handshakes = 0;
    for (size_t at = probes.find("1603"); at != std::string::npos; at = probes.find("\n1603", at + 1)) ++handshakes;
    EXPECT_GE(handshakes, 2u) << probes;
    EXPECT_EQ(http_log(L"_requests.log").substr(requests_before).find("/net/secure/"), std::string::npos);
}

TEST(InetHttpDownload, AnHttpBodyArrivesAsExactlyItsBytes)
{
    const std::string body = pattern(300000);
    ASSERT_TRUE(serve_file(L"net/download/picture.jpg", body));
    EXPECT_TRUE(take_bytes(InetHttp_CL::download_to_movable(http_url(L"net/download/picture.jpg"))) == body);
    EXPECT_TRUE(take_bytes(InetHttp_CL::download_to_movable(http_url(L"_nolength/net/download/picture.jpg"))) == body);
    EXPECT_TRUE(take_bytes(InetHttp_CL::download_to_movable(http_url(L"_slow/net/download/picture.jpg"))) == body);
    EXPECT_EQ(InetHttp_CL::download_to_movable(http_url(L"_length0/net/download/picture.jpg")), nullptr);
}

TEST(InetHttpDownload, AnAbortAnnouncedBeforeTheConnectionStopsItFromStarting)
{
    ASSERT_TRUE(serve_file(L"net/download/never.jpg", "never"));
    const size_t before = http_log(L"_requests.log").size();
    int announcements = 0;
    HGLOBAL data = InetHttp_CL::download_to_movable(http_url(L"_stall/net/download/never.jpg"), [&](InetHttp_CL* transfer) {
        ++announcements;
        if (transfer) transfer->abort_transfer();
    });
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(announcements, 2);  // the transfer, then its withdrawal
    EXPECT_EQ(http_log(L"_requests.log").substr(before).find("/net/download/never.jpg"), std::string::npos);
}

TEST(InetHttpDownload, LocalPathsAreReadFromDiskAndOneCharacterIsAnAddress)
{
    TempFolder folder;
    const std::string bytes = pattern(70000);
    ASSERT_TRUE(write_file(folder.file(L"1.bmp"), bytes));
    ASSERT_TRUE(write_file(folder.file(L"c"), std::string("not a picture")));
    ASSERT_EQ(folder.path()[1], L':') << narrow(folder.path());

    EXPECT_TRUE(take_bytes(InetHttp_CL::download_to_movable(folder.file(L"1.bmp"))) == bytes);
    EXPECT_TRUE(take_bytes(InetHttp_CL::download_to_movable(L"\\\\?\\" + folder.file(L"1.bmp"))) == bytes);

    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.path().c_str()));
    // Relative to the root of the current drive.
    HGLOBAL rooted = InetHttp_CL::download_to_movable(folder.file(L"1.bmp").substr(2));
    HGLOBAL one_character = InetHttp_CL::download_to_movable(L"c");
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(take_bytes(rooted) == bytes);
    EXPECT_EQ(one_character, nullptr);

    ASSERT_TRUE(write_file(folder.file(L"empty.jpg"), std::string()));
    EXPECT_EQ(InetHttp_CL::download_to_movable(folder.file(L"empty.jpg")), nullptr);
    EXPECT_EQ(InetHttp_CL::download_to_movable(folder.file(L"missing.jpg")), nullptr);
}

TEST(InetHttpDownload, AFileOpenForWritingYieldsNothingUntilClosedButAnotherReaderDoesNotBlock)
{
    TempFolder folder;
    ASSERT_TRUE(write_file(folder.file(L"busy.jpg"), std::string("jpeg bytes")));
    {
        // As the thumbnail list holds a picture file while it decodes it.
        KernelHandle reader(CreateFileW(folder.file(L"busy.jpg").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_EQ(take_bytes(InetHttp_CL::download_to_movable(folder.file(L"busy.jpg"))), "jpeg bytes");
    }
    {
        KernelHandle writer(CreateFileW(folder.file(L"busy.jpg").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        EXPECT_EQ(InetHttp_CL::download_to_movable(folder.file(L"busy.jpg")), nullptr);
    }
    EXPECT_EQ(take_bytes(InetHttp_CL::download_to_movable(folder.file(L"busy.jpg"))), "jpeg bytes");
}
