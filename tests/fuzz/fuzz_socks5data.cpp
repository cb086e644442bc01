// The SOCKS5 proxy's answers as the data-server clients read them: the method
// choice, the user-and-password status and the connect reply with its bound
// address in any form. The first byte is the client's setting: bit 0, the proxy
// wants user and password. What the proxy would read is checked as it is sent.
// fuzz-deps: lumon_core
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lumon/core/ProxyLink.h"
#include "tests/fuzz/FuzzRequire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    ProxySettings proxy{};
    std::strcpy(proxy.Host, "127.0.0.1");
    proxy.Port = 1080;
    std::strcpy(proxy.User, "user");
    std::strcpy(proxy.Password, "secret");
    proxy.UseProxy = 1;
    proxy.CertUser = data[0] & 1;
    const uint8_t *in = data + 1;
    size_t left = size - 1;
    std::vector<std::vector<uint8_t>> sent;
    const LinkSend send = [&](const uint8_t *bytes, int n) {
        Require(n > 0 && n <= 300);
        sent.emplace_back(bytes, bytes + n);
        return true;
    };
    const LinkReceive receive = [&](void *buffer, int n) {
        Require(n > 0 && n <= 257);
        if (size_t(n) > left)
            return false;
        std::memcpy(buffer, in, size_t(n));
        in += n;
        left -= size_t(n);
        return true;
    };
    const int result = Socks5Handshake(proxy, "127.0.0.1", 6666, send, receive);
    Require(!sent.empty() && sent[0].size() == 3 && sent[0][0] == 5);
    if (result == 1) {
        // Greeting, optionally the user and password, then the connect request.
        Require(sent.size() == 2 || sent.size() == 3);
        const std::vector<uint8_t> &request = sent.back();
        Require(request.size() == 10 && request[0] == 5 && request[1] == 1 && request[3] == 1 &&
                request[8] == 6666 >> 8 && request[9] == (6666 & 0xFF));
    }
    return 0;
}
