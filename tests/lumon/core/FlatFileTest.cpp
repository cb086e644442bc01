// The flat-file layer: mode strings, opening without truncation, whole-record
// reads and writes, cutting files to size.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "lumon/core/FlatFile.h"

namespace {

std::string Slurp(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spit(const char *path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(FlatFile, ParseFileMode)
{
    struct Case {
        const char *mode;
        int flags;
    } cases[] = {
        {"r", 0x11}, {"R", 0x11}, {"rb", 0x01}, {"w", 0x12}, {"wb", 0x02}, {"a", 0x32},
        {"ab", 0x22}, {"r+", 0x13}, {"r+b", 0x03}, {"w+b", 0x03}, {"a+", 0x33}, {"x", 0x11},
        {"xb", 0x01}, {"", 0x11},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseFileMode(c.mode), c.flags) << c.mode;
}

TEST(FlatFile, WriteModesNeverTruncateAndAppendStartsAtTheEnd)
{
    Spit("keep.dat", "0123456789");
    int h = FileOpen("keep.dat", "w");
    ASSERT_GE(h, 1);
    EXPECT_EQ(FileTell(h), 0);
    EXPECT_EQ(FileWrite(h, "ab", 1, 2), 2);
    FileClose(h);
    EXPECT_EQ(Slurp("keep.dat"), "ab23456789");

    h = FileOpen("keep.dat", "a");
    EXPECT_EQ(FileTell(h), 10);
    EXPECT_EQ(FileWrite(h, "XY", 2, 1), 2);
    FileClose(h);
    EXPECT_EQ(Slurp("keep.dat"), "ab23456789XY");

    h = FileOpen("keep.dat", "r+b");
    char buf[4] = {};
    EXPECT_EQ(FileSeek(h, 4, 0), 4);
    EXPECT_EQ(FileRead(h, buf, 2, 2), 4);
    EXPECT_EQ(std::string(buf, 4), "4567");
    EXPECT_EQ(FileWrite(h, "!", 1, 1), 1);
    EXPECT_EQ(FileGetSize(h), 12);
    EXPECT_EQ(FileTruncate(h, 5), 5);
    FileClose(h);
    EXPECT_EQ(Slurp("keep.dat"), "ab234");
}

TEST(FlatFile, OpeningAndItsFailures)
{
    char name[] = "Mixed.Case.dat";
    EXPECT_EQ(FileOpen(name, "rb"), -1); // read only needs an existing file
    int h = FileOpen(name, "w+b");       // the write modes create it
    ASSERT_GE(h, 1);
    FileClose(h);
    EXPECT_STREQ(name, "Mixed.Case.dat"); // the caller's text is left alone
    h = FileOpen("mixed.case.DAT", "rb"); // any spelling finds it
    EXPECT_GE(h, 1);
    FileClose(h);
    EXPECT_EQ(FileOpen("", "rb"), -1);
    EXPECT_EQ(FileOpen(name, nullptr), -1);
    char buf[8];
    EXPECT_EQ(FileRead(-1, buf, 1, 8), 0);
    EXPECT_EQ(FileWrite(0, buf, 1, 8), 0);
    EXPECT_EQ(FileGetSize(-1), -1);
    EXPECT_LT(FileTruncate(-1, 0), 0);
    FileClose(-1);
}

TEST(FlatFile, ReadsStopAtTheEndAndRefuseBadCounts)
{
    Spit("short.dat", std::string(50, 'x'));
    int h = FileOpen("short.dat", "rb");
    char buf[64];
    EXPECT_EQ(FileRead(h, buf, 32, 2), 50); // the partial record is the caller's to drop
    EXPECT_EQ(FileRead(h, buf, 32, 2), 0);
    EXPECT_EQ(FileSeek(h, 0, 0), 0);
    EXPECT_EQ(FileRead(h, buf, -32, 2), 0);
    EXPECT_EQ(FileRead(h, buf, 0x10000, 0x10000), 0);
    EXPECT_EQ(FileWrite(h, buf, 1, 1), 0); // opened for reading only
    FileClose(h);
}

} // namespace
