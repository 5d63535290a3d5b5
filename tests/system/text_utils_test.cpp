#include "system/text_utils.h"

#include <gtest/gtest.h>

TEST(BytesToHex, UpperCaseTwoDigitsPerByte)
{
    const unsigned char bytes[] = {0x00, 0x1A, 0xff};
    char out[8] = "zzzzzzz";
    ASSERT_TRUE(BytesToHex(bytes, 3, out));
    EXPECT_STREQ("001AFF", out);
    EXPECT_EQ("001A", BytesToHex(bytes, 2));
}

TEST(BytesToHex, NullOrZeroArgumentsFail)
{
    const unsigned char bytes[] = {1};
    char out[4] = "xy";
    EXPECT_FALSE(BytesToHex(nullptr, 1, out));
    EXPECT_FALSE(BytesToHex(bytes, 0, out));
    EXPECT_FALSE(BytesToHex(bytes, 1, nullptr));
    EXPECT_STREQ("xy", out);
}

TEST(HexTextToNumber, RegistryImportRule)
{
    struct Case { const char* text; uint32_t want; } cases[] = {
        {"0x0000002A", 42}, {"2a", 42}, {"2A", 42}, {"123456789", 0x23456789},
        {"", 0}, {"zz", 0}, {"ffffffff", 0xFFFFFFFF}, {"1g", 0x10},
    };
    for (const auto& c : cases) EXPECT_EQ(c.want, HexTextToNumber(c.text)) << c.text;
}

TEST(TextToNumber, DecimalOrHexAfter0x)
{
    struct Case { const char* text; uint32_t want; } cases[] = {
        {"1033", 1033}, {"  12,34", 12}, {"-1", 0xFFFFFFFF}, {"abc", 0},
        {"0x0409", 0x409}, {"0X1f", 0x1F}, {"0x123456789", 0x23456789},
        {"99999999999", 0x7FFFFFFF},
    };
    for (const auto& c : cases) EXPECT_EQ(c.want, TextToNumber(c.text)) << c.text;
}

TEST(IsInList, TrimmedCaseInsensitivePieces)
{
    EXPECT_TRUE(IsInList("WINXP, Vista ,WIN7", "vista", ","));
    EXPECT_TRUE(IsInList("a;;b", "B", ";,"));
    EXPECT_TRUE(IsInList("\tWIN7\t", "win7", ","));
    EXPECT_FALSE(IsInList("WINXP,VISTA", "WIN", ","));
    EXPECT_FALSE(IsInList("WINXP,,VISTA", "", ","));
    EXPECT_FALSE(IsInList("", "A", ","));
    EXPECT_FALSE(IsInList("A", "A", ""));
    EXPECT_FALSE(IsInList(nullptr, "A", ","));
}

TEST(IsInList, DoubleByteTrailBytesCompareExactly)
{
    // 0x83 0x41 and 0x83 0x61 are different double-byte characters, not a case pair.
    EXPECT_FALSE(IsInList("\x83\x41", "\x83\x61", ","));
    EXPECT_TRUE(IsInList("\x83\x41", "\x83\x41", ","));
}

TEST(GetToken, ConsecutiveDelimitersFormNoPiece)
{
    char out[16];
    ASSERT_TRUE(GetToken("a,,b", ",", 1, out, sizeof out));
    EXPECT_STREQ("b", out);
    ASSERT_TRUE(GetToken(",a", ",", 0, out, sizeof out));
    EXPECT_STREQ("a", out);
    EXPECT_FALSE(GetToken("a,,b", ",", 2, out, sizeof out));
    EXPECT_FALSE(GetToken("", ",", 0, out, sizeof out));
    EXPECT_FALSE(GetToken("a", ",", -1, out, sizeof out));
}

TEST(GetToken, CutsToSizeWithTerminator)
{
    char out[4] = "zzz";
    ASSERT_TRUE(GetToken("x, abcdef", ",", 1, out, sizeof out));
    EXPECT_STREQ(" ab", out);  // pieces are not trimmed
    std::string s;
    ASSERT_TRUE(GetToken(std::string("p|q r"), std::string("| "), 2, s));
    EXPECT_EQ("r", s);
}
