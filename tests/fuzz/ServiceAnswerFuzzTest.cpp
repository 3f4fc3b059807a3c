#include <gtest/gtest.h>

#include <cwctype>
#include <functional>

#include "../photoservice/ComApartment.h"
#include "FuzzSupport.h"
#include "TestSupport.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "base/TextConvert.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

namespace {

std::string answer(const std::string& content)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<rsp stat=\"ok\">\n" + content + "\n</rsp>\n";
}

std::string photo(int id, const std::string& format, const std::string& url_o)
{
    const std::string n = std::to_string(id);
    return "<photo id=\"" + n + "\" owner=\"1@N00\" secret=\"abc\" server=\"7\" farm=\"8\" title=\"\xE5\xAF\x8C " + n +
           "\" license=\"4\" datetaken=\"2011-03-05 10:20:30\" ownername=\"\xE5\xB1\xB1\" originalformat=\"" + format +
           "\" media=\"photo\" pathalias=\"alias\" url_sq=\"http://farm8.example/" + n +
           "_sq.jpg\" width_sq=\"75\" height_sq=\"75\" url_t=\"http://farm8.example/" + n +
           "_t.jpg\" width_t=\"100\" height_t=\"67\" url_z=\"https://farm8.example/" + n +
           "_z.jpg\" width_z=\"640\" height_z=\"427\" url_o=\"" + url_o +
           "\" width_o=\"6000\" height_o=\"4000\"><description>d</description></photo>";
}

std::string photos_answer(const char* element)
{
    const std::string body = photo(1, "jpg", "http://farm8.example/1_o.jpg") + photo(2, "JPG", "javascript:alert(1)") +
                             photo(3, "png", "http://farm8.example/3_o.jpg") + photo(4, "jpg", "file:///C:/x.jpg") +
                             photo(5, "gif", "") + photo(6, "jpg", "\\\\host\\share\\6.jpg") +
                             photo(7, "jpg", "http://farm8.example/7&#13;&#10;Host: elsewhere/") +
                             photo(8, "jpg", "http://farm8.example/8 &quot;--x&quot;") +
                             photo(9, "jpg", "http://farm8.example/" + std::string(3000, '9'));
    return answer(std::string("<") + element + " page=\"1\" pages=\"1\" perpage=\"4000\" total=\"6\">" + body + "</" +
                  element + ">");
}

// Pieces of hostile answers: declarations, entities, odd formats and addresses.
const std::vector<std::string>& dictionary()
{
    static const std::vector<std::string> words = {
        "<!DOCTYPE rsp [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>",
        "<!DOCTYPE rsp SYSTEM \"file:///C:/windows/win.ini\">", "<!ENTITY x SYSTEM \"http://127.0.0.1/\">", "&b;",
        "&amp;", "&lt;", "&#0;", "&#x0;", "&#xFFFF;", "&#x10FFFF;", "&#10;", "&#13;&#10;", "&#9;", "&#x20;", "&unknown;",
        "<![CDATA[", "]]>", "<!--", "-->", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>", "<?pi x?>", "\xEF\xBB\xBF",
        "\xFF\xFE", "\xE3\x81\x82", "\xC0\xAF", "\xED\xA0\x80", "\"", "'", "<", ">", "/>", "=", " ", "\r\n", "\0",
        "originalformat=\"jpg\"", "originalformat=\"JPG\"", "originalformat=\"png\"", "originalformat=\"jpeg\"",
        "originalformat=\"\"", "url_o=\"javascript:alert(1)\"", "url_o=\"file:///C:/boot.ini\"",
        "url_o=\"\\\\server\\share\\x.jpg\"", "url_o=\"C:\\x.jpg\"", "url_o=\"http://a&#13;&#10;Host: b/\"",
        "url_o=\"http:x\"", "url_o=\"HTTPS://farm1.example/x.jpg\"", "url_o=\" http://a/\"",
        "url_k=\"file:///C:/k.jpg\" width_k=\"2048\" height_k=\"1365\"", "url_4k=\"http://a/4k.jpg\" width_4k=\"-1\"",
        "url_3k=\"\\\\server\\3k.jpg\"", "width_h=\"2147483647\" height_h=\"2147483647\" url_h=\"http://a/h.jpg\"",
        "url_o=\"http://" + std::string(3000, 'a') + "\"", "title=\"" + std::string(5000, '\xE3') + "\"",
        "width_o=\"99999999999999999999\"", "width_o=\"-2147483649\"", "height_o=\"0x10\"", "farm=\"-1\"",
        "license=\"2147483648\"", "<photo ", "<photo farm=\"1\" originalformat=\"jpg\"/>", "</photo>", "<photos>",
        "</photos>", "<rsp>", "</rsp>", "<user id=\"", "<username>", "</username>", "</user>", "<frob>", "</frob>",
        "<auth><token>", "</token></auth>", "<photosets>", "<photoset id=\"1\" photos=\"", "</photoset>",
        "xmlns=\"urn:x\"", "xmlns:a=\"urn:a\" a:", std::string(70000, 'x')};
    return words;
}

