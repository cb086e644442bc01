// The broker queue of a chart against the simulated data server, on the
// maker's large installation (market 2): the stock-information request, the
// grid's numbers and levels, the names under the mouse from the maker's table
// and from one written by shapelib, and the missing or broken table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "lumon/core/DbfTable.h"
#include "lumon/core/EToolTip.h"
#include "lumon/core/UtilData.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TStringGrid.h"
#include "platform/win/MessageBox.h"
#include "tests/lumon/views/ChartFixture.h"
#include "tests/support/MiniJson.h"

using namespace win;
using namespace chartfixture;
using testsupport::PumpUntil;

namespace {

namespace fs = std::filesystem;

// The maker's broker ranges: the first number of each and the name.
const std::vector<std::pair<int, std::string>> kBrokers = {
    {1000, "高盛亚洲证券"}, {1100, "摩根士丹利"}, {1500, "瑞银证券"}, {2000, "汇丰证券"},
    {3000, "中银国际"},     {4000, "美林远东"},   {5000, "德意志银行"}, {6000, "花旗环球"},
    {7000, "里昂证券"},     {8000, "大和证券"},   {9000, "新鸿基证券"}};

std::string RangeName(int number)
{
    std::string name;
    for (const auto &[first, n] : kBrokers)
        if (first <= number)
            name = n;
    return name;
}

class BrokerQueueTest : public ChartTest {
protected:
    std::string MakerOptions() override { return "--large"; }
    void Connect()
    {
        logPath = (root / "server.log").string();
        ASSERT_TRUE(server.Start(root.string(), {"--log", logPath}));
        StartConnected(server);
        ASSERT_EQ(frame->StartAborted, 0);
        frame->Timer1->Enabled = false;
        frame->Timer2->Enabled = false;
        page = framefixture::NewTestPage(frame);
        frame->SetBounds(0, 0, 2000, 900);
    }
    int StockInfoRequests()
    {
        int n = 0;
        std::ifstream in(logPath);
        for (std::string line; std::getline(in, line);) {
            Json j = Json::Parse(line);
            n += j["type"].Int() == 102;
        }
        return n;
    }
    // The centre of a grid cell.
    std::pair<int, int> Centre(TStringGrid *grid, int col, int row)
    {
        TRect r = grid->CellRect(col, row);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    std::string Hovered(TestChart *chart, int col, int row)
    {
        auto [x, y] = Centre(chart->StringGrid1, col, row);
        if (frame->HintTip)
            frame->HintTip->m_Text[0] = 0;
        chart->StringGrid1MouseMove(chart->StringGrid1, TShiftState(), x, y);
        return frame->HintTip ? frame->HintTip->m_Text : "";
    }
    fs::path BrokerFile() const { return root / "CFG" / "Brokerlist.dbf"; }

    peer::DataServer server;
    std::string logPath;
};

TEST_F(BrokerQueueTest, QueueFromTheServerWithNamesUnderTheMouse)
{
    Connect();
    const StockId id = FirstOfClass(2, 1);
    ASSERT_NE(id, 0u);
    TestChart *chart = AddChart(id);
    const int before = StockInfoRequests();
    // Another market's chart does nothing.
    TestChart *other = AddChart(FirstOfClass(0, 1));
    other->showbrokerClick(other->showbroker);
    EXPECT_EQ(BrokerMode, 0);

    chart->showbrokerClick(chart->showbroker);
    EXPECT_EQ(BrokerMode, 1);
    EXPECT_EQ(std::string(AnsiString(chart->showbroker->Caption).c_str()), "显示成交明细");
    EXPECT_EQ(Setting("TableDef", "BrokerMode"), "1");
    const StockInfoRecord &info = MarketTable.Markets[2]->Infos[StockIndex(id)];
    ASSERT_TRUE(PumpUntil(framefixture::App(), [&] { return info.Count1 > 0; }, 5000));
    EXPECT_GT(StockInfoRequests(), before);
    chart->MsgPage->Repaint();
    EXPECT_TRUE(chart->StringGrid1->Visible);
    EXPECT_EQ(chart->StringGrid1->Top, chart->PanelHeight);

    // The first bid entry is the first level; each number entry shows four
    // digits and its range's name under the mouse; a level shows none.
    EXPECT_EQ(std::string(chart->BrokerCellText(0, 1).c_str()), "  -1");
    EXPECT_EQ(std::string(chart->BrokerCellText(1, 1).c_str()), "  +1");
    EXPECT_EQ(std::string(chart->BrokerCellText(0, 0).c_str()), "买队列");
    int numbers = 0;
    for (int row = 1; row <= info.Count1; ++row) {
        const uint8_t *e = info.Entries + (row - 1) * 3;
        const int number = e[1] | e[2] << 8;
        if (e[0] != 0 || row * 24 > chart->StringGrid1->Height - 12)
            continue;
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04d", number);
        EXPECT_EQ(std::string(chart->BrokerCellText(0, row).c_str()), digits);
        EXPECT_EQ(Hovered(chart, 0, row), RangeName(number)) << number;
        ++numbers;
    }
    EXPECT_GT(numbers, 0);
    EXPECT_EQ(Hovered(chart, 0, 1), "");

    // A table written by shapelib reads the same.
    const std::string name = chart->BrokerName(0, 2).c_str();
    delete BrokerTable;
    BrokerTable = nullptr;
    fs::remove(BrokerFile());
    const std::string file = BrokerFile().string();
    ASSERT_EQ(std::system(("dbfcreate '" + file + "' -n IDS 6 0 -s BROKERNAME 30").c_str()), 0);
    for (const auto &[first, n] : kBrokers)
        ASSERT_EQ(std::system(("dbfadd '" + file + "' " + std::to_string(first) + " '" + n + "'").c_str()), 0);
    ASSERT_TRUE(TDrawView::LoadBrokerTable());
    EXPECT_EQ(std::string(chart->BrokerName(0, 2).c_str()), name);

    // Counts past 40 read as 40.
    StockInfoRecord &raw = MarketTable.Markets[2]->Infos[StockIndex(id)];
    raw.Count1 = 500;
    EXPECT_EQ(std::string(chart->BrokerCellText(0, 41).c_str()), "");
    EXPECT_NE(std::string(chart->BrokerCellText(0, 40).c_str()), "");
    chart->StringGrid1->Repaint();
}

TEST_F(BrokerQueueTest, MissingOrBrokenTableKeepsTheTickList)
{
    StartQuiet();
    const StockId id = FirstOfClass(2, 1);
    TestChart *chart = AddChart(id);
    fs::remove(BrokerFile());
    const size_t shown = ShownMessageBoxes().size(); // the offline start's notice
    chart->showbrokerClick(chart->showbroker);
    auto boxes = ShownMessageBoxes();
    boxes.erase(boxes.begin(), boxes.begin() + long(shown));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "没有经纪商序号文件！");
    EXPECT_EQ(boxes[0].caption, "提示");
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONQUESTION));
    EXPECT_EQ(BrokerMode, 0);
    EXPECT_FALSE(fs::exists(BrokerFile())); // not left behind empty
    chart->MsgPage->Repaint();
    EXPECT_FALSE(chart->StringGrid1->Visible);

    // A table without the name field is refused; unsorted numbers find a row.
    ASSERT_EQ(std::system(("dbfcreate '" + BrokerFile().string() + "' -n IDS 6 0").c_str()), 0);
    chart->showbrokerClick(chart->showbroker);
    EXPECT_EQ(ShownMessageBoxes().back().text, "经纪商序号文件存在错误！");
    EXPECT_EQ(BrokerMode, 0);
    fs::remove(BrokerFile());
    ASSERT_EQ(std::system(("dbfcreate '" + BrokerFile().string() + "' -n IDS 6 0 -s BROKERNAME 20").c_str()), 0);
    for (const char *row : {"5000 b", "1000 a", "9000 c"})
        ASSERT_EQ(std::system(("dbfadd '" + BrokerFile().string() + "' " + row).c_str()), 0);
    chart->showbrokerClick(chart->showbroker);
    EXPECT_EQ(BrokerMode, 1);
    StockInfoRecord &raw = MarketTable.Markets[2]->Infos[StockIndex(id)];
    raw.Count1 = 1;
    raw.Entries[0] = 0;
    raw.Entries[1] = 0x88; // 5000
    raw.Entries[2] = 0x13;
    EXPECT_FALSE(std::string(chart->BrokerName(0, 1).c_str()).empty());
}

} // namespace
