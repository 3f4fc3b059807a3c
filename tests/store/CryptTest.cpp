#include <gtest/gtest.h>

#include <cwctype>

#include "store/Crypt_CL.h"

namespace {

std::wstring token_of_length(size_t length)
{
    const std::wstring pattern = L"72157-abcdef-富士山-é\x00FF\x0100-";
    std::wstring token;
    while (token.size() < length)
        token.push_back(pattern[token.size() % pattern.size()]);
    return token;
}

bool lowercase_hex(const std::wstring& text)
{
    return text.find_first_not_of(L"0123456789abcdef") == std::wstring::npos;
}

}  // namespace

TEST(TokenCipher, RoundTripsEveryStorableLength)
{
    for (size_t length = 1; length <= 50; ++length) {
        const std::wstring token = token_of_length(length);
        const std::wstring stored = encrypt_token(token);
        EXPECT_EQ(stored.size(), 4 * length);
        EXPECT_TRUE(lowercase_hex(stored)) << stored;
        EXPECT_EQ(decrypt_token(stored), token) << length;
    }
    EXPECT_EQ(encrypt_token(token_of_length(41)).size(), 164u);
}

TEST(TokenCipher, MatchesAnIndependentRc4OfTheMd5Key)
{
    // RC4 keyed by MD5 of the pass phrase's first 8 UTF-16LE characters, computed elsewhere.
    EXPECT_EQ(encrypt_token(L"72157600000000000-abcdef0123456789"),
              L"62c0dd49cf94b9aa5b9a23d6067f3b6505a27f41031354edb2bd0941ccef4406632cec3951726f7cde18392a4a4c7461ec65a3"
              L"ca5fb2a3035a85dd87b85653459850b584");
    EXPECT_EQ(encrypt_token(L"富士山"), L"999b04118fc8");
    EXPECT_EQ(decrypt_token(L"999b04118fc8"), L"富士山");
}

TEST(TokenCipher, TooLongOrEmptyTokensStoreNothing)
{
    EXPECT_EQ(encrypt_token(token_of_length(51)), L"");
    EXPECT_EQ(encrypt_token(L""), L"");
    EXPECT_EQ(decrypt_token(L""), L"");
}

TEST(TokenCipher, StoredTextThatIsNotLowercaseHexDecryptsToNothing)
{
    const std::wstring stored = encrypt_token(L"abc");
    ASSERT_EQ(stored.size(), 12u);
    std::wstring upper = stored;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    ASSERT_NE(upper, stored) << "the sample must hold a letter digit";
    EXPECT_EQ(decrypt_token(upper), L"");
    EXPECT_EQ(decrypt_token(stored.substr(0, 11)), L"");
    EXPECT_EQ(decrypt_token(stored.substr(0, 10) + L"zz"), L"");
    EXPECT_EQ(decrypt_token(stored.substr(0, 10) + L" 1"), L"");
    // An odd number of bytes keeps the whole characters.
    EXPECT_EQ(decrypt_token(stored.substr(0, 10)), L"ab");
    EXPECT_EQ(decrypt_token(std::wstring(202, L'a')), L"") << "more than a storable token";
}

TEST(Crypt, OnlyTheFirstEightCharactersOfThePassPhraseCount)
{
    const std::vector<uint8_t> data = {'t', 0, 'o', 0, 'k', 0};
    Crypt_CL first;
    Crypt_CL second;
    Crypt_CL other;
    ASSERT_EQ(first.init(L"SameHeadOneTail"), 0);
    ASSERT_EQ(second.init(L"SameHeadTwoTails"), 0);
    ASSERT_EQ(other.init(L"OtherHeadOneTail"), 0);
    const std::vector<uint8_t> cipher = first.encrypt(data);
    ASSERT_EQ(cipher.size(), data.size());
    EXPECT_EQ(second.encrypt(data), cipher);
    EXPECT_NE(other.encrypt(data), cipher);
    EXPECT_EQ(second.decrypt(cipher), data);
    EXPECT_TRUE(first.encrypt(std::vector<uint8_t>(101, 1)).empty());
    EXPECT_EQ(first.encrypt(std::vector<uint8_t>(100, 1)).size(), 100u);
}

TEST(Crypt, NothingIsCipheredBeforeInit)
{
    Crypt_CL crypt;
    EXPECT_TRUE(crypt.encrypt({1, 2, 3}).empty());
    EXPECT_TRUE(crypt.decrypt({1, 2, 3}).empty());
}
