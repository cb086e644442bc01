// The request builders of the request client decide from the local files and
// the market's clock what to ask for; the requests they queue stay in flight
// here, no server being connected.
#include <filesystem>

#include "LinkFixture.h"

namespace {

namespace fs = std::filesystem;

class RequestBuilders : public LinkFixture {
protected:
    void SetClock(int ymd, int hhmm)
    {
        TMarketData &md = *MarketTable.Markets[0];
        md.Now = YmdHmToPacked(ymd, hhmm);
        md.TradingDate = YmdHmToPacked(ymd, 0);
        md.ClockMinute = uint16_t(hhmm / 100 * 60 + hhmm % 100);
    }
    // The file's last-write time moved back by `days`.
    void Age(const std::string &relative, int days)
    {
        const fs::path p = DataFile(relative);
        fs::last_write_time(p, fs::last_write_time(p) - std::chrono::hours(24 * days));
    }
    int Queued() const { return TheRequestRing().InFlightCount() + TheRequestRing().WaitingCount(); }
};

TEST_F(RequestBuilders, TicksFollowTheTradingState)
{
    client = std::make_unique<TNormalClnt>();
    struct Case {
        const char *name;
        int hhmm;
        bool keepFile;
        int queued;
    } cases[] = {
        {"while trading: the feed brings the ticks", 1030, false, 0},
        {"after the close, a file of another date", 1530, false, 1},
        {"before the open, a file of another date", 900, false, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TheRequestRing().ClearRequestRing();
        SetClock(20061208, c.hhmm);
        // A different stock each time: recent tick requests count as pending.
        const char *code = c.hhmm == 1030 ? "600000" : (c.hhmm == 1530 ? "600036" : "600519");
        ASSERT_TRUE(fs::exists(DataFile(std::string("sh/tick/") + code + ".tik")));
        EXPECT_EQ(client->RequestTickData(0, code, this), c.queued);
        EXPECT_EQ(Queued(), c.queued);
        EXPECT_EQ(fs::exists(DataFile(std::string("sh/tick/") + code + ".tik")), c.keepFile);
    }
    EXPECT_EQ(client->RequestTickData(0, "NOSUCH", this), 0);
}

TEST_F(RequestBuilders, HistoryAndTextsFollowTheFileDates)
{
    client = std::make_unique<TNormalClnt>();
    SetClock(20061208, 1030);
    // Written today: nothing to ask for.
    EXPECT_EQ(client->RequestHistory(0, "600000", 8, 0, this), 0);
    EXPECT_EQ(client->RequestWeightFile(0, "600000"), 0);
    // An old day file asks for the days after its last bar; the file is touched
    // so that the question is asked once a day.
    Age("sh/day/600000.day", 3);
    EXPECT_EQ(client->RequestHistory(0, "600000", 8, 0, this), 1);
    EXPECT_EQ(client->RequestHistory(0, "600036", 8, 0, this), 0);
    Age("sh/weight/600000.wgt", 2);
    EXPECT_EQ(client->RequestWeightFile(0, "600000"), 1);
    // Missing files ask for everything, without leaving an empty file behind.
    EXPECT_EQ(client->RequestBaseText(0, "600036"), 1);
    EXPECT_FALSE(fs::exists(DataFile("sh/base/600036.Txt")));
    // A minute file of another date than the market's is dropped and asked for whole.
    Age("sh/min1/600519.m1", 2);
    EXPECT_EQ(client->RequestHistory(0, "600519", 0, 0, &oldCwd), 1);
    EXPECT_FALSE(fs::exists(DataFile("sh/min1/600519.m1")));
    EXPECT_EQ(Queued(), 4);
}

} // namespace
