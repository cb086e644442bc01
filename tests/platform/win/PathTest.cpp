#include "platform/win/Path.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <chrono>
#include <cstdio>

#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/Stdio.h"
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

TEST_F(PathMapping, AbsentNamesAreKnownWithoutListingOrOpening)
{
    const timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    for (const char *folder : {"", "Cfg", "bin"})
        ASSERT_EQ(::utimes((root / folder).c_str(), old), 0);
    bool absent = false;
    EXPECT_EQ(MapPath("..\\CFG\\REFLINE.DAT", &absent), (root / "Cfg" / "REFLINE.DAT").string());
    EXPECT_TRUE(absent);

    // Once the listings are read, a missing file or folder costs neither a
    // listing nor an open, and fails with the error Windows gives.
    const FileCallCounts before = GetFileCallCounts();
    struct Case {
        const char *path;
        DWORD error;
    } cases[] = {{"..\\CFG\\REFLINE.DAT", ERROR_FILE_NOT_FOUND},
                 {"..\\cfg\\refline.dat", ERROR_FILE_NOT_FOUND},
                 {"..\\NONE\\REFLINE.DAT", ERROR_PATH_NOT_FOUND}};
    for (const Case &c : cases) {
        HANDLE h = CreateFileA(c.path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
        EXPECT_EQ(GetFileAttributesA(c.path), INVALID_FILE_ATTRIBUTES) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
        FileStamp stamp;
        EXPECT_FALSE(GetFileStamp(c.path, stamp)) << c.path;
        absent = false;
        MapPath(c.path, &absent);
        EXPECT_TRUE(absent) << c.path;
    }
    const FileCallCounts after = GetFileCallCounts();
    EXPECT_EQ(after.listings, before.listings);
    EXPECT_EQ(after.opens, before.opens);

    // A file made by another process moves the folder's time: found at once.
    Put(root / "Cfg" / "refline.dat", "lines");
    EXPECT_EQ(ReadAll("..\\CFG\\REFLINE.DAT"), "lines");
    // While the folder's time is recent (here: ahead of the clock) its listing is
    // read again on each look-up, since a change in the same clock tick would not
    // move it.
    const timeval ahead[2] = {{::time(nullptr) + 3600, 0}, {::time(nullptr) + 3600, 0}};
    ASSERT_EQ(::utimes((root / "Cfg").c_str(), ahead), 0);
    const FileCallCounts fresh = GetFileCallCounts();
    MapPath("..\\CFG\\OTHER.DAT", &absent);
    MapPath("..\\CFG\\OTHER.DAT", &absent);
    EXPECT_EQ(GetFileCallCounts().listings, fresh.listings + 2);

    // The layer's own create makes the name known at once.
    ASSERT_EQ(::utimes((root / "Cfg").c_str(), old), 0);
    MapPath("..\\CFG\\NEW.DAT", &absent);
    ASSERT_TRUE(absent);
    HANDLE h = CreateFileA("..\\CFG\\NEW.DAT", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(MapPath("..\\cfg\\new.dat", &absent), (root / "Cfg" / "NEW.DAT").string());
    EXPECT_FALSE(absent);
}

TEST_F(PathMapping, StampsFollowSizeTimeAndFile)
{
    FileStamp first, again;
    ASSERT_TRUE(GetFileStamp("..\\CFG\\DEFAULT.PPG", first));
    EXPECT_FALSE(first.settled); // written just now
    EXPECT_FALSE(first.folder);
    EXPECT_EQ(first.size, 4);
    ASSERT_TRUE(GetFileStamp("..\\cfg\\default.ppg", again));
    EXPECT_TRUE(again == first);

    const timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimes((root / "Cfg" / "Default.ppg").c_str(), old), 0);
    ASSERT_TRUE(GetFileStamp("..\\CFG\\DEFAULT.PPG", again));
    EXPECT_TRUE(again.settled);
    EXPECT_FALSE(again == first); // the time moved

    // The same size and time on another file (a rename over it) is another stamp.
    FileStamp replaced;
    Put(root / "Cfg" / "next.ppg", "PAGE");
    ASSERT_EQ(::utimes((root / "Cfg" / "next.ppg").c_str(), old), 0);
    fs::rename(root / "Cfg" / "next.ppg", root / "Cfg" / "Default.ppg");
    ASSERT_TRUE(GetFileStamp("..\\CFG\\DEFAULT.PPG", replaced));
    EXPECT_FALSE(replaced == again);
    EXPECT_EQ(replaced.size, again.size);
    EXPECT_EQ(replaced.modified, again.modified);
}

} // namespace

