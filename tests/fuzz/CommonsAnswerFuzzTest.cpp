#include <gtest/gtest.h>

#include "CommonsStandIn.h"
#include "FuzzSupport.h"
#include "photoservice/CommonsClient_CL.h"
#include "photoservice/HtmlText.h"
#include "photoservice/LicenceNames.h"

namespace {

// Pieces of hostile answers: JSON's corners, markup and odd values.
const std::vector<std::string>& dictionary()
{
    static const std::vector<std::string> words = {
        "{", "}", "[", "]", ",", ":", "\"", "\\", "\\u0000", "\\ud800", "\\udc00", "\\u00e9", "\\\"", "null", "true",
        "false", "0", "-1", "1e999", "-0.0", "2147483648", "99999999999999999999", "\"ns\":6", "\"ns\":\"6\"",
        "\"mime\":\"image/jpeg\"", "\"mime\":\"image/png\"", "\"imageinfo\":[]", "\"imageinfo\":{}",
        "\"url\":\"javascript:alert(1)\"", "\"url\":\"C:\\\\x.jpg\"", "\"url\":\"http://a/b\\r\\nHost: c/\"",
        "\"descriptionurl\":\"\\\\\\\\host\\\\share\"", "\"width\":-5", "\"height\":1e308",
        "\"LicenseShortName\":{\"value\":\"CC0\"}", "{\"value\":[1,2]}", "{\"value\":{}}", "\"error\":{\"code\":1}",
        "<a href=\"x\">", "</a>", "<br>", "&amp;", "&#x110000;", "&#55296;", "&#0;", "&", "<", "\xEF\xBB\xBF",
        "\xC0\xAF", "\xED\xA0\x80", std::string(3000, 'a'), std::string(600, '['), std::string(600, '{')};
    return words;
}

std::string answer()
{
    return testing_support::commons_answer(
        L"fuzz", {{"Lake.jpg", "湖 &amp; <b>山</b>"},
                  {"Old.jpg", "", "<span>A</span>", "CC BY 3.0", "<time datetime=\"2001-02-03\">x</time>", 4000, 3000},
                  {"Png.png", "", "A", "CC0", "", 2400, 1600, "image/png"}});
}

bool has_control(const std::wstring& text)
{
    for (wchar_t c : text)
        if (c < L' ' || c == 0x7F) return true;
    return false;
}

}  // namespace

TEST(CommonsAnswerFuzz, EveryAnswerGivesSafeRecordsOrAFailure)
{
    const std::string base = answer();
    const size_t cases = fuzz::announce("commons answer", 20000);
    CommonsClient_CL client;
    for (size_t index = 0; index < cases; ++index) {
        const std::string text = index == 0 ? base : fuzz::mutated_case("commons answer", index, base, dictionary(), 4);
        std::vector<ImageItem_CL> items;
        const HRESULT result = client.parse_featured(text, 200, items);
        ASSERT_TRUE(result == S_OK || result == E_FAIL) << fuzz::where(index);
        if (index == 0) ASSERT_EQ(items.size(), 2u);
        if (result != S_OK) ASSERT_TRUE(items.empty()) << fuzz::where(index);
        for (const ImageItem_CL& item : items) {
            ASSERT_TRUE(fuzz::fetchable(item.key)) << fuzz::where(index);
            ASSERT_STRNE(licence_name(item.license), L"Unknown") << item.license << ", " << fuzz::where(index);
            const ImageItem_CL::Size& original = item.sizes[ImageItem_CL::kSizeCount - 1];
            ASSERT_GT(original.width, 0) << fuzz::where(index);
            ASSERT_GT(original.height, 0) << fuzz::where(index);
            for (const ImageItem_CL::Size& size : item.sizes) {
                ASSERT_TRUE(size.url.empty() || fuzz::fetchable(size.url)) << fuzz::where(index);
                ASSERT_LE(size.width, original.width) << fuzz::where(index);
            }
            for (const std::wstring* field : {&item.title, &item.ownerName, &item.dateTaken}) {
                ASSERT_LE(field->size(), 512u) << fuzz::where(index);
                ASSERT_FALSE(has_control(*field)) << fuzz::where(index);
            }
        }
    }
}

TEST(CommonsAnswerFuzz, MarkupBecomesPlainTextWithNoControlOrEdgeBlank)
{
    const std::string base = "<a href=\"//x\" title=\"a&amp;b\">Ann &amp; <bdi>Bo</bdi></a><br/>&#x5BCC;&nbsp;x";
    const size_t cases = fuzz::announce("commons markup", 20000);
    for (size_t index = 0; index < cases; ++index) {
        const std::string bytes = fuzz::mutated_case("commons markup", index, base, dictionary(), 6);
        const std::wstring text = html_to_text(std::wstring(bytes.begin(), bytes.end()));
        ASSERT_FALSE(has_control(text)) << fuzz::where(index);
        ASSERT_TRUE(text.empty() || (text.front() != L' ' && text.back() != L' ')) << fuzz::where(index);
        ASSERT_LE(text.size(), bytes.size()) << fuzz::where(index);
    }
}
