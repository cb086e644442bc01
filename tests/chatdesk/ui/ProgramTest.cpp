// The chat program as a process, started by a starter that plays the terminal:
// the command line, the greeting and the credentials block, the login the
// server sees, and the end through 2564/3 or through the starter's vanishing,
// with the profile's message-notify setting written only where it is kept.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ChatUiFixture.h"
#include "chatdesk/EncryptedProfile.h"
#include "platform/win/Window.h"

namespace {

// The starter as a child process: commands go to its standard input, its
// events come from its standard output.
class StarterProcess {
public:
    explicit StarterProcess(const std::vector<std::string> &args)
    {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[1]);
            close(out[0]);
            std::vector<char *> argv;
            static std::string starter = LUMO_CHATSTARTER;
            argv.push_back(starter.data());
            std::vector<std::string> copy = args;
            for (std::string &a : copy)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        in_ = in[1];
        out_ = out[0];
    }
    ~StarterProcess()
    {
        if (in_ >= 0)
            close(in_);
        if (out_ >= 0)
            close(out_);
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    void Tell(const std::string &command)
    {
        const std::string line = command + "\n";
        (void)!write(in_, line.data(), line.size());
    }
    // The next event line that starts with `prefix`, or "" after `ms`.
    std::string WaitFor(const std::string &prefix, int ms = 15000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            size_t newline;
            while ((newline = buffer_.find('\n')) != std::string::npos) {
                const std::string line = buffer_.substr(0, newline);
                buffer_.erase(0, newline + 1);
                seen_.push_back(line);
                if (line.rfind(prefix, 0) == 0)
                    return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return "";
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return "";
            char chunk[256];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0)
                return "";
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }
    bool Saw(const std::string &prefix) const
    {
        for (const std::string &line : seen_)
            if (line.rfind(prefix, 0) == 0)
                return true;
        return false;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
    std::vector<std::string> seen_;
};

class ChatProgramTest : public ::testing::Test {
protected:
    void SetUp() override { chatuitest::EnsureUi(); }
    // An installation with the program as bin/chatdesk.dll and, when `version`
    // is not 0, a profile holding that version.
    std::string Install(int port, int version)
    {
        root = chatuitest::MakeInstallation("chatprog", port);
        program = root + "/bin/chatdesk.dll";
        std::filesystem::copy_file(LUMO_CHATDESK, program, std::filesystem::copy_options::overwrite_existing);
        if (version) {
            CEncryptedProfile profile((root + "/bin/LmMsgrC.ini").c_str());
            profile.SetInt("General", "Version", version, true);
            profile.Save();
        }
        return program;
    }
    bool ProfileHasNotify()
    {
        CEncryptedProfile profile((root + "/bin/LmMsgrC.ini").c_str());
        return profile.FindKey(profile.FindSection("General"), "MsgNotify") >= 0;
    }

    std::string root, program;
    chattest::ChatServerPeer server;
};

TEST_F(ChatProgramTest, ACommandLineThatNamesNoWindowEndsTheProgramAtOnce)
{
    Install(0, 0);
    win::HWND dead;
    {
        chatuitest::LocalStarter gone;
        dead = gone.hwnd;
    }
    ASSERT_FALSE(win::IsWindow(dead));
    for (const std::string &line : std::vector<std::string>{"0", "12abc", "4294967296", "", "-1", " 123", std::to_string(dead)}) {
        StarterProcess starter({program, "--cmdline", line});
        EXPECT_EQ(starter.WaitFor("child-exited"), "child-exited 0") << "'" << line << "'";
        EXPECT_FALSE(starter.Saw("greeted")) << line;
    }
    EXPECT_FALSE(std::filesystem::exists(root + "/bin/LmMsgrC.ini"));
}

TEST_F(ChatProgramTest, TheTerminalsNameLogsInCutTo63BytesAndTheTerminalEndsTheProgram)
{
    ASSERT_TRUE(server.Start());
    Install(server.Port(), 2);
    StarterProcess starter({program, "--name", std::string(64, 'n'), "--password", "123456"});
    ASSERT_NE(starter.WaitFor("greeted"), "");
    EXPECT_EQ(starter.WaitFor("answered"), "answered 1");
    const std::string query = R"({"cmd":"wait","for":"record","kind":"login","timeout":15})";
    const std::string login = server.Command(query);
    EXPECT_NE(login.find("\"name\": \"" + std::string(63, 'n') + "\""), std::string::npos) << login;
    EXPECT_EQ(login.find(std::string(64, 'n')), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(root + "/bin/MsgNtfy.wav"));
    starter.Tell("end");
    EXPECT_EQ(starter.WaitFor("child-exited"), "child-exited 0");
    // The profile keeps a version of 2: the setting was written back.
    EXPECT_TRUE(ProfileHasNotify());
}

TEST_F(ChatProgramTest, AVanishedTerminalEndsTheProgramWithoutWritingAnOldProfile)
{
    ASSERT_TRUE(server.Start());
    Install(server.Port(), 1);
    {
        StarterProcess starter({program, "--name", "user01", "--password", "123456"});
        ASSERT_TRUE(server.WaitFor(R"({"cmd":"wait","for":"login","user":"user01"})", 15000));
        starter.Tell("exit");
        // The 3-second watch sees the terminal's window gone: a real close.
        EXPECT_TRUE(server.WaitFor(R"({"cmd":"wait","for":"closed","to":"*"})", 15000));
    }
    const std::string state = server.Command(R"({"cmd":"state"})");
    EXPECT_FALSE(ProfileHasNotify());
    (void)state;
}

TEST_F(ChatProgramTest, AZeroBlockMakesNoAttempt)
{
    ASSERT_TRUE(server.Start());
    Install(server.Port(), 0);
    StarterProcess starter({program});
    ASSERT_NE(starter.WaitFor("greeted"), "");
    EXPECT_EQ(starter.WaitFor("answered"), "answered 1");
    EXPECT_FALSE(server.WaitFor(R"({"cmd":"wait","for":"connect","count":1})", 1500));
    starter.Tell("end");
    EXPECT_EQ(starter.WaitFor("child-exited"), "child-exited 0");
}

} // namespace
