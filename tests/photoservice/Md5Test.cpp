#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "photoservice/MD5_CL.h"

TEST(Md5, Rfc1321TestSuite)
{
    const MD5_CL md5;
    EXPECT_EQ(md5.md5_hex("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(md5.md5_hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(md5.md5_hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(md5.md5_hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(md5.md5_hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    std::string eighty;
    for (int i = 0; i < 8; ++i)
        eighty += "1234567890";
    EXPECT_EQ(md5.md5_hex(eighty), "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, NoDataGivesNoDigest)
{
    const MD5_CL md5;
    EXPECT_EQ(md5.md5_hex(""), "");
    unsigned char digest[MD5_CL::kDigestSize];
    std::fill(std::begin(digest), std::end(digest), 0xAA);
    EXPECT_FALSE(md5.compute_md5("x", 0, digest));
    for (unsigned char byte : digest)
        EXPECT_EQ(byte, 0);
}

TEST(Md5, BinaryDataAndTheServiceDocumentationExample)
{
    const MD5_CL md5;
    unsigned char digest[MD5_CL::kDigestSize];
    const unsigned char zeros[3] = {0, 0, 0};
    ASSERT_TRUE(md5.compute_md5(zeros, sizeof(zeros), digest));
    const unsigned char expected[MD5_CL::kDigestSize] = {0x69, 0x3e, 0x9a, 0xf8, 0x4d, 0x3d, 0xfc, 0xc7,
                                                         0x1e, 0x64, 0x0e, 0x00, 0x5b, 0xdc, 0x5e, 0x2e};
    EXPECT_TRUE(std::equal(std::begin(digest), std::end(digest), std::begin(expected)));
    // The service's old authentication documentation: secret, api_key, perms write.
    EXPECT_EQ(md5.md5_hex("000005fab4534d05api_key9a0554259914a86fb9e7eb014e4e5d52permswrite"),
              "a02506b31c1cd46c2e0b6380fb94eb3d");
}
