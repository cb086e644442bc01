// The real-time client: subscriptions and pushed quotes against the simulated
// data server, the change flags and the change ring, the server's clock, news
// flashes, and a stream with garbage, oversize frames and a lost connection.
#include <cstring>
#include <filesystem>

#include "LinkFixture.h"
#include "lumon/core/NewsIndex.h"
#include "lumon/core/TRealDataClnt.h"

namespace {

using peer::Messages;

// The quote changes the frame was sent, without the clock notices.
std::vector<peer::Received> QuoteChanges()
{
    std::vector<peer::Received> quotes;
    for (const peer::Received &r : Messages(WM_DATA_CHANGED))
        if (r.wParam != 2)
            quotes.push_back(r);
    return quotes;
}
using socktest::PumpUntil;

class RealTimeClient : public LinkFixture {
protected:
    bool ConnectRealtime()
    {
        WriteServerIni("127.0.0.1", server.data, server.realtime);
        realtime = std::make_unique<TRealDataClnt>(win::inet_addr("127.0.0.1"));
        return realtime->Connect() == 1;
    }
    void TearDown() override
    {
        realtime.reset();
        LinkFixture::TearDown();
    }
    std::unique_ptr<TRealDataClnt> realtime;
};

std::vector<uint8_t> FromHex(const std::string &hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string Hex(const std::vector<uint8_t> &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (uint8_t c : bytes) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

TEST_F(RealTimeClient, PushedQuotesReachTheMarketArraysWithTheirFlags)
{
    ASSERT_TRUE(server.Start(root, {}));
    ASSERT_TRUE(ConnectRealtime());
    auto *list = new EArray<STKMS>(4);
    list->Add(MakeSTKMS(0, 5));
    list->Add(MakeSTKMS(0, 0));
    ASSERT_EQ(realtime->Subscribe(list, 2, 1), 10 + 518);
    EXPECT_EQ(realtime->GetSubscription(), list);
    ASSERT_TRUE(PumpUntil([&] { return QuoteChanges().size() >= 2; }));
    Json status = server.Command(R"({"cmd": "status"})");
    ASSERT_GT(status["connections"].size(), 0u);

    TMarketData &sh = *MarketTable.Markets[0];
    const RealQuoteRecord before = sh.Quotes[5];
    peer::Inbox().clear();
    Json answer = server.Command(
        R"({"cmd": "quote", "market": 0, "code": "600000", "last": )" + std::to_string(before.Last + 7) +
        R"(, "volume": )" + std::to_string(int(before.Volume) + 500) + R"(, "asks": [[)" +
        std::to_string(before.Last + 7) + R"(, 900]], "bids": [[)" + std::to_string(before.Last - 3) + R"(, 100]]})");
    const std::vector<uint8_t> record = FromHex(answer["record"].text);
    ASSERT_EQ(record.size(), 124u);
    ASSERT_TRUE(PumpUntil([&] { return !QuoteChanges().empty(); }));
    const peer::Received quote = QuoteChanges().back();
    EXPECT_EQ(quote.wParam, win::WPARAM(1u << 16 | 5u));
    EXPECT_EQ(quote.entry.Stock, MakeStockId(0, 1, 5));
    const uint32_t deal = before.Last + 7 >= before.Ask[0].Price ? QUOTE_DEAL_AT_ASK : 0;
    EXPECT_EQ(quote.entry.Flags & (QUOTE_LAST | QUOTE_VOLUME | QUOTE_DEAL | QUOTE_DEAL_AT_ASK),
              QUOTE_LAST | QUOTE_VOLUME | QUOTE_DEAL | deal);
    EXPECT_EQ(reinterpret_cast<const QuoteChangeEntry *>(quote.lParam)->Stock, MakeStockId(0, 1, 5));
    // Words 0-7 and 10-29 as the record carried them; the time stamped.
    EXPECT_EQ(std::memcmp(&sh.Quotes[5], record.data() + 4, 32), 0);
    EXPECT_EQ(std::memcmp(&sh.Quotes[5].Bid[0], record.data() + 36, 80), 0);
    EXPECT_EQ(sh.Quotes[5].Time >> 6, uint32_t(sh.LocalTime.wHour) << 6 | sh.LocalTime.wMinute);
}

// Quote records applied in place: the change flags against the held record.
TEST_F(RealTimeClient, ChangeFlagsFollowTheHeldRecord)
{
    TMarketData &sh = *MarketTable.Markets[0];
    TRealDataClnt client(0);
    auto record = [](int market, const char *code, const RealQuoteRecord &q) {
        std::vector<uint8_t> r(124, 0);
        r[0] = uint8_t(market);
        std::memcpy(r.data() + 4, &q, 32);
        std::memcpy(r.data() + 36, &q.Bid[0], 80);
        std::memcpy(r.data() + 116, code, std::strlen(code));
        return r;
    };
    RealQuoteRecord held{};
    held.Last = 1000;
    held.Volume = 5000;
    held.LastVolume = 10;
    held.Bid[0] = {999, 50};
    held.Ask[0] = {1001, 60};
    struct Case {
        const char *name;
        int stock;
        const char *code;
        RealQuoteRecord oldQuote;
        void (*change)(RealQuoteRecord &);
        uint32_t flags;
    } cases[] = {
        {"nothing changed", 5, "600000", held, [](RealQuoteRecord &) {}, 0},
        {"a deal at the ask", 5, "600000", held,
         [](RealQuoteRecord &q) {
             q.Volume = 5100;
             q.Last = 1001;
             q.LastVolume = 100;
         },
         QUOTE_LAST | QUOTE_LAST_VOLUME | QUOTE_VOLUME | QUOTE_DEAL | QUOTE_DEAL_AT_ASK},
        {"a deal at the bid", 5, "600000", held,
         [](RealQuoteRecord &q) {
             q.Volume = 5100;
             q.Last = 999;
         },
         QUOTE_LAST | QUOTE_VOLUME | QUOTE_DEAL | QUOTE_DEAL_AT_BID},
        {"old last price 0", 5, "600000", RealQuoteRecord{}, [](RealQuoteRecord &q) { q.Last = 1000; }, 0},
        {"book moves", 5, "600000", held,
         [](RealQuoteRecord &q) {
             q.Bid[0] = {998, 40};
             q.Ask[0] = {1002, 70};
         },
         QUOTE_BID1 | QUOTE_ASK1 | QUOTE_BID1_VOLUME | QUOTE_ASK1_VOLUME},
        {"an index has no book flags", 0, "000001", held,
         [](RealQuoteRecord &q) {
             q.Bid[0] = {998, 40};
         },
         0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        peer::Inbox().clear();
        sh.Quotes[c.stock] = c.oldQuote;
        RealQuoteRecord fresh = c.oldQuote;
        c.change(fresh);
        const int32_t slot = QuoteChangeIndex;
        const std::vector<uint8_t> r = record(0, c.code, fresh);
        client.ApplyRecords(r.data(), int(r.size()));
        EXPECT_EQ(QuoteChangeRing[slot].Flags, c.flags);
        EXPECT_EQ(QuoteChangeIndex, (slot + 1) % QuoteChangeRingSize);
        ASSERT_EQ(Messages(WM_DATA_CHANGED).size(), 1u);
        const bool same = std::memcmp(&fresh, &c.oldQuote, sizeof fresh) == 0;
        EXPECT_EQ(sh.Quotes[c.stock].Time == c.oldQuote.Time, same);
    }
    // A code the market does not hold, or one without its end, is skipped.
    const int32_t slot = QuoteChangeIndex;
    for (const char *code : {"999999", "60000012"}) {
        std::vector<uint8_t> r = record(0, "", held);
        std::memcpy(r.data() + 116, code, std::strlen(code));
        client.ApplyRecords(r.data(), int(r.size()));
    }
    EXPECT_EQ(QuoteChangeIndex, slot);
}

TEST_F(RealTimeClient, ClockRecordsMoveTheMarketClocks)
{
    TRealDataClnt client(0);
    auto clock = [&](int minutes) {
        std::vector<uint8_t> r(124, 0);
        r[2] = uint8_t(minutes);
        r[3] = uint8_t(minutes >> 8);
        client.ApplyRecords(r.data(), int(r.size()));
    };
    TMarketData &sh = *MarketTable.Markets[0];
    const int offset = sh.Info.HourOffset * 60;
    clock(1381);
    const PackedDateTime late = sh.Now;
    EXPECT_EQ(sh.ClockMinute, (1381 + offset) % 1440);
    socktest::PumpFor(50);
    peer::Inbox().clear();
    clock(1381);
    socktest::PumpFor(50);
    EXPECT_TRUE(Messages(WM_DATA_CHANGED).empty());
    clock(5);
    ASSERT_TRUE(PumpUntil([] { return !Messages(WM_DATA_CHANGED).empty(); }));
    EXPECT_EQ(sh.ClockMinute, (5 + offset) % 1440);
    EXPECT_EQ(StartTime.wHour * 60 + StartTime.wMinute, 5);
    // The held date moved on a day: the market's date moves when its local
    // midnight lies between the two clocks.
    EXPECT_GE(ComparePackedDate(sh.Now, late), 0);
    EXPECT_EQ(ComparePackedDate(sh.Now, late) > 0, (1445 + offset) / 1440 > (1381 + offset) / 1440);
    ASSERT_EQ(Messages(WM_DATA_CHANGED).size(), 1u);
    EXPECT_EQ(Messages(WM_DATA_CHANGED)[0].wParam, 2u);
    EXPECT_EQ(Messages(WM_DATA_CHANGED)[0].lParam, 5);
    clock(1440);
    clock(65535);
    EXPECT_EQ(StartTime.wHour * 60 + StartTime.wMinute, 5);
}

TEST_F(RealTimeClient, SeveralNewsFlashesInOneFrameAreEachKept)
{
    ASSERT_TRUE(server.Start(root, {}));
    ASSERT_TRUE(ConnectRealtime());
    std::filesystem::remove(DataFile("info/news.ntl"));
    std::vector<uint8_t> body;
    for (int i = 0; i < 3; ++i) {
        std::vector<uint8_t> r(124, 0);
        r[0] = 0xFF;
        r[1] = 1;
        r[2] = uint8_t(3000 + i);
        r[3] = uint8_t((3000 + i) >> 8);
        std::string title = "flash " + std::to_string(i);
        std::memcpy(r.data() + 8, title.data(), title.size());
        body.insert(body.end(), r.begin(), r.end());
    }
    // One flash of a type the user may not read.
    body[2 * 124 + 1] = 9;
    frame->deniedNewsType = 9;
    server.Command(R"({"cmd": "frame", "listener": "realtime", "type": 8, "body": ")" + Hex(body) + R"("})");
    ASSERT_TRUE(PumpUntil([&] { return Messages(WM_NEWS_FLASH).size() >= 2; }));
    socktest::PumpFor(100);
    const auto flashes = Messages(WM_NEWS_FLASH);
    ASSERT_EQ(flashes.size(), 2u);
    EXPECT_STREQ(flashes[0].news.Title, "flash 0");
    EXPECT_STREQ(flashes[1].news.Title, "flash 1");
    EXPECT_EQ(flashes[1].news.Id, 3001);
    TNewsIndex index((root + "/data/info/news.ntl").c_str(), 1);
    ASSERT_EQ(index.GetCount(), 2);
    EXPECT_STREQ(index.GetRecords()[1].FileName, "00003001.txt");
}

TEST_F(RealTimeClient, GarbageAndOversizeFramesLoseNoQuote)
{
    struct Case {
        const char *name;
        const char *fault;
    } cases[] = {
        {"garbage", R"({"cmd": "fault", "fault": "garbage", "listener": "realtime", "on": 8, "length": 37})"},
        {"oversize", R"({"cmd": "fault", "fault": "oversize", "listener": "realtime", "on": 8, "size": 9000})"},
        {"split", R"({"cmd": "fault", "fault": "split", "listener": "realtime", "on": 8, "at": [1, 9, 10, 60]})"},
    };
    ASSERT_TRUE(server.Start(root, {"--compress", "always"}));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ConnectRealtime());
        auto *list = new EArray<STKMS>(4);
        list->Add(MakeSTKMS(0, 5));
        ASSERT_GT(realtime->Subscribe(list, 1, 0), 0);
        ASSERT_TRUE(PumpUntil([&] { return !QuoteChanges().empty(); }));
        peer::Inbox().clear();
        ASSERT_TRUE(server.Command(c.fault)["ok"].boolean);
        const uint32_t last = MarketTable.Markets[0]->Quotes[5].Last + 11;
        server.Command(R"({"cmd": "quote", "market": 0, "code": "600000", "last": )" + std::to_string(last) + "}");
        ASSERT_TRUE(PumpUntil([&] { return MarketTable.Markets[0]->Quotes[5].Last == last; }));
        EXPECT_TRUE(realtime->IsConnected());
        server.Command(R"({"cmd": "clear"})");
        realtime.reset();
    }
}

TEST_F(RealTimeClient, ConnectionLossAndSubscriptionWithoutConnection)
{
    ASSERT_TRUE(server.Start(root, {}));
    ASSERT_TRUE(ConnectRealtime());
    peer::Inbox().clear();
    server.Command(R"({"cmd": "close", "listener": "realtime", "reset": true})");
    ASSERT_TRUE(PumpUntil([&] { return !Messages(WM_NETWORK_FAULT).empty(); }));
    EXPECT_FALSE(realtime->IsConnected());
    // The list is taken even when it cannot go out.
    auto *list = new EArray<STKMS>(4);
    list->Add(MakeSTKMS(0, 5));
    EXPECT_EQ(realtime->Subscribe(list, 1, 0), -1);
}

} // namespace
