// The keyboard wizard on the maker's installation: what a text finds and in what
// order, the pinyin rules with [PYLEVEL2], what Enter chooses on each kind of
// row, and the list as the user sees it.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/shell/PageManager.h"
#include "lumon/shell/SmartKB.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TEdit.h"
#include "tests/lumon/shell/FrameFixture.h"

using namespace framefixture;
using namespace win;

namespace {

std::string Code(const StockStaticRecord &s) { return std::string(s.Code, size_t(StockCodeLength(s))); }

class SmartKBTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        StartOffline();
        ASSERT_EQ(frame->StartAborted, 0);
        ASSERT_NE(frame->Blocks, nullptr);
        kb = new TSmartKB(frame);
        kb->AfterConstruction();
    }
    void TearDown() override
    {
        delete kb;
        FrameTest::TearDown();
    }
    // The rows as "kind:code" texts.
    std::vector<std::string> Rows()
    {
        std::vector<std::string> out;
        for (int i = 0; i < kb->ResultCount; ++i) {
            char code[64], text[128];
            kb->RowTexts(i, code, sizeof code, text, sizeof text);
            out.push_back(std::to_string(kb->Results[i].Kind) + ":" + code);
        }
        return out;
    }
    // Types the text and presses Enter; the choice's OK flag.
    int Choose(const char *text, int row = 0)
    {
        kb->OK = 0;
        kb->Edit1->Text = text;
        kb->DrawGrid1->Row = row;
        WORD key = VK_RETURN;
        kb->Edit1KeyDown(kb->Edit1, key, TShiftState());
        return kb->OK;
    }

    TSmartKB *kb = nullptr;
};

TEST_F(SmartKBTest, SixListsTheCommandsInTableOrderThenTheStocksOfThatCode)
{
    ASSERT_EQ(kb->Search("6"), 1);
    std::vector<std::string> rows = Rows();
    ASSERT_GT(rows.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 7),
              (std::vector<std::string>{"0:6", "0:61", "0:62", "0:63", "0:64", "0:65", "0:66"}));
    for (size_t i = 7; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].substr(0, 3), "1:6") << rows[i];
    EXPECT_EQ(kb->StockCount, int(rows.size()) - 7);
}

TEST_F(SmartKBTest, AFullCodeListsItsStockFirst)
{
    TMarketData &m = *MarketTable.Markets[0];
    ASSERT_GT(m.StockCount, 30);
    const StockStaticRecord &target = m.Statics[m.StockCount - 1];
    std::string code = Code(target);
    // Two stocks earlier in the walk whose names begin with the same digits.
    for (int i : {1, 2})
        std::snprintf(m.Statics[i].Name, sizeof m.Statics[i].Name, "%s", code.c_str());
    ASSERT_EQ(kb->MatchStocks(code.c_str()), 1);
    ASSERT_GE(kb->StockCount, 3);
    EXPECT_EQ(Code(kb->Stocks[0]), code);
    EXPECT_EQ(kb->Stocks[1].Index, 1);
    EXPECT_EQ(kb->Stocks[2].Index, 2);
}

TEST_F(SmartKBTest, ADotListsTheDefaultAndTheSavedPages)
{
    std::vector<std::string> expected{"3:.0"};
    for (int i = 0; i < PageCount; ++i)
        if (PageTable[i].Path[0])
            expected.push_back("3:." + std::to_string(i + 1));
    ASSERT_EQ(kb->Search("."), 1);
    EXPECT_EQ(Rows(), expected);
    // Nothing for a text that finds nothing, and no list for an empty one.
    EXPECT_EQ(kb->Search("~~"), 0);
    EXPECT_EQ(kb->Search(""), 0);
    EXPECT_EQ(kb->ResultCount, 0);
}

TEST_F(SmartKBTest, IndicatorsAreFoundByShortNameOrDescriptionUnlessHidden)
{
    const IndexTable *table = GetIndexTable();
    ASSERT_NE(table, nullptr);
    // Hide the first definition that the text "MACD" finds.
    ASSERT_EQ(kb->Search("MACD"), 1);
    std::vector<std::string> rows = Rows();
    ASSERT_NE(std::find(rows.begin(), rows.end(), "2:MACD"), rows.end());
    for (int i = 0; i < table->Count; ++i)
        if (std::strncmp(table->Definitions[i].Name, "MACD", 5) == 0)
            table->Definitions[i].Attribute |= 0x8000;
    kb->Search("MACD");
    rows = Rows();
    EXPECT_EQ(std::find(rows.begin(), rows.end(), "2:MACD"), rows.end());
}

