#include "LoopbackPeers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "tests/support/PeerProcess.h"

namespace {

using peersupport::CanConnect;
using peersupport::FreeLoopbackPort;

// The value of `"name": ` in a log line: a string's text as written (up to its
// closing quote, escapes left as they are), or a number, true, false or null.
std::string Field(const std::string &line, const std::string &name)
{
    const std::string key = "\"" + name + "\": ";
    const size_t at = line.find(key);
    if (at == std::string::npos)
        return std::string();
    size_t pos = at + key.size();
    if (pos < line.size() && line[pos] == '"') {
        const size_t start = ++pos;
        while (pos < line.size() && line[pos] != '"')
            pos += line[pos] == '\\' ? 2 : 1;
        return pos < line.size() ? line.substr(start, pos - start) : std::string();
    }
    const size_t start = pos;
    while (pos < line.size() && (line[pos] == '-' || std::isdigit(static_cast<unsigned char>(line[pos])) ||
                                 (line[pos] >= 'a' && line[pos] <= 'z')))
        ++pos;
    return line.substr(start, pos - start);
}

} // namespace

ScriptedPeer::ScriptedPeer(Script script)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(listener_, 1);
    socklen_t length = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr *>(&a), &length);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this, script] {
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0)
            return;
        script(fd);
        ::close(fd);
    });
}

ScriptedPeer::~ScriptedPeer()
{
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
}

bool ScriptedPeer::ReadExact(int fd, void *buffer, int count)
{
    char *p = static_cast<char *>(buffer);
    while (count > 0) {
        const ssize_t n = ::recv(fd, p, static_cast<size_t>(count), 0);
        if (n <= 0)
            return false;
        p += n;
        count -= static_cast<int>(n);
    }
    return true;
}

void ScriptedPeer::WriteAll(int fd, const void *data, int count)
{
    const char *p = static_cast<const char *>(data);
    while (count > 0) {
        const ssize_t n = ::send(fd, p, static_cast<size_t>(count), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        p += n;
        count -= static_cast<int>(n);
    }
}

std::vector<GatewayLogEntry> ReadGatewayLog(const std::string &path)
{
    std::vector<GatewayLogEntry> entries;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        GatewayLogEntry e;
        e.direction = Field(line, "dir");
        if (e.direction.empty())
            continue;
        e.code = std::atoi(Field(line, "code").c_str());
        e.marker = Field(line, "marker");
        e.flags = std::atoi(Field(line, "flags").c_str());
        e.status = std::atoi(Field(line, "status").c_str());
        e.checksumOk = Field(line, "checksum_ok") == "true";
        e.enciphered = Field(line, "enciphered") == "true";
        e.keyBefore = Field(line, "key_before");
        e.keyAfter = Field(line, "key_after");
        e.body = Field(line, "body");
        e.wire = Field(line, "wire");
        e.textLength = std::atoi(Field(line, "text_len").c_str());
        e.bodyLength = std::atoi(Field(line, "body_len").c_str());
        entries.push_back(e);
    }
    return entries;
}
