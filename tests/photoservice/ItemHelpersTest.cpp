#include <gtest/gtest.h>

#include "photoservice/ItemUrls.h"
#include "photoservice/LicenceNames.h"
#include "photoservice/SplitKeywords.h"

using Words = std::vector<std::wstring>;

TEST(SplitKeywords, BlanksControlsAndIdeographicSpaceSeparate)
{
    EXPECT_EQ(split_keywords(L"sunset\x3000" L"beach  sea", 10), (Words{L"sunset", L"beach", L"sea"}));
    EXPECT_EQ(split_keywords(L"\t富士山\r\n紅葉\x3000\x3000", 10), (Words{L"富士山", L"紅葉"}));
    EXPECT_EQ(split_keywords(L"", 10), Words{});
    EXPECT_EQ(split_keywords(L" \x3000 ", 10), Words{});
    EXPECT_EQ(split_keywords(L"a\x3001" L"b", 10), Words{L"a\x3001" L"b"}) << "only U+3000 among the wide marks";
}

TEST(SplitKeywords, WordsAfterTheLimitAreDropped)
{
    EXPECT_EQ(split_keywords(L"1 2 3 4 5 6 7 8 9 10 11 12", 10),
              (Words{L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10"}));
    EXPECT_EQ(split_keywords(L"a b", 0), Words{});
}

TEST(LicenceNames, TableAndUnknown)
{
    EXPECT_STREQ(licence_name(0), L"All Rights Reserved");
    EXPECT_STREQ(licence_name(1), L"Attribution-NonCommercial-ShareAlike License");
    EXPECT_STREQ(licence_name(4), L"Attribution License");
    EXPECT_STREQ(licence_name(7), L"No known copyright restrictions");
    EXPECT_STREQ(licence_name(8), L"United States Government Work");
    const wchar_t* const current[] = {L"Public Domain Dedication (CC0)",
                                      L"Public Domain Mark",
                                      L"Attribution 4.0 License",
                                      L"Attribution-ShareAlike 4.0 License",
                                      L"Attribution-NoDerivs 4.0 License",
                                      L"Attribution-NonCommercial 4.0 License",
                                      L"Attribution-NonCommercial-ShareAlike 4.0 License",
                                      L"Attribution-NonCommercial-NoDerivs 4.0 License"};
    for (int32_t n = 9; n <= 16; ++n) EXPECT_STREQ(licence_name(n), current[n - 9]) << n;
    for (int32_t n : {-1, 17, 999, 0x7FFFFFFF}) EXPECT_STREQ(licence_name(n), L"Unknown") << n;
}

TEST(LicenceNames, TheCandidateLicencesAreTheSearchFilter)
{
    EXPECT_EQ(service_licence_filter(), "1,2,3,4,5,6,9,10,11,12,13,14,15,16");
    std::string candidates;
    for (int32_t n = -1; n <= 17; ++n) {
        if (!is_candidate_licence(n)) continue;
        if (!candidates.empty()) candidates += ',';
        candidates += std::to_string(n);
    }
    EXPECT_EQ(candidates, service_licence_filter());
}

TEST(UrlForSize, FallsBackToSmallerSizesAndPrefersTheLocalFile)
{
    ImageItem_CL item;
    EXPECT_EQ(url_for_size(item, kLargestSize), L"");
    item.sizes[0].url = L"http://h/sq.jpg";
    item.sizes[3].url = L"http://h/m.jpg";
    item.sizes[4].url = L"http://h/z.jpg";
    EXPECT_EQ(url_for_size(item, kLargestSize), L"http://h/z.jpg");
    EXPECT_EQ(url_for_size(item, 3), L"http://h/m.jpg");
    EXPECT_EQ(url_for_size(item, 2), L"http://h/sq.jpg");
    EXPECT_EQ(url_for_size(item, kThumbnailSize), L"http://h/sq.jpg");
    item.localPath = L"C:\\写真\\1.jpg";
    for (int n = 0; n <= kLargestSize; ++n)
        EXPECT_EQ(url_for_size(item, n), L"C:\\写真\\1.jpg");
}

TEST(WebAddress, OnlyHttpAndHttps)
{
    EXPECT_TRUE(is_web_address(L"http://h/x.jpg"));
    EXPECT_TRUE(is_web_address(L"HTTPS://h/x.jpg"));
    EXPECT_FALSE(is_web_address(L"\\\\host\\share\\x.jpg"));
    EXPECT_FALSE(is_web_address(L"C:\\x.jpg"));
    EXPECT_FALSE(is_web_address(L"file:///c:/x.jpg"));
    EXPECT_FALSE(is_web_address(L"http://"));
    EXPECT_FALSE(is_web_address(L" http://h/"));
}
