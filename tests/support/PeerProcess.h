// The child processes the protocol tests run their peers in (simulated servers
// that print their ports on their first output line, a SOCKS proxy), and the
// loopback port helpers for starting one and waiting until it accepts.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace peersupport {

// Starts argv[0] with the arguments argv, its standard output on a pipe. With
// firstLine, the first line the child writes (without its '\n') is read into it
// before the pipe is closed. The child's process id, or -1 when it could not start.
inline pid_t StartChild(const std::vector<std::string> &argv, std::string *firstLine)
{
    int out[2];
    if (::pipe(out) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char *> args;
        for (const std::string &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    if (firstLine && pid > 0) {
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            *firstLine += c;
    }
    ::close(out[0]);
    return pid;
}

// Ends a child StartChild started (SIGTERM) and reaps it; nothing for pid <= 0.
inline void StopChild(pid_t pid)
{
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
}

// A child process that is ended when it goes.
class PeerProcess {
public:
    PeerProcess() = default;
    PeerProcess(const PeerProcess &) = delete;
    PeerProcess &operator=(const PeerProcess &) = delete;
    ~PeerProcess() { Stop(); }

    bool Start(const std::vector<std::string> &argv, std::string *firstLine)
    {
        pid_ = StartChild(argv, firstLine);
        return pid_ > 0;
    }
    void Stop()
    {
        StopChild(pid_);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

// A loopback port nobody listens on at the time of the call.
inline uint16_t FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t length = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &length);
    ::close(fd);
    return ntohs(a.sin_port);
}

// Whether a connection to the loopback port is accepted (and at once closed).
inline bool CanConnect(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

} // namespace peersupport
