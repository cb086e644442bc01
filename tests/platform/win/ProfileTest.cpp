#include "platform/win/Profile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace win;
using namespace std::string_literals;

namespace {

// Each test works on its own folder below the sandbox's working folder and
// names its files the Windows way ("<folder>\name.ini").
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::string("profile_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char &c : folder_)
            if (c == '/')
                c = '_';
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directory(folder_);
    }
    std::string Native(const std::string &name) const { return folder_ + "/" + name; }
    std::string Win(const std::string &name) const { return folder_ + "\\" + name; }
    void Put(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(Native(name), std::ios::binary) << bytes;
    }
    std::string Get(const std::string &name) const
    {
        std::ifstream in(Native(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string Read(const std::string &file, const char *section, const char *key, const char *def = "",
                     DWORD size = 256) const
    {
        std::vector<char> buf(size + 1, '#');
        DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), size, Win(file).c_str());
        EXPECT_EQ(n, std::strlen(buf.data()));
        return std::string(buf.data(), n);
    }

    std::string folder_;
};

// The NUL-separated strings of a list buffer, up to the empty string that ends it.
std::vector<std::string> SplitList(const char *buf, DWORD length)
{
    std::vector<std::string> out;
    for (DWORD i = 0; i < length && buf[i];) {
        out.emplace_back(buf + i);
        i += static_cast<DWORD>(out.back().size()) + 1;
    }
    return out;
}

const char kSettings[] =
    "; written by hand\r\n"
    "[Config]\r\n"
    "Client Mode = 1\r\n"
    "  UseCmdLine=  7  \n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='abc'\r\n"
    "Mismatch=\"abc'\r\n"
    "Inline=5 ; not a comment\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "; Hidden=1\r\n"
    "[config]\r\n"
    "Client Mode=2\r\n"
    "[板块]\r\n"
    "名称=中文值\r\n"
    "[\x81\x61]\r\n"
    "k=lower trail\r\n"
    "[\x81\x41]\r\n"
    "k=upper trail\r\n"
    "[\xB0\x5D名]\r\n"
    "k=bracket trail\r\n"
    "[Open\r\n"
    "Key=in open section";

} // namespace

