// The settings file: where it is found, the keys read at start with their
// write-backs, the focus sequence, the connection record and the conversions.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "consign/session/ConsignSettings.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Profile.h"

using namespace win;

namespace {

void WriteFile(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Read(const char *section, const char *key, const char *path)
{
    char buffer[256];
    GetPrivateProfileStringA(section, key, "<missing>", buffer, sizeof buffer, path);
    return buffer;
}

std::string WindowsDirectory()
{
    char buffer[1024];
    GetWindowsDirectoryA(buffer, sizeof buffer);
    return buffer;
}

TEST(ConsignSettingsTest, SettingsPathPrefersTheWindowsDirectory)
{
    RecordMessageBoxes(true);
    const std::string name = "test_consign_session.ini";
    const std::string inWindows = WindowsDirectory() + "/" + name;
    std::remove(inWindows.c_str());
    std::remove(name.c_str());

    CString path;
    EXPECT_FALSE(GetSettingsPath(path));
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].text,
              "配置文件无法读取，请检查系统目录和当前目录下配置文件是否存在!");
    EXPECT_FALSE(std::ifstream(name).good()) << "never created";

    WriteFile(name, "[Config]\r\n");
    ASSERT_TRUE(GetSettingsPath(path));
    EXPECT_STREQ(path, (".\\" + name).c_str());

    WriteFile(inWindows, "[Config]\r\n");
    ASSERT_TRUE(GetSettingsPath(path));
    EXPECT_EQ(std::string(path), WindowsDirectory() + "\\" + name);
    RecordMessageBoxes(false);
    std::remove(inWindows.c_str());
    std::remove(name.c_str());
}

TEST(ConsignSettingsTest, StartSettingsDefaultsAndWriteBacks)
{
    const char *path = "start.ini";
    WriteFile(path, "[Config]\r\nHQRefurbisgTime=3\r\n[HQColor]\r\nRead=255\r\nBlue=16\r\n");
    ConsignStartSettings s;
    ReadStartSettings(path, s);
    EXPECT_EQ(s.randomKey, 1);
    EXPECT_EQ(s.clearAllAfterOrder, 1);
    EXPECT_EQ(Read("Config", "ClearAllAfterOrder", path), "1");
    EXPECT_EQ(Read("version", "version", path), CONSIGN_PRODUCT_CODE);
    EXPECT_EQ(std::string(CONSIGN_PRODUCT_CODE).size(), 20u);
    EXPECT_EQ(s.quoteRefreshMs, 3000);
    EXPECT_EQ(s.quoteColor, 0x1000FFu);
    EXPECT_EQ(s.hotKey, 123);
    EXPECT_EQ(s.transferWaitMs, 8000);
    EXPECT_EQ(std::string({s.keyBuy, s.keySell, s.keyOpen, s.keyClose, s.keyCloseToday,
                           s.keySpeculation, s.keyHedge}),
              "1313213");
    EXPECT_EQ(s.sequence[0], 1);
    EXPECT_EQ(s.sequence[5], 0);
    EXPECT_STREQ(s.custom, "岫云砚川");
    EXPECT_EQ(s.systemModal, 0);

    struct Case {
        const char *value;
        int flag;
    };
    const Case cases[] = {{"0", 0}, {"abc", 0}, {"7", 1}};
    for (const Case &c : cases) {
        WriteFile(path, std::string("[Config]\r\nClearAllAfterOrder=") + c.value +
                            "\r\nSysModal=2\r\n买入=BX\r\n");
        ReadStartSettings(path, s);
        EXPECT_EQ(s.clearAllAfterOrder, c.flag) << c.value;
        EXPECT_EQ(Read("Config", "ClearAllAfterOrder", path), c.value) << "no write-back";
        EXPECT_EQ(s.systemModal, 0);
        EXPECT_EQ(s.keyBuy, 'B');
    }

    // The transfer's wait holds the program: never negative, never absurdly long.
    const std::pair<const char *, int> waits[] = {{"-1", 0}, {"0", 0}, {"3000", 3000}, {"120000", 120000},
                                                  {"2000000000", 120000}};
    for (const auto &[value, ms] : waits) {
        WriteFile(path, std::string("[Config]\r\nYQZZWaitingTime=") + value + "\r\n");
        ReadStartSettings(path, s);
        EXPECT_EQ(s.transferWaitMs, ms) << value;
    }
}

