// The order hand-over: contract codes by the local date, the command line, the
// order client's settings prepared beside it and in the Windows folder, and the
// frame's 2575 with a stand-in order client that announces and withdraws its
// window.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/OrderBridge.h"
#include "platform/win/File.h"
#include "platform/win/Messages.h"
#include "platform/win/Process.h"
#include "platform/win/Profile.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"
#include "tests/lumon/shell/FrameFixture.h"

using namespace win;
using framefixture::App;
using framefixture::ReadFile;
using testsupport::PumpUntil;

namespace {

namespace fs = std::filesystem;

// 15 June 2005, 12:00 UTC.
constexpr int64_t June15th2005 = 1118836800000LL;

TEST(OrderBridge, ContractCodesFollowTheLocalDate)
{
    SetTestClock(June15th2005, 1000);
    struct Case {
        const char *code;
        const char *contract; // null: refused
    } cases[] = {
        {"010003", "cu0603"}, {"010009", "cu0509"}, {"010106", "al0506"}, {"021001", "a0701"},
        {"022005", "a0605"},  {"022007", "a0607"},  {"021007", "a0507"},  {"020307", "c0507"},
        {"031009", "WT509"},  {"032001", "WT601"},  {"031101", "WS601"},  {"030512", "CF512"},
        {"0400aa", nullptr},  {"040001", nullptr},  {"01000", nullptr},   {"0100031", nullptr},
        {"", nullptr},
    };
    for (const Case &c : cases) {
        char out[64] = "x";
        EXPECT_EQ(ToExchangeCode(c.code, out), c.contract ? 1 : 0) << c.code;
        if (c.contract)
            EXPECT_STREQ(out, c.contract) << c.code;
    }
    ClearTestClock();
}

TEST(OrderBridge, CommandLineCarriesTheSetFieldsOnly)
{
    OrderRequest request;
    InitOrderRequest(&request);
    SetCode(&request, "cu0603");
    SetDirection(&request, 0);
    SetPrice(&request, 35000);
    EXPECT_EQ(BuildCommandLine(&request, 1234), 48);
    EXPECT_STREQ(request.CommandLine, "|1001|veve||cu0603||0|||35000||0|1234|4025|4026|");
    EXPECT_EQ(request.Length, 48);
    // A sell at no price; the optional fields when set.
    SetDirection(&request, 1);
    SetPrice(&request, 0);
    request.OptA = 7;
    request.FlagB = 3;
    request.Immediate = 1;
    BuildCommandLine(&request, 99);
    EXPECT_STREQ(request.CommandLine, "|1001|veve||cu0603|7|1|1||||1|99|4025|4026|");
    SetPrice(&request, -5);
    request.OptA = 0;
    request.FlagB = -1;
    request.Immediate = 0;
    BuildCommandLine(&request, 99);
    EXPECT_STREQ(request.CommandLine, "|1001|veve||cu0603||1|||||0|99|4025|4026|");
}

class OrderBridgeTest : public framefixture::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        OrderWindow = 0;
        fs::copy_file(LUMO_ORDERPEER, root / "bin" / "consign");
        std::ofstream(root / "bin" / "consign.ini", std::ios::binary) << "[Server]\r\nName=test\r\n";
        WritePrivateProfileStringA("CONSIGN", "Name0", "期货交易", "..\\CFG\\TRADING.INI");
        WritePrivateProfileStringA("CONSIGN", "Exe0", "consign.exe", "..\\CFG\\TRADING.INI");
        SetTestClock(June15th2005, 1000);
    }
    void TearDown() override
    {
        if (OrderWindow && IsWindow(OrderWindow))
            PostMessageA(OrderWindow, WM_CLOSE, 0, 0);
        OrderWindow = 0;
        ClearTestClock();
        FrameTest::TearDown();
    }
    // The frame, started offline, with stock `index` of market 0 holding the code,
    // divisor and best prices given.
    StockId Stock(int index, const char *code, uint32_t divisor, uint32_t ask, uint32_t bid)
    {
        if (!frame) {
            StartOffline();
            frame->Timer1->Enabled = false;
            frame->Timer2->Enabled = false;
        }
        TMarketData *md = MarketTable.Markets[0];
        StockStaticRecord &s = md->Statics[index];
        std::memset(s.Code, 0, sizeof s.Code);
        std::memcpy(s.Code, code, std::strlen(code));
        s.ScaleDivisor = divisor;
        md->Quotes[index].Ask[0].Price = ask;
        md->Quotes[index].Bid[0].Price = bid;
        md->RebuildCodeIndex();
        return MakeStockId(0, md->GetStockClass(index), index);
    }
    std::string Log() { return ReadFile(root / "bin" / "orderpeer.log"); }
    std::string WindowsCopy()
    {
        char folder[MAX_PATH];
        GetWindowsDirectoryA(folder, sizeof folder);
        return ReadFile(fs::path(folder) / "consign.ini");
    }
};

