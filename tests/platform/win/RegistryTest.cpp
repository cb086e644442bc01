#include "platform/win/Registry.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/Handle.h"

extern char **environ;

using namespace win;

namespace {

const char kLumoKey[] = "Software\\Lumo\\Ver2.0";

// Each test gets a store of its own in the working folder.
class RegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        const char *old = std::getenv("LUMO_REGISTRY");
        hadStore = old != nullptr;
        oldStore = hadStore ? old : "";
        char cwd[4096];
        store = std::string(::getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".") + "/reg-" +
                testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        std::remove(store.c_str());
        setenv("LUMO_REGISTRY", store.c_str(), 1);
    }
    void TearDown() override
    {
        if (hadStore)
            setenv("LUMO_REGISTRY", oldStore.c_str(), 1);
        else
            unsetenv("LUMO_REGISTRY");
    }

    std::string ReadStoreFile() const
    {
        std::ifstream in(store, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void WriteStoreFile(const std::string &text) const
    {
        std::ofstream out(store, std::ios::binary | std::ios::trunc);
        out << text;
    }

    bool hadStore = false;
    std::string oldStore;
    std::string store;
};

HKEY CreateKey(const char *path, DWORD *disposition = nullptr)
{
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, disposition),
              LONG(ERROR_SUCCESS));
    return key;
}

LONG SetString(HKEY key, const char *name, const std::string &value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                          DWORD(value.size() + 1));
}

// The value's bytes, or the error code as text.
std::string Query(HKEY key, const char *name, DWORD *type = nullptr)
{
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (rc != LONG(ERROR_SUCCESS))
        return "error " + std::to_string(rc);
    std::string data(size, '\0');
    rc = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE *>(data.data()), &size);
    if (rc != LONG(ERROR_SUCCESS))
        return "error " + std::to_string(rc);
    data.resize(size);
    return data;
}

// Runs the helper program; its standard output goes to *out.
int RunTool(const std::vector<std::string> &args, std::string *out)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<std::string> all = {LUMO_REGTOOL};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, LUMO_REGTOOL, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    out->clear();
    char buffer[256];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        out->append(buffer, size_t(n));
    ::close(pipeFds[0]);
    if (spawned != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST_F(RegistryTest, WriteAndReadValues)
{
    DWORD disposition = 0;
    HKEY key = CreateKey(kLumoKey, &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(SetString(key, "Path", "/home/u/lumo/"), LONG(ERROR_SUCCESS));
    const DWORD handle = 1234;
    ASSERT_EQ(RegSetValueExA(key, "hMainWnd", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&handle), 4),
              LONG(ERROR_SUCCESS));
    const BYTE blob[] = {0, 0xFF, 0x10};
    ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, sizeof blob), LONG(ERROR_SUCCESS));
    EXPECT_EQ(RegCloseKey(key), LONG(ERROR_SUCCESS));

    // The form the installation maker writes too.
    const std::string text = ReadStoreFile();
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0]\n"
                        "Path=sz:/home/u/lumo/\nhMainWnd=dword:1234\nBlob=hex:00ff10\n"),
              std::string::npos)
        << text;

    key = CreateKey("software\\LUMO\\ver2.0\\", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    struct Case {
        const char *name;
        DWORD bufferSize;
        LONG rc;
        DWORD type;
        DWORD size;
        std::string data;
    } cases[] = {
        {"Path", 64, LONG(ERROR_SUCCESS), REG_SZ, 14, std::string("/home/u/lumo/\0", 14)},
        {"PATH", 14, LONG(ERROR_SUCCESS), REG_SZ, 14, std::string("/home/u/lumo/\0", 14)},
        {"Path", 13, LONG(ERROR_MORE_DATA), REG_SZ, 14, "########"},
        {"hMainWnd", 4, LONG(ERROR_SUCCESS), REG_DWORD, 4, std::string("\xD2\x04\0\0", 4)},
        {"hMainWnd", 3, LONG(ERROR_MORE_DATA), REG_DWORD, 4, "########"},
        {"Blob", 8, LONG(ERROR_SUCCESS), REG_BINARY, 3, std::string("\0\xFF\x10", 3)},
        {"Missing", 64, LONG(ERROR_FILE_NOT_FOUND), 99, 64, "########"},
    };
    for (const Case &c : cases) {
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        DWORD type = 99, size = c.bufferSize;
        BYTE *data = reinterpret_cast<BYTE *>(buffer);
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, data, &size), c.rc)
            << c.name << " " << c.bufferSize;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(size, c.size) << c.name << " " << c.bufferSize;
        EXPECT_EQ(std::string(buffer, c.data.size()), c.data) << c.name << " " << c.bufferSize;
    }
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, nullptr, nullptr, &size), LONG(ERROR_SUCCESS));
    EXPECT_EQ(size, 14u);
    EXPECT_EQ(RegCloseKey(key), LONG(ERROR_SUCCESS));
    EXPECT_EQ(RegCloseKey(key), LONG(ERROR_INVALID_HANDLE));
}

