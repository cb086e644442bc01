#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/win/Handle.h"
#include "platform/win/Process.h"
#include "platform/win/Thread.h"

using namespace win;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::path(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") / "proc";
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "out");
        fs::create_directories(root / "opener");
        // The peer under a Windows-like name in other letter case.
        fs::copy_file(LUMO_WINPEER, root / "bin" / "WinPeer");
        std::ofstream(root / "bin" / "tool.exe") << "not runnable";
        chmod((root / "bin" / "tool.exe").c_str(), 0644);
        std::ofstream(root / "bin" / "readme.txt") << "text";
        std::ofstream(root / "opener" / "xdg-open") << "#!/bin/sh\nexit 0\n";
        chmod((root / "opener" / "xdg-open").c_str(), 0755);
        savedPath = getenv("PATH") ? getenv("PATH") : "";
    }
    void TearDown() override
    {
        setenv("PATH", savedPath.c_str(), 1);
        RecordLaunches(false);
        fs::remove_all(root);
    }

    // Runs a command line; returns the child's exit code.
    DWORD Run(LPCSTR app, std::string line, const std::string &folder)
    {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(app, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
            return 0xFFFFFFFF;
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
        DWORD code = 1234;
        EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        return code;
    }

    fs::path root;
    std::string savedPath;
};

TEST_F(ProcessTest, ChildGetsTheWholeCommandLine)
{
    std::string out = (root / "out").string();
    // The order client's line: '|' fields, quotes and blanks kept as they are.
    std::string line = "cmdline |1001||\"ab  c\"|IF2406|0|3650.2|1|12345|4025|4026|";
    ASSERT_EQ(Run(LUMO_WINPEER, line, out), 0u);
    EXPECT_EQ(ReadAll(out + "/cmdline.out"), line + "\ncleared");

    // Found by a name in other letter case with ".EXE" added, from the line.
    std::string byName = (root / "BIN" / "winpeer.EXE").string() + " cmdline";
    ASSERT_EQ(Run(nullptr, byName, out), 0u);
    EXPECT_EQ(ReadAll(out + "/cmdline.out"), byName + "\ncleared");
}

TEST_F(ProcessTest, StartFailuresCarryTheWindowsErrors)
{
    struct Case {
        std::string app;
        std::string folder;
        DWORD error;
    } cases[] = {
        {(root / "bin" / "nothere.exe").string(), "", ERROR_FILE_NOT_FOUND},
        {(root / "nofolder" / "x.exe").string(), "", ERROR_PATH_NOT_FOUND},
        {(root / "bin" / "tool.exe").string(), "", ERROR_ACCESS_DENIED},
        {(root / "bin").string(), "", ERROR_ACCESS_DENIED},
        {LUMO_WINPEER, (root / "missing").string(), ERROR_DIRECTORY},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.app);
        std::string line = "x";
        PROCESS_INFORMATION pi{};
        SetLastError(0);
        EXPECT_FALSE(CreateProcessA(c.app.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                    c.folder.empty() ? nullptr : c.folder.c_str(), nullptr, &pi));
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(ProcessTest, FindProgramFileFindsWhatCreateProcessWouldStart)
{
    const std::string peer = (root / "bin" / "WinPeer").string();
    struct Case {
        std::string name;
        std::string found;
    } cases[] = {
        {peer, peer},
        {(root / "BIN" / "winpeer.exe").string(), peer}, // other case, ".exe" added
        {(root / "bin" / "winpeer").string(), peer},
        {"winpeer.exe", peer},                            // from the working folder
        {".\\WINPEER.EXE", peer},
        {(root / "bin" / "tool.exe").string(), ""},       // not runnable
        {(root / "bin" / "readme.txt").string(), ""},
        {(root / "bin").string(), ""},                    // a folder
        {(root / "bin" / "nothere.exe").string(), ""},
        {"ls", ""},                                       // the PATH is not searched
        {"", ""},
    };
    const fs::path saved = fs::current_path();
    fs::current_path(root / "bin");
    for (const Case &c : cases)
        EXPECT_EQ(FindProgramFile(c.name.c_str()), c.found) << c.name;
    EXPECT_EQ(FindProgramFile(nullptr), "");
    fs::current_path(saved);
}

TEST_F(ProcessTest, ShellExecuteOutcomes)
{
    RecordLaunches(true);
    std::string bin = (root / "bin").string();
    std::string opener = (root / "opener" / "xdg-open").string();
    struct Case {
        const char *verb;
        std::string file;
        std::string dir;
        bool withOpener;
        UINT result;
        std::string program; // empty: nothing launched
    } cases[] = {
        {"open", "winpeer.exe", bin, true, 42, bin + "/WinPeer"},
        {"open", (root / "BIN" / "WINPEER").string(), "", true, 42, bin + "/WinPeer"},
        {"open", "missing.exe", bin, true, SE_ERR_FNF, ""},
        {"open", (root / "nofolder" / "x.exe").string(), "", true, SE_ERR_PNF, ""},
        {"open", "tool.exe", bin, true, SE_ERR_ACCESSDENIED, ""},
        {"open", "http://www.example.com/help", "", true, 42, opener},
        {nullptr, "README.TXT", bin, true, 42, opener},
        {"open", "http://www.example.com/help", "", false, SE_ERR_NOASSOC, ""},
        {"print", "readme.txt", bin, true, SE_ERR_NOASSOC, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        setenv("PATH", c.withOpener ? ((root / "opener").string() + ":" + savedPath).c_str() : "/nonexistent", 1);
        RecordLaunches(true);
        UINT result = ShellExecuteA(0, c.verb, c.file.c_str(), nullptr, c.dir.empty() ? nullptr : c.dir.c_str(),
                                    10);
        EXPECT_EQ(result, c.result);
        auto launches = RecordedLaunches();
        if (c.program.empty()) {
            EXPECT_TRUE(launches.empty());
        } else {
            ASSERT_EQ(launches.size(), 1u);
            EXPECT_EQ(launches[0].program, c.program);
        }
    }
}

TEST_F(ProcessTest, WinExecSplitsItsLine)
{
    setenv("PATH", ((root / "opener").string() + ":" + savedPath).c_str(), 1);
    RecordLaunches(true);
    EXPECT_EQ(WinExec("xdg-open \"http://www.example.com/a b\"", 1), 33u);
    EXPECT_EQ(WinExec("nosuchbrowser http://x", 1), ERROR_FILE_NOT_FOUND);
    auto launches = RecordedLaunches();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].program, (root / "opener" / "xdg-open").string());
    EXPECT_EQ(launches[0].args, std::vector<std::string>{"http://www.example.com/a b"});
}

} // namespace
