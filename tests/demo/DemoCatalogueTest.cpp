#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "../photoservice/ComApartment.h"
#include "TestSupport.h"
#include "TrayDriver.h"
#include "base/GdiplusInclude.h"
#include "base/TextConvert.h"
#include "mainwindow/UpdateCheck_CL.h"
#include "net/InetHttp_CL.h"
#include "photoservice/CommonsClient_CL.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "photoservice/ItemUrls.h"
#include "photoservice/LicenceNames.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"
#include "store/WallPaperItemBase_CL.h"
#include "imaging/PictureDecode.h"

using namespace testing_support;

namespace {

// The ctest set-up step wrote the demo's catalogue here, below the stand-in's root.
const wchar_t kDemo[] = L"demo";

void point_service_at_demo()
{
    for (const wchar_t* key : {keys::kRestUrl, keys::kWebUrl, keys::kSupportUrl})
        ASSERT_TRUE(AppInifile.write_string(keys::kService, key, http_url(kDemo)));
    ASSERT_TRUE(AppInifile.write_string(keys::kService, keys::kCommonsUrl, http_url(std::wstring(kDemo) + L"/commons")));
}

// Both processes and every tab meet the demo through these settings only.
class DemoCatalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(com.ok());
        AppSettings.load(documents.path());
        point_service_at_demo();
    }

    std::vector<ImageItem_CL> popular()
    {
        std::vector<ImageItem_CL> items;
        FlickrXmlHelper_CL client;
        EXPECT_EQ(client.get_interesting_photos(items), S_OK);
        return items;
    }

    TempFolder documents;
    ComApartment com;
};

// The picture at the address decodes to the announced size.
void expect_picture(const std::wstring& url, int width, int height)
{
    std::unique_ptr<Gdiplus::Image> picture = decode_block(InetHttp_CL::download_to_movable(url), true);
    ASSERT_TRUE(picture) << narrow_units(url);
    EXPECT_EQ(picture->GetWidth(), static_cast<UINT>(width)) << narrow_units(url);
    EXPECT_EQ(picture->GetHeight(), static_cast<UINT>(height)) << narrow_units(url);
}

bool is_ascii(const std::wstring& text)
{
    for (wchar_t c : text)
        if (c > 0x7F) return false;
    return true;
}

// The tray installs a photo only when its picture has the announced size, and
// lists show the thumbnails: every size the catalogue names must be true.
TEST_F(DemoCatalogue, PopularPhotosCarryAllLicencesAndDownloadAtTheirAnnouncedSizes)
{
    GdiplusSession gdiplus;
    const std::vector<ImageItem_CL> items = popular();
    ASSERT_GE(items.size(), 16u);
    std::set<int> licences;
    int japanese = 0, large_landscapes = 0, gone = 0;
    for (const ImageItem_CL& item : items) {
        FlickrXmlHelper_CL client;
        std::vector<ImageItem_CL::Size> sizes;
        // A photo deleted since the list was made: the service says so, and its pictures are not there.
        if (client.get_sizes(FlickrXmlHelper_CL::photo_id_of(item), sizes) != S_OK && client.outcome().photo_gone()) {
            ++gone;
            DWORD status = 0;
            GlobalBlock(InetHttp_CL::download_to_movable(url_for_size(item, 5), {}, &status)).reset();
            EXPECT_EQ(status, static_cast<DWORD>(HTTP_STATUS_NOT_FOUND)) << narrow_units(item.key);
            continue;
        }
        licences.insert(item.license);
        if (!is_ascii(item.title)) ++japanese;
        const ImageItem_CL::Size& best = item.sizes[5];
        if (best.width >= 1024 && best.height >= 768 && best.width >= best.height) ++large_landscapes;
        expect_picture(url_for_size(item, 5), best.width, best.height);
        expect_picture(url_for_size(item, 1), item.sizes[1].width, item.sizes[1].height);
        // The install chooses among the sizes the service lists: the largest is the record's.
        ASSERT_GE(sizes.size(), 6u) << narrow_units(item.key);
        EXPECT_EQ(sizes.back().url, best.url);
        for (const ImageItem_CL::Size& size : sizes) expect_picture(size.url, size.width, size.height);
    }
    std::set<int> every;
    for (int n = 0; n <= 16; ++n) every.insert(n);
    EXPECT_EQ(licences, every);
    EXPECT_EQ(gone, 1);
    // Some owners keep their originals back: the largest size offered stands in.
    EXPECT_GE(std::count_if(items.begin(), items.end(),
                            [](const ImageItem_CL& item) { return item.sizes[5].url.find(L"_k.jpg") != std::wstring::npos; }),
              3);
    EXPECT_GT(japanese, 0);
    EXPECT_LT(japanese, static_cast<int>(items.size()));
    // Enough for the candidate filter to take, and some it leaves out.
    EXPECT_GE(large_landscapes, 10);
    EXPECT_LT(large_landscapes, static_cast<int>(items.size()));
}