TEST_F(OrderBridgeTest, BuyStartsTheOrderClientWhichAnnouncesAndWithdrawsItsWindow)
{
    RecordLaunches(false);
    const StockId stock = Stock(3, "010003", 1, 35000, 34990);
    SendMessageA(frame->Handle, WM_PLACE_ORDER, WPARAM(stock), 25);
    EXPECT_EQ(frame->OrderBridgeReady, 1);
    ASSERT_TRUE(PumpUntil(App(), [] { return OrderWindow != 0; }, 10000)) << Log();
    const std::string expected =
        "cmdline |1001|veve||cu0603||0|||35000||0|" + std::to_string(uint32_t(frame->Handle)) + "|4025|4026|\n";
    EXPECT_EQ(Log().substr(0, expected.size()), expected);
    EXPECT_NE(Log().find("window " + std::to_string(uint32_t(OrderWindow))), std::string::npos);

    // The settings beside the program read the command line; the Windows folder holds the same file.
    const std::string ini = ReadFile(root / "bin" / "consign.ini");
    char value[16];
    GetPrivateProfileStringA("Config", "UseCmdLine", "", value, sizeof value, ".\\consign.ini");
    EXPECT_STREQ(value, "1");
    GetPrivateProfileStringA("Config", "Client Mode", "", value, sizeof value, ".\\consign.ini");
    EXPECT_STREQ(value, "1");
    EXPECT_NE(ini.find("Name=test"), std::string::npos);
    EXPECT_EQ(WindowsCopy(), ini);

    // The next order (a sell at the bid) brings the known window back.
    SendMessageA(frame->Handle, WM_PLACE_ORDER, WPARAM(stock), 26);
    ASSERT_TRUE(PumpUntil(App(), [&] {
        return Log().find("syscommand 61728") != std::string::npos &&
               Log().find("|cu0603||1|||34990||0|") != std::string::npos;
    }, 10000)) << Log();

    // The client's end withdraws the window.
    PostMessageA(OrderWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil(App(), [] { return OrderWindow == 0; }, 10000)) << Log();
}

TEST_F(OrderBridgeTest, NothingStartsWithoutTheProgramItsSettingsOrAKnownCode)
{
    const StockId stock = Stock(3, "010003", 1, 35000, 34990);
    const StockId unknown = Stock(4, "040001", 1, 35000, 34990);
    auto order = [&](StockId s) {
        RecordLaunches(true);
        SendMessageA(frame->Handle, WM_PLACE_ORDER, WPARAM(s), 25);
        return RecordedLaunches();
    };
    fs::remove(root / "bin" / "consign.ini");
    EXPECT_TRUE(order(stock).empty());
    EXPECT_EQ(frame->OrderBridgeReady, 0);
    // Each order tries again until the hand-over is ready.
    std::ofstream(root / "bin" / "consign.ini") << "";
    EXPECT_EQ(order(stock).size(), 1u);
    EXPECT_EQ(frame->OrderBridgeReady, 1);
    EXPECT_TRUE(order(unknown).empty());

    struct Case {
        std::string exe;
        bool starts;
    } cases[] = {
        {"consign.exe", true},
        {"CONSIGN", true},                         // no extension: consign.ini all the same
        {".\\consign.exe", true},
        {"ab", true},                              // too short for an extension: ab.ini
        {"missing.exe", false},
        {std::string(500, 'x') + ".exe", false},   // longer than the hand-over takes
        {".\\" + std::string(53, 'y') + ".exe", true},  // 59 characters
        {".\\" + std::string(54, 'y') + ".exe", false}, // 60
    };
    for (int n : {53, 54}) {
        const std::string name(size_t(n), 'y');
        std::ofstream(root / "bin" / name) << "#!/bin/sh\n";
        fs::permissions(root / "bin" / name, fs::perms::owner_all);
        std::ofstream(root / "bin" / (name + ".ini")) << "";
    }
    std::ofstream(root / "bin" / "ab") << "#!/bin/sh\n";
    fs::permissions(root / "bin" / "ab", fs::perms::owner_all);
    std::ofstream(root / "bin" / "ab.ini") << "";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.exe.substr(0, 70));
        WritePrivateProfileStringA("CONSIGN", "Exe0", c.exe.c_str(), "..\\CFG\\TRADING.INI");
        frame->OrderBridgeReady = 0;
        EXPECT_EQ(PrepareOrderClient(), c.starts ? 1 : 0);
    }
}

TEST_F(OrderBridgeTest, AZeroDivisorReadsAsAThousand)
{
    const StockId stock = Stock(5, "010106", 0, 12345, 11999);
    RecordLaunches(true);
    SendMessageA(frame->Handle, WM_PLACE_ORDER, WPARAM(stock), 25);
    SendMessageA(frame->Handle, WM_PLACE_ORDER, WPARAM(stock), 26);
    const auto launches = RecordedLaunches();
    ASSERT_EQ(launches.size(), 2u);
    const std::string handle = std::to_string(uint32_t(frame->Handle));
    EXPECT_EQ(launches[0].commandLine, "|1001|veve||al0506||0|||12||0|" + handle + "|4025|4026|");
    EXPECT_EQ(launches[1].commandLine, "|1001|veve||al0506||1|||11||0|" + handle + "|4025|4026|");
    EXPECT_EQ(launches[0].folder, (root / "bin").string());
}

} // namespace
