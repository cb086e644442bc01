#include "platform/win/TStringList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win/Profile.h"

using namespace win;
using namespace std::string_literals;

namespace {

std::string Bytes(const AnsiString &s) { return std::string(s.c_str(), static_cast<size_t>(s.Length())); }

std::vector<std::string> Lines(const TStringList &list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(Bytes(list[i]));
    return out;
}

std::string FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(TStringList, EditingAndLookup)
{
    TStringList list;
    EXPECT_EQ(list.Add("[板块一]"), 0);
    EXPECT_EQ(list.Add("\x81\x61"), 1);
    EXPECT_TRUE(list.Insert(1, "10600000"));
    EXPECT_TRUE(list.Insert(3, "end"));
    EXPECT_FALSE(list.Insert(5, "beyond"));
    EXPECT_FALSE(list.Insert(-1, "before"));
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"[板块一]", "10600000", "\x81\x61", "end"}));

    EXPECT_EQ(list.IndexOf("[板块一]"), 0);
    EXPECT_EQ(list.IndexOf("END"), 3);
    EXPECT_EQ(list.IndexOf("\x81\x41"), -1); // a trail byte is not a letter
    EXPECT_EQ(list.IndexOf("missing"), -1);

    EXPECT_TRUE(list.Delete(1));
    EXPECT_FALSE(list.Delete(3));
    EXPECT_FALSE(list.Delete(-1));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Strings(7), "");
    EXPECT_EQ(list[-1], "");

    TStringList copy;
    copy.Assign(list);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(copy.Count(), 3);
}

TEST(TStringList, TextSplitsAtEveryLineEnd)
{
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\n", {""}},
        {"", {}},
        {"中\0文\r\n"s, {"中\0文"s}}, // NUL bytes are text, not the end of it
        {"\xB0\x5D\xD5\x5C\n", {"\xB0\x5D\xD5\x5C"}},
    };
    for (const Case &c : cases) {
        TStringList list;
        list.SetText(AnsiString(c.text.data(), static_cast<int>(c.text.size())));
        EXPECT_EQ(Lines(list), c.lines) << c.text;
    }
    TStringList list;
    list.Add("a");
    list.Add("");
    EXPECT_EQ(Bytes(list.Text()), "a\r\n\r\n");
}

TEST(TStringList, FilesKeepTheirBytesAndGainCrlf)
{
    std::filesystem::create_directories("strlist/cfg");
    std::ofstream("strlist/cfg/blocks.ini", std::ios::binary) << "[自选]\n10600000\r\n\0x\n"s << "last";

    TStringList list;
    list.Add("unchanged on failure");
    EXPECT_FALSE(list.LoadFromFile("strlist\\cfg\\none.ini"));
    EXPECT_EQ(list.Count(), 1);

    ASSERT_TRUE(list.LoadFromFile("strlist\\CFG\\BLOCKS.INI"));
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"[自选]", "10600000", "\0x"s, "last"}));
    ASSERT_TRUE(list.SaveToFile("strlist\\cfg\\blocks.ini"));
    EXPECT_EQ(FileBytes("strlist/cfg/blocks.ini"), "[自选]\r\n10600000\r\n\0x\r\nlast\r\n"s);

    EXPECT_FALSE(list.SaveToFile("strlist\\no_such_folder\\blocks.ini"));
}

// A block is rewritten through the string list and read back at once through the
// private-profile calls, which must not answer from an old copy of the file.
TEST(TStringList, BlockRewriteIsSeenByProfileReads)
{
    std::filesystem::create_directories("blockrw/cfg");
    std::ofstream("blockrw/cfg/blocks.ini", std::ios::binary)
        << "[自选]\r\n10600000\r\n10600001\r\n[其他]\r\n20000001\r\n";
    const char *file = "blockrw\\cfg\\blocks.ini";
    char buf[256];
    EXPECT_EQ(GetPrivateProfileSectionA("自选", buf, sizeof buf, file), 18u);

    TStringList list;
    ASSERT_TRUE(list.LoadFromFile(file));
    int header = list.IndexOf("[自选]");
    ASSERT_EQ(header, 0);
    while (header + 1 < list.Count() && !(list[header + 1].Pos("[") && list[header + 1].Pos("]")))
        list.Delete(header + 1);
    list.Insert(header + 1, "10600009");
    list.Insert(header + 1, "10600008");
    ASSERT_TRUE(list.SaveToFile(file));

    std::memset(buf, 0, sizeof buf);
    ASSERT_EQ(GetPrivateProfileSectionA("自选", buf, sizeof buf, file), 18u);
    EXPECT_STREQ(buf, "10600008");
    EXPECT_STREQ(buf + 9, "10600009");
    EXPECT_EQ(FileBytes("blockrw/cfg/blocks.ini"), "[自选]\r\n10600008\r\n10600009\r\n[其他]\r\n20000001\r\n");
}
