#include "platform/win/Path.h"

#include <sys/time.h>

#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "tests/platform/win/FileFixture.h"

using namespace win;
namespace fs = std::filesystem;

namespace {

// An installation-like tree, worked from its bin/ folder as the programs do.
class PathMapping : public FreshFolder {
protected:
    void SetUp() override
    {
        FreshFolder::SetUp();
        Put(root / "Cfg" / "Default.ppg", "page");
        Put(root / "Cfg" / "blocks.ini", "[B]");
        fs::create_directories(root / "data" / "sh" / "day");
        fs::create_directories(root / "bin");
        fs::current_path(root / "bin");
    }

    std::string ReadAll(const char *winPath)
    {
        HANDLE h = CreateFileA(winPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
        if (h == INVALID_HANDLE_VALUE)
            return "<open failed>";
        char buffer[64];
        DWORD got = 0;
        ReadFile(h, buffer, sizeof buffer, &got, nullptr);
        CloseHandle(h);
        return std::string(buffer, got);
    }
};

TEST_F(PathMapping, AnySpellingReachesTheOneFile)
{
    const std::string expected = (root / "Cfg" / "Default.ppg").string();
    const std::string absolute = root.string() + "/CFG\\DEFAULT.ppg";
    const char *spellings[] = {
        "..\\Cfg\\Default.ppg", "..\\CFG\\DEFAULT.PPG", "../cfg/default.ppg",
        ".\\..\\CFG\\.\\Default.PPG", "..\\\\bin\\..\\CFG\\DEFAULT.PPG", absolute.c_str(),
    };
    for (const char *spelling : spellings) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(MapPath(spelling), expected);
        EXPECT_EQ(ReadAll(spelling), "page");
    }
    EXPECT_EQ(MapPath("/../../tmp"), "/tmp");
}

TEST_F(PathMapping, NewFilesGoIntoTheExistingFolders)
{
    HANDLE h = CreateFileA("..\\DATA\\SH\\DAY\\600000.DAY", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(fs::exists(root / "data" / "sh" / "day" / "600000.DAY"));
    EXPECT_FALSE(fs::exists(root / "DATA"));

    // Missing levels are created in the given spelling below the existing ones.
    ASSERT_TRUE(MakeDirectoryPath("..\\Data\\SH\\MIN1\\"));
    EXPECT_TRUE(fs::is_directory(root / "data" / "sh" / "MIN1"));
    EXPECT_TRUE(MakeDirectoryPath("..\\DATA\\sh\\min1"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "data" / "sh"), {}), 2);
}

TEST_F(PathMapping, GbkNamesAreUtf8OnDisk)
{
    // 0x9C 0x5C is one character whose trail byte is a backslash.
    const char *name = "..\\CFG\\行情\x9C\x5C.TXT";
    HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(fs::exists(root / "Cfg" / U8(u8"行情淺.TXT")));

    WIN32_FIND_DATAA found;
    h = FindFirstFileA("..\\cfg\\*.txt", &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(found.cFileName, "行情\x9C\x5C.TXT");
    FindClose(h);

    // A name made natively is found from its GBK spelling in another case.
    Put(root / "data" / U8(u8"自选Blocks.ini"), "x");
    EXPECT_EQ(MapPath("..\\DATA\\自选BLOCKS.INI"), (root / "data" / U8(u8"自选Blocks.ini")).string());
    EXPECT_EQ(NativeToWinPath(U8(u8"/a/自选")), "/a/自选");
}

TEST_F(PathMapping, BadPathsFailWithTheirError)
{
    const std::string longName = "..\\CFG\\" + std::string(300, 'A');
    std::string deep = "..";
    while (deep.size() < 5000)
        deep += "\\abcdefgh";
    struct Case {
        std::string path;
        DWORD error;
    } cases[] = {
        {"..\\NOPE\\x.dat", ERROR_PATH_NOT_FOUND},
        {"..\\Cfg\\Default.ppg\\x.dat", ERROR_PATH_NOT_FOUND},
        {longName, ERROR_FILENAME_EXCED_RANGE},
        {deep, ERROR_FILENAME_EXCED_RANGE},
        {"", ERROR_PATH_NOT_FOUND},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.substr(0, 40));
        SetLastError(0);
        HANDLE h = CreateFileA(c.path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, 0);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(MapPath(std::string_view("a\0b", 3)), "");
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST_F(PathMapping, FilesMadeByOthersAreFoundAfterTheCacheFilled)
{
    // The folder looks long unchanged, so its listing is trusted once read.
    const timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimes((root / "Cfg").c_str(), old), 0);
    EXPECT_EQ(MapPath("..\\CFG\\SYSTIME.DAT"), (root / "Cfg" / "SYSTIME.DAT").string());

    Put(root / "Cfg" / "systime.dat", "t");
    EXPECT_EQ(MapPath("..\\CFG\\SYSTIME.DAT"), (root / "Cfg" / "systime.dat").string());

    // A name removed and made again in another case by someone else.
    ASSERT_EQ(::utimes((root / "Cfg").c_str(), old), 0);
    EXPECT_EQ(MapPath("..\\CFG\\BLOCKS.INI"), (root / "Cfg" / "blocks.ini").string());
    fs::rename(root / "Cfg" / "blocks.ini", root / "Cfg" / "Blocks.INI");
    EXPECT_EQ(MapPath("..\\CFG\\BLOCKS.INI"), (root / "Cfg" / "Blocks.INI").string());

    // The layer's own deletes and renames keep the listing true.
    ASSERT_TRUE(MoveFileA("..\\CFG\\BLOCKS.INI", "..\\CFG\\old.ini"));
    EXPECT_EQ(MapPath("..\\cfg\\OLD.INI"), (root / "Cfg" / "old.ini").string());
    ASSERT_TRUE(DeleteFileA("..\\cfg\\OLD.INI"));
    EXPECT_EQ(MapPath("..\\cfg\\OLD.INI"), (root / "Cfg" / "OLD.INI").string());
}

} // namespace
