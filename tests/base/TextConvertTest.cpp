#include <gtest/gtest.h>

#include "base/TextConvert.h"

TEST(TextConvert, WideningIsSignedAndNarrowingUndoesIt)
{
    const std::string bytes("A\xE3\x81\x82\x7F\x80\xFF", 7);
    const std::wstring wide = widen_bytes(bytes);
    EXPECT_EQ(wide, (std::wstring{L'A', 0xFFE3, 0xFF81, 0xFF82, 0x7F, 0xFF80, 0xFFFF}));
    EXPECT_EQ(narrow_units(wide), bytes);
    EXPECT_EQ(narrow_units(std::wstring{0x3042}), "\x42");
}

TEST(TextConvert, Utf8BothWaysWithoutLengthLimit)
{
    EXPECT_EQ(utf8_to_wide("\xE5\xAF\x8C\xE5\xA3\xAB\xE5\xB1\xB1"), L"富士山");
    EXPECT_EQ(wide_to_utf8(L"富士山 red"), "\xE5\xAF\x8C\xE5\xA3\xAB\xE5\xB1\xB1 red");
    EXPECT_EQ(wide_to_utf8(L""), "");
    EXPECT_EQ(utf8_to_wide(""), L"");

    // Far beyond the 4096 units a fixed buffer would hold.
    std::wstring long_text;
    for (int i = 0; i < 3000; ++i)
        long_text += L"あa";
    const std::string utf8 = wide_to_utf8(long_text);
    EXPECT_EQ(utf8.size(), 3000u * 4);
    EXPECT_EQ(utf8_to_wide(utf8), long_text);
}

TEST(TextConvert, BrokenUtf8DoesNotSwallowTheRest)
{
    EXPECT_EQ(utf8_to_wide("a\xE3\x81z"), L"a\xFFFDz");
}

TEST(UrlEncode, KeepsOnlyTheUnreservedSetAndEncodesBytesInUppercase)
{
    EXPECT_EQ(url_encode(wide_to_utf8(L"a b~")), L"a+b%7E");
    EXPECT_EQ(url_encode(wide_to_utf8(L"\x3042")), L"%E3%81%82");
    EXPECT_EQ(url_encode("*-._AZaz09"), L"*-._AZaz09");
    EXPECT_EQ(url_encode("/&=?%+#"), L"%2F%26%3D%3F%25%2B%23");
    EXPECT_EQ(url_encode(std::string("\0\x1F\x7F", 3)), L"%00%1F%7F");
    EXPECT_EQ(url_encode(""), L"");
}
