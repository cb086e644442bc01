#include "platform/win/AnsiString.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace win;

// GBK characters whose trail byte is an ASCII character: "\xB2\x61" ends in 'a',
// "\x81\x5C" ends in '\'.

TEST(AnsiString, ConstructionAndConcatenation)
{
    EXPECT_STREQ(AnsiString().c_str(), "");
    EXPECT_STREQ(AnsiString(static_cast<const char *>(nullptr)).c_str(), "");
    EXPECT_EQ(AnsiString("abc", 2), "ab");
    EXPECT_EQ(AnsiString("abc", -1), "");
    EXPECT_EQ(AnsiString(-12), "-12");
    EXPECT_EQ("a" + AnsiString("b") + 'c' + 5, "abc5");
    AnsiString s("abc");
    EXPECT_EQ(s.SetLength(2), "ab");
    EXPECT_EQ(s.SetLength(-1), "");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_LT(AnsiString("abc"), AnsiString("\xB2\x61"));
}

TEST(AnsiString, SubStringIsOneBasedAndClamped)
{
    struct Case {
        int index, count;
        const char *expect;
    } cases[] = {
        {1, 3, "abc"}, {0, 3, "abc"}, {-5, 2, "ab"},       {4, 100, "def"},
        {6, 1, "f"},   {7, 1, ""},    {3, 0, ""},          {3, -1, ""},
        {1, INT_MAX, "abcdef"},       {INT_MAX, 1, ""},    {INT_MIN, 2, "ab"},
    };
    AnsiString s("abcdef");
    for (const auto &c : cases)
        EXPECT_EQ(s.SubString(c.index, c.count), c.expect) << c.index << "," << c.count;
    EXPECT_EQ(AnsiString().SubString(1, 1), "");
}

TEST(AnsiString, PosIsOneBasedAndMatchesWholeCharacters)
{
    struct Case {
        const char *text, *sub;
        int expect;
    } cases[] = {
        {"abcabc", "bc", 2},
        {"abc", "", 0},
        {"abc", "abcd", 0},
        {"", "a", 0},
        {"LMPAGE3.PPG", ".", 8},
        {"\xB2\x61" "a", "a", 3},
        {"C:\x81\x5C" "x\\y", "\\", 6},
        {"\xB2\x61", "a", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AnsiString(c.text).Pos(c.sub), c.expect) << c.text << " / " << c.sub;
}

TEST(AnsiString, InsertAndDeleteClampTheirIndex)
{
    struct Case {
        bool insert;
        int index, count;
        const char *expect;
    } cases[] = {
        {true, 0, 0, "XYabc"},  {true, 2, 0, "aXYbc"},  {true, 4, 0, "abcXY"}, {true, 10, 0, "abcXY"},
        {false, 2, 1, "ac"},    {false, 2, 100, "a"},   {false, 0, 1, "abc"},  {false, 4, 1, "abc"},
        {false, 1, 0, "abc"},   {false, 1, -2, "abc"},
    };
    for (const auto &c : cases) {
        AnsiString s("abc");
        if (c.insert)
            s.Insert("XY", c.index);
        else
            s.Delete(c.index, c.count);
        EXPECT_EQ(s, c.expect) << c.insert << " " << c.index << "," << c.count;
    }
}

TEST(AnsiString, TrimmingAndCase)
{
    AnsiString s(" \t ab c \r\n");
    EXPECT_EQ(s.Trim(), "ab c");
    EXPECT_EQ(s.TrimLeft(), "ab c \r\n");
    EXPECT_EQ(s.TrimRight(), " \t ab c");
    EXPECT_EQ(AnsiString(" \r\n ").Trim(), "");
    // The full-width blank is a character, not padding.
    EXPECT_EQ(AnsiString("\xA1\xA1" "x ").Trim(), "\xA1\xA1" "x");

    EXPECT_EQ(AnsiString("ab\xB2\x61" "z中").UpperCase(), "AB\xB2\x61" "Z中");
    EXPECT_EQ(AnsiString("AB\xB2\x41" "Z").LowerCase(), "ab\xB2\x41" "z");
    EXPECT_EQ(AnsiString("..\\Cfg\\Default.ppg").AnsiCompareIC("..\\CFG\\DEFAULT.PPG"), 0);
    EXPECT_NE(AnsiString("\xB2\x61").AnsiCompareIC("\xB2\x41"), 0);
    EXPECT_LT(AnsiString("abc").AnsiCompareIC("ABD"), 0);
    EXPECT_GT(AnsiString("b").AnsiCompare("a"), 0);
}

TEST(AnsiString, NumberConversionsRefuseBadText)
{
    struct Case {
        const char *text;
        bool valid;
        int value;
    } cases[] = {
        {"123", true, 123},          {"  -42", true, -42},        {"+7", true, 7},
        {"$1F", true, 31},           {"0x10", true, 16},          {"$FFFFFFFF", true, -1},
        {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN},
        {"2147483648", false, 0},    {"99999999999999999999", false, 0},
        {"12a", false, 0},           {"12 ", false, 0},           {"", false, 0},
        {"-", false, 0},             {"1.5", false, 0},           {"$", false, 0},
        {"+-5", false, 0},           {"\t5", false, 0},
    };
    for (const auto &c : cases) {
        AnsiString s(c.text);
        EXPECT_EQ(s.ToInt(), c.valid ? c.value : 0) << c.text;
        EXPECT_EQ(s.ToIntDef(-9), c.valid ? c.value : -9) << c.text;
    }

    struct DoubleCase {
        const char *text;
        double value;
    } doubles[] = {
        {"1.5", 1.5}, {" -2.25e2 ", -225.0}, {"+.5", 0.5}, {"abc", 0.0}, {"1,5", 0.0},
        {"inf", 0.0}, {"nan", 0.0},          {"", 0.0},    {"1e", 0.0},  {"--1", 0.0},
    };
    for (const auto &c : doubles)
        EXPECT_DOUBLE_EQ(AnsiString(c.text).ToDouble(), c.value) << c.text;
}

TEST(AnsiString, SprintfOfAnyLengthAndOfItself)
{
    AnsiString s;
    std::string longText(5000, 'x');
    s.sprintf("%s-%02d", longText.c_str(), 7);
    EXPECT_EQ(s.Length(), 5003);
    EXPECT_EQ(s.SubString(5000, 10), "x-07");

    AnsiString dir("/inst/cfg\\");
    dir.sprintf("%ssetting.ini", dir.c_str());
    EXPECT_EQ(dir, "/inst/cfg\\setting.ini");
}

TEST(AnsiString, IndexingOutsideTheTextTouchesNothing)
{
    AnsiString s("abc");
    const AnsiString &cs = s;
    EXPECT_EQ(cs[1], 'a');
    EXPECT_EQ(cs[3], 'c');
    EXPECT_EQ(cs[0], '\0');
    EXPECT_EQ(cs[4], '\0');
    s[2] = 'B';
    s[0] = 'x';
    s[4] = 'y';
    s[-1] = 'z';
    EXPECT_EQ(s, "aBc");
    EXPECT_EQ(s.Length(), 3);
}
