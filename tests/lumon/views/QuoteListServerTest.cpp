// The quote list against the simulated data server: ranking requests as the
// server logs them, rows in the order of the answers, answers that come too late,
// answer files removed, and quotes pushed by the server marking their rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/TNormalClnt.h"
#include "tests/lumon/views/QuoteListFixture.h"
#include "tests/support/MiniJson.h"
#include "tests/support/TestApplication.h"

using namespace win;

namespace {

namespace fs = std::filesystem;

bool Pump(const std::function<bool()> &done, int ms)
{
    return testsupport::PumpUntil(framefixture::App(), done, ms);
}

// The rows of the list by the time each ranking answer has been handled.
std::vector<std::vector<StockId>> answered;
WNDPROC listProc = nullptr;
TReport *watched = nullptr;

LRESULT WatchAnswers(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT r = CallWindowProcA(listProc, hwnd, msg, wParam, lParam);
    if (msg == WM_SORT_DATA && watched) {
        std::vector<StockId> rows;
        for (int i = 0; i < watched->RowCount; ++i)
            rows.push_back(watched->Rows[i].Id);
        answered.push_back(rows);
    }
    return r;
}

class QuoteListServerTest : public quotelisttest::QuoteListTest {
protected:
    void TearDown() override
    {
        if (watched && listProc)
            SetWindowLongA(watched->Handle, GWL_WNDPROC, LONG_PTR(listProc));
        watched = nullptr;
        listProc = nullptr;
        answered.clear();
        QuoteListTest::TearDown();
    }
    // The frame logged in, its list on `block`, its ranking answers watched.
    TReport *Connect(int block = 0)
    {
        logPath = (root / "server.log").string();
        EXPECT_TRUE(server.Start(root.string(), {"--log", logPath}));
        TReport *list = StartList(block, &server);
        if (list) {
            // Shown once: the first showing lays the columns out again.
            frame->SetBounds(0, 0, 1000, 700);
            frame->Show();
            page->LayoutPage();
            EXPECT_TRUE(Pump([list] { return list->Drawn != 0; }, 5000));
            watched = list;
            listProc = reinterpret_cast<WNDPROC>(SetWindowLongA(list->Handle, GWL_WNDPROC, LONG_PTR(&WatchAnswers)));
        }
        return list;
    }
    // The bodies of the ranking requests by 幅度% (the server's code 15) that
    // the server has logged.
    std::vector<std::vector<uint8_t>> RankingRequests()
    {
        std::vector<std::vector<uint8_t>> out;
        std::ifstream in(logPath);
        for (std::string line; std::getline(in, line);) {
            Json j = Json::Parse(line);
            if (j["type"].Int() != 101)
                continue;
            const std::string hex = j["hex"].text;
            std::vector<uint8_t> body;
            for (size_t i = 20; i + 1 < hex.size(); i += 2)
                body.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
            if (!body.empty() && body[0] == 15)
                out.push_back(body);
        }
        return out;
    }
    // The id of the class block of that name.
    int ClassBlock(const char *name)
    {
        for (int id = 0; id < frame->Blocks->BlockCount; ++id) {
            const BlockRecord &b = frame->Blocks->Blocks[id];
            if (b.InUse && b.Kind == BLOCK_CLASS && std::strncmp(b.Name, name, sizeof b.Name) == 0)
                return id;
        }
        return -1;
    }
    // Sets a stock's previous close and last price on the server.
    void Quote(StockId id, int prevClose, int last)
    {
        const StockStaticRecord *s = TDataIO::GetStock(id);
        ASSERT_NE(s, nullptr);
        char command[200];
        std::snprintf(command, sizeof command,
                      R"({"cmd": "quote", "market": %d, "code": "%.6s", "prev_close": %d, "last": %d})",
                      int(s->Market), s->Code, prevClose, last);
        ASSERT_TRUE(server.Command(command)["ok"].boolean) << command;
    }
    // Double-clicks the title of the column of `field`.
    void SortBy(TReport *list, int field)
    {
        int col = -1;
        for (int c = 0; c < list->DrawGrid1->ColCount; ++c)
            if (list->Attr.Items[c] == field)
                col = c;
        ASSERT_GE(col, 0) << "no column of field " << field;
        list->DrawGrid1->LeftCol = std::max(col, int(list->DrawGrid1->FixedCols));
        const TRect r = list->DrawGrid1->CellRect(col, 0);
        list->DrawGrid1MouseDown(list->DrawGrid1, mbLeft, TShiftState(), r.Left + 2, r.Top + 2);
        list->DrawGrid1DblClick(list->DrawGrid1);
    }
    static std::vector<StockId> RowsOf(const TReport *list)
    {
        std::vector<StockId> rows;
        for (int i = 0; i < list->RowCount; ++i)
            rows.push_back(list->Rows[i].Id);
        return rows;
    }
    // The answer files still in the answer folder.
    static int AnswerFiles()
    {
        int n = 0;
        const fs::path folder = AnswerFileFolder();
        if (fs::exists(folder))
            for (const auto &entry : fs::directory_iterator(folder))
                n += entry.path().extension() == ".tmp";
        return n;
    }