TEST(ConsignSettingsTest, OrderSequenceIsNotAStableSort)
{
    struct Case {
        int numbers[5];
        int ids[5];
    };
    const Case cases[] = {
        {{1, 2, 3, 4, 5}, {1236, 1004, 1005, 1237, 1238}},
        // MM=2 SL=2 JG=1: price, quantity, direction.
        {{2, 2, 1, 4, 5}, {1005, 1004, 1236, 1237, 1238}},
        {{5, 4, 3, 2, 1}, {1238, 1237, 1005, 1004, 1236}},
    };
    for (const Case &c : cases) {
        OrderFocusEntry sequence[5];
        BuildOrderSequence(c.numbers, sequence);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(sequence[i].inputId, c.ids[i]) << i;
    }
    OrderFocusEntry sequence[5];
    const int numbers[5] = {1, 2, 3, 4, 5};
    BuildOrderSequence(numbers, sequence);
    EXPECT_EQ(sequence[0].labelId, 1039);
    EXPECT_EQ(sequence[4].labelId, 1043);
}

TEST(ConsignSettingsTest, ConnectionRecordFollowsFirstServer)
{
    const char *path = "conn.ini";
    const std::string servers =
        "UseServer1=1\r\nServer1IP=10.0.0.1\r\nServer1Port=7001\r\n"
        "UseServer2=0\r\nServer2IP=10.0.0.2\r\nServer2Port=7002\r\n"
        "UseServer3=1\r\nServer3IP=gw.example\r\nServer3Port=7003\r\n";
    struct Case {
        const char *first;
        int slots[3]; // port of each slot in trying order (0: disabled)
    };
    const Case cases[] = {{"3", {7003, 7001, 0}}, {"2", {0, 7003, 7001}}, {"1", {7001, 0, 7003}},
                          {"0", {7001, 0, 7003}}, {"7", {7001, 0, 7003}}};
    for (const Case &c : cases) {
        WriteFile(path, "[Login]\r\nProxyInuse=1\r\nProxyIP=127.0.0.1\r\nProxyUserName=u\r\n"
                        "[ServerGroup2]\r\nFirstServer=" +
                            std::string(c.first) + "\r\n" + servers +
                            "UseValidate=1\r\nValidateIP=1.2.3.4\r\nValidatePort=99\r\n"
                            "ValidateDll=QVTEST.DLL\r\n");
        ConnectionSettings s;
        LoadConnectionSettings(path, 2, "8001", "pw", "1234", s);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(s.servers[i].port, c.slots[i]) << c.first << " slot " << i;
            EXPECT_EQ(s.servers[i].enabled != 0, c.slots[i] != 0);
            if (c.slots[i] == 0) {
                EXPECT_STREQ(s.servers[i].address, "");
            }
        }
        EXPECT_STREQ(s.customer, "8001");
        EXPECT_EQ(s.proxyInUse, 1);
        EXPECT_EQ(s.proxyPort, 1080);
        EXPECT_STREQ(s.proxyUser, "u");
        EXPECT_STREQ(s.identityLibrary, "QVTEST.DLL");
        EXPECT_EQ(s.identityPort, 99);
    }
}

TEST(ConsignSettingsTest, OldLayoutsAreConvertedOnce)
{
    const char *path = "old.ini";
    WriteFile(path,
              "[Config]\r\nServerSelect=2\r\nSaveName=1\r\nLoginName=8001\r\nProxy Mode=1\r\n"
              "Proxy Addr=10.9.9.9\r\nProxy Port=1081\r\nServer Name=主站\r\nTCP Host=10.0.0.1\r\n"
              "TCP Port=7001\r\nTCP Host1=10.0.0.2\r\nServer Name1=备站\r\nTCP Port1=7002\r\n"
              "Client Mode=1\r\n");
    ConvertOldLayouts(path);
    EXPECT_EQ(Read("Config", "ServerSelect", path), "<missing>");
    EXPECT_EQ(Read("Login", "ServerSelect", path), "2");
    EXPECT_EQ(Read("Login", "ServerCount", path), "2");
    EXPECT_EQ(Read("Login", "LoginName", path), "8001");
    EXPECT_EQ(Read("Login", "ProxyInuse", path), "1");
    EXPECT_EQ(Read("Login", "ProxyIP", path), "10.9.9.9");
    EXPECT_EQ(Read("Login", "ProxyPort", path), "1081");
    EXPECT_EQ(Read("Login", "Proxy Mode", path), "<missing>");
    EXPECT_EQ(Read("Server1", "ServerIP", path), "<missing>") << "old sections removed";
    EXPECT_EQ(Read("ServerGroup1", "ServerName", path), "主站");
    EXPECT_EQ(Read("ServerGroup1", "UseServer1", path), "1");
    EXPECT_EQ(Read("ServerGroup1", "Server1IP", path), "10.0.0.1");
    EXPECT_EQ(Read("ServerGroup1", "Server1Port", path), "7001");
    EXPECT_EQ(Read("ServerGroup1", "FirstServer", path), "1");
    EXPECT_EQ(Read("ServerGroup1", "UseValidate", path), "0");
    EXPECT_EQ(Read("ServerGroup2", "ServerName", path), "备站");
    EXPECT_EQ(Read("ServerGroup2", "Server1IP", path), "10.0.0.2");
    EXPECT_EQ(Read("ServerGroup2", "UseServer2", path), "");
    EXPECT_EQ(Read("Config", "Client Mode", path), "1");

    const std::string once = ReadAll(path);
    ConvertOldLayouts(path);
    EXPECT_EQ(ReadAll(path), once);
}