TEST_F(ProfileTest, LookupRules)
{
    Put("setting.ini", kSettings);
    struct Case {
        const char *section;
        const char *key;
        const char *def;
        const char *expect;
    } cases[] = {
        {"config", "client mode", "d", "1"},         // case-insensitive; the first section wins
        {"CONFIG", "USECMDLINE", "d", "7"},          // blanks trimmed, LF line end
        {" Config ", " UseCmdLine ", "d", "7"},      // the names asked for are trimmed too
        {"Config", "Quoted", "d", "  spaced  "},     // one pair of quotes removed
        {"Config", "Single", "d", "abc"},
        {"Config", "Mismatch", "d", "\"abc'"},
        {"Config", "Inline", "d", "5 ; not a comment"},
        {"Config", "Empty", "d", ""},                // present but empty: no default
        {"Config", "NoEquals", "d", "d"},            // a line without '=' is no key
        {"Config", "; Hidden", "d", "1"},            // no comments: the key is "; Hidden"
        {"Config", "Hidden", "d", "d"},
        {"Config", "Missing", "dflt  ", "dflt"},     // the default loses trailing blanks
        {"Config", "Missing", nullptr, ""},
        {"Nowhere", "Key", "d", "d"},
        {"板块", "名称", "d", "中文值"},
        {"\x81\x61", "k", "d", "lower trail"},       // trail bytes are never case-folded
        {"\x81\x41", "K", "d", "upper trail"},
        {"\xB0\x5D名", "k", "d", "bracket trail"},   // a ']' trail byte does not close the name
        {"Open", "Key", "d", "d"},                   // a header without its ']' is an ordinary line
        {"\xB0\x5D名", "Key", "d", "in open section"}, // of the section before it
    };
    for (const Case &c : cases)
        EXPECT_EQ(Read("setting.ini", c.section, c.key, c.def), c.expect) << c.section << "/" << c.key;
    // The name is matched without regard to case on disk as well.
    std::vector<char> buf(64);
    EXPECT_EQ(GetPrivateProfileStringA("config", "single", "", buf.data(), 64,
                                       (folder_ + "\\SETTING.INI").c_str()), 3u);
    EXPECT_EQ(Read("missing.ini", "Config", "Single", "none"), "none");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(ProfileTest, ValueTruncationNeverSplitsACharacter)
{
    Put("t.ini", "[S]\r\nv=abcdef\r\ng=中文值\r\n");
    struct Case {
        const char *key;
        DWORD size;
        DWORD result;
        const char *expect;
    } cases[] = {
        {"v", 7, 6, "abcdef"}, {"v", 6, 5, "abcde"}, {"v", 2, 1, "a"}, {"v", 1, 0, ""},
        {"g", 7, 6, "中文值"}, {"g", 6, 4, "中文"}, {"g", 5, 4, "中文"}, {"g", 2, 0, ""},
        {"none", 4, 3, "def"}, // a default is cut the same way
    };
    for (const Case &c : cases) {
        char buf[16];
        std::memset(buf, '#', sizeof buf);
        DWORD n = GetPrivateProfileStringA("S", c.key, "default", buf, c.size, Win("t.ini").c_str());
        EXPECT_EQ(n, c.result) << c.key << " " << c.size;
        EXPECT_STREQ(buf, c.expect) << c.key << " " << c.size;
        EXPECT_EQ(buf[c.size], '#') << "wrote past the buffer";
    }
    char untouched = '#';
    EXPECT_EQ(GetPrivateProfileStringA("S", "v", "", &untouched, 0, Win("t.ini").c_str()), 0u);
    EXPECT_EQ(untouched, '#');
}

TEST_F(ProfileTest, ListsOfSectionsKeysAndLines)
{
    Put("l.ini", "junk before any section\r\n"
                 "[A]\r\nk1=v\r\n; note\r\nK2 = w\r\n0160000\r\n0160000\r\n\r\n"
                 "[BB]\r\nx=1\r\n"
                 "[a]\r\nk3=v\r\n"
                 "[分组]\r\n名称=文件.ini\r\n"
                 "[Empty]\r\n");
    const std::string file = Win("l.ini");
    struct Case {
        const char *what; // "names", "keys" or "lines"
        const char *section;
        DWORD size;
        DWORD result;
        std::vector<std::string> expect;
    } cases[] = {
        {"names", nullptr, 64, 18, {"A", "BB", "a", "分组", "Empty"}}, // every header, [A] and [a] both
        {"names", nullptr, 19, 18, {"A", "BB", "a", "分组", "Empty"}},
        {"names", nullptr, 18, 16, {"A", "BB", "a", "分组", "Empt"}},
        {"names", nullptr, 11, 9, {"A", "BB", "a", "分"}},
        {"names", nullptr, 10, 8, {"A", "BB", "a"}}, // "分组" would be split: cut before it
        {"names", nullptr, 4, 2, {"A"}},
        {"names", nullptr, 2, 0, {}},
        {"keys", "a", 64, 6, {"k1", "K2"}}, // the first [A] only, key lines only
        {"lines", "A", 64, 33, {"k1=v", "; note", "K2=w", "0160000", "0160000"}}, // bare lines kept, duplicates too
        {"lines", "A", 9, 7, {"k1=v", "; "}},
        {"lines", "分组", 64, 14, {"名称=文件.ini"}},
        {"lines", "Empty", 64, 0, {}},
    };
    for (const Case &c : cases) {
        std::vector<char> buf(c.size + 1, '#');
        DWORD n = 0;
        if (std::string(c.what) == "names")
            n = GetPrivateProfileSectionNamesA(buf.data(), c.size, file.c_str());
        else if (std::string(c.what) == "keys")
            n = GetPrivateProfileStringA(c.section, nullptr, "", buf.data(), c.size, file.c_str());
        else
            n = GetPrivateProfileSectionA(c.section, buf.data(), c.size, file.c_str());
        SCOPED_TRACE(std::string(c.what) + " " + std::to_string(c.size));
        EXPECT_EQ(n, c.result);
        EXPECT_EQ(SplitList(buf.data(), c.size), c.expect);
        EXPECT_EQ(buf[n], '\0');
        EXPECT_EQ(buf[n + 1], n == c.size - 2 ? '\0' : n == 0 ? '\0' : '#') << "the list's end";
        EXPECT_EQ(buf[c.size], '#') << "wrote past the buffer";
    }
    // The section-name list also comes from a null section with any key.
    char buf[64];
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, "ignored", "", buf, 64, file.c_str()), 18u);
}

