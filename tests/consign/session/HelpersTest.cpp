// Field access, padding, trimming, key names and registry values.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "consign/session/Helpers.h"
#include "tests/support/GbkLiteral.h"

using namespace win;

namespace {

TEST(HelpersTest, GetFieldNeedsATrailingSeparator)
{
    struct Case {
        const char *source;
        int n;
        const char *field;
    };
    const Case cases[] = {
        {"a|b|c", 1, "a"}, {"a|b|c", 2, "b"}, {"a|b|c", 3, ""}, {"a|b|c", 4, ""},
        {"a|b|c", 0, ""},  {"a|b|c", -1, ""}, {"|1001|x|", 1, ""}, {"|1001|x|", 2, "1001"},
        {"|1001|x|", 3, "x"}, {"||", 2, ""},  {"abc", 1, ""},
    };
    for (const Case &c : cases) {
        char field[256] = "stale";
        EXPECT_STREQ(GetField(c.source, field, '|', c.n, sizeof field), c.field)
            << c.source << " #" << c.n;
    }
}

TEST(HelpersTest, GetFieldIsBoundedByTheDestination)
{
    const std::string source = std::string(600, 'x') + "|";
    char field[256];
    GetField(source.c_str(), field, '|', 1, sizeof field);
    EXPECT_EQ(std::strlen(field), 255u);
    // A double-byte character is not split at the cut.
    const std::string gbk = "ab" + GbkOf(u8"买入") + "|";
    char small[5];
    EXPECT_STREQ(GetField(gbk.c_str(), small, '|', 1, sizeof small), "ab\xC2\xF2");
    char smaller[4];
    EXPECT_STREQ(GetField(gbk.c_str(), smaller, '|', 1, sizeof smaller), "ab");
}

TEST(HelpersTest, FindNthChar)
{
    EXPECT_EQ(FindNthChar("a|b|c", '|', 1), 1);
    EXPECT_EQ(FindNthChar("a|b|c", '|', 2), 3);
    EXPECT_EQ(FindNthChar("a|b|c", '|', 3), -1);
    EXPECT_EQ(FindNthChar("a|b|c", '|', 0), -1);
}

TEST(HelpersTest, PadLeftAndTrim)
{
    char text[16] = "42";
    EXPECT_STREQ(PadLeft(text, 5, '0'), "00042");
    std::strcpy(text, "1234567");
    EXPECT_STREQ(PadLeft(text, 5, '0'), "12345");
    std::strcpy(text, "12345");
    EXPECT_STREQ(PadLeft(text, 5, ' '), "12345");

    struct Case {
        const char *in;
        const char *right;
        const char *left;
        const char *both;
    };
    const Case cases[] = {
        {" \tab c\t ", " \tab c", "ab c\t ", "ab c"},
        {"", "", "", ""},
        {"  ", "", "", ""},
        {"x", "x", "x", "x"},
    };
    for (const Case &c : cases) {
        char a[32], b[32], d[32];
        std::strcpy(a, c.in);
        std::strcpy(b, c.in);
        std::strcpy(d, c.in);
        EXPECT_STREQ(TrimRight(a), c.right);
        EXPECT_STREQ(TrimLeft(b), c.left);
        EXPECT_STREQ(TrimBoth(d), c.both);
    }
}

TEST(HelpersTest, KeyNames)
{
    struct Case {
        int code;
        const char *name;
    };
    const Case cases[] = {
        {123, "F12"}, {112, "F1"}, {0x30, "0"}, {0x5A, "Z"}, {94, ""}, {0, ""}, {186, ";"},
        {220, "\\"}, {34, " (Page Dawn) "}, {96, " ([Extended]0) "}, {105, " ([Extended]9) "},
        {106, " ([Extended]*) "}, {108, ""}, {255, " (WakeUp/ShutDown) "}, {27, " (Esc) "},
    };
    for (const Case &c : cases)
        EXPECT_STREQ(GetKeyName(c.code), c.name) << c.code;
}

TEST(HelpersTest, RegistryValuesRoundTrip)
{
    const DWORD handle = 4711;
    EXPECT_EQ(WriteRegistryValue(HKEY_CURRENT_USER, "TesselConsign50", "hMainWnd", &handle, REG_DWORD,
                                 sizeof handle),
              ERROR_SUCCESS);
    DWORD read = 0, type = 0, size = sizeof read;
    ReadRegistryValue(HKEY_CURRENT_USER, "TesselConsign50", "hMainWnd", &read, &type, &size);
    EXPECT_EQ(read, handle);
    EXPECT_EQ(type, REG_DWORD);

    // A missing value leaves the buffer as it was, and reading creates the key.
    DWORD untouched = 99;
    size = sizeof untouched;
    ReadRegistryValue(HKEY_CURRENT_USER, "Software\\Lumo\\NewKey", "Missing", &untouched, &type, &size);
    EXPECT_EQ(untouched, 99u);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Lumo\\NewKey", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

} // namespace
