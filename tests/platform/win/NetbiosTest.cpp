#include "platform/win/Netbios.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace win;

namespace {

// The addresses the system lists in /sys/class/net, by interface index: the
// interfaces that are not loopback and have a 6-byte address other than zeros.
std::vector<std::string> SystemAddresses()
{
    std::vector<std::pair<int, std::string>> found;
    DIR *dir = ::opendir("/sys/class/net");
    if (dir == nullptr)
        return {};
    while (dirent *entry = ::readdir(dir)) {
        const std::string base = std::string("/sys/class/net/") + entry->d_name + "/";
        std::ifstream indexFile(base + "ifindex"), addressFile(base + "address"), flagsFile(base + "flags"),
            lengthFile(base + "addr_len");
        int index = 0, length = 0;
        unsigned flags = 0;
        std::string address;
        if (!(indexFile >> index) || !(addressFile >> address) || !(flagsFile >> std::hex >> flags) ||
            !(lengthFile >> length))
            continue;
        if ((flags & 0x8) != 0 || length != 6 || address == "00:00:00:00:00:00")
            continue;
        address.erase(std::remove(address.begin(), address.end(), ':'), address.end());
        found.emplace_back(index, address);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    std::vector<std::string> addresses;
    for (auto &f : found)
        addresses.push_back(f.second);
    return addresses;
}

std::string Hex(const UCHAR *a)
{
    char text[13];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x%02x%02x", a[0], a[1], a[2], a[3], a[4], a[5]);
    return text;
}

} // namespace

// The order client's query: list the adapters, reset each, ask its status.
TEST(Netbios, AdaptersAreTheInterfacesWithHardwareAddresses)
{
    NCB ncb;
    LANA_ENUM lanas;
    std::memset(&ncb, 0, sizeof ncb);
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<UCHAR *>(&lanas);
    ncb.ncb_length = sizeof lanas;
    ASSERT_EQ(Netbios(&ncb), NRC_GOODRET);

    std::vector<std::string> expected = SystemAddresses();
    if (expected.empty())
        expected.push_back("000000000000");
    ASSERT_EQ(lanas.length, expected.size());
    for (int i = 0; i < lanas.length; ++i) {
        std::memset(&ncb, 0, sizeof ncb);
        ncb.ncb_command = NCBRESET;
        ncb.ncb_lana_num = lanas.lana[i];
        EXPECT_EQ(Netbios(&ncb), NRC_GOODRET);

        struct {
            ADAPTER_STATUS status;
            NAME_BUFFER names[30];
        } answer;
        std::memset(&answer, 0xEE, sizeof answer);
        std::memset(&ncb, 0, sizeof ncb);
        ncb.ncb_command = NCBASTAT;
        ncb.ncb_lana_num = lanas.lana[i];
        std::memcpy(ncb.ncb_callname, "*               ", NCBNAMSZ);
        ncb.ncb_buffer = reinterpret_cast<UCHAR *>(&answer);
        ncb.ncb_length = sizeof answer;
        ASSERT_EQ(Netbios(&ncb), NRC_GOODRET);
        EXPECT_EQ(ncb.ncb_retcode, NRC_GOODRET);
        EXPECT_EQ(Hex(answer.status.adapter_address), expected[size_t(i)]);
        EXPECT_EQ(answer.status.name_count, 0);
    }
}

TEST(Netbios, BadRequestsAreRefused)
{
    ADAPTER_STATUS status;
    NCB ncb;
    std::memset(&ncb, 0, sizeof ncb);
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_buffer = reinterpret_cast<UCHAR *>(&status);
    ncb.ncb_length = 6;
    EXPECT_EQ(Netbios(&ncb), NRC_BUFLEN);
    ncb.ncb_length = sizeof status;
    ncb.ncb_lana_num = MAX_LANA;
    EXPECT_EQ(Netbios(&ncb), NRC_BRIDGE);
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = nullptr;
    EXPECT_EQ(Netbios(&ncb), NRC_BUFLEN);
    ncb.ncb_command = 0x10;
    EXPECT_EQ(Netbios(&ncb), NRC_ILLCMD);
    EXPECT_EQ(ncb.ncb_retcode, NRC_ILLCMD);
}
