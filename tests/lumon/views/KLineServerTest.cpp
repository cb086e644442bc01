// The K-line chart against the simulated data server: the data refresh command
// and its throttle, older bars on request, and a period change while the day
// answer is held back.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>

#include "lumon/core/RequestRing.h"
#include "lumon/core/UtilData.h"
#include "platform/win/Time.h"
#include "tests/lumon/views/KLineFixture.h"
#include "tests/support/DataServerPeer.h"
#include "tests/support/MiniJson.h"

using namespace win;
using namespace klinefixture;

namespace {

namespace fs = std::filesystem;

class KLineServerTest : public KLineTest {
protected:
    void Connect(const std::vector<std::string> &options = {})
    {
        logPath = (root / "server.log").string();
        std::vector<std::string> args = {"--log", logPath, "--control", "0"};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_TRUE(server.Start(root.string(), args));
        StartConnected(server);
        ASSERT_EQ(frame->StartAborted, 0);
        Quiet();
    }
    void TearDown() override
    {
        ClearTestClock();
        KLineTest::TearDown();
    }
    // The history requests the server received for the code, as their period
    // kinds (the first body byte).
    std::vector<int> HistoryRequests(const std::string &code)
    {
        std::vector<int> kinds;
        std::ifstream in(logPath);
        for (std::string line; std::getline(in, line);) {
            Json j = Json::Parse(line);
            if (j["type"].Int() != 12 || j["listener"].text != "data")
                continue;
            const std::string hex = j["hex"].text;
            std::string codeHex;
            for (char ch : code) {
                char two[3];
                std::snprintf(two, sizeof two, "%02x", unsigned(uint8_t(ch)));
                codeHex += two;
            }
            if (hex.size() < 24 || hex.find(codeHex, 24) == std::string::npos)
                continue;
            kinds.push_back(std::stoi(hex.substr(20, 2), nullptr, 16));
        }
        return kinds;
    }
    // Whether the market's data file exists, its name compared as the file
    // layer compares names (the server's answers are written in capitals).
    bool HasFile(const char *folder, const char *name)
    {
        std::string want = name;
        for (const auto &e : fs::directory_iterator(root / "data" / "sh" / folder)) {
            std::string have = e.path().filename().string();
            if (have.size() == want.size() &&
                std::equal(have.begin(), have.end(), want.begin(), [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                return true;
        }
        return false;
    }
    void RemoveFile(const char *folder, const char *name)
    {
        std::string want = name;
        for (const auto &e : fs::directory_iterator(root / "data" / "sh" / folder)) {
            std::string have = e.path().filename().string();
            for (char &c : have)
                c = char(std::tolower(c));
            if (have == want)
                fs::remove(e.path());
        }
    }
    // Until no request waits or is in flight, and the answers are handled.
    bool Settle()
    {
        const bool idle = Pump([] {
            const RequestRing &ring = TheRequestRing();
            return ring.InFlightCount() == 0 && ring.WaitingCount() == 0;
        });
        framefixture::App().ProcessMessages();
        return idle;
    }
    bool Pump(const std::function<bool()> &done) { return testsupport::PumpUntil(framefixture::App(), done, 10000); }

    peer::DataServer server;
    std::string logPath;
};

TEST_F(KLineServerTest, RefreshDeletesTheDayFileOnceInTwoSecondsAndShowsTheAnswer)
{
    Connect();
    const StockId stock = Stock(0, "600000");
    TTechForm *chart = AddChart(stock);
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(HasFile("day", "600000.day"));
    const int bars = Price(chart)->RecordCount;
    ASSERT_GT(bars, 100);
    ASSERT_TRUE(Settle());
    const size_t asked = HistoryRequests("600000").size();

    const int arrivals = chart->HistoryArrivals;
    SetTestClock(1165536000000, MonotonicNowMs() + 10000);
    // The frame's refresh command reaches the chart through its hook.
    ASSERT_TRUE(ViewHooks.ReloadChartData(chart));
    EXPECT_FALSE(HasFile("day", "600000.day")) << "the day file is deleted";
    ASSERT_TRUE(Pump([&] { return HistoryRequests("600000").size() > asked; }));
    EXPECT_EQ(HistoryRequests("600000").back(), 8);
    ASSERT_TRUE(Pump([&] { return HasFile("day", "600000.day") && chart->HistoryArrivals > arrivals; }));
    EXPECT_GE(Price(chart)->RecordCount, bars);

    // Within two seconds of the clock the command does nothing.
    AdvanceTestClock(1500);
    chart->ReloadData();
    EXPECT_TRUE(HasFile("day", "600000.day"));
    // Later it acts again.
    AdvanceTestClock(600);
    chart->ReloadData();
    EXPECT_FALSE(HasFile("day", "600000.day"));
    ASSERT_TRUE(Pump([&] { return HasFile("day", "600000.day"); }));
}

TEST_F(KLineServerTest, FiveMinutesWhileTheDayAnswerIsHeldBack)
{
    Connect();
    const StockId stock = Stock(0, "600000");
    TTechForm *chart = AddChart(stock);
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(Settle());
    const size_t asked = HistoryRequests("600000").size();
    Json held = server.Command(R"({"cmd": "fault", "fault": "delay", "on": 12, "ms": 4000, "count": 1})");
    ASSERT_TRUE(held["ok"].boolean);
    chart->ReloadData();
    ASSERT_TRUE(Pump([&] { return HistoryRequests("600000").size() > asked; }));
    // The 5-minute file is gone: only the server can fill the chart.
    RemoveFile("min", "600000.min");
    chart->SetPeriod(4);
    ASSERT_TRUE(Pump([&] {
        const std::vector<int> kinds = HistoryRequests("600000");
        return std::find(kinds.begin() + long(asked), kinds.end(), 4) != kinds.end();
    })) << "the 5-minute request is not taken for the day request";
    ASSERT_TRUE(Pump([&] { return Price(chart)->RecordCount > 0; }));
    EXPECT_EQ(Price(chart)->Period, 4);
    const KLineRecord &last = Price(chart)->Records[Price(chart)->RecordCount - 1];
    EXPECT_NE(PackedHour(last.Time) * 60 + PackedMinute(last.Time), 0) << "minute bars";
    // The day answer reaches only day charts: this one stays on its 5-minute bars.
    ASSERT_TRUE(Pump([&] { return HasFile("day", "600000.day"); }));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Price(chart)->Period, 4);
    EXPECT_GT(Price(chart)->RecordCount, 0);
}

TEST_F(KLineServerTest, PagingBackBeforeTheFirstBarAsksForOlderBars)
{
    Connect();
    TTechForm *chart = AddChart(Stock(0, "600000"));
    ASSERT_NE(chart, nullptr);
    ASSERT_TRUE(Settle());
    const size_t asked = HistoryRequests("600000").size();
    for (int i = 0; i < chart->Attr.ItemCount; ++i)
        if (chart->Panes[i])
            chart->Panes[i]->FirstVisible = 2;
    Key(chart, VK_LEFT, TShiftState() << ssCtrl);
    EXPECT_EQ(Price(chart)->FirstVisible, 0);
    ASSERT_TRUE(Pump([&] { return HistoryRequests("600000").size() > asked; }));
    EXPECT_EQ(HistoryRequests("600000").back(), 8);
}

} // namespace