// Files written by hand or by older versions, read and written as the Windows
// private-profile calls do. Each case gives the file (none when null), the call and
// what it answers: the result, and the buffer up to and including its end (the
// NULs of a list), or the file afterwards for a write.
TEST_F(ProfileTest, ConstructsReadAsWindowsReadsThem)
{
    enum Op { String, Int, Section, Names, Write };
    struct Case {
        const char *what;
        std::optional<std::string> file;
        Op op;
        const char *section;
        const char *key;
        const char *arg; // the default, or the value written
        DWORD result;
        std::string expect;
    };
    const std::string comments = "[S]\r\n;x=1\r\nk=2\r\n";
    const std::string bare = "[S]\r\nbare\r\nk=1\r\n[E]\r\nonly bare\r\n";
    const std::string dups = "[S]\r\nKey=1\r\nkey=2\r\n=3\r\nKEY=4\r\n[A]\r\nx=1\r\n[a]\r\ny=2\r\n";
    const std::string brackets = "[B]x]\r\nk=1\r\n[C\r\nm=2\r\n";
    const std::string top = "top=1\r\n[]\r\ntop=2\r\nk=3\r\n[T]\r\nt=1\r\n";
    const std::string nul = "[S]\r\n\0k3=x\r\nv=a\0b\r\n"s;
    const Case cases[] = {
        // No comments: ";x=1" is the key ";x".
        {"comment read", comments, String, "S", ";x", "d", 1, "1\0"s},
        {"comment listed", comments, String, "S", nullptr, "d", 5, ";x\0k\0\0"s},
        {"comment in section", comments, Section, "S", nullptr, nullptr, 9, ";x=1\0k=2\0\0"s},
        // A line without '=' is no key, but a line of the section.
        {"bare read", bare, String, "S", "bare", "d", 1, "d\0"s},
        {"bare not listed", bare, String, "S", nullptr, "d", 2, "k\0\0"s},
        {"bare in section", bare, Section, "S", nullptr, nullptr, 9, "bare\0k=1\0\0"s},
        // Every key line listed as written; a read takes the first match.
        {"keys as written", dups, String, "s", nullptr, "", 13, "Key\0key\0\0KEY\0\0"s},
        {"first key wins", dups, String, "S", "KEY", "", 1, "1\0"s},
        {"empty key name", dups, String, "S", "", "", 1, "3\0"s},
        {"sections as written", dups, Names, nullptr, nullptr, nullptr, 6, "S\0A\0a\0\0"s},
        {"first section wins", dups, String, "a", "x", "", 1, "1\0"s},
        {"later section unread", dups, String, "A", "y", "d", 1, "d\0"s},
        // Key lists and reads of what is not there give the default.
        {"no section: key list", dups, String, "Nowhere", nullptr, "dflt", 4, "dflt\0"s},
        {"no keys: key list", bare, String, "E", nullptr, "dflt", 4, "dflt\0"s},
        {"no file: key list", std::nullopt, String, "S", nullptr, "dflt", 4, "dflt\0"s},
        {"no file: read", std::nullopt, String, "S", "k", "dflt", 4, "dflt\0"s},
        {"no section: read", dups, String, "Nowhere", "k", "dflt", 4, "dflt\0"s},
        // A default loses its quotes as a value does, after its trailing blanks.
        {"quoted default", dups, String, "S", "none", "\"a b \"  ", 4, "a b \0"s},
        {"single-quoted default", dups, String, "S", "none", "'x'", 1, "x\0"s},
        {"lone quote default", dups, String, "S", "none", "\"", 1, "\"\0"s},
        // A header runs to the line's last ']'; '[' without ']' is an ordinary line.
        {"last bracket", brackets, String, "B]x", "k", "d", 1, "1\0"s},
        {"first bracket", brackets, String, "B", "k", "d", 1, "d\0"s},
        {"open header", brackets, String, "B]x", "m", "d", 1, "2\0"s},
        {"open header line", brackets, Section, "B]x", nullptr, nullptr, 11, "k=1\0[C\0m=2\0\0"s},
        {"open header no section", brackets, String, "C", "m", "d", 1, "d\0"s},
        // Lines before the first header form the section ""; a later [] is never read.
        {"top section", top, String, "", "top", "d", 1, "1\0"s},
        {"second empty section", top, String, "", "k", "d", 1, "d\0"s},
        {"top lines", top, Section, "", nullptr, nullptr, 6, "top=1\0\0"s},
        {"empty names unlisted", top, Names, nullptr, nullptr, nullptr, 2, "T\0\0"s},
        // Only a lower-case "0x" is hexadecimal.
        {"hex", "[P]\r\na=0x1F\r\n", Int, "P", "a", nullptr, 31, ""},
        {"upper hex", "[P]\r\na=0X1F\r\n", Int, "P", "a", nullptr, 0, ""},
        // A NUL ends a name or a value.
        {"nul name", nul, String, "S", "", "d", 1, "x\0"s},
        {"nul name not k3", nul, String, "S", "k3", "d", 1, "d\0"s},
        {"nul value", nul, String, "S", "v", "d", 1, "a\0"s},
        {"nul in section", nul, Section, "S", nullptr, nullptr, 7, "=x\0v=a\0\0"s},
        // Writes: all null only flushes and answers 0; the section "" is the top;
        // the first line of a name is the one written, also a line without '='.
        {"flush", dups, Write, nullptr, nullptr, nullptr, FALSE, dups},
        {"write top", "[A]\r\nk=1\r\n", Write, "", "n", "v", TRUE, "n=v\r\n[A]\r\nk=1\r\n"},
        {"write after top", top, Write, "", "n", "v", TRUE, "top=1\r\nn=v\r\n[]\r\ntop=2\r\nk=3\r\n[T]\r\nt=1\r\n"},
        {"write bare", bare, Write, "S", "BARE", "v", TRUE, "[S]\r\nbare=v\r\nk=1\r\n[E]\r\nonly bare\r\n"},
        {"write first dup", dups, Write, "S", "key", "9", TRUE,
         "[S]\r\nKey=9\r\nkey=2\r\n=3\r\nKEY=4\r\n[A]\r\nx=1\r\n[a]\r\ny=2\r\n"},
        {"write comment key", comments, Write, "S", ";x", "5", TRUE, "[S]\r\n;x=5\r\nk=2\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(Native("c.ini"));
        if (c.file)
            Put("c.ini", *c.file);
        const std::string file = Win("c.ini");
        char buf[64];
        std::memset(buf, '#', sizeof buf);
        DWORD n = 0;
        switch (c.op) {
        case String: n = GetPrivateProfileStringA(c.section, c.key, c.arg, buf, 64, file.c_str()); break;
        case Int: n = GetPrivateProfileIntA(c.section, c.key, 7, file.c_str()); break;
        case Section: n = GetPrivateProfileSectionA(c.section, buf, 64, file.c_str()); break;
        case Names: n = GetPrivateProfileSectionNamesA(buf, 64, file.c_str()); break;
        case Write: n = static_cast<DWORD>(WritePrivateProfileStringA(c.section, c.key, c.arg, file.c_str())); break;
        }
        EXPECT_EQ(n, c.result);
        if (c.op == Write) {
            EXPECT_EQ(Get("c.ini"), c.expect);
        } else if (c.op != Int) {
            EXPECT_EQ(std::string(buf, c.expect.size()), c.expect);
        }
    }
}

TEST_F(ProfileTest, IntegerParsing)
{
    Put("i.ini", "[P]\r\na=12\r\nb= -5\r\nc=+7\r\nd=0x1F\r\ne=0X1f\r\nf=12abc\r\ng=abc\r\nh=\r\n"
                 "i='42'\r\nj=0x\r\nk=4294967297\r\n");
    struct Case {
        const char *key;
        INT def;
        UINT expect;
    } cases[] = {
        {"a", 9, 12u}, {"b", 9, static_cast<UINT>(-5)}, {"c", 9, 7u}, {"d", 9, 31u}, {"e", 9, 0u}, // "0X" is no hex prefix
        {"f", 9, 12u}, {"g", 9, 0u},  // non-numeric text gives 0, not the default
        {"h", 9, 9u},                 // an empty value gives the default
        {"i", 9, 42u}, {"j", 9, 0u}, {"k", 9, 1u}, // 32-bit wrap-around
        {"missing", -1, static_cast<UINT>(-1)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GetPrivateProfileIntA("P", c.key, c.def, Win("i.ini").c_str()), c.expect) << c.key;
    EXPECT_EQ(GetPrivateProfileIntA("P", "a", 3, Win("none.ini").c_str()), 3u);
}

// Every edit changes only the lines it concerns: comments, spacing, LF line ends,
// GBK bytes and the other sections stay byte for byte.
TEST_F(ProfileTest, WritesKeepTheRestOfTheFile)
{
    const std::string original = "; 设置\n"
                                 "[One]\n"
                                 "  a = 1   ; odd spacing\n"
                                 "b=2\n"
                                 "\n"
                                 "; about two\r\n"
                                 "[Two]\r\n"
                                 "名称=值\r\n"
                                 "\r\n"
                                 "[Three]\r\n"
                                 "z=9";
    struct Case {
        const char *name;
        const char *section;
        const char *key;
        const char *value;
        std::string expect;
    } cases[] = {
        {"replace", "one", "A", "new", "; 设置\n[One]\na=new\r\nb=2\n\n; about two\r\n[Two]\r\n名称=值\r\n\r\n[Three]\r\nz=9"},
        {"keep spelling", "ONE", "B", "3", "; 设置\n[One]\n  a = 1   ; odd spacing\nb=3\r\n\n; about two\r\n[Two]\r\n名称=值\r\n\r\n[Three]\r\nz=9"},
        {"add key", "One", "c", "x", "; 设置\n[One]\n  a = 1   ; odd spacing\nb=2\n\n; about two\r\nc=x\r\n[Two]\r\n名称=值\r\n\r\n[Three]\r\nz=9"},
        {"add key gbk", "Two", "键", "中", "; 设置\n[One]\n  a = 1   ; odd spacing\nb=2\n\n; about two\r\n[Two]\r\n名称=值\r\n键=中\r\n\r\n[Three]\r\nz=9"},
        {"add to last", "Three", "y", "8", original + "\r\ny=8\r\n"},
        {"add section", "Four", "k", "v", original + "\r\n[Four]\r\nk=v\r\n"},
        {"delete key", "One", "a", nullptr, "; 设置\n[One]\nb=2\n\n; about two\r\n[Two]\r\n名称=值\r\n\r\n[Three]\r\nz=9"},
        {"delete section", "TWO", nullptr, nullptr, "; 设置\n[One]\n  a = 1   ; odd spacing\nb=2\n\n; about two\r\n[Three]\r\nz=9"},
        {"delete last section", "Three", nullptr, nullptr, "; 设置\n[One]\n  a = 1   ; odd spacing\nb=2\n\n; about two\r\n[Two]\r\n名称=值\r\n\r\n"},
        {"same value", "One", "b", "2", original},
        {"delete missing key", "One", "q", nullptr, original},
        {"delete missing section", "Nine", nullptr, nullptr, original},
    };
    for (const Case &c : cases) {
        Put("w.ini", original);
        EXPECT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value, Win("w.ini").c_str())) << c.name;
        EXPECT_EQ(Get("w.ini"), c.expect) << c.name;
    }
}

