// The SOCKS5 proxy's answers as the order client's gateway connection reads
// them: the method choice, the user-and-password status and the connect reply
// with its bound address in any form. The first byte is the client's setting:
// bit 0, user and password are configured; bit 1, the gateway is named rather
// than given as a dotted address. What the proxy would read is checked as it is
// sent.
// fuzz-deps: consign_session
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "consign/session/Socks5Request.h"
#include "tests/fuzz/FuzzRequire.h"

using win::BYTE;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const bool credentials = data[0] & 1;
    const char *address = data[0] & 2 ? "gateway.example" : "10.1.2.3";
    const uint8_t *in = data + 1;
    size_t left = size - 1;
    std::vector<std::vector<uint8_t>> sent;
    const Socks5Send send = [&](const BYTE *bytes, int count) {
        Require(count > 0 && count <= 600);
        sent.emplace_back(bytes, bytes + count);
        return true;
    };
    const Socks5Receive receive = [&](BYTE *destination, int count) {
        Require(count >= 0 && count <= 262);
        if (size_t(count) > left)
            return false;
        std::memcpy(destination, in, size_t(count));
        in += count;
        left -= size_t(count);
        return true;
    };
    const bool open = NegotiateSocks5(credentials ? "user" : nullptr, credentials ? "secret" : nullptr, address,
                                      9001, send, receive);
    Require(!sent.empty() && sent[0].size() == SOCKS5_GREETING_LENGTH);
    if (open) {
        const std::vector<uint8_t> &request = sent.back();
        Require(request.size() >= 10 && request[0] == 5 && request[1] == 1 &&
                request[request.size() - 2] == 9001 >> 8 && request.back() == (9001 & 0xFF));
        Require(request[3] == (data[0] & 2 ? 3 : 1));
    }
    return 0;
}