    peer::DataServer server;
    std::string logPath;
};

TEST_F(QuoteListServerTest, ClassBlockRankingFollowsTheAnswerWithRowsWithoutDataLastWhenAscending)
{
    TReport *list = Connect();
    ASSERT_NE(list, nullptr);
    const int block = ClassBlock("上证A股");
    ASSERT_GE(block, 0);
    list->ShowBlockTab(block);
    ASSERT_GE(list->RowCount, 4);
    const StockId top = list->Rows[2].Id, bottom = list->Rows[1].Id, none = list->Rows[3].Id;
    Quote(top, 1000, 1200);
    Quote(bottom, 1000, 800);
    Quote(none, 0, 1000);
    const size_t before = RankingRequests().size();

    SortBy(list, 11);
    ASSERT_TRUE(Pump([&] { return answered.size() == 1; }, 10000));
    const auto requests = RankingRequests();
    ASSERT_EQ(requests.size(), before + 1);
    const std::vector<uint8_t> &body = requests.back();
    ASSERT_GE(body.size(), 7u);
    EXPECT_EQ(body[1] | body[2] << 8 | body[3] << 16 | body[4] << 24, 1);
    EXPECT_EQ(body[5] | body[6] << 8, block);
    EXPECT_EQ(list->SortDescending, 1);
    EXPECT_EQ(list->Rows[0].Id, top);

    // Again: ascending, the stock without a previous close last.
    SortBy(list, 11);
    ASSERT_TRUE(Pump([&] { return answered.size() == 2; }, 10000));
    EXPECT_EQ(list->SortDescending, 0);
    EXPECT_EQ(list->Rows[0].Id, bottom);
    EXPECT_EQ(list->Rows[list->RowCount - 1].Id, none);
    EXPECT_EQ(AnswerFiles(), 0);
}

TEST_F(QuoteListServerTest, OfTwoQuickSortsOnlyTheSecondAnswerApplies)
{
    TReport *list = Connect();
    ASSERT_NE(list, nullptr);
    const int block = ClassBlock("上证A股");
    list->ShowBlockTab(block);
    ASSERT_GE(list->RowCount, 3);
    Quote(list->Rows[2].Id, 1000, 1200);
    Quote(list->Rows[1].Id, 1000, 800);
    const std::vector<StockId> shown = RowsOf(list);
    const size_t before = RankingRequests().size();
    // The first answer held back by the server: the second request is made
    // while the first is on its way.
    ASSERT_TRUE(server.Command(R"({"cmd": "fault", "fault": "delay", "on": 101, "ms": 1000})")["ok"].boolean);
    SortBy(list, 11);
    ASSERT_TRUE(Pump([&] { return RankingRequests().size() == before + 1; }, 10000));
    SortBy(list, 11);
    ASSERT_TRUE(Pump([&] { return answered.size() == 2; }, 10000));
    EXPECT_EQ(answered[0], shown) << "the first answer comes too late and changes nothing";
    EXPECT_EQ(list->SortDescending, 0);
    EXPECT_EQ(answered[1].front(), shown[1]);
    EXPECT_EQ(AnswerFiles(), 0);
}

TEST_F(QuoteListServerTest, AQuoteFromTheServerMarksItsRow)
{
    TReport *list = Connect();
    ASSERT_NE(list, nullptr);
    ASSERT_GE(list->RowCount, 3);
    const StockId id = list->Rows[2].Id;
    const StockStaticRecord *s = TDataIO::GetStock(id);
    ASSERT_NE(s, nullptr);
    char command[200];
    std::snprintf(command, sizeof command,
                  R"({"cmd": "quote", "market": %d, "code": "%.6s", "last": 123456, "to": "all"})", int(s->Market),
                  s->Code);
    ASSERT_TRUE(server.Command(command)["ok"].boolean);
    ASSERT_TRUE(Pump([&] { return list->Rows[2].Mask != 0; }, 10000));
    EXPECT_NE(list->Rows[2].Mask & 0x01, 0u) << "the last price is marked";
    EXPECT_EQ(list->Rows[1].Mask, 0u);
}

class LargeQuoteListServerTest : public QuoteListServerTest {
protected:
    std::string MakerOptions() override { return "--large"; }
};

TEST_F(LargeQuoteListServerTest, AUserBlockOfThreeHundredStocksSendsItsFirst256Keys)
{
    TReport *list = Connect();
    ASSERT_NE(list, nullptr);
    BlockRecord *user = frame->Blocks->NewBlock();
    ASSERT_NE(user, nullptr);
    user->Kind = BLOCK_USER;
    std::strcpy(user->Name, "大块");
    const TMarketData *md = MarketTable.Markets[0];
    ASSERT_GE(md->StockCount, 300);
    for (int i = 0; i < 300; ++i)
        user->Members[i] = BlockMember{MakeStockId(0, md->Statics[i].Class, i), uint16_t(i), 0, 0};
    user->MemberCount = 300;
    list->ShowBlockTab(user->Id);
    ASSERT_EQ(list->RowCount, 300);
    const size_t before = RankingRequests().size();
    SortBy(list, 11);
    ASSERT_TRUE(Pump([&] { return answered.size() == 1; }, 10000));
    const auto requests = RankingRequests();
    ASSERT_EQ(requests.size(), before + 1);
    const std::vector<uint8_t> &body = requests.back();
    ASSERT_GE(body.size(), 7u + 2 * 256);
    EXPECT_EQ(body[5] | body[6] << 8, 256);
    for (int i = 0; i < 256; ++i) {
        const int key = body[7 + 2 * i] | body[8 + 2 * i] << 8;
        EXPECT_EQ(key, int(MakeSTKMS(0, i))) << i;
    }
    EXPECT_EQ(list->RowCount, 300) << "the rows after the first 256 keep their place";
    EXPECT_EQ(AnswerFiles(), 0);
}

} // namespace
