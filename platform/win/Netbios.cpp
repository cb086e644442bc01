#include "platform/win/Netbios.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace win {
namespace {

using Address = std::array<UCHAR, 6>;

struct Adapter {
    int index;
    Address address;
};

// The hardware addresses of the interfaces other than loopback, by interface
// index; one zero address when there is none.
std::vector<Address> AdapterAddresses()
{
    std::vector<Adapter> adapters;
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) == 0) {
        for (const ifaddrs *it = list; it != nullptr; it = it->ifa_next) {
            if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_PACKET ||
                (it->ifa_flags & IFF_LOOPBACK) != 0)
                continue;
            const auto *link = reinterpret_cast<const sockaddr_ll *>(it->ifa_addr);
            if (link->sll_halen != 6)
                continue;
            Adapter adapter{link->sll_ifindex, {}};
            std::memcpy(adapter.address.data(), link->sll_addr, 6);
            if (adapter.address == Address{})
                continue;
            const bool seen = std::any_of(adapters.begin(), adapters.end(),
                                          [&](const Adapter &a) { return a.index == adapter.index; });
            if (!seen)
                adapters.push_back(adapter);
        }
        ::freeifaddrs(list);
    }
    std::sort(adapters.begin(), adapters.end(),
              [](const Adapter &a, const Adapter &b) { return a.index < b.index; });
    std::vector<Address> addresses;
    for (const Adapter &a : adapters) {
        if (addresses.size() == size_t(MAX_LANA))
            break;
        addresses.push_back(a.address);
    }
    if (addresses.empty())
        addresses.push_back(Address{});
    return addresses;
}

UCHAR Finish(PNCB ncb, UCHAR code)
{
    ncb->ncb_retcode = code;
    ncb->ncb_cmd_cplt = code;
    return code;
}

} // namespace

UCHAR Netbios(PNCB ncb)
{
    if (ncb == nullptr)
        return NRC_ILLCMD;
    switch (ncb->ncb_command) {
    case NCBENUM: {
        const std::vector<Address> addresses = AdapterAddresses();
        if (ncb->ncb_buffer == nullptr || ncb->ncb_length < addresses.size() + 1)
            return Finish(ncb, NRC_BUFLEN);
        ncb->ncb_buffer[0] = UCHAR(addresses.size());
        for (size_t i = 0; i < addresses.size(); ++i)
            ncb->ncb_buffer[1 + i] = UCHAR(i);
        return Finish(ncb, NRC_GOODRET);
    }
    case NCBRESET:
        return Finish(ncb, ncb->ncb_lana_num < AdapterAddresses().size() ? NRC_GOODRET : NRC_BRIDGE);
    case NCBASTAT: {
        const std::vector<Address> addresses = AdapterAddresses();
        if (ncb->ncb_lana_num >= addresses.size())
            return Finish(ncb, NRC_BRIDGE);
        if (ncb->ncb_buffer == nullptr || ncb->ncb_length < sizeof(ADAPTER_STATUS))
            return Finish(ncb, NRC_BUFLEN);
        std::memset(ncb->ncb_buffer, 0, ncb->ncb_length);
        ADAPTER_STATUS status{};
        std::memcpy(status.adapter_address, addresses[ncb->ncb_lana_num].data(), 6);
        std::memcpy(ncb->ncb_buffer, &status, sizeof status);
        return Finish(ncb, NRC_GOODRET);
    }
    default:
        return Finish(ncb, NRC_ILLCMD);
    }
}

} // namespace win