TEST_F(SmartKBTest, PinyinInitialsFollowTheBoundaryAndTheSecondLevelTables)
{
    struct Case {
        const char *name;
        const char *text;
        bool match;
    };
    const Case cases[] = {
        {"华夏钢铁", "HXGT", true},
        {"华夏钢铁", "hxgt", true},
        {"华夏钢铁", "XG", true},
        {"华夏钢铁", "GT", true},     // the last character is whole before the last byte
        {"华夏钢铁", "H.GT", true},   // '.' stands for any character
        {"华夏钢铁", "HXGTX", false}, // longer than the name
        {"华夏钢铁", "HGT", false},
        {"ST东方A", "STDF", true},
        {"ST东方A", "STDFA", false},  // the name's last byte is never matched
        {"东方1号", "DF1", true},
        {"击", "J", true},            // I, U and V never match through the table
        {"击中", "IZ", false},
        {"ＡＢ股份", "ABGF", true},   // full-width letters
        {"华夏", "华", false},        // high bytes in the text
        {"华夏", "..", false},        // no letter
        {"华夏", "", false},
        {"", "H", false},
        {"重庆路桥", "CQLQ", false},  // 重 lies in Z's range
        {"亳州", "BZ", false},        // beyond the end mark
    };
    for (const Case &c : cases)
        EXPECT_EQ(kb->MatchPinyin(c.name, c.text, int(std::strlen(c.text))), c.match ? 1 : 0)
            << c.name << " / " << c.text;

    // [PYLEVEL2]: 重 under C, 亳 under B; odd lengths and low bytes are skipped.
    std::ofstream(root / "CFG" / "py.ini", std::ios::binary)
        << "[PYLEVEL2]\r\nC=X\xD6\xD8\xD6\r\nB=\xD6\x41\xD9\xF1\r\nZ=\xB0\xA1\xB0\xA2\xB0\xA3\xB0\xA4\xB0\xA5\xB0\xA6"
           "\xB0\xA7\xB0\xA8\xB0\xA9\xB0\xAA\xB0\xAB\xB0\xAC\xB0\xAD\xB0\xAE\xB0\xAF\xB0\xB0\xB0\xB1\r\n";
    kb->Matcher.LoadLevel2("..\\CFG\\py.ini");
    EXPECT_TRUE(kb->Matcher.Level2Loaded());
    EXPECT_EQ(kb->Matcher.Level2Count(2), 1);
    EXPECT_EQ(kb->Matcher.Level2Count(1), 1);
    EXPECT_EQ(kb->Matcher.Level2Count(25), 16);
    EXPECT_EQ(kb->MatchPinyin("重庆路桥", "CQLQ", 4), 1);
    EXPECT_EQ(kb->MatchPinyin("重庆路桥", "ZQLQ", 4), 1);
    EXPECT_EQ(kb->MatchPinyin("亳州", "BZ", 2), 1);
    // The 17th character of Z's row is not used.
    EXPECT_EQ(kb->MatchPinyin("\xB0\xB0\xB0\xB0", "Z", 1), 1);
    EXPECT_EQ(kb->MatchPinyin("\xB0\xB1\xB0\xB1", "Z", 1), 0);
    // The default "XXX" loads nothing.
    kb->Matcher.LoadLevel2("..\\CFG\\missing.ini");
    EXPECT_FALSE(kb->Matcher.Level2Loaded());
}

TEST_F(SmartKBTest, TheStockListStopsAt512)
{
    // The first market block lists its first stock 600 times.
    BlockRecord &block = frame->Blocks->Blocks[0];
    ASSERT_EQ(block.Kind, BLOCK_MARKET);
    StockId first = block.Members[0].Id;
    for (int i = 0; i < 600; ++i)
        block.Members[i] = BlockMember{first, uint16_t(i), 0, 0};
    block.MemberCount = 600;
    std::string code = Code(*TDataIO::GetStock(first));
    ASSERT_EQ(kb->MatchStocks(code.c_str()), 1);
    EXPECT_EQ(kb->StockCount, MaxSmartStocks);
    ASSERT_EQ(kb->Search(code.c_str()), 1);
    EXPECT_LE(kb->ResultCount, MaxSmartResults);
}

