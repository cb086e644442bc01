// Log lines: padding to whole blocks, enciphering under the log key, and reading
// back with the openssl command.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "consign/session/Des.h"
#include "consign/session/LogFile.h"
#include "platform/win/Time.h"

using namespace win;

namespace {

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Hex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (unsigned char c : bytes) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(DesInit(0), 0);
        SetTestClock(1'800'000'000'000, 0);
        SYSTEMTIME at = {2026, 12, 0, 10, 9, 5, 7, 0};
        ASSERT_TRUE(SetLocalTime(&at));
        std::remove("Log/Consign1210.Log");
    }
    void TearDown() override { ClearTestClock(); }
};

TEST_F(LogFileTest, FileNameFollowsTheStartDate)
{
    EXPECT_STREQ(CLogFile::TodayFileName(), "Consign1210.Log");
}

// The log holds logins and orders: readable by this user alone, also a log of
// the same date left by an older version, whose lines are kept.
TEST_F(LogFileTest, TheLogIsTheUsersAlone)
{
    const mode_t oldMask = umask(022);
    struct Case {
        const char *name;
        const char *before; // null: no file yet
    } cases[] = {{"Consign1210.Log", nullptr}, {"Consign1209.Log", "old line\r\n"}};
    for (const Case &c : cases) {
        const std::string path = std::string("Log/") + c.name;
        if (c.before) {
            std::ofstream(path, std::ios::binary) << c.before;
            chmod(path.c_str(), 0644);
        }
        CLogFile log;
        ASSERT_EQ(log.Open(c.name), 1) << c.name;
        EXPECT_EQ(log.WriteLine("abc", 0), 1);
        log.Close();
        struct stat st;
        ASSERT_EQ(stat(path.c_str(), &st), 0) << c.name;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << c.name;
        EXPECT_EQ(ReadAll(path), std::string(c.before ? c.before : "") + "09:05:07-abc  \r\n") << c.name;
        std::remove(path.c_str());
    }
    umask(oldMask);
}

TEST_F(LogFileTest, LinesArePaddedToWholeBlocks)
{
    struct Case {
        std::string text;
        std::string line; // before enciphering
    };
    const Case cases[] = {
        {"abc", "09:05:07-abc  \r\n"},                        // the known 16-byte line
        {"abcdef", "09:05:07-abcdef" + std::string(7, ' ') + "\r\n"}, // L mod 8 = 7
        {"abcde", "09:05:07-abcde\r\n"},                     // L mod 8 = 6
        {"abcdefg", "09:05:07-abcdefg" + std::string(6, ' ') + "\r\n"}, // L mod 8 = 0
        {std::string(400, 'x'), "09:05:07-" + std::string(300, 'x') + " \r\n"}, // cut at 300
    };
    CLogFile log;
    ASSERT_EQ(log.Open("Consign1210.Log"), 1);
    std::string expected;
    for (const Case &c : cases) {
        EXPECT_EQ(log.WriteLine(c.text.c_str(), 0), 1);
        expected += c.line;
    }
    log.Close();
    EXPECT_EQ(ReadAll("Log/Consign1210.Log"), expected);
}

TEST_F(LogFileTest, EncipheredLinesReadBackWithOpenssl)
{
    {
        CLogFile log;
        ASSERT_EQ(log.Open("Consign1210.Log"), 1);
        EXPECT_EQ(log.WriteLine("abc", 1), 1);
    }
    EXPECT_EQ(Hex(ReadAll("Log/Consign1210.Log")), "307be276ebf291d55d1b4bc08ac9acb3");

    // Reopening appends; GBK text and a long text are enciphered as written.
    const std::string chinese = "委托发送 IF2612 买入 1手";
    {
        CLogFile log;
        ASSERT_EQ(log.Open("Consign1210.Log"), 1);
        EXPECT_EQ(log.WriteLine(chinese.c_str(), 1), 1);
        EXPECT_EQ(log.WriteLine(std::string(250, 'y').c_str(), 1), 1);
    }
    const int rc = std::system("openssl enc -d -des-ecb -nopad -provider legacy -provider default "
                               "-K 7772656e666f6c64 -in Log/Consign1210.Log -out plain.txt");
    ASSERT_EQ(rc, 0);
    const std::string plain = ReadAll("plain.txt");
    std::string expected = "09:05:07-abc  \r\n";
    std::string line = "09:05:07-" + chinese;
    line += std::string((line.size() / 8 * 8 + 8) - line.size() - 2, ' ') + "\r\n";
    expected += line;
    expected += "09:05:07-" + std::string(250, 'y') + std::string(3, ' ') + "\r\n";
    EXPECT_EQ(plain, expected);
    EXPECT_EQ(plain.size() % 8, 0u);
}

TEST_F(LogFileTest, WritingWithoutAnOpenFileFailsQuietly)
{
    CLogFile log;
    EXPECT_EQ(log.WriteLine("nothing", 1), 0);
}

} // namespace
