#include "ServiceStandIn.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/ItemUrls.h"
#include "base/TextConvert.h"

namespace {

// One photo element as the service writes it with the extras the queries ask for.
std::string photo(const std::string& id, const std::string& format_attribute, const std::string& more = "")
{
    return "<photo id=\"" + id + "\" owner=\"12037949@N00\" secret=\"a1b2c3d4e5\" server=\"7012\" farm=\"8\" "
           "title=\"Photo " + id + "\" ispublic=\"1\" isfriend=\"0\" isfamily=\"0\" license=\"4\" "
           "dateupload=\"1300000000\" datetaken=\"2011-03-05 10:20:30\" datetakengranularity=\"0\" "
           "ownername=\"owner\" iconserver=\"1\" iconfarm=\"1\" " + format_attribute +
           " lastupdate=\"1300000001\" latitude=\"0\" longitude=\"0\" accuracy=\"0\" tags=\"a b\" "
           "machine_tags=\"\" views=\"12\" media=\"photo\" media_status=\"ready\" pathalias=\"alias\" "
           "url_sq=\"http://farm8.staticflickr.com/7012/" + id + "_a1b2c3d4e5_s.jpg\" height_sq=\"75\" width_sq=\"75\" "
           "url_t=\"http://farm8.staticflickr.com/7012/" + id + "_a1b2c3d4e5_t.jpg\" height_t=\"67\" width_t=\"100\" "
           "url_s=\"http://farm8.staticflickr.com/7012/" + id + "_a1b2c3d4e5_m.jpg\" height_s=\"160\" width_s=\"240\" "
           "url_m=\"http://farm8.staticflickr.com/7012/" + id + "_a1b2c3d4e5.jpg\" height_m=\"333\" width_m=\"500\" "
           "url_z=\"http://farm8.staticflickr.com/7012/" + id + "_a1b2c3d4e5_z.jpg\" height_z=\"427\" width_z=\"640\" "
           "url_l=\"http://farm8.staticflickr.com/7012/" + id + "_a1b2c3d4e5_b.jpg\" height_l=\"683\" width_l=\"1024\" " +
           more + "><description>d</description></photo>";
}

std::string photos(const std::string& elements)
{
    return answer("<photos page=\"1\" pages=\"1\" perpage=\"4000\" total=\"9\">" + elements + "</photos>");
}

const std::string kOriginal =
    "url_o=\"https://farm8.staticflickr.com/7012/5501_f00d_o.jpg\" height_o=\"4000\" width_o=\"6000\"";

using Answers = ServiceStandIn;

std::vector<std::wstring> keys_of(const std::vector<ImageItem_CL>& items)
{
    std::vector<std::wstring> keys;
    for (const ImageItem_CL& item : items)
        keys.push_back(item.key);
    return keys;
}

}  // namespace

TEST_F(Answers, JpegOriginalsAndPhotosWithoutAnOriginalBecomeRecords)
{
    serve_answer(photos(photo("1", "originalsecret=\"x\" originalformat=\"jpg\"") +
                        photo("2", "originalformat=\"JPG\"") + photo("3", "originalformat=\"png\"") +
                        photo("4", "") + photo("5", "originalformat=\"jpeg\"") + photo("6", "originalformat=\"gif\"")));
    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> items;
    ASSERT_EQ(client.get_interesting_photos(items), S_OK);
    EXPECT_EQ(keys_of(items), (std::vector<std::wstring>{L"http://farm8.staticflickr.com/7012/1_a1b2c3d4e5",
                                                         L"http://farm8.staticflickr.com/7012/2_a1b2c3d4e5",
                                                         L"http://farm8.staticflickr.com/7012/4_a1b2c3d4e5"}));
}