size_t occurrences(const std::string& text, const char* piece)
{
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
    return count;
}

struct Parser {
    const char* name;
    std::string base;
    // Parses the held answer and checks the safe outcome.
    std::function<void(FlickrXmlHelper_CL& client, const std::string& text, size_t index)> run_and_check;
};

// What the parser sees: the bytes up to the first NUL.
std::string seen(const std::string& bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

void check_photos(FlickrXmlHelper_CL& client, const wchar_t* path, const std::string& text, size_t index)
{
    std::vector<ImageItem_CL> items;
    const HRESULT result = client.parse_photos(path, items);
    ASSERT_TRUE(result == S_OK || result == E_FAIL) << fuzz::where(index);
    const std::string parsed = seen(text);
    if (parsed.find("<!DOCTYPE") != std::string::npos) {
        ASSERT_EQ(result, E_FAIL) << fuzz::where(index);
    }
    if (result != S_OK) {
        ASSERT_TRUE(items.empty()) << fuzz::where(index);
    }
    ASSERT_LE(items.size(), occurrences(parsed, "<photo")) << fuzz::where(index);
    for (const ImageItem_CL& item : items) {
        ASSERT_EQ(item.key.compare(0, 11, L"http://farm"), 0) << fuzz::where(index);
        ASSERT_LE(item.key.size(), parsed.size() + 40) << fuzz::where(index);
        for (const ImageItem_CL::Size& size : item.sizes)
            ASSERT_TRUE(size.url.empty() || fuzz::fetchable(size.url)) << narrow_units(size.url) << ", " << fuzz::where(index);
        for (const std::wstring* field : {&item.title, &item.ownerName, &item.owner, &item.pathAlias, &item.media})
            ASSERT_LE(field->size(), parsed.size()) << fuzz::where(index);
        ASSERT_TRUE(item.localPath.empty()) << fuzz::where(index);
    }
}

std::vector<Parser> parsers()
{
    return {
        {"photos answer", photos_answer("photos"),
         [](FlickrXmlHelper_CL& client, const std::string& text, size_t index) {
             check_photos(client, L"/rsp/photos/photo", text, index);
         }},
        {"photoset photos answer", photos_answer("photoset"),
         [](FlickrXmlHelper_CL& client, const std::string& text, size_t index) {
             check_photos(client, L"/rsp/photoset/photo", text, index);
         }},
        {"users answer", answer("<user id=\"12037949@N00\" nsid=\"12037949@N00\"><username>Ann</username></user>"),
         [](FlickrXmlHelper_CL& client, const std::string& text, size_t index) {
             std::vector<UserRecord> users(3);
             const HRESULT result = client.parse_users(users);
             ASSERT_TRUE(result == S_OK || result == E_FAIL) << fuzz::where(index);
             if (result != S_OK) {
                 ASSERT_TRUE(users.empty()) << fuzz::where(index);
             }
             ASSERT_LE(users.size(), occurrences(seen(text), "<username")) << fuzz::where(index);
             for (const UserRecord& user : users) ASSERT_LE(user.id.size() + user.name.size(), text.size()) << fuzz::where(index);
         }},
        {"photosets answer",
         answer("<photosets page=\"1\" pages=\"1\"><photoset id=\"7215\" primary=\"1\" secret=\"s\" server=\"1\" "
                "photos=\"12\" videos=\"0\"><title>t</title></photoset><photoset id=\"7216\" photos=\"3\"/></photosets>"),
         [](FlickrXmlHelper_CL& client, const std::string& text, size_t index) {
             std::vector<PhotosetRecord> sets;
             const HRESULT result = client.parse_photosets(sets);
             ASSERT_TRUE(result == S_OK || result == E_FAIL) << fuzz::where(index);
             if (result != S_OK) {
                 ASSERT_TRUE(sets.empty()) << fuzz::where(index);
             }
             ASSERT_LE(sets.size(), occurrences(seen(text), "<photoset")) << fuzz::where(index);
             for (const PhotosetRecord& set : sets) ASSERT_LE(set.id.size(), text.size()) << fuzz::where(index);
         }},
        {"frob answer", answer("<frob>72157626482943752-5d1b8e3f0a9c4e27-419306</frob>"),
         [](FlickrXmlHelper_CL& client, const std::string& text, size_t index) {
             const std::string before = client.frob();
             const HRESULT result = client.parse_frob();
             ASSERT_TRUE(result == S_OK || result == E_FAIL) << fuzz::where(index);
             if (result != S_OK) {
                 ASSERT_EQ(client.frob(), before) << fuzz::where(index);
             }
             ASSERT_LE(client.frob().size(), std::max(before.size(), text.size())) << fuzz::where(index);
         }},
        {"token answer", answer("<auth><token>45-76598454353455</token><perms>write</perms><user nsid=\"1@N00\"/></auth>"),
         [](FlickrXmlHelper_CL& client, const std::string& text, size_t index) {
             std::wstring token = L"old";
             const HRESULT result = client.parse_token(token);
             ASSERT_TRUE(result == S_OK || result == E_FAIL) << fuzz::where(index);
             if (result != S_OK) {
                 ASSERT_TRUE(token.empty()) << fuzz::where(index);
             }
             ASSERT_LE(token.size(), text.size()) << fuzz::where(index);
         }},
    };
}

class ServiceAnswerFuzz : public ::testing::Test {
protected:
    ComApartment com;
    void SetUp() override { ASSERT_TRUE(com.ok()); }
};

}  // namespace

