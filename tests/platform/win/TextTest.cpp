#include "platform/win/Text.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace win;

// Narrow literals are compiled to GBK: "中" is D6 D0.
TEST(Text, NarrowLiteralsAreGbk)
{
    EXPECT_STREQ("中", "\xD6\xD0");
    EXPECT_EQ(GbkToUtf8("中文"), std::string(reinterpret_cast<const char *>(u8"中文")));
    EXPECT_EQ(Utf8ToGbk(reinterpret_cast<const char *>(u8"年月日")), "年月日");
    EXPECT_EQ(GbkToUtf16("A中"), u"A中");
    EXPECT_EQ(Utf16ToGbk(u"B文"), "B文");
}

TEST(Text, TheFullWidthBlankA3A0ShowsAsABlank)
{
    // A sell is shown as A3 A0 before "卖": on the screen a full-width blank,
    // not a character without a glyph; file names keep their own decoding.
    EXPECT_EQ(GbkToUtf16("\xA3\xA0卖"), u"\u3000卖");
    EXPECT_EQ(GbkToUtf8("\xA3\xA0"), "\xEE\x97\xA5");
}

TEST(Text, UnmappableAndMalformedInput)
{
    // A character outside GBK encodes as '?'; a lone lead byte decodes to U+FFFD
    // and the rest of the text survives.
    EXPECT_EQ(Utf8ToGbk(reinterpret_cast<const char *>(u8"a😀b")), "a?b");
    EXPECT_EQ(GbkToUtf8("x\xD6"), "x\xEF\xBF\xBD");
    EXPECT_EQ(GbkToUtf8("\xFF" "y"), "\xEF\xBF\xBD" "y");
    EXPECT_EQ(Utf8ToGbk("\xC3"), "?");
}

TEST(Text, CuttingNeverSplitsACharacter)
{
    struct Case {
        const char *text;
        size_t max;
        const char *expect;
    } cases[] = {
        {"中国银行", 4, "中国"},
        {"中国银行", 5, "中国"},
        {"a中国", 2, "a"},
        {"a中国", 3, "a中"},
        {"abc", 10, "abc"},
        {"中", 1, ""},
        {"", 0, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GbkCut(c.text, c.max), c.expect) << c.text << " " << c.max;

    char field[9];
    std::memset(field, 'x', sizeof field);
    EXPECT_EQ(GbkCopyToField(field, sizeof field, "上海浦东发展"), 8u);
    EXPECT_EQ(std::string(field, 8), "上海浦东");
    EXPECT_EQ(field[8], '\0');
}

TEST(Text, CaseFunctionsLeaveTrailBytesAlone)
{
    // "檀" is CC B4 and "瞔" is B2 61: the trail byte 0x61 is 'a' and must not be
    // upper-cased.
    char s[] = "ab\xB2\x61z";
    CharUpperA(s);
    EXPECT_STREQ(s, "AB\xB2\x61Z");
    EXPECT_EQ(lstrcmpiA("Setting.ini", "SETTING.INI"), 0);
    EXPECT_NE(lstrcmpiA("\xB2\x61", "\xB2\x41"), 0);
    EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
    char buf[4];
    lstrcpynA(buf, "abcdef", sizeof buf);
    EXPECT_STREQ(buf, "abc");
}