// The service names no original format where it keeps the original back; its
// large sizes then stand in for it, so the size filter sees what it hands out.
TEST_F(Answers, WithoutAnOriginalTheLargestOfferedSizeTakesItsPlace)
{
    const std::string k = "url_k=\"https://live.staticflickr.com/7012/9_k.jpg\" height_k=\"1365\" width_k=\"2048\" ";
    const std::string h = "url_h=\"https://live.staticflickr.com/7012/9_h.jpg\" height_h=\"1067\" width_h=\"1600\" ";
    const std::string big = "url_4k=\"https://live.staticflickr.com/7012/9_4k.jpg\" height_4k=\"4096\" width_4k=\"2731\" "
                            "url_3k=\"https://live.staticflickr.com/7012/9_3k.jpg\" height_3k=\"3072\" width_3k=\"2048\" ";
    serve_answer(photos(photo("1", "", h + k) + photo("2", "", big + h) + photo("3", "", kOriginal) +
                        photo("4", "originalformat=\"jpg\"", kOriginal + " " + k) + photo("5", "") +
                        photo("6", "", "url_k=\"\\\\host\\k.jpg\" height_k=\"1365\" width_k=\"2048\"")));
    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> items;
    ASSERT_EQ(client.get_interesting_photos(items), S_OK);
    ASSERT_EQ(items.size(), 6u);
    auto expect_largest = [&](size_t n, int width, int height, const std::wstring& url) {
        EXPECT_EQ(items[n].sizes[5].width, width) << n;
        EXPECT_EQ(items[n].sizes[5].height, height) << n;
        EXPECT_EQ(items[n].sizes[5].url, url) << n;
    };
    expect_largest(0, 2048, 1365, L"https://live.staticflickr.com/7012/9_k.jpg");
    expect_largest(1, 2731, 4096, L"https://live.staticflickr.com/7012/9_4k.jpg");
    // An original the service does not name a format for is not taken.
    expect_largest(2, 0, 0, L"");
    expect_largest(3, 6000, 4000, L"https://farm8.staticflickr.com/7012/5501_f00d_o.jpg");
    expect_largest(4, 0, 0, L"");
    expect_largest(5, 0, 0, L"");
    EXPECT_EQ(url_for_size(items[4], kLargestSize), items[4].sizes[4].url);
    for (const ImageItem_CL& item : items) EXPECT_EQ(item.sizes[4].width, 640);
}

TEST_F(Answers, APhotoElementFillsTheRecord)
{
    std::string element = photo("5501", "originalformat=\"jpg\"", kOriginal);
    element.replace(element.find("Photo 5501"), 10, "\xE5\xAF\x8C\xE5\xA3\xAB\xE5\xB1\xB1 &amp; &quot;sun&quot;");
    element.replace(element.find("ownername=\"owner\""), 17, "ownername=\"\xE5\xB1\xB1\xE7\x94\xB0\"");
    element.replace(element.find("pathalias=\"alias\""), 17, "pathalias=\"\xE3\x81\x82\"");
    serve_answer(photos(element));

    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> items;
    ASSERT_EQ(client.search_photos(L"富士山", 4000, items), S_OK);
    ASSERT_EQ(items.size(), 1u);
    const ImageItem_CL& item = items[0];
    EXPECT_EQ(item.key, L"http://farm8.staticflickr.com/7012/5501_a1b2c3d4e5");
    EXPECT_EQ(item.title, L"富士山 & \"sun\"");
    EXPECT_EQ(item.ownerName, L"山田");
    EXPECT_EQ(item.pathAlias, (std::wstring{0xFFE3, 0xFF81, 0xFF82})) << "only title and owner name are repaired";
    EXPECT_EQ(item.owner, L"12037949@N00");
    EXPECT_EQ(item.farm, 8);
    EXPECT_EQ(item.license, 4);
    EXPECT_EQ(item.media, L"photo");
    EXPECT_EQ(item.dateTaken, L"2011-03-05 10:20:30");
    const int widths[6] = {75, 100, 240, 500, 640, 6000};
    const int heights[6] = {75, 67, 160, 333, 427, 4000};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(item.sizes[i].width, widths[i]) << i;
        EXPECT_EQ(item.sizes[i].height, heights[i]) << i;
    }
    EXPECT_EQ(item.sizes[1].url, L"http://farm8.staticflickr.com/7012/5501_a1b2c3d4e5_t.jpg");
    EXPECT_EQ(item.sizes[5].url, L"https://farm8.staticflickr.com/7012/5501_f00d_o.jpg");
    EXPECT_EQ(item.localPath, L"");
    EXPECT_EQ(item.localWidth, 0);
}

