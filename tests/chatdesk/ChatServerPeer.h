// The simulated chat server as a child process on loopback, with its control
// connection, and the GUI loop that the chat socket's notifications need.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace chattest {

class ChatServerPeer {
public:
    ChatServerPeer() = default;
    ChatServerPeer(const ChatServerPeer &) = delete;
    ChatServerPeer &operator=(const ChatServerPeer &) = delete;
    ~ChatServerPeer() { Stop(); }

    // Starts the server with the extra options; false when it did not report its ports.
    bool Start(const std::vector<std::string> &options = {});
    void Stop();
    int Port() const { return port_; }

    // Sends one control command (a JSON object) and returns the answer line.
    std::string Command(const std::string &json);
    // Asks a "wait" condition again and again, running the GUI loop in between,
    // until it holds (true) or `ms` have passed.
    bool WaitFor(const std::string &condition, int ms = 5000);

private:
    int pid_ = 0;
    int port_ = 0;
    int control_ = -1;
};

// The test program's GUI application and socket start-up, made once.
void EnsureGui();
// Runs the GUI thread's messages until `done` holds or `ms` have passed.
bool PumpUntil(const std::function<bool()> &done, int ms = 5000);
// Runs the GUI thread's messages for `ms`.
void PumpFor(int ms);

// The value of a field of a JSON line as text (strings without their quotes).
std::string JsonField(const std::string &line, const std::string &name);

} // namespace chattest
