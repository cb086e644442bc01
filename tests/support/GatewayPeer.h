// The simulated trade gateway and microsocks as child processes on loopback, and
// the gateway's control port, for every test of the order client. The test
// folder defines LUMO_GATEWAY as the path of tools/gateway.py.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/PeerProcess.h"

// A child process whose first line of output is the port it listens on.
class ChildPeer {
public:
    ChildPeer() = default;
    ChildPeer(const ChildPeer &) = delete;
    ChildPeer &operator=(const ChildPeer &) = delete;
    ~ChildPeer() { Stop(); }

    // Starts the simulated gateway with the extra options; false when it did not
    // report a port.
    bool StartGateway(const std::vector<std::string> &options, const std::string &logPath)
    {
        std::vector<std::string> argv = {"/usr/bin/python3", LUMO_GATEWAY, "--host", "127.0.0.1",
                                         "--port", "0", "--log", logPath};
        argv.insert(argv.end(), options.begin(), options.end());
        return Start(argv, true);
    }
    // Starts microsocks on a free loopback port, with user and password when given.
    bool StartSocks(const std::string &user, const std::string &password)
    {
        port_ = peersupport::FreeLoopbackPort();
        std::vector<std::string> argv = {"/usr/bin/microsocks", "-i", "127.0.0.1", "-p", std::to_string(port_)};
        if (!user.empty())
            argv.insert(argv.end(), {"-u", user, "-P", password});
        if (!Start(argv, false))
            return false;
        for (int i = 0; i < 200; ++i) {
            if (peersupport::CanConnect(port_))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    void Stop()
    {
        peersupport::StopChild(pid_);
        pid_ = 0;
    }
    int Port() const { return port_; }
    // The simulated gateway's control port, when it was started with "--control 0".
    int ControlPort() const { return controlPort_; }

private:
    bool Start(const std::vector<std::string> &argv, bool portOnFirstLine)
    {
        std::string line;
        pid_ = peersupport::StartChild(argv, portOnFirstLine ? &line : nullptr);
        if (!portOnFirstLine)
            return pid_ > 0;
        port_ = std::atoi(line.c_str());
        const size_t blank = line.find(' ');
        controlPort_ = blank == std::string::npos ? 0 : std::atoi(line.c_str() + blank + 1);
        return port_ > 0;
    }
    pid_t pid_ = 0;
    int port_ = 0;
    int controlPort_ = 0;
};

// Sends one JSON command line to the gateway's control port and returns its answer line.
inline std::string GatewayCommand(int controlPort, const std::string &json)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(controlPort));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0) {
        const std::string line = json + "\n";
        size_t sent = 0;
        while (sent < line.size()) {
            const ssize_t n = ::send(fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
        char c;
        while (::recv(fd, &c, 1, 0) == 1 && c != '\n')
            answer += c;
    }
    ::close(fd);
    return answer;
}