TEST_F(Answers, MissingOrUnsafeOriginalFallsBackToTheLargestWebSize)
{
    serve_answer(photos(photo("1", "originalformat=\"jpg\"") +
                        photo("2", "originalformat=\"jpg\"",
                              "url_o=\"\\\\host\\share\\x.jpg\" height_o=\"4000\" width_o=\"6000\"") +
                        photo("3", "originalformat=\"jpg\"", "url_o=\"C:\\Windows\\win.ini\"") +
                        photo("4", "originalformat=\"jpg\"", "url_o=\"file:///c:/x.jpg\"")));
    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> items;
    ASSERT_EQ(client.get_interesting_photos(items), S_OK);
    ASSERT_EQ(items.size(), 4u);
    for (const ImageItem_CL& item : items) {
        EXPECT_EQ(item.sizes[5].url, L"") << item.key;
        EXPECT_EQ(url_for_size(item, kLargestSize), item.sizes[4].url);
        EXPECT_NE(url_for_size(item, kLargestSize).find(L"_z.jpg"), std::wstring::npos);
    }
    EXPECT_EQ(items[0].sizes[5].width, 0);
}

TEST_F(Answers, SuccessiveAnswersAppendInOrder)
{
    serve_answer(photos(photo("1", "originalformat=\"jpg\"") + photo("2", "originalformat=\"jpg\"")), L"first");
    serve_answer(photos(photo("3", "originalformat=\"jpg\"")), L"second");
    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> items;
    point_service_at(L"first");
    ASSERT_EQ(client.search_photos(L"sea", 4000, items), S_OK);
    point_service_at(L"second");
    ASSERT_EQ(client.search_photos(L"sky", 4000, items), S_OK);
    const std::wstring base = L"http://farm8.staticflickr.com/7012/";
    EXPECT_EQ(keys_of(items), (std::vector<std::wstring>{base + L"1_a1b2c3d4e5", base + L"2_a1b2c3d4e5",
                                                         base + L"3_a1b2c3d4e5"}));
}

TEST_F(Answers, ARefusalFailsEveryQueryWithTheServicesCodeAndMessageAndAddsNothing)
{
    serve_answer(answer("<err code=\"100\" msg=\"Invalid API Key (Key has invalid format)\" />", "fail"));
    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> items(1);
    std::vector<UserRecord> users(2);
    std::vector<PhotosetRecord> sets(1);
    EXPECT_EQ(client.get_interesting_photos(items), E_FAIL);
    EXPECT_EQ(client.search_photos(L"a", 4000, items), E_FAIL);
    EXPECT_EQ(client.get_photoset_photos(L"1", items), E_FAIL);
    EXPECT_EQ(items.size(), 1u);
    EXPECT_EQ(client.get_photoset_list(L"1", sets), E_FAIL);
    EXPECT_EQ(sets.size(), 1u);
    EXPECT_EQ(client.find_user_by_name(L"nobody", 4000, users), E_FAIL);
    EXPECT_TRUE(users.empty()) << "the users list is cleared first";
    EXPECT_EQ(client.outcome().kind, ServiceOutcome::Kind::kRefused);
    EXPECT_EQ(client.outcome().code, 100);
    EXPECT_EQ(outcome_text_with_hint(client.outcome()),
              L"Flickrが拒否しました: Invalid API Key (Key has invalid format) (100)"
              L"（設定の「Flickr」ページでAPIキーを確認してください）");

    // The sign-in answers are read as before: no frob keeps the built-in one, no token is none.
    const std::string frob = client.frob();
    EXPECT_EQ(client.parse_frob(), S_OK);
    EXPECT_EQ(client.frob(), frob);
    std::wstring token = L"old";
    EXPECT_EQ(client.parse_token(token), E_FAIL);
    EXPECT_EQ(token, L"");
}