TEST_F(ServiceAnswerFuzz, EveryAnswerParsesToItsSafeResult)
{
    for (const Parser& parser : parsers()) {
        SCOPED_TRACE(parser.name);
        FlickrXmlHelper_CL client("key", "secret");
        {
            // The undamaged answer first: the checks hold for real answers too.
            SCOPED_TRACE("undamaged answer");
            client.http().keep_body(parser.base);
            parser.run_and_check(client, parser.base, 0);
            if (HasFatalFailure()) return;
        }
        const size_t cases = fuzz::announce(parser.name, 20000);
        for (size_t index = 0; index < cases; ++index) {
            const std::string text = fuzz::mutated_case(parser.name, index, parser.base, dictionary(), 4);
            client.http().keep_body(text);
            parser.run_and_check(client, text, index);
            if (HasFatalFailure()) return;
        }
    }
    fuzz::expect_peak_memory_below(fuzz::kMemoryBound);
}

TEST_F(ServiceAnswerFuzz, DamagedAnswersFromTheLoopbackServiceGiveWhatTheParserGives)
{
    testing_support::TempFolder documents;
    AppSettings.load(documents.path());
    const std::wstring folder = L"fuzz_answers_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kRestUrl, testing_support::http_url(folder)));
    ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kWebUrl, testing_support::http_url(folder)));
    const std::string base = photos_answer("photos");
    const size_t cases = fuzz::announce("photos answer over HTTP", 24);
    for (size_t index = 0; index < cases; ++index) {
        const std::string text = fuzz::mutated_case("photos answer over HTTP", index, base, dictionary(), 3);
        ASSERT_TRUE(testing_support::serve_file(folder + L"/services/rest", text));
        FlickrXmlHelper_CL fetched;
        std::vector<ImageItem_CL> over_http;
        const HRESULT result = fetched.get_interesting_photos(over_http);
        FlickrXmlHelper_CL direct("key", "secret");
        direct.http().keep_body(text);
        std::vector<ImageItem_CL> in_process;
        const HRESULT expected = direct.parse_photos(L"/rsp/photos/photo", in_process);
        ASSERT_EQ(result, expected) << fuzz::where(index);
        ASSERT_EQ(over_http.size(), in_process.size()) << fuzz::where(index);
        for (size_t i = 0; i < over_http.size(); ++i) {
            ASSERT_EQ(over_http[i].key, in_process[i].key) << fuzz::where(index);
            for (const ImageItem_CL::Size& size : over_http[i].sizes)
                ASSERT_TRUE(size.url.empty() || fuzz::fetchable(size.url)) << fuzz::where(index);
        }
    }
}
