// Peers for the gateway session tests, on loopback: the simulated trade gateway
// and microsocks (tests/support), and a scripted peer that writes exact bytes
// (lengths at and past their limits, split and stalled headers).
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/GatewayPeer.h"

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