// The keyword and user tabs: a known word finds its photos, any other word still
// finds something, and every owner leads through their sets to all their photos.
// The demo's Commons: credited pictures of several licences, each size true,
// and the two it must leave out (a licence it cannot name, a PNG) left out.
TEST_F(DemoCatalogue, CommonsPicturesAreCreditedAndDownloadAtTheirAnnouncedSizes)
{
    GdiplusSession gdiplus;
    CommonsClient_CL client;
    std::vector<ImageItem_CL> items;
    ASSERT_EQ(client.get_featured_pictures(CommonsClient_CL::iso_moment(CommonsClient_CL::kFirstMoment), items), S_OK);
    ASSERT_EQ(items.size(), 7u);
    std::set<int> licences;
    int japanese = 0;
    for (const ImageItem_CL& item : items) {
        licences.insert(item.license);
        if (!is_ascii(item.title)) ++japanese;
        EXPECT_FALSE(item.ownerName.empty()) << narrow_units(item.key);
        for (const ImageItem_CL::Size& size : CommonsClient_CL::screen_sizes(item)) expect_picture(size.url, size.width, size.height);
        expect_picture(url_for_size(item, 1), item.sizes[1].width, item.sizes[1].height);
    }
    EXPECT_EQ(licences, (std::set<int>{4, 9, 10, 11, 12, 1000, 1001}));
    EXPECT_GT(japanese, 0);
    EXPECT_LT(japanese, 7);
}

TEST_F(DemoCatalogue, KeywordAndUserSearchesFindThePopularPhotos)
{
    const std::vector<ImageItem_CL> all = popular();
    std::set<std::wstring> keys_of_all;
    for (const ImageItem_CL& item : all) keys_of_all.insert(item.key);

    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> sea, anything;
    ASSERT_EQ(client.search_photos(L"海", 4000, sea), S_OK);
    EXPECT_FALSE(sea.empty());
    EXPECT_LT(sea.size(), all.size());
    for (const ImageItem_CL& item : sea) EXPECT_EQ(keys_of_all.count(item.key), 1u);
    ASSERT_EQ(client.search_photos(L"black hole", 4000, anything), S_OK);
    EXPECT_FALSE(anything.empty());

    std::map<std::wstring, std::pair<std::wstring, size_t>> owners;  // name -> id, photos
    for (const ImageItem_CL& item : all) {
        owners[item.ownerName].first = item.owner;
        ++owners[item.ownerName].second;
    }
    ASSERT_GE(owners.size(), 4u);
    for (const auto& [name, owner] : owners) {
        std::vector<UserRecord> users;
        ASSERT_EQ(client.find_user_by_name(name, 4000, users), S_OK);
        ASSERT_EQ(users.size(), 1u) << narrow_units(name);
        // The user answer is read as it comes, one unit per byte.
        EXPECT_EQ(utf8_to_wide(narrow_units(users[0].name)), name);
        EXPECT_EQ(users[0].id, owner.first);
        std::vector<PhotosetRecord> sets;
        ASSERT_EQ(client.get_photoset_list(users[0].id, sets), S_OK);
        ASSERT_FALSE(sets.empty());
        size_t announced = 0;
        std::vector<ImageItem_CL> photos;
        for (const PhotosetRecord& set : sets) {
            announced += set.photos;
            ASSERT_EQ(client.get_photoset_photos(set.id, photos), S_OK);
        }
        EXPECT_EQ(announced, owner.second) << narrow_units(name);
        EXPECT_EQ(photos.size(), owner.second) << narrow_units(name);
    }
    std::vector<UserRecord> nobody;
    ASSERT_EQ(client.find_user_by_name(L"nobody at all", 4000, nobody), S_OK);
    EXPECT_TRUE(nobody.empty());
}

// Sign-in succeeds without a browser or a box, and the support site offers no
// update, so the demo never stops at a dialog.
TEST_F(DemoCatalogue, SignInAndUpdateCheckPassWithoutAnyDialog)
{
    FlickrXmlHelper_CL client;
    int pages = 0, boxes = 0;
    FlickrXmlHelper_CL::SignInSteps steps;
    steps.open_page = [&](const std::wstring&) { ++pages; };
    steps.confirm = [&] { ++boxes; return false; };
    EXPECT_FALSE(client.authorize("read", steps).empty());
    EXPECT_EQ(pages, 0);
    EXPECT_EQ(boxes, 0);

    InetHttp_CL http;
    ASSERT_EQ(http.fetch(narrow_units(http_url(std::wstring(kDemo) + L"/Tapestrel/Version.txt"))), S_OK);
    const UpdateCheck_CL::VersionText text = UpdateCheck_CL::read_version_text(http.body(), http.body_length());
    EXPECT_EQ(text.version, kProgramVersion);
    EXPECT_FALSE(is_newer_version(text.version, kProgramVersion));
}