namespace {

// Whether `change` moves the file system's change count.
template <class Change>
bool Moves(Change change)
{
    const uint64_t before = FileChangeCount();
    change();
    return FileChangeCount() != before;
}

} // namespace

TEST_F(PathMapping, ChangeCountFollowsOwnWritesAndWatchedFolders)
{
    // The layer's own writes move it, watched or not.
    EXPECT_TRUE(Moves([] {
        std::FILE *f = win::fopen("..\\data\\sh\\day\\own.day", "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("bars", f);
        std::fclose(f);
    }));
    EXPECT_TRUE(Moves([] { ASSERT_TRUE(DeleteFileA("..\\data\\sh\\day\\own.day")); }));

    // Another program's change moves it only inside a watched folder, and at
    // once: the next count after the change has returned sees it.
    const std::string weight = (root / "data" / "sh" / "weight" / "600000.wgt").string();
    EXPECT_FALSE(Moves([&] { Put(root / "Cfg" / "outside.txt", "x"); }));
    ASSERT_TRUE(WatchFolderOf((root / "Cfg" / "refline.dat").string()));
    ASSERT_TRUE(WatchFolderOf(weight)); // no weight folder yet: data/sh is watched
    EXPECT_FALSE(Moves([] {}));
    EXPECT_TRUE(Moves([&] { Put(root / "Cfg" / "refline.dat", "r"); }));
    EXPECT_TRUE(Moves([&] { Put(root / "Cfg" / "refline.dat", "s"); }));
    EXPECT_TRUE(Moves([&] {
        fs::last_write_time(root / "Cfg" / "refline.dat", fs::file_time_type::clock::now() - std::chrono::hours(1));
    }));
    EXPECT_TRUE(Moves([&] { fs::create_directories(root / "data" / "sh" / "weight"); }));
    EXPECT_FALSE(Moves([] {}));

    // A folder removed and made again under its name (its inode number may come
    // back) is watched anew.
    ASSERT_TRUE(WatchFolderOf(weight));
    fs::remove_all(root / "data" / "sh" / "weight");
    fs::create_directories(root / "data" / "sh" / "weight");
    ASSERT_TRUE(WatchFolderOf(weight));
    EXPECT_TRUE(Moves([&] { Put(weight, "w"); }));
    EXPECT_FALSE(Moves([] {}));
}

TEST_F(PathMapping, ABatchAsksTheSystemOnce)
{
    const fs::path refline = root / "Cfg" / "refline.dat";
    ASSERT_TRUE(WatchFolderOf(refline.string()));
    uint64_t last = 0;
    {
        FileChangeBatch batch;
        const uint64_t first = FileChangeCount();
        // Another program's change during the batch waits for the next one...
        Put(refline, "r");
        EXPECT_EQ(FileChangeCount(), first);
        // ...while the layer's own changes are counted at once.
        NoteFileChanged();
        last = FileChangeCount();
        EXPECT_NE(last, first);
    }
    EXPECT_NE(FileChangeCount(), last);
    EXPECT_FALSE(Moves([] {}));
}

TEST_F(PathMapping, WorkingFolderIdFollowsEveryChangeOfFolder)
{
    auto inode = [](const fs::path &p) {
        struct stat st {};
        EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
        return uint64_t(st.st_ino);
    };
    NoteWorkingFolderChanged(); // the fixture went to bin/ by chdir itself
    uint64_t device = 0, id = 0;
    ASSERT_TRUE(GetWorkingFolderId(device, id));
    EXPECT_EQ(id, inode(root / "bin"));
    ASSERT_TRUE(SetCurrentDirectoryA("..\\Cfg"));
    ASSERT_TRUE(GetWorkingFolderId(device, id));
    EXPECT_EQ(id, inode(root / "Cfg"));
    // Renamed, the working folder is still the same folder; a failed change
    // leaves it where it was.
    fs::rename(root / "Cfg", root / "Cfg2");
    EXPECT_FALSE(SetCurrentDirectoryA("nowhere"));
    ASSERT_TRUE(GetWorkingFolderId(device, id));
    EXPECT_EQ(id, inode(root / "Cfg2"));
    ASSERT_TRUE(SetCurrentDirectoryA((root / "bin").c_str()));
    ASSERT_TRUE(GetWorkingFolderId(device, id));
    EXPECT_EQ(id, inode(root / "bin"));
}
