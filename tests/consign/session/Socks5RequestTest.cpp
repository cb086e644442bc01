// The bytes of the SOCKS5 messages and the length of the connect reply.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "consign/session/Socks5Request.h"

using namespace win;

namespace {

using Bytes = std::vector<BYTE>;

TEST(Socks5RequestTest, ConnectRequests)
{
    BYTE out[300];
    int n = BuildSocks5Connect("10.1.2.3", 9001, out);
    EXPECT_EQ(Bytes(out, out + n), (Bytes{5, 1, 0, 1, 10, 1, 2, 3, 0x23, 0x29}));

    n = BuildSocks5Connect("gw.example.com", 7001, out);
    ASSERT_EQ(n, 21);
    EXPECT_EQ(Bytes(out, out + 5), (Bytes{5, 1, 0, 3, 14}));
    EXPECT_EQ(std::string(out + 5, out + 19), "gw.example.com");
    EXPECT_EQ(Bytes(out + 19, out + 21), (Bytes{0x1B, 0x59}));

    // Not four numbers of 0..255: sent as a name.
    for (const char *name : {"10.1.2", "10.1.2.256", "10.1.2.3.4", "1.2.3.x", "0010.1.1.1"}) {
        n = BuildSocks5Connect(name, 1, out);
        EXPECT_EQ(out[3], 3) << name;
    }
    EXPECT_EQ(BuildSocks5Connect("", 1, out), 0);
    EXPECT_EQ(BuildSocks5Connect(std::string(256, 'h').c_str(), 1, out), 0);
    EXPECT_EQ(BuildSocks5Connect(std::string(255, 'h').c_str(), 1, out), 262);
}

TEST(Socks5RequestTest, GreetingAndAuthentication)
{
    BYTE greeting[SOCKS5_GREETING_LENGTH];
    BuildSocks5Greeting(greeting);
    EXPECT_EQ(Bytes(greeting, greeting + 4), (Bytes{5, 2, 0, 2}));

    BYTE out[600];
    const int n = BuildSocks5Auth("user", "pass", out);
    EXPECT_EQ(Bytes(out, out + n), (Bytes{1, 4, 'u', 's', 'e', 'r', 4, 'p', 'a', 's', 's'}));
    EXPECT_EQ(BuildSocks5Auth(std::string(256, 'u').c_str(), "p", out), 0);
    EXPECT_EQ(BuildSocks5Auth("u", std::string(256, 'p').c_str(), out), 0);
}

TEST(Socks5RequestTest, ReplyLengthByAddressKind)
{
    const BYTE ipv4[5] = {5, 0, 0, 1, 127};
    const BYTE ipv6[5] = {5, 0, 0, 4, 0};
    const BYTE name[5] = {5, 0, 0, 3, 9};
    const BYTE unknown[5] = {5, 0, 0, 7, 0};
    EXPECT_EQ(Socks5ReplyLength(ipv4), 10);
    EXPECT_EQ(Socks5ReplyLength(ipv6), 22);
    EXPECT_EQ(Socks5ReplyLength(name), 16);
    EXPECT_EQ(Socks5ReplyLength(unknown), 0);
}

} // namespace
