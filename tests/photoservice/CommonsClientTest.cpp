#include "CommonsStandIn.h"
#include "ServiceStandIn.h"
#include "base/TextConvert.h"
#include "base/Version.h"
#include "photoservice/CommonsClient_CL.h"
#include "photoservice/HtmlText.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

using namespace testing_support;

namespace {

const std::string kStart = "2016-03-09T17:04:21Z";

class Commons : public ServiceStandIn {
protected:
    void SetUp() override
    {
        ServiceStandIn::SetUp();
        ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kCommonsUrl, address() + L"/"));
    }
    std::vector<ImageItem_CL> fetch(HRESULT expected = S_OK)
    {
        std::vector<ImageItem_CL> items;
        EXPECT_EQ(client.get_featured_pictures(kStart, items), expected);
        return items;
    }
    CommonsClient_CL client;
};

}  // namespace

TEST_F(Commons, EachRunAsksForOneBatchFromARandomMomentAndNamesTheProgram)
{
    EXPECT_EQ(CommonsClient_CL::iso_moment(1457543061), kStart);
    const int64_t now = 1765286400;  // 2025-12-09T13:20:00Z
    EXPECT_EQ(CommonsClient_CL::random_start([](uint64_t) { return 0; }, now), "2005-01-01T00:00:00Z");
    uint64_t asked = 0;
    EXPECT_EQ(CommonsClient_CL::random_start([&](uint64_t n) { asked = n; return n - 1; }, now),
              CommonsClient_CL::iso_moment(now));
    EXPECT_EQ(asked, static_cast<uint64_t>(now - CommonsClient_CL::kFirstMoment + 1));

    ASSERT_TRUE(serve_commons_answer(folder, kEmptyCommonsAnswer));
    EXPECT_TRUE(fetch().empty());
    EXPECT_EQ(requests(), (std::vector<std::string>{
        "w/api.php?action=query&format=json&formatversion=2&generator=categorymembers"
        "&gcmtitle=Category:Featured_pictures_on_Wikimedia_Commons&gcmtype=file&gcmlimit=50&prop=imageinfo"
        "&iiprop=url|size|mime|extmetadata"
        "&iiextmetadatafilter=ObjectName|Artist|LicenseShortName|LicenseUrl|DateTimeOriginal|Attribution"
        "&iiextmetadatalanguage=ja&maxlag=5&gcmsort=timestamp&gcmdir=newer&gcmstart=" + kStart}));
    EXPECT_EQ(http_agents(folder),
              (std::vector<std::string>{"Tapestrel/" TAPESTREL_VERSION_TEXT " (+https://www.tapestrel.jp)"}));
}

TEST_F(Commons, RecordsCarryTheCreditsTheLicenceTheDateAndTheStandardSizes)
{
    CommonsPicture fuji{"Mount_Fuji_at_dawn.jpg", "河口湖から望む &amp; 夜明けの<b>富士山</b>"};
    fuji.artist = "<a href=\"//commons.wikimedia.org/wiki/User:Hanako\" title=\"User:Hanako\">山田&nbsp;花子</a>";
    fuji.date = "<time class=\"dtstart\" datetime=\"2021-11-03\">2021年11月3日</time>";
    fuji.width = 4000;
    fuji.height = 2667;
    CommonsPicture dunes{"Sahara_dunes.jpg", "", "<bdi>Maya</bdi>", "CC0", "2018:04:12 12:05:33", 1600, 1000};
    ASSERT_TRUE(serve_commons_answer(folder, commons_answer(folder, {fuji, dunes})));
    const std::vector<ImageItem_CL> items = fetch();
    ASSERT_EQ(items.size(), 2u);

    const ImageItem_CL& first = items[0];
    EXPECT_EQ(first.key, commons_page_url(folder, fuji.name));
    EXPECT_EQ(first.title, L"河口湖から望む & 夜明けの富士山");
    EXPECT_EQ(first.ownerName, L"山田 花子");
    EXPECT_EQ(first.dateTaken, L"2021-11-03");
    EXPECT_EQ(first.license, 12);
    EXPECT_EQ(first.media, L"photo");
    EXPECT_EQ(first.farm, 0);
    EXPECT_TRUE(CommonsClient_CL::is_commons_item(first));
    EXPECT_TRUE(first.sizes[0].url.empty());
    const int widths[] = {120, 250, 500, 960};
    const int heights[] = {80, 167, 333, 640};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(first.sizes[i + 1].width, widths[i]);
        EXPECT_EQ(first.sizes[i + 1].height, heights[i]);
        EXPECT_EQ(first.sizes[i + 1].url, commons_thumbnail_url(folder, fuji.name, widths[i]));
    }
    EXPECT_EQ(first.sizes[5].url, commons_original_url(folder, fuji.name));
    EXPECT_EQ(first.sizes[5].width, 4000);
    EXPECT_EQ(first.sizes[5].height, 2667);

    // No title of its own: the file name; a date in the camera's form.
    EXPECT_EQ(items[1].title, L"Sahara dunes");
    EXPECT_EQ(items[1].ownerName, L"Maya");
    EXPECT_EQ(items[1].dateTaken, L"2018-04-12");
    EXPECT_EQ(items[1].license, 9);

    // At install: the standard widths 1920 and 3840 below the original, then the original.
    const std::vector<ImageItem_CL::Size> sizes = CommonsClient_CL::screen_sizes(first);
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_EQ(sizes[0].url, commons_thumbnail_url(folder, fuji.name, 1920));
    EXPECT_EQ(sizes[0].height, 1280);
    EXPECT_EQ(sizes[1].url, commons_thumbnail_url(folder, fuji.name, 3840));
    EXPECT_EQ(sizes[2].url, first.sizes[5].url);
    ASSERT_EQ(CommonsClient_CL::screen_sizes(items[1]).size(), 1u);
    EXPECT_EQ(CommonsClient_CL::thumbnail_url(L"https://example.org/pictures/Name.jpg", 120), L"");
}