TEST_F(RegistryTest, KeysOpenOnlyWhenTheyExistAndWithTheirAccess)
{
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kLumoKey, 0, KEY_READ, &key), LONG(ERROR_FILE_NOT_FOUND));
    RegCloseKey(CreateKey(kLumoKey));
    // A parent exists through its children.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), LONG(ERROR_SUCCESS));
    HKEY child = 0;
    ASSERT_EQ(RegOpenKeyExA(key, "Lumo\\Ver2.0", 0, KEY_READ, &child), LONG(ERROR_SUCCESS));
    EXPECT_EQ(SetString(child, "Path", "x"), LONG(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Query(child, "Path"), "error 2");
    RegCloseKey(child);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Lumo\\Ver3", 0, KEY_READ, &key),
              LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegOpenKeyExA(0x12345, "x", 0, KEY_READ, &key), LONG(ERROR_INVALID_HANDLE));
}

TEST_F(RegistryTest, HandWrittenStoreIsReadAndKeptAsItIs)
{
    const std::string original = "; written by the installation maker\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0]\r\n"
                                 "  Path = sz:/opt/lumo/\r\n"
                                 "Broken=dword:12x\r\n"
                                 "a line of no meaning\r\n"
                                 "\r\n"
                                 "[HKEY_CURRENT_USER\\TesselConsign50]\r\n"
                                 "@=sz:default\r\n";
    WriteStoreFile(original);
    HKEY key = CreateKey(kLumoKey);
    EXPECT_EQ(Query(key, "Path"), std::string("/opt/lumo/\0", 11));
    EXPECT_EQ(Query(key, "Broken"), "error " + std::to_string(ERROR_BADDB));
    HKEY other = CreateKey("TesselConsign50");
    EXPECT_EQ(Query(other, nullptr), std::string("default\0", 8));
    EXPECT_EQ(Query(other, ""), std::string("default\0", 8));

    const DWORD handle = 77;
    ASSERT_EQ(RegSetValueExA(key, "hMainWnd", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&handle), 4),
              LONG(ERROR_SUCCESS));
    // Setting a value that is already there writes nothing.
    ASSERT_EQ(SetString(other, "", "default"), LONG(ERROR_SUCCESS));
    RegCloseKey(key);
    RegCloseKey(other);
    const std::string expected = "; written by the installation maker\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0]\r\n"
                                 "  Path = sz:/opt/lumo/\r\n"
                                 "Broken=dword:12x\r\n"
                                 "a line of no meaning\r\n"
                                 "hMainWnd=dword:77\r\n"
                                 "\r\n"
                                 "[HKEY_CURRENT_USER\\TesselConsign50]\r\n"
                                 "@=sz:default\r\n";
    EXPECT_EQ(ReadStoreFile(), expected);
}

TEST_F(RegistryTest, ValuesHoldAnyBytes)
{
    HKEY key = CreateKey("Software\\Bytes");
    struct Case {
        std::string name;
        std::string value;
    } cases[] = {
        {"Lines", "one\r\ntwo\nthree\r"},
        {"a=b", "x=y"},
        {"[Section]", "[HKEY_CURRENT_USER\\Evil]"},
        {";comment", "; not a comment"},
        {"@", "not the default"},
        {" padded ", "  both ends  "},
        {"Backslashes", "..\\CFG\\\\x41\\"},
        {"\xD6\xD0\xCE\xC4", "\xD6\xD0\xCE\xC4\x81\x5C\x81\x5B"},
        {"Controls", std::string("\x01\x1B\x7F\t", 4)},
    };
    for (const Case &c : cases)
        ASSERT_EQ(SetString(key, c.name.c_str(), c.value), LONG(ERROR_SUCCESS)) << c.name;
    for (const Case &c : cases) {
        DWORD type = 0;
        EXPECT_EQ(Query(key, c.name.c_str(), &type), c.value + '\0') << c.name;
        EXPECT_EQ(type, REG_SZ);
    }
    EXPECT_EQ(Query(key, ""), "error 2");
    const BYTE binary[] = {0, '\n', '\r', '=', '\\', 0};
    ASSERT_EQ(RegSetValueExA(key, "Binary", 0, REG_BINARY, binary, sizeof binary), LONG(ERROR_SUCCESS));
    EXPECT_EQ(Query(key, "Binary"), std::string(reinterpret_cast<const char *>(binary), sizeof binary));
    RegCloseKey(key);

    // No value could add a line or a section to the file.
    const std::string text = ReadStoreFile();
    size_t lines = 0, sections = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        ++lines;
        sections += !line.empty() && line[0] == '[';
    }
    EXPECT_EQ(sections, 1u) << text;
    EXPECT_EQ(lines, 1 + std::size(cases) + 1) << text;
}