TEST_F(Answers, FailuresSayWhyAndASuccessClearsTheReason)
{
    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> items;
    // Nothing listens there in the test's network.
    set_web_url(L"http://127.0.0.84");
    EXPECT_EQ(client.get_interesting_photos(items), E_FAIL);
    EXPECT_EQ(outcome_text(client.outcome()), L"Flickrに接続できませんでした: connection refused");

    serve_answer(photos(photo("1", "originalformat=\"jpg\"")), L"busy");
    point_service_at(L"busy", L"_status503/_page");
    EXPECT_EQ(client.get_interesting_photos(items), E_FAIL);
    EXPECT_EQ(outcome_text(client.outcome()), L"Flickrに接続できませんでした: HTTP status 503");

    // The service's message in its own language; not the key's fault, so no hint.
    serve_answer(answer("<err code=\"1\" msg=\"\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC\" />", "fail"),
                 L"user");
    point_service_at(L"user");
    std::vector<UserRecord> users;
    EXPECT_EQ(client.find_user_by_name(L"x", 4000, users), E_FAIL);
    EXPECT_EQ(outcome_text_with_hint(client.outcome()), L"Flickrが拒否しました: ユーザー (1)");

    point_service_at(L"busy");
    EXPECT_EQ(client.get_interesting_photos(items), S_OK);
    EXPECT_FALSE(client.outcome().failed());
    EXPECT_EQ(items.size(), 1u);
}

TEST_F(Answers, TheKeyCheckIsOneSignedEchoCall)
{
    serve_answer(answer("<method>flickr.test.echo</method>"));
    FlickrXmlHelper_CL client("0123456789abcdef0123456789abcdef", "fedcba9876543210");
    EXPECT_EQ(client.test_echo(), S_OK);
    EXPECT_EQ(requests(), (std::vector<std::string>{"services/rest/?method=flickr.test.echo"
                                                    "&api_key=0123456789abcdef0123456789abcdef"
                                                    "&api_sig=0635db407fcb5b223d8ab5e5dd9fad9a"}));
    serve_answer(answer("<err code=\"96\" msg=\"Invalid signature\" />", "fail"));
    EXPECT_EQ(client.test_echo(), E_FAIL);
    EXPECT_TRUE(client.outcome().blames_key());
}

TEST_F(Answers, BrokenAndDtdAnswersFailWithoutAddingAnything)
{
    serve_answer(photos(photo("1", "originalformat=\"jpg\"")).substr(0, 200), L"cut");
    serve_answer("<?xml version=\"1.0\"?>\n<!DOCTYPE rsp [<!ENTITY t \"x\">]>\n" +
                     photos(photo("1", "originalformat=\"jpg\"")).substr(39),
                 L"dtd");
    serve_answer(photos(photo("1", "originalformat=\"jpg\"")), L"error500");
    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> items;
    point_service_at(L"cut");
    EXPECT_EQ(client.get_interesting_photos(items), E_FAIL);
    point_service_at(L"dtd");
    EXPECT_EQ(client.get_interesting_photos(items), E_FAIL);
    std::vector<PhotosetRecord> sets;
    EXPECT_EQ(client.get_photoset_list(L"1", sets), E_FAIL) << "an answer that does not load is no answer";
    EXPECT_TRUE(sets.empty());
    EXPECT_TRUE(items.empty());
    // The status is not examined: a body that is an answer is taken.
    point_service_at(L"error500", L"_status500");
    EXPECT_EQ(client.get_interesting_photos(items), S_OK);
    EXPECT_EQ(items.size(), 1u);
}

TEST_F(Answers, UsersAndPhotoSets)
{
    serve_answer(answer("<user id=\"12037949@N00\" nsid=\"12037949@N00\">"
                        "<username>\xE5\xB1\xB1\xE7\x94\xB0</username></user>"),
                 L"user");
    serve_answer(answer("<photosets page=\"1\" pages=\"1\" perpage=\"500\" total=\"2\">"
                        "<photoset id=\"72157600000000001\" primary=\"1\" secret=\"s\" server=\"2\" farm=\"3\" "
                        "photos=\"12\" videos=\"0\"><title>a</title><description/></photoset>"
                        "<photoset id=\"72157600000000002\" photos=\"3\"><title>b</title></photoset></photosets>"),
                 L"sets");
    serve_answer(answer("<photoset id=\"72157600000000001\" primary=\"1\" owner=\"12037949@N00\" page=\"1\" "
                        "per_page=\"500\" pages=\"1\" total=\"2\">" +
                        photo("7", "originalformat=\"jpg\"") + photo("8", "originalformat=\"png\"") + "</photoset>"),
                 L"set");
    FlickrXmlHelper_CL client;
    std::vector<UserRecord> users;
    point_service_at(L"user");
    ASSERT_EQ(client.find_user_by_name(L"山田", 4000, users), S_OK);
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].id, L"12037949@N00");
    EXPECT_EQ(users[0].name, widen_bytes("\xE5\xB1\xB1\xE7\x94\xB0")) << "the user name is not repaired";

    std::vector<PhotosetRecord> sets;
    point_service_at(L"sets");
    ASSERT_EQ(client.get_photoset_list(users[0].id, sets), S_OK);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].id, L"72157600000000001");
    EXPECT_EQ(sets[0].photos, 12);
    EXPECT_EQ(sets[1].photos, 3);

    std::vector<ImageItem_CL> items;
    point_service_at(L"set");
    ASSERT_EQ(client.get_photoset_photos(sets[0].id, items), S_OK);
    EXPECT_EQ(keys_of(items), std::vector<std::wstring>{L"http://farm8.staticflickr.com/7012/7_a1b2c3d4e5"});
}

