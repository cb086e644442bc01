// The answers the request client waits for before notifications start: the
// login, the program version and a market's name table, read from a real
// loopback connection on which the input is all the server says. The first byte
// chooses the exchange (0 login, 1 version, 2 name table).
// fuzz-deps: lumon_core
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "lumon/core/DataIO.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "platform/win/MessageBox.h"
#include "tests/fuzz/FuzzFiles.h"

namespace {

// The listening socket that stands for the data server; .\server.ini names it.
int Listener()
{
    static int listener = -1;
    if (listener >= 0)
        return listener;
    listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener, 4) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        std::abort();
    std::ofstream("server.ini", std::ios::binary | std::ios::trunc)
        << "[Server]\r\nAddress=127.0.0.1\r\nPort=" << ntohs(address.sin_port) << "\r\n[ProxyServer]\r\nUseProxy=0\r\n";
    return listener;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // What does not fit in the socket buffers at once is not sent.
    if (size < 1 || size > 60000)
        return 0;
    fuzzfiles::EnterDataServerTree("syncanswers");
    static TUtilData util(1);
    static TDataIO io(0);
    const int listener = Listener();
    win::RecordMessageBoxes(true);

    TNormalClnt client;
    client.SetUser("demo", "demo");
    if (client.ConnectServer() != 1)
        std::abort();
    const int server = ::accept(listener, nullptr, nullptr);
    if (server < 0)
        std::abort();
    size_t sent = 1;
    while (sent < size) {
        const ssize_t n = ::send(server, data + sent, size - sent, MSG_NOSIGNAL);
        if (n <= 0)
            std::abort();
        sent += size_t(n);
    }
    // The server says no more: every read past the input ends at once.
    ::shutdown(server, SHUT_WR);
    switch (data[0] % 3) {
    case 0: {
        const int result = client.Login();
        if (result == 0 && client.GetErrorText()[0] != 0)
            __builtin_trap();
        break;
    }
    case 1:
        client.CheckVersion(0);
        break;
    default: {
        const int held = client.LoadNameTable(0);
        TMarketData *md = MarketTable.Markets[0];
        if (held > 0 && (!md || md->StockCount != held || held > int(md->Capacity)))
            __builtin_trap();
        break;
    }
    }
    client.Disconnect();
    ::close(server);
    return 0;
}
