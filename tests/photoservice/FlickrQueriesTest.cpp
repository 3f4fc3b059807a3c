#include "ServiceStandIn.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "base/TextConvert.h"

namespace {

const char kExtras[] =
    "&extras=description, license, date_upload, date_taken, owner_name, icon_server, original_format, "
    "last_update, geo, tags, machine_tags, o_dims, views, media, path_alias, url_sq, url_t, url_s, url_m, "
    "url_z, url_l, url_o, url_h, url_k, url_3k, url_4k";
const std::string kKey = "9a0554259914a86fb9e7eb014e4e5d52";
const std::string kSecret = "000005fab4534d05";
const std::string kFilter = "1,2,3,4,5,6,9,10,11,12,13,14,15,16";

const char kOnePhoto[] =
    "<photos page=\"1\" pages=\"1\" perpage=\"4000\" total=\"1\">"
    "<photo id=\"1\" owner=\"1@N00\" secret=\"s\" server=\"2\" farm=\"3\" title=\"t\" originalformat=\"jpg\" "
    "url_t=\"http://farm3.staticflickr.com/2/1_s_t.jpg\"/></photos>";

using Queries = ServiceStandIn;

}  // namespace

TEST_F(Queries, EachQuerySendsItsParametersInItsOrder)
{
    serve_answer(answer(kOnePhoto));
    FlickrXmlHelper_CL client(kKey, kSecret);
    std::vector<ImageItem_CL> items;
    std::vector<UserRecord> users;
    std::vector<PhotosetRecord> sets;
    ASSERT_EQ(client.get_interesting_photos(items), S_OK);
    ASSERT_EQ(client.search_photos(L"富士山", FlickrXmlHelper_CL::kPageSize, items), S_OK);
    ASSERT_EQ(client.search_photos(L"red car", 30, items), S_OK);
    ASSERT_EQ(client.find_user_by_name(L"山田 a~b", FlickrXmlHelper_CL::kPageSize, users), S_OK);
    ASSERT_EQ(client.get_photoset_list(L"12037949@N00", sets), S_OK);
    ASSERT_EQ(client.get_photoset_photos(L"72157600000000001", items), S_OK);
    std::vector<ImageItem_CL::Size> sizes;
    ASSERT_EQ(client.get_sizes("5501", sizes), S_OK);

    const std::string rest = "services/rest/?method=";
    const std::string key = "&format=rest&api_key=" + kKey;
    const std::vector<std::string> expected = {
        rest + "flickr.interestingness.getList" + key + "&per_page=500&license=1" + kExtras,
        rest + "flickr.photos.search" + key + "&per_page=500&license=" + kFilter + kExtras +
            "&tag_mode=all&sort=relevance&text=%E5%AF%8C%E5%A3%AB%E5%B1%B1",
        rest + "flickr.photos.search" + key + "&per_page=30&license=" + kFilter + kExtras +
            "&tag_mode=all&sort=relevance&text=red+car",
        rest + "flickr.people.findByUsername" + key +
            "&per_page=500&license=" + kFilter + "&username=%E5%B1%B1%E7%94%B0+a%7Eb",
        rest + "flickr.photosets.getList" + key + "&user_id=12037949@N00",
        rest + "flickr.photosets.getPhotos" + key + "&photoset_id=72157600000000001" + kExtras,
        rest + "flickr.photos.getSizes" + key + "&photo_id=5501",
    };
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(std::string(kExtras).size(), 217u + 30u);
}

TEST_F(Queries, PhotostreamNamesTheOwnersPage)
{
    set_web_url(L"https://www.example.test/");
    ImageItem_CL item;
    item.owner = L"u1";
    EXPECT_EQ(FlickrXmlHelper_CL::photostream_url(item), L"https://www.example.test/photos/u1/");
    item.pathAlias = L"abc";
    EXPECT_EQ(FlickrXmlHelper_CL::photostream_url(item), L"https://www.example.test/photos/abc/");
}

TEST_F(Queries, NothingFetchedIsAFailureThatLeavesTheListsAlone)
{
    serve_answer(answer(kOnePhoto));
    FlickrXmlHelper_CL client(kKey, kSecret);
    std::vector<ImageItem_CL> items;
    ASSERT_EQ(client.search_photos(L"a", 10, items), S_OK);
    ASSERT_EQ(items.size(), 1u);

    point_service_at(L"", L"_length0");
    std::vector<UserRecord> users(1);
    std::vector<PhotosetRecord> sets(1);
    EXPECT_EQ(client.get_interesting_photos(items), E_FAIL);
    EXPECT_EQ(client.search_photos(L"a", 10, items), E_FAIL);
    EXPECT_EQ(client.get_photoset_photos(L"1", items), E_FAIL);
    EXPECT_EQ(client.find_user_by_name(L"a", 10, users), E_FAIL);
    EXPECT_EQ(client.get_photoset_list(L"a", sets), E_FAIL);
    EXPECT_EQ(items.size(), 1u);
    EXPECT_EQ(users.size(), 1u);
    EXPECT_EQ(sets.size(), 1u);
}