TEST_F(Answers, SizesListWhatTheServiceHandsOutAndAGonePhotoSaysSo)
{
    serve_answer(answer("<sizes canblog=\"0\" canprint=\"0\" candownload=\"1\">"
                        "<size label=\"Square\" width=\"75\" height=\"75\" source=\"https://live.staticflickr.com/7/1_s_s.jpg\" "
                        "url=\"https://www.flickr.com/photos/u/1/sizes/sq/\" media=\"photo\" />"
                        "<size label=\"Large 2048\" width=\"2048\" height=\"1365\" source=\"https://live.staticflickr.com/7/1_s_k.jpg\" "
                        "url=\"https://www.flickr.com/photos/u/1/sizes/k/\" media=\"photo\" />"
                        "<size label=\"X-Large 4K\" width=\"4096\" height=\"2731\" source=\"file:///C:/4k.jpg\" media=\"photo\" />"
                        "<size label=\"Original\" width=\"6000\" height=\"4000\" source=\"https://live.staticflickr.com/7/1_o.jpg\" "
                        "media=\"photo\" />"
                        "<size label=\"Site MP4\" width=\"1920\" height=\"1080\" source=\"https://www.flickr.com/v/1.mp4\" "
                        "media=\"video\" /></sizes>"));
    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL::Size> sizes;
    ASSERT_EQ(client.get_sizes("1", sizes), S_OK);
    ASSERT_EQ(sizes.size(), 3u) << "the unsafe address and the video are left out";
    EXPECT_EQ(sizes[1].width, 2048);
    EXPECT_EQ(sizes[1].height, 1365);
    EXPECT_EQ(sizes[1].url, L"https://live.staticflickr.com/7/1_s_k.jpg");
    EXPECT_EQ(sizes[2].width, 6000);

    serve_answer(answer("<err code=\"1\" msg=\"Photo not found\" />", "fail"));
    sizes.clear();
    EXPECT_EQ(client.get_sizes("1", sizes), E_FAIL);
    EXPECT_TRUE(client.outcome().photo_gone());
    EXPECT_TRUE(sizes.empty());
    serve_answer(answer("<err code=\"100\" msg=\"Invalid API Key (Key has invalid format)\" />", "fail"));
    EXPECT_EQ(client.get_sizes("1", sizes), E_FAIL);
    EXPECT_FALSE(client.outcome().photo_gone()) << "a refused key says nothing of the photo";
    point_service_at(L"", L"_status500");
    EXPECT_EQ(client.get_sizes("1", sizes), E_FAIL);
    EXPECT_FALSE(client.outcome().photo_gone());
}

TEST(PhotoId, ComesFromTheKeyOfAServicePhotoOnly)
{
    ImageItem_CL item;
    item.farm = 66;
    item.key = L"http://farm66.staticflickr.com/65535/53120001_23afc36f4c";
    EXPECT_EQ(FlickrXmlHelper_CL::photo_id_of(item), "53120001");
    for (const wchar_t* key : {L"http://farm66.staticflickr.com/65535/_23afc36f4c", L"http://farm66.staticflickr.com/x/1a&b=2_s",
                               L"53120001", L""}) {
        item.key = key;
        EXPECT_EQ(FlickrXmlHelper_CL::photo_id_of(item), "") << narrow_units(item.key);
    }
    item.key = L"C:\\pictures\\1_2.jpg";
    item.farm = -1;
    EXPECT_EQ(FlickrXmlHelper_CL::photo_id_of(item), "");
}