TEST_F(SmartKBTest, EnterChoosesByRowKind)
{
    int markets = MarketTable.Count;
    int classes0 = MarketTable.Markets[0]->Info.ClassCount;
    struct Case {
        const char *text;
        int row;
        uint8_t action;
        int32_t key;
        uint16_t type;
        int32_t block;
        int32_t value;
        int32_t mode;
    };
    const Case cases[] = {
        {"09", 0, SMART_KEY, 120, 0, 0, 0, 0},
        {"10", 0, SMART_KEY, 121, 0, 0, 0, 0},
        {"72", 0, SMART_OPEN_VIEW, 0, VIEW_NOTES, -1, 2, 0},
        {"75", 0, SMART_OPEN_VIEW, 0, VIEW_NEWS, -1, 0, 0},
        {"1", 1, SMART_OPEN_VIEW, 0, VIEW_REPORT, 1 + markets, 0, 0},
        {"4", 0, SMART_OPEN_VIEW, 0, VIEW_REPORT, 2 + markets + classes0, 1, 0},
        {"65", 0, SMART_OPEN_VIEW, 0, VIEW_REPORT, 5 + markets, 0, 11},
        {"66", 0, SMART_OPEN_VIEW, 0, VIEW_REPORT, 5 + markets + classes0, 1, 11},
        {"82", 0, SMART_OPEN_VIEW, 0, VIEW_RANKING, 2 + markets, 0, 0},
        {"83", 0, SMART_OPEN_VIEW, 0, VIEW_RANKING, 1 + markets + classes0, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_EQ(Choose(c.text, c.row), 1);
        EXPECT_EQ(kb->Action, c.action);
        EXPECT_EQ(kb->Kind, SMART_COMMAND);
        if (c.action == SMART_KEY) {
            EXPECT_EQ(kb->KeyCode, c.key);
            continue;
        }
        EXPECT_EQ(uint16_t(kb->Attr.ViewType), c.type);
        EXPECT_EQ(int32_t(kb->Attr.BlockId), c.value);
        EXPECT_EQ(int32_t(kb->Attr.Mode), c.mode);
        if (c.block >= 0) {
            EXPECT_EQ(int32_t(kb->Attr.BlockCount), 1);
            EXPECT_EQ(int32_t(kb->Attr.Blocks[0]), c.block);
        }
    }

    // A stock row: the stock, with the view type the frame put there kept.
    const StockStaticRecord &s = MarketTable.Markets[0]->Statics[3];
    kb->Attr.ViewType = VIEW_REPORT;
    ASSERT_EQ(Choose(Code(s).c_str()), 1);
    EXPECT_EQ(kb->Action, SMART_SHOW_STOCK);
    EXPECT_EQ(kb->Kind, SMART_STOCK);
    EXPECT_EQ(uint16_t(kb->Attr.ViewType), VIEW_REPORT);
    EXPECT_EQ(uint32_t(kb->Attr.Stock), MakeStockId(0, s.Class, 3));
    // An indicator row: its id at offset 84.
    ASSERT_EQ(Choose("MACD"), 1);
    EXPECT_EQ(kb->Kind, SMART_INDICATOR);
    EXPECT_EQ(kb->Action, SMART_SHOW_STOCK);
    EXPECT_EQ(int32_t(kb->Attr.Mode), 45);
    // A page row.
    ASSERT_EQ(Choose(".0"), 1);
    EXPECT_EQ(kb->Action, SMART_OPEN_PAGE);
    EXPECT_EQ(kb->PageIndex, 0);
    // With nothing found the list holds a blank row that Enter does not choose.
    EXPECT_EQ(Choose("~~~"), 0);
    EXPECT_EQ(kb->ResultCount, 0);
    EXPECT_EQ(kb->DrawGrid1->RowCount, 1);
    EXPECT_FALSE(kb->DrawGrid1->Enabled);
    // Esc chooses nothing.
    kb->Edit1->Text = "6";
    WORD key = VK_ESCAPE;
    kb->Edit1KeyDown(kb->Edit1, key, TShiftState());
    EXPECT_EQ(kb->OK, 0);
}

TEST_F(SmartKBTest, WizardTextOfOddBytesIsSearchedSafely)
{
    // High bytes (a typed Chinese name), dots, and the 8-character box of which 7 count.
    const StockStaticRecord &s = MarketTable.Markets[0]->Statics[20];
    std::string name(s.Name, size_t(StockNameLength(s)));
    kb->Edit1->Text = name.substr(0, 4).c_str();
    EXPECT_GE(kb->StockCount, 1);
    kb->Edit1->Text = "..";
    EXPECT_EQ(kb->ResultCount, 0);
    kb->Edit1->Text = "6000000X";
    EXPECT_EQ(AnsiString(kb->Edit1->Text), AnsiString("6000000X"));
    kb->Edit1->Text = "\xFF\xFE\x80\x81\xA0";
    EXPECT_EQ(kb->StockCount, 0);
}

TEST_F(SmartKBTest, TheListShowsEachKindInItsColour)
{
    kb->SetBounds(0, 0, 260, 300);
    kb->Show();
    kb->Edit1->Text = "6";
    App().ProcessMessages();
    QImage image = kb->Widget()->grab().toImage();
    image.save(QString::fromUtf8(LUMO_TEST_BINARY_DIR "/smartkb.png"));
    QImage grid = kb->DrawGrid1->Widget()->grab().toImage();
    // Counts the pixels of a colour (BGR COLORREF) in a row band of the grid.
    auto count = [&](int row, int fromX, int toX, COLORREF c) {
        QRgb want = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        int n = 0;
        for (int y = row * 18; y < row * 18 + 18 && y < grid.height(); ++y)
            for (int x = fromX; x < toX && x < grid.width(); ++x)
                n += grid.pixel(x, y) == want;
        return n;
    };
    // Row 0 is selected: grey with yellow text; row 1 a command in red; the
    // first stock row in blue.
    EXPECT_GT(count(0, 0, 200, 0x808080), 500);
    EXPECT_GT(count(0, 0, 200, 0x00FFFF), 5);
    EXPECT_GT(count(1, 50, 200, 0x0000FF), 5);
    EXPECT_GT(count(1, 0, 50, 0x000000), 5);
    EXPECT_GT(count(7, 50, 200, 0xFF0000), 5);
    kb->Hide();
}

} // namespace
