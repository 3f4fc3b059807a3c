#include <gtest/gtest.h>

#include <objbase.h>

#include "TestSupport.h"
#include "base/GlobalBlock.h"
#include "net/InetHttp_CL.h"
#include "photoservice/FlickrXmlHelper_CL.h"
#include "store/AppSettings_CL.h"
#include "store/SettingsKeys.h"

using namespace testing_support;

namespace {

constexpr int kPhotos = 3;
constexpr int kWidth = 640;
constexpr int kHeight = 480;

// The photo service behind the HTTPS stand-ins, with real pictures.
class Tls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        com_ = true;
        ASSERT_TRUE(trust_test_authority()) << "the test authority could not be trusted";
        folder_ = fresh_program_folder(L"tls_");
        ASSERT_TRUE(serve_photos(folder_, kPhotos, kWidth, kHeight));
    }
    void TearDown() override
    {
        if (com_) CoUninitialize();
    }
    void use_site(TlsSite site) const
    {
        AppInifile.write_string(keys::kService, keys::kWebUrl, https_url(site, folder_));
    }
    std::wstring picture(TlsSite site) const { return https_url(site, folder_ + L"/5000_o.jpg"); }

    GdiplusSession gdiplus_;
    std::wstring folder_;
    bool com_ = false;
};

SIZE_T block_size(HGLOBAL block)
{
    GlobalBlock owned(block);
    return owned ? GlobalSize(owned.get()) : 0;
}

}  // namespace

TEST_F(Tls, APopularQueryAndAPictureArriveOverHttps)
{
    use_site(TlsSite::kTrusted);
    FlickrXmlHelper_CL client;
    std::vector<ImageItem_CL> items;
    ASSERT_EQ(client.get_interesting_photos(items), S_OK) << outcome_text(client.outcome());
    EXPECT_EQ(items.size(), static_cast<size_t>(kPhotos));
    EXPECT_EQ(block_size(InetHttp_CL::download_to_movable(picture(TlsSite::kTrusted))), jpeg_bytes(kWidth, kHeight).size());
}

TEST_F(Tls, UntrustedExpiredAndMisnamedCertificatesAreRefusedInPlainWords)
{
    for (TlsSite site : {TlsSite::kSelfSigned, TlsSite::kExpired, TlsSite::kWrongName}) {
        SCOPED_TRACE(https_url(site, L""));
        use_site(site);
        FlickrXmlHelper_CL client;
        std::vector<ImageItem_CL> items;
        EXPECT_EQ(client.get_interesting_photos(items), E_FAIL);
        EXPECT_TRUE(items.empty());
        EXPECT_EQ(outcome_text(client.outcome()), L"Flickrに接続できませんでした: certificate not trusted")
            << "WinINet error " << client.http().last_error();
        EXPECT_EQ(block_size(InetHttp_CL::download_to_movable(picture(site))), 0u);
    }
}