TEST_F(RegistryTest, ASecondProgramSeesWritesAtOnce)
{
    HKEY key = CreateKey(kLumoKey);
    ASSERT_EQ(SetString(key, "Path", "/home/u/\xD6\xD0/"), LONG(ERROR_SUCCESS));
    std::string out;
    EXPECT_EQ(RunTool({"get", kLumoKey, "Path"}, &out), 0);
    EXPECT_EQ(out, "/home/u/\xD6\xD0/");

    EXPECT_EQ(RunTool({"set", kLumoKey, "Path", "/srv/lumo/"}, &out), 0);
    EXPECT_EQ(Query(key, "Path"), std::string("/srv/lumo/\0", 11));
    EXPECT_EQ(RunTool({"get", kLumoKey, "Nothing"}, &out), int(ERROR_FILE_NOT_FOUND));
    RegCloseKey(key);
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing)
{
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([t] {
            HKEY key = CreateKey(kLumoKey);
            for (int i = 0; i < 25; ++i) {
                const std::string name = "v" + std::to_string(t) + "_" + std::to_string(i);
                EXPECT_EQ(SetString(key, name.c_str(), name), LONG(ERROR_SUCCESS));
            }
            RegCloseKey(key);
        });
    }
    std::string out;
    EXPECT_EQ(RunTool({"set", kLumoKey, "fromTool", "yes"}, &out), 0);
    for (std::thread &w : writers)
        w.join();
    HKEY key = CreateKey(kLumoKey);
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 25; ++i) {
            const std::string name = "v" + std::to_string(t) + "_" + std::to_string(i);
            EXPECT_EQ(Query(key, name.c_str()), name + '\0');
        }
    }
    EXPECT_EQ(Query(key, "fromTool"), std::string("yes\0", 4));
    RegCloseKey(key);
}

TEST_F(RegistryTest, UnreadableStoreGivesAnErrorAndStaysIntact)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    HKEY key = CreateKey(kLumoKey);
    ASSERT_EQ(SetString(key, "Path", "/home/u/lumo/"), LONG(ERROR_SUCCESS));
    RegCloseKey(key);
    ::chmod(store.c_str(), 0600);
    const std::string before = ReadStoreFile();
    struct stat was {};
    ASSERT_EQ(::stat(store.c_str(), &was), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // As "nobody" the store cannot be read; every call must say so.
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        int failures = 0;
        HKEY k = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kLumoKey, 0, KEY_READ, &k) != LONG(ERROR_ACCESS_DENIED))
            failures |= 1;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr) != LONG(ERROR_ACCESS_DENIED))
            failures |= 2;
        DWORD size = 0;
        if (RegQueryValueExA(HKEY_CURRENT_USER, "x", nullptr, nullptr, nullptr, &size) !=
            LONG(ERROR_ACCESS_DENIED))
            failures |= 4;
        if (SetString(HKEY_CURRENT_USER, "x", "y") != LONG(ERROR_ACCESS_DENIED))
            failures |= 8;
        ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    struct stat now {};
    ASSERT_EQ(::stat(store.c_str(), &now), 0);
    EXPECT_EQ(ReadStoreFile(), before);
    EXPECT_EQ(now.st_ino, was.st_ino);
}

TEST_F(RegistryTest, StoreThatIsNoFileGivesAnError)
{
    ASSERT_EQ(::mkdir(store.c_str(), 0700), 0);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kLumoKey, 0, KEY_READ, &key), LONG(ERROR_CANTREAD));
    EXPECT_EQ(SetString(HKEY_CURRENT_USER, "x", "y"), LONG(ERROR_CANTREAD));
    struct stat st {};
    EXPECT_EQ(::stat(store.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    ::rmdir(store.c_str());
}

TEST_F(RegistryTest, ClassesRootOpensWebPagesWithTheBrowser)
{
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".htm", 0, KEY_READ, &key), LONG(ERROR_SUCCESS));
    const std::string className = Query(key, nullptr);
    RegCloseKey(key);
    ASSERT_EQ(className, std::string("htmlfile\0", 9));
    const std::string command = className.c_str() + std::string("\\shell\\open\\command");
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, command.c_str(), 0, KEY_READ, &key), LONG(ERROR_SUCCESS));
    EXPECT_EQ(Query(key, ""), std::string("xdg-open \"%1\"\0", 14));
    EXPECT_EQ(SetString(key, "", "evil"), LONG(ERROR_ACCESS_DENIED));
    RegCloseKey(key);
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CLASSES_ROOT, ".xyz", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        LONG(ERROR_ACCESS_DENIED));
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".xyz", 0, KEY_READ, &key), LONG(ERROR_FILE_NOT_FOUND));
}
