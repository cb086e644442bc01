// Shared by the chat window tests: the GUI and resources of the test program, a
// scratch installation with the chat server's address, a starter window in this
// process that answers the greeting with a credentials block, and reading what
// the windows show.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "chatdesk/ui/ChatResources.h"
#include "chatdesk/ui/HintWnd.h"
#include "platform/win/CAsyncSocket.h"
#include "tests/chatdesk/ChatServerPeer.h"
#include "platform/appframe/CEdit.h"
#include "platform/win/Messages.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Window.h"

namespace chatuitest {

// At the end of the test program, the windows that live as long as a program
// (the hint, the sockets' window) go, as the program lets them go.
class ChatUiEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        chatui::CHintWnd::Release();
        win::AfxSocketTerm();
    }
};

inline void EnsureUi()
{
    chattest::EnsureGui();
    chatui::RegisterChatResources();
}

// Runs a command, returning its exit status.
inline int Run(const std::string &command)
{
    return std::system(command.c_str());
}

// A scratch installation made by the installation maker, its chat server at
// 127.0.0.1:port (0: no chat server in the settings); the current folder becomes
// its bin/.
inline std::string MakeInstallation(const std::string &name, int port)
{
    const char *tmp = std::getenv("TMPDIR");
    const std::string root = std::string(tmp ? tmp : "/tmp") + "/" + name;
    std::filesystem::remove_all(root);
    std::string command = std::string("/usr/bin/python3 ") + LUMO_MKINSTALL + " " + root + " --no-registry";
    if (port > 0)
        command += " --chat-server 127.0.0.1:" + std::to_string(port);
    command += " > /dev/null";
    EXPECT_EQ(Run(command), 0);
    if (port == 0) {
        // The settings without the chat server's keys.
        const std::string settings = root + "/CFG/SETTING.INI";
        std::ifstream in(settings, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        std::string kept;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find('\n', at);
            end = end == std::string::npos ? text.size() : end + 1;
            const std::string line = text.substr(at, end - at);
            if (line.rfind("OTSServer", 0) != 0 && line.rfind("OTSPort", 0) != 0)
                kept += line;
            at = end;
        }
        std::ofstream(settings, std::ios::binary) << kept;
    }
    EXPECT_EQ(chdir((root + "/bin").c_str()), 0);
    return root;
}

// A window of this process standing for the terminal: it answers the greeting
// (2564 with wParam 0) by sending the chat window the credentials block.
class LocalStarter {
public:
    std::vector<char> block = std::vector<char>(128, 0);
    win::DWORD cbData = 128;
    win::ULONG_PTR dwData = 0;
    win::HWND sender = 0; // the sender named in wParam (0: this window)
    win::HWND chat = 0;
    int greetings = 0;

    LocalStarter()
    {
        static bool registered = [] {
            win::WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.lpszClassName = "LocalStarter";
            win::RegisterClassA(&wc);
            return true;
        }();
        (void)registered;
        hwnd = win::CreateWindowExA(0, "LocalStarter", "terminal", win::WS_POPUP, 0, 0, 10, 10, 0, 0, 0, nullptr);
        Current() = this;
    }
    ~LocalStarter()
    {
        if (Current() == this)
            Current() = nullptr;
        if (hwnd)
            win::DestroyWindow(hwnd);
    }
    void SetCredentials(const std::string &name, const std::string &password)
    {
        std::fill(block.begin(), block.end(), 0);
        std::memcpy(block.data(), name.data(), std::min<size_t>(name.size(), 64));
        std::memcpy(block.data() + 64, password.data(), std::min<size_t>(password.size(), 64));
    }
    win::LRESULT SendBlock()
    {
        win::COPYDATASTRUCT cds{dwData, cbData, block.data()};
        return win::SendMessageA(chat, win::WM_COPYDATA, static_cast<win::WPARAM>(sender ? sender : hwnd),
                                 reinterpret_cast<win::LPARAM>(&cds));
    }

    win::HWND hwnd = 0;

private:
    static LocalStarter *&Current()
    {
        static LocalStarter *current = nullptr;
        return current;
    }
    static win::LRESULT Proc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam)
    {
        LocalStarter *self = Current();
        if (msg == 2564 && wParam == 0 && self && self->hwnd == hwnd) {
            self->chat = static_cast<win::HWND>(lParam);
            ++self->greetings;
            self->SendBlock();
            return 0;
        }
        return win::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
};

// The text of an edit control.
inline std::string EditText(win::CWnd &edit)
{
    win::CString text;
    edit.GetWindowText(text);
    return std::string(static_cast<win::LPCSTR>(text));
}

// The temporary logs this process holds open.
inline int OpenConversationLogs()
{
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (!error && target.find("/Lmp") != std::string::npos)
            ++count;
    }
    return count;
}

} // namespace chatuitest