// Every service method named in the program's sources, with the parameter that
// picks its answer in the catalogue, and the element that answer must hold.
// A method the program gains fails here until the demo answers it too.
TEST_F(DemoCatalogue, AnswersEveryMethodTheProgramCalls)
{
    const std::map<std::string, std::pair<std::string, std::wstring>> answers = {
        {"flickr.interestingness.getList", {"", L"/rsp/photos/photo"}},
        {"flickr.photos.search", {"&text=%E6%B9%96", L"/rsp/photos/photo"}},
        {"flickr.people.findByUsername", {"&username=Erik+Lindqvist", L"/rsp/user/username"}},
        {"flickr.photosets.getList", {"&user_id=30561249@N08", L"/rsp/photosets/photoset"}},
        {"flickr.photosets.getPhotos", {"&photoset_id=721577612491", L"/rsp/photoset/photo"}},
        {"flickr.auth.getFrob", {"", L"/rsp/frob"}},
        {"flickr.auth.getToken", {"", L"/rsp/auth/token"}},
        {"flickr.test.echo", {"", L"/rsp/method"}},
        {"flickr.photos.getSizes", {"&photo_id=53120001", L"/rsp/sizes/size"}},
    };
    std::set<std::string> called;
    const std::regex method("\"(flickr\\.[A-Za-z.]+)\"");
    const std::filesystem::path sources = std::filesystem::path(env(L"TAPESTREL_SOURCE")) / "src";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sources)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        for (std::sregex_iterator m(text.begin(), text.end(), method), end; m != end; ++m) called.insert((*m)[1]);
    }
    ASSERT_GE(called.size(), 7u) << "no service methods found below " << sources.string();

    for (const std::string& name : called) {
        const auto answer = answers.find(name);
        ASSERT_NE(answer, answers.end()) << name << " has no answer in the demo's catalogue";
        InetHttp_CL http;
        ASSERT_EQ(http.fetch(narrow_units(http_url(std::wstring(kDemo) + L"/services/rest/?method=")) + name +
                             "&api_key=0" + answer->second.first),
                  S_OK) << name;
        XmlHelper_CL xml;
        ASSERT_EQ(xml.load_xml(widen_bytes(http.body())), S_OK) << name;
        EXPECT_NE(xml.select_single_node(answer->second.second.c_str()).get(), nullptr) << name;
    }
}

// What the newcomer sees first: the real tray, pointed at the demo, adds the
// large landscapes as candidates and installs one of them.
TEST(DemoTray, AddsCandidatesAndInstallsOneOfThemAtStartUp)
{
    remove_tree(documents_folder() + L"\\Tapestrel");
    AppSettings.load(documents_folder());
    point_service_at_demo();
    ASSERT_TRUE(AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeFavoriteUse, 0));
    ASSERT_TRUE(AppInifile.write_int(keys::kWallPaperInfo, keys::kChangeLocalFolderUse, 0));

    TrayDriver driver;
    ASSERT_TRUE(driver.ready());
    KernelHandle tray = start_tapestrel(L"");
    ASSERT_TRUE(tray);
    ASSERT_TRUE(driver.find_tray(20000));
    driver.fire_startup_timer();
    ASSERT_TRUE(driver.pump_until([&] { return driver.installed() == 1; }, 60000));

    WallPaperItemBase_CL candidates, now;
    candidates.set_path(AppSettings.candidates_path());
    now.set_path(AppSettings.now_items_path());
    ASSERT_EQ(candidates.load(), S_OK);
    ASSERT_EQ(now.load(), S_OK);
    EXPECT_GE(candidates.items.size(), 10u);
    for (const ImageItem_CL& item : candidates.items) {
        EXPECT_GE(item.sizes[5].width, 1024);
        EXPECT_GE(item.sizes[5].height, 768);
        EXPECT_GE(item.sizes[5].width, item.sizes[5].height);
        EXPECT_TRUE(is_candidate_licence(item.license)) << item.license;
    }
    ASSERT_EQ(now.items.size(), 1u);
    // The demo has two candidate sources: the installed picture is a photo of either.
    const ImageItem_CL& installed = now.items[0];
    EXPECT_TRUE(installed.key.rfind(L"http://farm", 0) == 0 || CommonsClient_CL::is_commons_item(installed))
        << narrow_units(installed.key);
    EXPECT_TRUE(driver.exit_tray(tray.get(), 20000));
}

}  // namespace