TEST_F(Commons, OnlyJpegsOfTheFileNamespaceUnderALicenceTapestrelCanNameAreKept)
{
    const std::string good = commons_answer(folder, {{"Kept.jpg"}});
    const std::string body = good.substr(0, good.size() - 3) +
        ",{\"ns\":0,\"title\":\"Talk\"},{\"ns\":6,\"title\":\"File:No info.jpg\"}"
        ",{\"ns\":6,\"imageinfo\":[{\"mime\":\"image/jpeg\",\"url\":\"C:\\\\x.jpg\",\"descriptionurl\":\"http://a/wiki/File:x\","
        "\"width\":10,\"height\":10,\"extmetadata\":{\"LicenseShortName\":{\"value\":\"CC0\"}}}]},7,null]}}";
    const std::string others = commons_answer(folder, {{"Diagram.png", "", "A", "CC BY 4.0", "", 2400, 1600, "image/png"},
                                                       {"Old.jpg", "", "A", "GFDL 1.2"},
                                                       {"Ported.jpg", "", "A", "CC BY-SA 3.0 de"}});
    std::vector<ImageItem_CL> items;
    ASSERT_EQ(client.parse_featured(body, 200, items), S_OK);
    ASSERT_EQ(client.parse_featured(others, 200, items), S_OK);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, L"Kept");

    const std::pair<const wchar_t*, int32_t> names[] = {
        {L"CC BY 4.0", 11}, {L"CC BY-SA 4.0", 12}, {L"CC BY 2.0", 4}, {L"cc-by-sa-2.0", 5}, {L"CC0", 9},
        {L"Public domain", 10}, {L"CC BY 3.0", 1000}, {L"CC BY-SA 3.0", 1001}, {L"CC BY-SA 2.5", 1003},
        {L"CC BY 1.0", 1004}, {L"GFDL", -1}, {L"", -1}, {L"CC BY-NC 4.0", -1}};
    for (const auto& name : names) EXPECT_EQ(CommonsClient_CL::licence_number(name.first), name.second) << name.first;
}

TEST_F(Commons, OverloadRefusalsAndFailuresEndTheRequestWithTheirTexts)
{
    struct Case {
        std::string body;
        int status;
        const wchar_t* text;
    };
    const Case cases[] = {
        {"{\"error\":{\"code\":\"maxlag\",\"info\":\"Waiting for db1: 7 seconds lagged.\",\"lag\":7}}", 503,
         L"Wikimedia Commonsが拒否しました: Waiting for db1: 7 seconds lagged. (maxlag)"},
        {"<html><body>Too many requests</body></html>", 429, L"Wikimedia Commonsが拒否しました: Too Many Requests (429)"},
        {"{\"error\":{\"code\":\"badvalue\",\"info\":\"Unrecognized value\"}}", 200,
         L"Wikimedia Commonsが拒否しました: Unrecognized value (badvalue)"},
        {"<html>Not Found</html>", 404, L"Wikimedia Commonsに接続できませんでした: HTTP status 404"},
        {"{\"query\":{\"pages\":[", 200, L"Wikimedia Commonsに接続できませんでした: unreadable answer"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(serve_commons_answer(folder, c.body, c.status, "Retry-After: 5\n"));
        EXPECT_TRUE(fetch(E_FAIL).empty()) << c.body;
        EXPECT_EQ(outcome_text(client.outcome()), c.text);
        EXPECT_FALSE(client.outcome().blames_key());
    }
    // Each asked once: nothing is retried.
    EXPECT_EQ(requests().size(), sizeof(cases) / sizeof(cases[0]));
}

TEST(HtmlText, TagsGoReferencesAreDecodedAndBlanksFold)
{
    EXPECT_EQ(html_to_text(L"<a href=\"x\">Ann</a> &amp; <span class=\"fn\">Bo</span>"), L"Ann & Bo");
    EXPECT_EQ(html_to_text(L"  line<br/>next<p>para</p>\t\r\n end "), L"line next para end");
    EXPECT_EQ(html_to_text(L"&#39;&#x5BCC;&#22763;&lt;&gt;&quot;&#x1F5FB;"), L"'富士<>\"\U0001F5FB");
    EXPECT_EQ(html_to_text(L"&unknown; &#xZZ; &#0; a < b & c"), L"&unknown; &#xZZ; \xFFFD a < b & c");
    EXPECT_EQ(html_to_text(L"<b>open"), L"open");
    EXPECT_EQ(html_to_text(L"cut <a href=\"x"), L"cut");
    EXPECT_EQ(html_to_text(L"全角　空白"), L"全角　空白");
}
