#include "platform/win/CFile.h"

#include "tests/platform/win/FileFixture.h"

using namespace win;
namespace fs = std::filesystem;

namespace {

using FrameworkFiles = FreshFolder;

constexpr UINT kLogFlags = CFile::modeReadWrite | CFile::typeBinary | CFile::shareDenyNone;

TEST_F(FrameworkFiles, LogFileOpensWithoutTruncating)
{
    fs::create_directories(root / "Log");
    CFile file;
    CFileException error;
    // Opening a missing file without modeCreate tells why it failed.
    EXPECT_FALSE(file.Open(".\\Log\\Consign0102.Log", kLogFlags | CFile::modeNoTruncate, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_FALSE(file.Open(".\\Nolog\\x.Log", kLogFlags, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);

    ASSERT_TRUE(file.Open(".\\Log\\Consign0102.Log", kLogFlags | CFile::modeCreate));
    EXPECT_TRUE(file.Write("12345678", 8));
    EXPECT_EQ(file.GetFilePath(), CString((root / "Log" / "Consign0102.Log").c_str()));
    file.Close();
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);

    ASSERT_TRUE(file.Open(".\\LOG\\CONSIGN0102.LOG", kLogFlags | CFile::modeNoTruncate));
    EXPECT_EQ(file.GetLength(), 8u);
    EXPECT_EQ(file.SeekToEnd(), 8u);
    EXPECT_TRUE(file.Write("abcdefgh", 8));
    EXPECT_EQ(file.GetPosition(), 16u);
    file.SeekToBegin();
    char buffer[32];
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 16u);
    EXPECT_EQ(std::string(buffer, 16), "12345678abcdefgh");
    EXPECT_EQ(file.Seek(-4, CFile::end), 12u);
    EXPECT_EQ(file.Seek(-20, CFile::current), static_cast<ULONGLONG>(-1));
    EXPECT_EQ(file.GetPosition(), 12u);
    EXPECT_TRUE(file.SetLength(10));
    EXPECT_EQ(file.GetLength(), 10u);
    EXPECT_EQ(file.GetPosition(), 10u);
    file.Close();
    EXPECT_EQ(Get(root / "Log" / "Consign0102.Log"), "12345678ab");

    // modeCreate alone empties the file.
    ASSERT_TRUE(file.Open("log\\consign0102.log", CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(file.GetLength(), 0u);
}

TEST_F(FrameworkFiles, StdioFileLines)
{
    CStdioFile out;
    ASSERT_TRUE(out.Open("STATEMENT.TXT", CFile::modeCreate | CFile::modeWrite | CFile::typeText));
    EXPECT_TRUE(out.WriteString("line one\nline two\n"));
    EXPECT_TRUE(out.WriteString("last"));
    out.Close();
    EXPECT_EQ(Get(root / "STATEMENT.TXT"), "line one\r\nline two\r\nlast");

    CStdioFile in;
    ASSERT_TRUE(in.Open("statement.txt", CFile::modeRead | CFile::typeText));
    EXPECT_EQ(in.GetLength(), 24u);
    CString line;
    std::vector<std::string> lines;
    while (in.ReadString(line))
        lines.push_back(static_cast<LPCTSTR>(line));
    EXPECT_EQ(lines, (std::vector<std::string>{"line one", "line two", "last"}));

    in.SeekToBegin();
    char piece[5];
    ASSERT_NE(in.ReadString(piece, sizeof piece), nullptr);
    EXPECT_STREQ(piece, "line");
    ASSERT_NE(in.ReadString(piece, sizeof piece), nullptr);
    EXPECT_STREQ(piece, " one");
    ASSERT_NE(in.ReadString(piece, sizeof piece), nullptr);
    EXPECT_STREQ(piece, "\n");
    in.Close();

    // Binary mode keeps the CR; a missing file without modeCreate fails.
    ASSERT_TRUE(in.Open("STATEMENT.TXT", CFile::modeRead | CFile::typeBinary));
    ASSERT_TRUE(in.ReadString(line));
    EXPECT_EQ(line, "line one\r");
    in.Close();
    CFileException error;
    EXPECT_FALSE(in.Open("none.txt", CFile::modeReadWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    ASSERT_TRUE(in.Open("none.txt", CFile::modeReadWrite | CFile::modeCreate | CFile::modeNoTruncate));
    EXPECT_TRUE(fs::exists(root / "none.txt"));
}

} // namespace
