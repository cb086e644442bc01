// Where the runtime folder is made, when it is refused, and what a program started
// without XDG_RUNTIME_DIR says and leaves to the toolkit and its children.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/PeerProcess.h"
#include "platform/win/Runtime.h"

using namespace win;

namespace {

const uid_t kNobody = 65534;

std::string Scratch(const std::string &name)
{
    std::string base = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/" + name;
    std::filesystem::remove_all(base);
    std::filesystem::create_directories(base);
    return base;
}

unsigned ModeOf(const std::string &path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0xFFFF;
}

} // namespace

TEST(RuntimeFolderTest, ChosenFromTheEnvironmentTheSessionFolderOrTheHomeFolder)
{
    const std::string b = Scratch("rt-places");
    std::filesystem::create_directories(b + "/session");
    chmod((b + "/session").c_str(), 0700);
    const std::string homeRun = b + "/home/.cache/lumo/run";
    struct Case {
        const char *what;
        RuntimePlaces places;
        std::string expected;
    } cases[] = {
        {"XDG_RUNTIME_DIR set", {b + "/xdg/", b + "/session", b + "/home"}, b + "/xdg/lumo"},
        {"the session folder exists", {"", b + "/session", b + "/home"}, b + "/session/lumo"},
        {"no session folder: under the home folder", {"", b + "/nosession", b + "/home"}, homeRun},
        {"a variable naming the home folder's one", {homeRun, b + "/session", b + "/home"}, homeRun},
    };
    std::filesystem::create_directories(b + "/xdg");
    for (const Case &c : cases) {
        std::string why;
        EXPECT_EQ(OpenRuntimeFolder(c.places, why), c.expected) << c.what << ": " << why;
        EXPECT_EQ(ModeOf(c.expected), 0700u) << c.what;
    }
    std::filesystem::remove_all(b);
}

TEST(RuntimeFolderTest, RefusedWithTheReasonAndItsOwnLooseModeTightened)
{
    const std::string b = Scratch("rt-refuse");
    std::filesystem::create_directories(b + "/loose/lumo");
    chmod((b + "/loose/lumo").c_str(), 0755);
    std::string why;
    EXPECT_EQ(OpenRuntimeFolder({b + "/loose", "", ""}, why), b + "/loose/lumo") << why;
    EXPECT_EQ(ModeOf(b + "/loose/lumo"), 0700u);

    std::filesystem::create_directories(b + "/target");
    std::filesystem::create_directories(b + "/link");
    std::filesystem::create_directory_symlink(b + "/target", b + "/link/lumo");
    const std::string longBase = b + "/" + std::string(100, 'x');
    struct Case {
        const char *what;
        RuntimePlaces places;
        std::string says;
    } cases[] = {
        {"a symbolic link", {b + "/link", "", ""}, b + "/link/lumo is a symbolic link"},
        {"a path too long for a socket address", {longBase, "", ""}, "bytes long"},
        {"nothing known", {"", b + "/nosession", ""}, "neither XDG_RUNTIME_DIR nor a home folder"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(OpenRuntimeFolder(c.places, why), "") << c.what;
        EXPECT_NE(why.find(c.says), std::string::npos) << c.what << ": " << why;
    }

    if (geteuid() == 0) {
        // A folder another user made first, and a session folder of another user.
        std::filesystem::create_directories(b + "/planted/lumo");
        ASSERT_EQ(chown((b + "/planted/lumo").c_str(), kNobody, kNobody), 0);
        EXPECT_EQ(OpenRuntimeFolder({b + "/planted", "", ""}, why), "");
        EXPECT_NE(why.find("belongs to another user (uid 65534"), std::string::npos) << why;
        std::filesystem::create_directories(b + "/theirs");
        ASSERT_EQ(chown((b + "/theirs").c_str(), kNobody, kNobody), 0);
        EXPECT_EQ(OpenRuntimeFolder({"", b + "/theirs", b + "/home"}, why), b + "/home/.cache/lumo/run") << why;
    }
    std::filesystem::remove_all(b);
}

namespace {

struct PeerRun {
    std::string out, err;
};

// Runs the peer program's "runtime" part with XDG_RUNTIME_DIR as given (unset
// when null) and HOME set to `home`, on the X server `display` (the toolkit's X11
// platform asks for its runtime folder at start) or offscreen without one; its
// standard output and error.
PeerRun RunPeer(const std::string &home, const char *xdg, const std::string &display)
{
    PeerRun run;
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return run;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        if (xdg)
            setenv("XDG_RUNTIME_DIR", xdg, 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        setenv("HOME", home.c_str(), 1);
        setenv("QT_QPA_PLATFORM", display.empty() ? "offscreen" : "xcb", 1);
        setenv("DISPLAY", display.c_str(), 1);
        execl(LUMO_WINPEER, LUMO_WINPEER, "runtime", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;)
        run.out.append(buf, static_cast<size_t>(n));
    for (ssize_t n; (n = read(err[0], buf, sizeof buf)) > 0;)
        run.err.append(buf, static_cast<size_t>(n));
    close(out[0]);
    close(err[0]);
    waitpid(pid, nullptr, 0);
    return run;
}

} // namespace

TEST(RuntimeFolderTest, AProgramWithoutTheVariableUsesItsHomeAndSaysWhenRefused)
{
    if (std::filesystem::exists("/run/user/" + std::to_string(geteuid())))
        GTEST_SKIP() << "this user has a session folder, which a program started here would use";
    const std::string home = Scratch("rt-home");
    const std::string folder = home + "/.cache/lumo/run";
    peersupport::PeerProcess xvfb;
    std::string display;
    if (access("/usr/bin/Xvfb", X_OK) == 0 &&
        xvfb.Start({"/usr/bin/Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "320x240x24"}, &display))
        display = ":" + display;

    // The toolkit is given the folder (no warning of its own), and a child that
    // inherits the variable finds the same folder.
    PeerRun first = RunPeer(home, nullptr, display);
    EXPECT_EQ(first.out, folder + "\n" + folder + "\n") << first.err;
    EXPECT_EQ(first.err.find("XDG_RUNTIME_DIR"), std::string::npos) << first.err;
    EXPECT_EQ(first.err.find("runtime"), std::string::npos) << first.err;
    EXPECT_EQ(ModeOf(folder), 0700u);
    PeerRun child = RunPeer(home, folder.c_str(), display);
    EXPECT_EQ(child.out, folder + "\n" + folder + "\n");

    if (geteuid() == 0) {
        ASSERT_EQ(chown(folder.c_str(), kNobody, kNobody), 0);
        PeerRun refused = RunPeer(home, nullptr, display);
        EXPECT_EQ(refused.out.substr(0, 1), "\n");
        EXPECT_NE(refused.err.find("lumo: runtime folder refused: " + folder + " belongs to another user"),
                  std::string::npos)
            << refused.err;
    }
    std::filesystem::remove_all(home);
}