TEST_F(ProfileTest, NewFilesAreCrlfAndDeletesCreateNothing)
{
    EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "v", Win("new.ini").c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("S", "k2", "v2", Win("new.ini").c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("T", "k", "", Win("new.ini").c_str()));
    EXPECT_EQ(Get("new.ini"), "[S]\r\nk=v\r\nk2=v2\r\n[T]\r\nk=\r\n");

    EXPECT_TRUE(WritePrivateProfileStringA("S", "k", nullptr, Win("absent.ini").c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("S", nullptr, nullptr, Win("absent.ini").c_str()));
    EXPECT_FALSE(std::filesystem::exists(Native("absent.ini")));

    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", Win("no_such_folder\\x.ini").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    // No temporary file is left behind.
    size_t files = 0;
    for ([[maybe_unused]] const auto &e : std::filesystem::directory_iterator(folder_))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(ProfileTest, TextThatWouldBreakTheFileIsRefused)
{
    const std::string original = "[S]\r\nk=v\r\n";
    struct Case {
        const char *section;
        const char *key;
        const char *value;
    } cases[] = {
        {"S", "k", "x\r\n[Injected]\r\ny=1"},
        {"S", "a=b", "v"},
        {"S", "[k", "v"},
        {"S]x", "k", "v"},
        {"S\n", "k", "v"},
        {nullptr, "k", "v"},
    };
    for (const Case &c : cases) {
        Put("r.ini", original);
        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileStringA(c.section, c.key, c.value, Win("r.ini").c_str()));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        EXPECT_EQ(Get("r.ini"), original);
    }
    // A ']' that is the trail byte of a double-byte character is part of the name.
    EXPECT_TRUE(WritePrivateProfileStringA("\xB0\x5D", "k", "ok", Win("r.ini").c_str()));
    EXPECT_EQ(Read("r.ini", "\xB0\x5D", "k"), "ok");
    // A key starting with ';' is an ordinary key and reads back.
    EXPECT_TRUE(WritePrivateProfileStringA("S", ";k", "v", Win("r.ini").c_str()));
    EXPECT_EQ(Read("r.ini", "S", ";k"), "v");
}

TEST_F(ProfileTest, SectionWritesReplaceOnlyThatSection)
{
    Put("s.ini", "[A]\r\n; keep?\r\nold=1\r\nold2\r\n\r\n[B]\r\nb=1\r\n");
    EXPECT_TRUE(WritePrivateProfileSectionA("a", "x=1\0" "0160000\0", Win("s.ini").c_str()));
    EXPECT_EQ(Get("s.ini"), "[A]\r\nx=1\r\n0160000\r\n\r\n[B]\r\nb=1\r\n");
    EXPECT_TRUE(WritePrivateProfileSectionA("C", "c=3\0", Win("s.ini").c_str()));
    EXPECT_EQ(Get("s.ini"), "[A]\r\nx=1\r\n0160000\r\n\r\n[B]\r\nb=1\r\n[C]\r\nc=3\r\n");
    EXPECT_FALSE(WritePrivateProfileSectionA("C", "ok=1\0[D]\0", Win("s.ini").c_str()));
    EXPECT_TRUE(WritePrivateProfileSectionA("B", nullptr, Win("s.ini").c_str()));
    EXPECT_EQ(Get("s.ini"), "[A]\r\nx=1\r\n0160000\r\n\r\n[C]\r\nc=3\r\n");
}

// Binary bytes, NULs, a line of megabytes, lone CR line ends and a header without
// its ']' read in a defined way, and a write keeps all of them.
TEST_F(ProfileTest, MalformedFilesReadDefinedAndWritesLoseNothing)
{
    std::string original = "[S]\r\nk=v\0hidden=1\r\n"s;
    original += "\x01\xFF\xFE\x80=\x7F\r\n";
    original += "long=" + std::string(8 << 20, 'x') + "\n";
    original += "[Mac]\rm=1\r";
    original += "[Broken\r\n b = 2 \r\n";
    original += "\0\0\xFF"s;
    Put("m.ini", original);
    EXPECT_EQ(Read("m.ini", "S", "k"), "v");
    EXPECT_EQ(Read("m.ini", "S", "hidden", "none"), "none");
    EXPECT_EQ(Read("m.ini", "S", "long", "", 11), "xxxxxxxxxx");
    EXPECT_EQ(Read("m.ini", "Mac", "b"), "2"); // "[Broken" is a line of [Mac]
    EXPECT_EQ(Read("m.ini", "Broken", "b", "none"), "none");
    EXPECT_EQ(Read("m.ini", "Mac", "m"), "1"); // lone CR line ends
    EXPECT_EQ(Read("m.ini", "\x01", "k", "none"), "none");

    EXPECT_TRUE(WritePrivateProfileStringA("Mac", "n", "1", Win("m.ini").c_str()));
    EXPECT_EQ(Get("m.ini"), original + "\r\nn=1\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("New", "n", "1", Win("m.ini").c_str()));
    EXPECT_EQ(Read("m.ini", "New", "n"), "1");
    EXPECT_EQ(Read("m.ini", "S", "k"), "v");
}

// A reader always sees the file as it is on disk, also after another program
// rewrote it in place with the same size right after the last change (made by
// that program, by this layer, or with the modification time put back), or long
// after it.
TEST_F(ProfileTest, ReadsSeeChangesMadeByOthers)
{
    enum Start { Fresh, Settled, WrittenHere, TimeKept };
    for (Start start : {Fresh, Settled, WrittenHere, TimeKept}) {
        SCOPED_TRACE(start);
        std::filesystem::remove(Native("c.ini"));
        if (start == WrittenHere)
            ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "old", Win("c.ini").c_str()));
        else
            Put("c.ini", "[S]\r\nk=old\r\n");
        struct stat before {};
        if (start == Settled || start == TimeKept) {
            struct timespec times[2] = {{0, UTIME_OMIT}, {time(nullptr) - 3600, 0}};
            ASSERT_EQ(utimensat(AT_FDCWD, Native("c.ini").c_str(), times, 0), 0);
        }
        ASSERT_EQ(stat(Native("c.ini").c_str(), &before), 0);
        EXPECT_EQ(Read("c.ini", "S", "k"), "old");
        EXPECT_EQ(Read("c.ini", "S", "k"), "old");
        {
            std::fstream f(Native("c.ini"), std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(7);
            f << "new";
        }
        if (start == TimeKept) {
            struct timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
            ASSERT_EQ(utimensat(AT_FDCWD, Native("c.ini").c_str(), times, 0), 0);
        }
        EXPECT_EQ(Read("c.ini", "S", "k"), "new");
    }
}

// A look-up after a write through the layer answers from what was written, in
// this process and in the next write.
TEST_F(ProfileTest, LookupsFollowTheLayersOwnWrites)
{
    for (int i = 0; i < 50; ++i) {
        std::string value = std::to_string(i * 7);
        ASSERT_TRUE(WritePrivateProfileStringA("S", "k", value.c_str(), Win("o.ini").c_str()));
        ASSERT_EQ(Read("o.ini", "S", "k"), value);
        ASSERT_TRUE(WritePrivateProfileStringA("S", i % 2 ? "k" : "other", nullptr, Win("o.ini").c_str()));
        ASSERT_EQ(Read("o.ini", "S", "k", "gone"), i % 2 ? "gone" : value);
    }
}

// Writers in several processes and threads, each adding its own keys to one file
// at the same time, lose none of them: every writer waits for the file's lock.
TEST_F(ProfileTest, ConcurrentWritersLoseNothing)
{
    constexpr int kProcesses = 8, kThreads = 2, kKeys = 100;
    const std::string file = Win("shared.ini");
    // Every process starts writing at the same moment, well after all have started.
    timespec start{};
    clock_gettime(CLOCK_REALTIME, &start);
    start.tv_nsec += 500 * 1000 * 1000;
    start.tv_sec += start.tv_nsec / 1000000000;
    start.tv_nsec %= 1000000000;
    const std::string when = std::to_string(start.tv_sec) + "." + std::to_string(start.tv_nsec);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        std::vector<std::string> args = {LUMO_INIWRITER, file, std::to_string(p * kThreads), std::to_string(kThreads),
                                         std::to_string(kKeys), when};
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, LUMO_INIWRITER, nullptr, nullptr, argv.data(), environ), 0);
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write reported failure";
    }
    int missing = 0;
    for (int w = 0; w < kProcesses * kThreads; ++w)
        for (int i = 0; i < kKeys; ++i) {
            std::string key = "w" + std::to_string(w) + "k" + std::to_string(i);
            missing += Read("shared.ini", i % 2 ? "Odd" : "Even", key.c_str()) != key;
        }
    EXPECT_EQ(missing, 0);
    size_t files = 0;
    for ([[maybe_unused]] const auto &e : std::filesystem::directory_iterator(folder_))
        ++files;
    EXPECT_EQ(files, 1u) << "temporary files left behind";
}

// A writer waits for a lock another holder keeps, and fails (changing nothing)
// only when the lock stays taken beyond the bound.
TEST_F(ProfileTest, AWriteWaitsForTheLockAndFailsOnlyPastTheBound)
{
    const std::string original = "[S]\r\nk=1\r\n";
    Put("held.ini", original);
    int holder = open(Native("held.ini").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    ProfileStore::SetLockWait(300);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "2", Win("held.ini").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Get("held.ini"), original);

    ProfileStore::SetLockWait(15000);
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        flock(holder, LOCK_UN);
    });
    EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "2", Win("held.ini").c_str()));
    release.join();
    close(holder);
    EXPECT_EQ(Read("held.ini", "S", "k"), "2");
}