// A first layout without proxy keys leaves an empty proxy mode behind; the
// conversion must still run once only, or the next start overwrites the groups.
TEST(ConsignSettingsTest, LayoutWithoutProxyKeysIsConvertedOnce)
{
    const char *path = "noproxy.ini";
    for (const char *proxyLines : {"", "Proxy Mode=\r\n", "Proxy Mode=\"\"\r\n"}) {
        WriteFile(path, std::string("[Config]\r\nServerSelect=1\r\n") + proxyLines +
                            "TCP Host=10.0.0.1\r\nTCP Port=7001\r\n");
        ConvertOldLayouts(path);
        EXPECT_EQ(Read("Login", "ProxyInuse", path), "0") << proxyLines;
        EXPECT_EQ(Read("ServerGroup1", "Server1IP", path), "10.0.0.1") << proxyLines;
        const std::string once = ReadAll(path);
        ConvertOldLayouts(path);
        EXPECT_EQ(ReadAll(path), once) << proxyLines;
        EXPECT_EQ(Read("ServerGroup1", "Server1IP", path), "10.0.0.1") << proxyLines;
        EXPECT_EQ(Read("ServerGroup1", "Server1Port", path), "7001") << proxyLines;
    }
}

TEST(ConsignSettingsTest, SecondLayoutMovesServerSections)
{
    const char *path = "second.ini";
    WriteFile(path, "[Login]\r\nServerCount=1\r\nProxy Addr=p\r\n"
                    "[Server1]\r\nServerName=A\r\nServerIP=1.1.1.1\r\nServerPort=1\r\n"
                    "UseServer1=1\r\nServerIP1=2.2.2.2\r\nServerPort1=2\r\nUseServer2=0\r\n"
                    "ValidateDll=QVX.DLL\r\nUseValidate=1\r\n");
    ConvertOldLayouts(path);
    EXPECT_EQ(Read("Login", "ProxyInuse", path), "0");
    EXPECT_EQ(Read("Login", "ProxyIP", path), "p");
    EXPECT_EQ(Read("ServerGroup1", "Server2IP", path), "2.2.2.2");
    EXPECT_EQ(Read("ServerGroup1", "UseServer2", path), "1");
    EXPECT_EQ(Read("ServerGroup1", "UseServer3", path), "0");
    EXPECT_EQ(Read("ServerGroup1", "ValidateDll", path), "QVX.DLL");
    EXPECT_EQ(Read("ServerGroup1", "ValidateUsePassword", path), "0");
    EXPECT_EQ(Read("Server1", "ServerName", path), "<missing>");
    const std::string once = ReadAll(path);
    ConvertOldLayouts(path);
    EXPECT_EQ(ReadAll(path), once);
}

// A conversion whose writes fail (another program keeps the file locked) keeps
// the old layout whole, says so, and converts at the next start.
TEST(ConsignSettingsTest, AFailedConversionKeepsTheOldLayoutAndSaysSo)
{
    const char *path = "locked.ini";
    const std::string old = "[Config]\r\nServerSelect=1\r\nProxy Addr=p\r\nTCP Host=10.0.0.1\r\nTCP Port=7001\r\n";
    for (int layout = 1; layout <= 2; ++layout) {
        SCOPED_TRACE(layout);
        // The second layout alone: the first converted already.
        WriteFile(path, layout == 1 ? old : "[Login]\r\nServerCount=1\r\nProxy Addr=p\r\n[Server1]\r\nServerIP=1.1.1.1\r\n");
        const std::string before = ReadAll(path);
        const int holder = ::open(path, O_RDONLY | O_CLOEXEC);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        ProfileStore::SetLockWait(100);
        RecordMessageBoxes(true);
        EXPECT_FALSE(ConvertOldLayouts(path));
        ASSERT_EQ(ShownMessageBoxes().size(), 1u);
        EXPECT_EQ(ShownMessageBoxes()[0].text, "配置文件无法写入，请检查配置文件是否可写!");
        RecordMessageBoxes(false);
        ::close(holder);
        ProfileStore::SetLockWait(15000);
        EXPECT_EQ(ReadAll(path), before);

        EXPECT_TRUE(ConvertOldLayouts(path));
        EXPECT_EQ(Read("ServerGroup1", "Server1IP", path), layout == 1 ? "10.0.0.1" : "1.1.1.1");
        EXPECT_EQ(Read("Login", "ProxyIP", path), "p");
    }
}

} // namespace
