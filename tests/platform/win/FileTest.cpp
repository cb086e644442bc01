#include "platform/win/File.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <vector>

#include "platform/win/Handle.h"
#include "platform/win/Time.h"
#include "tests/platform/win/FileFixture.h"

using namespace win;
namespace fs = std::filesystem;

namespace {

using Files = FreshFolder;

HANDLE Open(const char *name, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, flags, 0);
}

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

TEST_F(Files, OpenDispositions)
{
    struct Case {
        const char *name;
        DWORD disposition;
        bool exists;
        bool toEnd;
        bool opens;
        DWORD error;
        const char *content;
    } cases[] = {
        {"write open keeps data", OPEN_ALWAYS, true, false, true, ERROR_ALREADY_EXISTS, "XYcdef"},
        {"open existing keeps data", OPEN_EXISTING, true, false, true, ERROR_SUCCESS, "XYcdef"},
        {"append", OPEN_ALWAYS, true, true, true, ERROR_ALREADY_EXISTS, "abcdefXY"},
        {"create always truncates", CREATE_ALWAYS, true, false, true, ERROR_ALREADY_EXISTS, "XY"},
        {"truncate existing", TRUNCATE_EXISTING, true, false, true, ERROR_SUCCESS, "XY"},
        {"create new refuses", CREATE_NEW, true, false, false, ERROR_FILE_EXISTS, "abcdef"},
        {"open always creates", OPEN_ALWAYS, false, false, true, ERROR_SUCCESS, "XY"},
        {"create new creates", CREATE_NEW, false, false, true, ERROR_SUCCESS, "XY"},
        {"open existing fails", OPEN_EXISTING, false, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"truncate missing fails", TRUNCATE_EXISTING, false, false, false, ERROR_FILE_NOT_FOUND,
         nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(root / "f.dat");
        if (c.exists)
            Put(root / "f.dat", "abcdef");
        SetLastError(12345);
        HANDLE h = Open("F.DAT", kReadWrite, c.disposition);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
        EXPECT_EQ(GetLastError(), c.error);
        if (h != INVALID_HANDLE_VALUE) {
            if (c.toEnd)
                SetFilePointer(h, 0, nullptr, FILE_END);
            DWORD written = 0;
            EXPECT_TRUE(WriteFile(h, "XY", 2, &written, nullptr));
            EXPECT_EQ(written, 2u);
            CloseHandle(h);
        }
        if (c.content)
            EXPECT_EQ(Get(fs::exists(root / "F.DAT") ? root / "F.DAT" : root / "f.dat"), c.content);
        else
            EXPECT_FALSE(fs::exists(root / "f.dat") || fs::exists(root / "F.DAT"));
        fs::remove(root / "F.DAT");
    }
}

TEST_F(Files, ReadSeekAndCut)
{
    Put(root / "r.dat", std::string(100, 'x'));
    HANDLE h = Open("R.DAT", kReadWrite, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buffer[200];
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(got, 100u);
    EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(got, 0u);  // end of file is success with nothing read

    EXPECT_EQ(SetFilePointer(h, 40, nullptr, FILE_BEGIN), 40u);
    EXPECT_TRUE(SetEndOfFile(h));
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(h, &high), 40u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(fs::file_size(root / "r.dat"), 40u);

    EXPECT_EQ(SetFilePointer(h, -10, nullptr, FILE_END), 30u);
    EXPECT_EQ(SetFilePointer(h, -31, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    LONG distanceHigh = 1;
    EXPECT_EQ(SetFilePointer(h, 5, &distanceHigh, FILE_BEGIN), 5u);  // 4 GiB + 5
    EXPECT_EQ(distanceHigh, 1);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    BY_HANDLE_FILE_INFORMATION info;
    ASSERT_TRUE(GetFileInformationByHandle(h, &info));
    EXPECT_EQ(info.nFileSizeLow, 40u);
    EXPECT_EQ(info.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME &t) {
        return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    EXPECT_LT(std::abs(ticks(now) - ticks(info.ftLastWriteTime)), 10LL * 10000000);
    FILETIME written;
    ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
    EXPECT_EQ(ticks(written), ticks(info.ftLastWriteTime));
    CloseHandle(h);

    EXPECT_FALSE(ReadFile(h, buffer, 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    HANDLE reader = Open("R.DAT", GENERIC_READ, OPEN_EXISTING);
    EXPECT_FALSE(WriteFile(reader, "x", 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(reader);
}

TEST_F(Files, LocksBelongToTheirHandle)
{
    Put(root / "lock.dat", std::string(100, 'x'));
    HANDLE a = Open("LOCK.DAT", kReadWrite, OPEN_EXISTING);
    HANDLE b = Open("lock.dat", kReadWrite, OPEN_EXISTING);
    ASSERT_NE(a, INVALID_HANDLE_VALUE);
    ASSERT_NE(b, INVALID_HANDLE_VALUE);

    EXPECT_TRUE(LockFile(a, 10, 0, 10, 0));
    EXPECT_FALSE(LockFile(b, 15, 0, 10, 0));
    EXPECT_EQ(GetLastError(), ERROR_LOCK_VIOLATION);
    EXPECT_FALSE(LockFile(a, 19, 0, 1, 0));  // the same handle twice is refused too
    EXPECT_EQ(GetLastError(), ERROR_LOCK_VIOLATION);
    EXPECT_TRUE(LockFile(b, 20, 0, 5, 0));   // next to it is free

    // Another process sees the lock as well.
    pid_t child = ::fork();
    if (child == 0) {
        HANDLE c = Open("lock.dat", kReadWrite, OPEN_EXISTING);
        bool refused = !LockFile(c, 12, 0, 1, 0) && GetLastError() == ERROR_LOCK_VIOLATION;
        bool free = LockFile(c, 50, 0, 1, 0);
        ::_exit(refused && free ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    EXPECT_FALSE(UnlockFile(a, 10, 0, 5, 0));  // only whole ranges
    EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
    EXPECT_TRUE(UnlockFile(a, 10, 0, 10, 0));
    EXPECT_TRUE(LockFile(b, 10, 0, 10, 0));
    CloseHandle(b);  // closing releases what the handle held
    EXPECT_TRUE(LockFile(a, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF));
    CloseHandle(a);

    // Read-only handles share a range between them and keep writers out.
    HANDLE r1 = Open("lock.dat", GENERIC_READ, OPEN_EXISTING);
    HANDLE r2 = Open("lock.dat", GENERIC_READ, OPEN_EXISTING);
    HANDLE w = Open("lock.dat", kReadWrite, OPEN_EXISTING);
    EXPECT_TRUE(LockFile(r1, 0, 0, 50, 0));
    EXPECT_TRUE(LockFile(r2, 0, 0, 50, 0));
    EXPECT_FALSE(LockFile(w, 40, 0, 20, 0));
    EXPECT_EQ(GetLastError(), ERROR_LOCK_VIOLATION);
    CloseHandle(r1);
    CloseHandle(r2);
    EXPECT_TRUE(LockFile(w, 40, 0, 20, 0));
    CloseHandle(w);
}

std::set<std::string> Find(const char *pattern)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(pattern, &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(data.cFileName);
    while (FindNextFileA(h, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(h));
    return names;
}

TEST_F(Files, FindFilesByPattern)
{
    for (const char *name : {"QVa.DLL", "qvB.dll", "QV.txt", "xQV1.dll", "lmpage0.ppg",
                             "LMPAGE1.PPG", "lmpage12.ppg", "readme"})
        Put(root / name, "");
    Put(root / U8(u8"中文.txt"), "1234");
    fs::create_directories(root / "Settle");
    Put(root / "Settle" / "1001.rar", "");
    Put(root / "Settle" / "1001.txt", "");

    using Names = std::set<std::string>;
    const Names all = {"QVa.DLL", "qvB.dll", "QV.txt", "xQV1.dll", "lmpage0.ppg", "LMPAGE1.PPG",
                       "lmpage12.ppg", "readme", "中文.txt", "Settle"};
    struct Case {
        const char *pattern;
        Names names;
    } cases[] = {
        {"QV*.DLL", {"QVa.DLL", "qvB.dll"}},
        {"lmpage?.ppg", {"lmpage0.ppg", "LMPAGE1.PPG"}},
        {"LMPAGE*.PPG", {"lmpage0.ppg", "LMPAGE1.PPG", "lmpage12.ppg"}},
        {"*.txt", {"QV.txt", "中文.txt"}},
        {"??.txt", {"QV.txt", "中文.txt"}},
        {"readme.*", {"readme"}},
        {"README", {"readme"}},
        {"*.*", all},
        {"*", all},
        {"settle/*.*", {"1001.rar", "1001.txt"}},
        {".\\SETTLE\\*.RAR", {"1001.rar"}},
        {"nothing*", {}},
        {"missing\\*.*", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(Find(c.pattern), c.names);
    }

    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA("nothing*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA("missing\\*.*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    HANDLE h = FindFirstFileA("中文.TXT", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 4u);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    FindClose(h);
    h = FindFirstFileA("settle", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    FindClose(h);
}

// Win32 buffer rule of the folder calls: the length when it fits, else the size
// needed with the NUL and nothing copied.
template <typename Call>
void CheckBufferRule(Call call, const std::string &expected)
{
    DWORD needed = call(0, nullptr);
    EXPECT_EQ(needed, expected.size() + 1);
    std::vector<char> buffer(needed, '#');
    EXPECT_EQ(call(needed - 1, buffer.data()), needed);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(call(needed, buffer.data()), needed - 1);
    EXPECT_EQ(std::string(buffer.data()), expected);
}

TEST_F(Files, FolderQueries)
{
    CheckBufferRule([](DWORD n, LPSTR b) { return GetCurrentDirectoryA(n, b); }, root.string());
    std::string tmp = ::getenv("TMPDIR") && *::getenv("TMPDIR") ? ::getenv("TMPDIR") : "/tmp";
    if (tmp.back() != '/')
        tmp += '/';
    CheckBufferRule([](DWORD n, LPSTR b) { return GetTempPathA(n, b); }, tmp);

    fs::create_directories(root / U8(u8"子目录"));
    EXPECT_TRUE(SetCurrentDirectoryA("子目录"));
    char cwd[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(sizeof cwd, cwd), 0u);
    EXPECT_EQ(std::string(cwd), root.string() + "/子目录");
    EXPECT_TRUE(SetCurrentDirectoryA(".."));
    EXPECT_FALSE(SetCurrentDirectoryA("nowhere"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    char exe[1024];
    DWORD length = GetModuleFileNameA(0, exe, sizeof exe);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::string(exe), fs::read_symlink("/proc/self/exe").string());
    char small[8];
    EXPECT_EQ(GetModuleFileNameA(0, small, sizeof small), sizeof small);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(small), std::string(exe, 7));
    EXPECT_TRUE(WorkFromProgramFolder());
    ASSERT_GT(GetCurrentDirectoryA(sizeof cwd, cwd), 0u);
    EXPECT_EQ(std::string(cwd), fs::read_symlink("/proc/self/exe").parent_path().string());
    EXPECT_TRUE(SetCurrentDirectoryA(root.c_str()));

    if (const char *windir = ::getenv("LUMO_WINDIR")) {
        fs::remove_all(windir);
        char dir[MAX_PATH];
        UINT n = GetWindowsDirectoryA(dir, sizeof dir);
        ASSERT_GT(n, 0u);
        std::string expected = windir;
        while (expected.size() > 1 && expected.back() == '/')
            expected.pop_back();
        EXPECT_EQ(std::string(dir), expected);
        EXPECT_EQ(n, expected.size());
        EXPECT_TRUE(fs::is_directory(dir));
    }
}

TEST_F(Files, TemporaryFiles)
{
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof folder, folder), 0u);
    char first[MAX_PATH], second[MAX_PATH];
    UINT n1 = GetTempFileNameA(folder, "Lmp", 0, first);
    UINT n2 = GetTempFileNameA(folder, "Lmp", 0, second);
    ASSERT_NE(n1, 0u);
    ASSERT_NE(n2, 0u);
    EXPECT_STRNE(first, second);
    for (const char *name : {first, second}) {
        std::string path = name;
        EXPECT_EQ(path.rfind(std::string(folder) + "Lmp", 0), 0u) << path;
        EXPECT_TRUE(fs::exists(path));
        EXPECT_EQ(fs::file_size(path), 0u);
    }
    char named[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(folder, "Lmsx", 0xABC, named), 0xABCu);
    EXPECT_EQ(std::string(named), std::string(folder) + "LmsABC.TMP");
    EXPECT_FALSE(fs::exists(named));

    // A delete-on-close log: the name goes at once, the data live until closing.
    HANDLE h = CreateFileA(first, kReadWrite, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_SEQUENTIAL_SCAN |
                               FILE_FLAG_DELETE_ON_CLOSE,
                           0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fs::exists(first));
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(h, "line\r\n", 6, &done, nullptr));
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    char back[16] = {};
    EXPECT_TRUE(ReadFile(h, back, sizeof back, &done, nullptr));
    EXPECT_EQ(std::string(back, done), "line\r\n");
    CloseHandle(h);
}

// Files the layer makes where other users look (the temporary folder), and files
// asked to be private, are the user's alone; other files follow the umask.
TEST_F(Files, TemporaryAndPrivateFilesAreTheUsersAlone)
{
    const mode_t oldMask = umask(022);
    char folder[MAX_PATH], unique[MAX_PATH];
    ASSERT_GT(GetTempPathA(sizeof folder, folder), 0u);
    ASSERT_NE(GetTempFileNameA(folder, "Lmp", 0, unique), 0u);
    const std::string inTemp = std::string(folder) + "answer.tmp";
    Put(root / "old.log", "kept");
    fs::permissions(root / "old.log", fs::perms(0644));
    struct Case {
        std::string name;
        DWORD disposition;
        DWORD flags;
        unsigned mode;
    } cases[] = {
        {unique, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0600},
        {inTemp, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0600},
        {"plain.dat", CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0644},
        {"private.dat", CREATE_NEW, FILE_ATTRIBUTE_ENCRYPTED, 0600},
        {"old.log", OPEN_ALWAYS, FILE_ATTRIBUTE_ENCRYPTED, 0600},
    };
    for (const Case &c : cases) {
        HANDLE h = Open(c.name.c_str(), kReadWrite, c.disposition, c.flags);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.name;
        CloseHandle(h);
        struct stat st;
        ASSERT_EQ(::stat(c.name.c_str(), &st), 0) << c.name;
        EXPECT_EQ(st.st_mode & 0777, c.mode) << c.name;
    }
    EXPECT_EQ(Get(root / "old.log"), "kept");
    DeleteFileA(unique);
    DeleteFileA(inTemp.c_str());
    umask(oldMask);
}

// A rename over an existing file: readers find the old file or the new one.
TEST_F(Files, MoveFileExReplacesInOneStep)
{
    struct Case {
        const char *what;
        const char *target; // made beforehand: a file "old", a folder, or nothing
        bool folder;
        bool readOnly;
        DWORD flags;
        bool moves;
        DWORD error;
    } cases[] = {
        {"replaces a file", "t1", false, false, MOVEFILE_REPLACE_EXISTING, true, 0},
        {"to a new name", nullptr, false, false, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, true, 0},
        {"without the flag", "t3", false, false, 0, false, ERROR_ALREADY_EXISTS},
        {"over a folder", "t4", true, false, MOVEFILE_REPLACE_EXISTING, false, ERROR_ACCESS_DENIED},
        {"over a read-only file", "t5", false, true, MOVEFILE_REPLACE_EXISTING, false, ERROR_ACCESS_DENIED},
        {"unknown flag", "t6", false, false, 0x2, false, ERROR_INVALID_PARAMETER},
    };
    int serial = 0;
    for (const Case &c : cases) {
        const std::string target = c.target ? c.target : "fresh" + std::to_string(serial);
        const std::string source = "new" + std::to_string(++serial);
        Put(root / source, "new");
        if (c.folder)
            fs::create_directory(root / target);
        else if (c.target)
            Put(root / target, "old");
        if (c.readOnly) {
            ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
        }
        EXPECT_EQ(MoveFileExA(source.c_str(), target.c_str(), c.flags) != FALSE, c.moves) << c.what;
        if (c.moves) {
            EXPECT_EQ(Get(root / target), "new") << c.what;
            EXPECT_FALSE(fs::exists(root / source)) << c.what;
        } else {
            EXPECT_EQ(GetLastError(), c.error) << c.what;
            EXPECT_EQ(Get(root / source), "new") << c.what;
            if (!c.folder) {
                EXPECT_EQ(Get(root / target), "old") << c.what;
            }
        }
        if (c.readOnly)
            SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(Files, AttributesCopyMoveDelete)
{
    Put(root / "a.ini", "alpha");
    EXPECT_EQ(GetFileAttributesA("A.INI"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA("."), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA("none.ini"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    // The read-only attribute holds for every user, root included.
    ASSERT_TRUE(SetFileAttributesA("A.INI", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesA("a.ini"), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Open("A.INI", GENERIC_WRITE, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(DeleteFileA("A.INI"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HANDLE reader = Open("A.INI", GENERIC_READ, OPEN_EXISTING);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    ASSERT_TRUE(SetFileAttributesA("A.INI", FILE_ATTRIBUTE_NORMAL));
    HANDLE writer = Open("A.INI", GENERIC_WRITE, OPEN_ALWAYS);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);

    Put(root / "b.ini", "beta");
    EXPECT_FALSE(CopyFileA("A.INI", "B.INI", TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(Get(root / "b.ini"), "beta");
    EXPECT_TRUE(CopyFileA("A.INI", "B.INI", FALSE));
    EXPECT_EQ(Get(root / "b.ini"), "alpha");
    EXPECT_FALSE(CopyFileA("A.INI", "a.ini", FALSE));  // onto itself loses nothing
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Get(root / "a.ini"), "alpha");
    EXPECT_TRUE(CopyFileA("a.ini", "Windows.ini", TRUE));
    EXPECT_EQ(fs::last_write_time(root / "Windows.ini"), fs::last_write_time(root / "a.ini"));

    EXPECT_FALSE(MoveFileA("A.INI", "B.INI"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(MoveFileA("A.INI", "c.ini"));
    EXPECT_FALSE(fs::exists(root / "a.ini"));
    EXPECT_EQ(Get(root / "c.ini"), "alpha");

    EXPECT_TRUE(CreateDirectoryA("Log", nullptr));
    EXPECT_FALSE(CreateDirectoryA("LOG", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(DeleteFileA("log"));
    EXPECT_EQ(Open("LOG", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    Put(root / "Log" / "x", "");
    EXPECT_FALSE(RemoveDirectoryA("LOG"));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(DeleteFileA("LOG\\X"));
    EXPECT_TRUE(RemoveDirectoryA("LOG"));
    EXPECT_FALSE(fs::exists(root / "Log"));
    EXPECT_FALSE(DeleteFileA("c.ini\\x"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

} // namespace
