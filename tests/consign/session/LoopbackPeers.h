// Peers for the gateway session tests, on loopback: the simulated trade gateway
// and microsocks as child processes, and a scripted peer that writes exact bytes
// (lengths at and past their limits, split and stalled headers).
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// A child process whose first line of output is the port it listens on.
class ChildPeer {
public:
    ChildPeer() = default;
    ChildPeer(const ChildPeer &) = delete;
    ChildPeer &operator=(const ChildPeer &) = delete;
    ~ChildPeer() { Stop(); }

    // Starts the simulated gateway with the extra options; false when it did not
    // report a port.
    bool StartGateway(const std::vector<std::string> &options, const std::string &logPath);
    // Starts microsocks on a free loopback port, with user and password when given.
    bool StartSocks(const std::string &user, const std::string &password);
    void Stop();
    int Port() const { return port_; }
    // The simulated gateway's control port, when it was started with "--control 0".
    int ControlPort() const { return controlPort_; }

private:
    bool Start(const std::vector<std::string> &argv, bool portOnFirstLine);
    int pid_ = 0;
    int port_ = 0;
    int controlPort_ = 0;
};

// Sends one JSON command line to the gateway's control port and returns its answer line.
std::string GatewayCommand(int controlPort, const std::string &json);

// A one-connection TCP server on 127.0.0.1 that runs `script` on the accepted
// connection in its own thread.
class ScriptedPeer {
public:
    using Script = std::function<void(int fd)>;
    explicit ScriptedPeer(Script script);
    ~ScriptedPeer();
    int Port() const { return port_; }

    // Helpers for scripts.
    static bool ReadExact(int fd, void *buffer, int count);
    static void WriteAll(int fd, const void *data, int count);

private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// The records the simulated gateway logs, one JSON object a line, reduced to
// what the tests compare.
struct GatewayLogEntry {
    std::string direction; // "in" or "out"
    int code = -1;
    std::string marker;
    int flags = 0;
    int status = 0;
    bool checksumOk = false;
    bool enciphered = false;
    std::string keyBefore;
    std::string keyAfter;
    std::string body;      // hex, plain
    std::string wire;      // hex, as it travelled
    int textLength = 0;
    int bodyLength = 0;
};
std::vector<GatewayLogEntry> ReadGatewayLog(const std::string &path);
