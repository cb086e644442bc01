// The peers of the tests that talk to the data server: the simulated data server as a
// child process with its control port, microsocks as a real SOCKS5 proxy, a
// window that records the messages the clients post and send to the frame, and
// a frame double behind it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/MiniJson.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/NewsIndex.h"
#include "lumon/core/TRealDataClnt.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "tests/support/PeerProcess.h"

namespace peer {

inline std::filesystem::path Repo()
{
    return std::filesystem::path(LUMO_REPO_SOURCE_DIR);
}

inline int Field(const std::string &line, const char *name)
{
    size_t at = line.find(std::string(name) + "=");
    return at == std::string::npos ? 0 : std::stoi(line.substr(at + std::strlen(name) + 1));
}

// The simulated data server with a control port; extra options (a log, a
// compression mode, a users file) are passed on.
class DataServer {
public:
    bool Start(const std::string &install, const std::vector<std::string> &extra, const std::string &host = "127.0.0.1")
    {
        std::vector<std::string> args = {"/usr/bin/python3", (Repo() / "tools" / "dataserver.py").string(),
                                         "--install", install, "--tick", "0", "--control", "0", "--host", host};
        args.insert(args.end(), extra.begin(), extra.end());
        std::string line;
        if (!child_.Start(args, &line))
            return false;
        balance = uint16_t(Field(line, "balance"));
        data = uint16_t(Field(line, "data"));
        realtime = uint16_t(Field(line, "realtime"));
        control = uint16_t(Field(line, "control"));
        host_ = host;
        return data != 0 && control != 0;
    }

    // One control command; the answer line parsed.
    Json Command(const std::string &json)
    {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(control);
        inet_pton(AF_INET, host_.c_str(), &sa.sin_addr);
        std::string answer;
        if (::connect(fd, reinterpret_cast<sockaddr *>(&sa), sizeof sa) == 0) {
            std::string line = json + "\n";
            (void)::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
            char c;
            for (;;) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 15000) != 1 || ::recv(fd, &c, 1, 0) != 1 || c == '\n')
                    break;
                answer += c;
            }
        }
        ::close(fd);
        return Json::Parse(answer);
    }

    uint16_t balance = 0, data = 0, realtime = 0, control = 0;

private:
    peersupport::PeerProcess child_;
    std::string host_;
};

// microsocks on 127.0.0.1, with a user and password when given.
class Socks {
public:
    bool Start(const std::string &user = "", const std::string &password = "")
    {
        port = FreePort();
        std::vector<std::string> args = {"/usr/bin/microsocks", "-i", "127.0.0.1", "-p", std::to_string(port)};
        if (!user.empty())
            args.insert(args.end(), {"-u", user, "-P", password});
        if (!child_.Start(args, nullptr))
            return false;
        // Up once it accepts.
        for (int i = 0; i < 200; ++i) {
            if (peersupport::CanConnect(port))
                return true;
            usleep(10000);
        }
        return false;
    }
    static uint16_t FreePort() { return peersupport::FreeLoopbackPort(); }
    uint16_t port = 0;

private:
    peersupport::PeerProcess child_;
};

// A message the frame received; for 2026 quote changes the ring entry, for
// 2547 the news record, copied while the message was handled.
struct Received {
    win::UINT msg;
    win::WPARAM wParam;
    win::LPARAM lParam;
    QuoteChangeEntry entry;
    NewsRecord news;
};

inline std::vector<Received> &Inbox()
{
    static std::vector<Received> inbox;
    return inbox;
}

inline win::LRESULT RecordingProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam)
{
    if (msg >= 2000 && msg < 3000) {
        Received r{msg, wParam, lParam, {}, {}};
        if (msg == WM_DATA_CHANGED && wParam != 2)
            r.entry = *reinterpret_cast<const QuoteChangeEntry *>(lParam);
        if (msg == WM_NEWS_FLASH)
            r.news = *reinterpret_cast<const NewsRecord *>(lParam);
        Inbox().push_back(r);
        return 0;
    }
    return win::DefWindowProcA(hwnd, msg, wParam, lParam);
}

inline win::HWND MakeRecordingWindow()
{
    static const bool registered = [] {
        win::WNDCLASSA wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "Link Recording Window";
        return win::RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    return win::CreateWindowExA(win::WS_EX_TOOLWINDOW, "Link Recording Window", "", 0, 0, 0, 0, 0, 0, 0, 0,
                                nullptr);
}

inline std::vector<Received> Messages(win::UINT msg)
{
    std::vector<Received> out;
    for (const Received &r : Inbox())
        if (r.msg == msg)
            out.push_back(r);
    return out;
}

// The frame double: one window for the frame and one for a ranking pane, the
// request ring's requests going to the request client it is given.
class FrameDouble : public TFrameServices {
public:
    FrameDouble() : frame(MakeRecordingWindow()), pane(MakeRecordingWindow()) { Inbox().clear(); }
    ~FrameDouble() override
    {
        win::DestroyWindow(frame);
        win::DestroyWindow(pane);
    }
    bool RequestNameTable(int) override { return false; }
    win::HWND GetFrameWindow() override { return frame; }
    int SendDataRequest(const DataRequest &request) override
    {
        return send ? send(request) : -1;
    }
    bool HasFunctionRight(int n) override { return n != deniedNewsType; }
    void SetRights(const uint8_t *block, int ymd) override
    {
        rights.assign(block, block + 48);
        date = ymd;
    }
    bool FaultPending() override { return faultPending; }
    void SetLastRealtimeMessageId(int32_t id) override { lastRealtimeId = id; }
    const char *GetTempDirectory() override { return temp.c_str(); }
    win::HWND FindPaneWindow(const void *requester) override { return requester == paneIdentity ? pane : 0; }
    void RedrawFastChangeColumn(const void *requester) override { redrawn.push_back(requester); }
    void ShowNote(const char *name) override { notesShown.push_back(name); }
    int ShowUpdateNotice() override
    {
        ++noticesShown;
        return updateAnswer;
    }

    win::HWND frame, pane;
    std::function<int(const DataRequest &)> send;
    int deniedNewsType = -1;
    std::vector<uint8_t> rights;
    int date = 0;
    bool faultPending = false;
    int32_t lastRealtimeId = -1;
    std::string temp;
    const void *paneIdentity = reinterpret_cast<const void *>(0x5a5a);
    std::vector<const void *> redrawn;
    std::vector<std::string> notesShown;
    int updateAnswer = 2;
    int noticesShown = 0;
};

} // namespace peer
