#include "platform/win/Stdio.h"

#include <errno.h>

#include "platform/win/File.h"
#include "tests/platform/win/FileFixture.h"

using namespace win;
namespace fs = std::filesystem;

namespace {

using Stdio = FreshFolder;

std::string ReadStream(const char *name, const char *mode)
{
    std::FILE *f = win::fopen(name, mode);
    if (!f)
        return "<open failed>";
    std::string text;
    char buffer[7];  // small, so that line ends straddle the reads
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

TEST_F(Stdio, TextModeWritesCrLf)
{
    const std::string name = "..\\" + root.filename().string() + "\\NOTE.TXT";
    std::FILE *f = win::fopen(name.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("a\nb\n", f);
    std::fprintf(f, "%d\n", 7);
    std::fclose(f);
    EXPECT_EQ(Get(root / "NOTE.TXT"), "a\r\nb\r\n7\r\n");

    f = win::fopen("note.txt", "a");
    ASSERT_NE(f, nullptr);
    std::fputs("c\n", f);
    std::fclose(f);
    EXPECT_EQ(Get(root / "NOTE.TXT"), "a\r\nb\r\n7\r\nc\r\n");
}

TEST_F(Stdio, TextModeReadsEitherLineEnd)
{
    const std::string boundary = std::string(4095, 'x');
    struct Case {
        std::string disk;
        std::string text;
    } cases[] = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\nb\n", "a\nb\n"},
        {"a\rb", "a\rb"},
        {"a\r", "a\r"},
        {"a\r\r\n", "a\r\n"},
        {"\r\n\r\n", "\n\n"},
        {boundary + "\r\ny", boundary + "\ny"},  // CR LF across the read-ahead
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.disk.substr(0, 10));
        Put(root / "in.txt", c.disk);
        EXPECT_EQ(ReadStream("IN.TXT", "r"), c.text);
        EXPECT_EQ(ReadStream("IN.TXT", "rb"), c.disk);
    }

    Put(root / "lines.txt", "first\r\nsecond\nthird");
    std::FILE *f = win::fopen("LINES.TXT", "rt");
    ASSERT_NE(f, nullptr);
    char line[4096];
    std::vector<std::string> lines;
    while (std::fgets(line, sizeof line, f))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"first\n", "second\n", "third"}));
    // Positions are byte offsets on disk, also between translated lines.
    EXPECT_EQ(std::ftell(f), 19);
    std::rewind(f);
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    EXPECT_EQ(std::ftell(f), 7);
    std::fclose(f);

    // Update mode: read a line, then write over the next one.
    Put(root / "lines.txt", "first\r\nsecond\r\nthird");
    f = win::fopen("LINES.TXT", "r+");
    ASSERT_NE(f, nullptr);
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    ASSERT_EQ(std::fseek(f, 0, SEEK_CUR), 0);
    std::fputs("SECOND\n", f);
    std::fclose(f);
    EXPECT_EQ(Get(root / "lines.txt"), "first\r\nSECOND\r\nthird");
}

TEST_F(Stdio, BinaryModePassesBytes)
{
    std::FILE *f = win::fopen("BIN.DAT", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite("a\nb\r\n\0z", 1, 7, f);
    std::fclose(f);
    EXPECT_EQ(Get(root / "BIN.DAT"), std::string("a\nb\r\n\0z", 7));
    EXPECT_EQ(ReadStream("bin.dat", "rb"), std::string("a\nb\r\n\0z", 7));
}

TEST_F(Stdio, OpenModes)
{
    struct Case {
        const char *mode;
        bool exists;
        bool opens;
        const char *after;  // content after writing "XY" (when the mode writes)
    } cases[] = {
        {"r+b", false, false, nullptr},
        {"rb", false, false, nullptr},
        {"r+b", true, true, "XYcdef"},
        {"w+b", false, true, "XY"},
        {"wb", true, true, "XY"},  // the C library's "w" truncates
        {"ab", true, true, "abcdefXY"},
        {"a+", true, true, "abcdefXY"},
        {"w", true, true, "XY"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.exists ? " existing" : " missing"));
        fs::remove(root / "m.dat");
        if (c.exists)
            Put(root / "m.dat", "abcdef");
        errno = 0;
        std::FILE *f = win::fopen("M.DAT", c.mode);
        EXPECT_EQ(f != nullptr, c.opens);
        if (!f) {
            EXPECT_EQ(errno, ENOENT);
            continue;
        }
        if (c.after) {
            EXPECT_EQ(std::fwrite("XY", 1, 2, f), 2u);
            std::fflush(f);
        }
        std::fclose(f);
        EXPECT_EQ(Get(fs::exists(root / "m.dat") ? root / "m.dat" : root / "M.DAT"), c.after);
        fs::remove(root / "M.DAT");
    }
    EXPECT_EQ(win::fopen("M.DAT", "x"), nullptr);
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(Stdio, RemoveRenameAccess)
{
    Put(root / "a.tmp", "a");
    Put(root / "b.tmp", "b");
    EXPECT_EQ(win::access("A.TMP", 0), 0);
    EXPECT_EQ(win::access("A.TMP", 6), 0);
    EXPECT_EQ(win::access("none.tmp", 0), -1);
    EXPECT_EQ(errno, ENOENT);

    EXPECT_EQ(win::rename("A.TMP", "B.TMP"), -1);  // an existing target is kept
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(Get(root / "b.tmp"), "b");
    EXPECT_EQ(win::rename("A.TMP", "C.TMP"), 0);
    EXPECT_EQ(Get(root / "C.TMP"), "a");

    ASSERT_TRUE(SetFileAttributesA("c.tmp", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(win::access("c.tmp", 2), -1);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(win::access("c.tmp", 4), 0);
    EXPECT_EQ(win::fopen("c.tmp", "ab"), nullptr);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(win::remove("C.TMP"), -1);
    EXPECT_EQ(errno, EACCES);
    ASSERT_TRUE(SetFileAttributesA("c.tmp", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(win::remove("C.TMP"), 0);
    EXPECT_FALSE(fs::exists(root / "C.TMP"));
    EXPECT_EQ(win::remove("C.TMP"), -1);
    EXPECT_EQ(errno, ENOENT);
}

} // namespace
