// The services the views share: quote fields from the market tables, the row
// sorts, stepping through a block, the colour of a change and the cell painters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/Cview.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "tests/lumon/shell/PageFixture.h"

using namespace win;

namespace {

// Two markets: 0 a securities market whose class 1 is an index class, 1 a
// futures market; each with four stocks.
class QuoteFieldTest : public pagetest::PageTest {
protected:
    void SetUp() override
    {
        PageTest::SetUp();
        std::snprintf(DataRoot, sizeof DataRoot, "..\\");
        for (int m = 0; m < 2; ++m) {
            MarketInfoRecord info{};
            info.Type = m == 0 ? 1 : 2;
            std::snprintf(info.Dir, sizeof info.Dir, "m%d", m);
            std::strcpy(info.Ext, "x");
            info.Capacity = 4;
            info.ClassCount = 2;
            info.Classes[1].IsIndex = 1;
            markets[m] = new TMarketData(m, info);
            markets[m]->StockCount = 4;
            for (int s = 0; s < 4; ++s) {
                StockStaticRecord &st = markets[m]->Statics[s];
                st.Market = uint8_t(m);
                st.Index = uint16_t(s);
                st.ScaleDivisor = 100;
                std::snprintf(st.Code, sizeof st.Code, "%d%02d", m, 3 - s);
            }
            markets[m]->Info.Classes[0].TotalMinutes = 239;
            markets[m]->Info.Classes[0].ElapsedMinutes = 119;
            MarketTable.Markets[m] = markets[m];
        }
        MarketTable.Count = 2;
        // Stock 0 of market 0 (its index) up 2 %.
        Quote(0, 0) = RealQuoteRecord{};
        Quote(0, 0).PrevClose = 1000;
        Quote(0, 0).Last = 1020;
        RealQuoteRecord &q = Quote(0, 1);
        q.PrevClose = 1000;
        q.Open = 1010;
        q.High = 1100;
        q.Low = 950;
        q.Last = 1050;
        q.Volume = 5000;
        q.Amount = 7e6f;
        q.LastVolume = 30;
        q.FastChange = 1.5f;
        q.Time = 93512;
        q.Bid[0] = {1049, 300};
        q.Bid[1] = {1048, 100};
        q.Ask[0] = {1051, 200};
        q.Settlement = 1040;
        markets[0]->Aux[1] = StockAuxRecord{0, 0, {1030, 990, 1080, 0, 0}, 2000.0f};
        markets[1]->Quotes[1] = q;
        markets[1]->Aux[1] = StockAuxRecord{1, 1, {0, 0, 0, 1110, 1120}, 6.5e6f};
    }
    void TearDown() override
    {
        for (int m = 0; m < 2; ++m) {
            markets[m]->StockCount = 0;
            MarketTable.Markets[m] = nullptr;
            delete markets[m];
        }
        MarketTable.Count = 0;
        PageTest::TearDown();
    }
    RealQuoteRecord &Quote(int m, int s) { return markets[m]->Quotes[s]; }
    TMarketData *markets[2] = {};
};

TEST_F(QuoteFieldTest, FieldsFollowTheTable)
{
    const StockId stock = MakeStockId(0, 0, 1), future = MakeStockId(1, 0, 1), index = MakeStockId(0, 1, 1);
    struct Case {
        StockId id;
        unsigned field;
        int result;
        double value;
    };
    const double change = 5.0;
    const Case cases[] = {
        {stock, 2, 1, 10.0},   {stock, 3, 1, 10.1},   {stock, 4, 1, 11.0},   {stock, 5, 1, 9.5},
        {stock, 6, 1, 10.5},   {stock, 7, 1, 5000},   {stock, 8, 1, 7e6},    {stock, 10, 1, 0.5},
        {stock, 11, 1, change}, {stock, 12, 1, 15.0}, {stock, 13, 1, 5000.0 * 240 / 2000 / 120},
        {stock, 14, 1, change - 2.0}, {stock, 15, 1, 10.3}, {stock, 16, 1, 10.8}, {stock, 17, 1, 9.9},
        {stock, 18, 0, 0},     {stock, 19, 0, 0},     {stock, 20, 1, (400.0 - 200.0) * 100 / 600},
        {stock, 21, 1, 1.5},   {stock, 24, 1, 30},    {stock, 25, 1, 10.49}, {stock, 26, 1, 10.51},
        {stock, 27, 1, 10.4},  {stock, 28, 1, 300},   {stock, 29, 1, 200},   {stock, 30, 0, 0},
        {stock, 31, 1, 93512}, {stock, 0, 0, 0},      {stock, 1, 0, 0},      {stock, 9, 0, 0},
        {stock, 22, 0, 0},     {stock, 23, 0, 0},     {stock, 32, 0, 0},     {stock, 33, 0, 0},
        {stock, 99, 0, 0},
        // A futures market: no 量比; 仓差 against the reference; short prices.
        {future, 13, 0, 0},    {future, 30, 1, 7e6 - 6.5e6}, {future, 16, 0, 0}, {future, 18, 1, 11.2},
        {future, 19, 1, 11.1},
        // An index class: no 委比, 买量, 卖量, and in market 0 or 1 no 买价, 卖价.
        {index, 20, 0, 0},     {index, 28, 0, 0},     {index, 29, 0, 0},     {index, 25, 0, 0},
        // Out of the tables.
        {MakeStockId(0, 0, 4), 6, 0, 0}, {MakeStockId(0, 0, 0xFFFF), 6, 0, 0}, {MakeStockId(0, 5, 1), 6, 0, 0},
        {MakeStockId(2, 0, 1), 6, 0, 0}, {MakeStockId(200, 0, 1), 6, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " field " << c.field);
        double v = -12345;
        EXPECT_EQ(TChildView::GetQuoteField(c.id, c.field, &v), c.result);
        if (c.result)
            EXPECT_NEAR(v, c.value, 1e-6 * std::fabs(c.value) + 1e-9);
        else
            EXPECT_EQ(v, -12345) << "nothing written";
    }
}

TEST_F(QuoteFieldTest, EdgesOfLastPricePreviousCloseScaleAndReference)
{
    const StockId stock = MakeStockId(0, 0, 1);
    double v = -1;
    Quote(0, 1).Last = 0;
    EXPECT_EQ(TChildView::GetQuoteField(stock, 10, &v), 0);
    EXPECT_EQ(TChildView::GetQuoteField(stock, 11, &v), 0);
    EXPECT_EQ(v, -1);
    Quote(0, 1).Last = 1050;
    Quote(0, 1).PrevClose = 0;
    for (unsigned f : {11u, 12u, 14u}) {
        v = -1;
        EXPECT_EQ(TChildView::GetQuoteField(stock, f, &v), 0) << f;
        EXPECT_EQ(v, 0.0) << f;
    }
    // A zero price scale reads as 1.
    markets[0]->Statics[1].ScaleDivisor = 0;
    EXPECT_EQ(TChildView::GetQuoteField(stock, 6, &v), 1);
    EXPECT_EQ(v, 1050.0);
    // 量比 is 1 when the reference is 0.01 or less, or 1e8 or more.
    for (float reference : {0.01f, 0.0f, 1e8f}) {
        markets[0]->Aux[1].Reference = reference;
        EXPECT_EQ(TChildView::GetQuoteField(stock, 13, &v), 1);
        EXPECT_EQ(v, 1.0) << reference;
    }
    // 委比 without bid and ask volume gives nothing; 仓差 with the flag clear is 0.
    for (auto &level : Quote(0, 1).Bid)
        level.Volume = 0;
    for (auto &level : Quote(0, 1).Ask)
        level.Volume = 0;
    EXPECT_EQ(TChildView::GetQuoteField(stock, 20, &v), 0);
    markets[1]->Aux[1].RefFlag = 0;
    EXPECT_EQ(TChildView::GetQuoteField(MakeStockId(1, 0, 1), 30, &v), 1);
    EXPECT_EQ(v, 0.0);
}

TEST_F(QuoteFieldTest, SortsKeepEqualKeysInOrder)
{
    auto row = [](int market, int stock, int order) {
        return BlockMember{MakeStockId(market, 0, stock), uint16_t(order), 0, uint32_t(stock)};
    };
    auto ids = [](const std::vector<BlockMember> &rows) {
        std::vector<uint32_t> out;
        for (const BlockMember &r : rows)
            out.push_back(r.Mask);
        return out;
    };
    std::vector<BlockMember> rows = {row(0, 0, 3), row(0, 1, 1), row(0, 2, 3), row(0, 3, 0), row(1, 0, 1)};
    TChildView::SortRowsByOrder(rows.data(), 5, 1);
    EXPECT_EQ(ids(rows), (std::vector<uint32_t>{3, 1, 0, 0, 2}));
    EXPECT_EQ(rows[2].Id, MakeStockId(1, 0, 0)) << "equal keys keep their order";
    TChildView::SortRowsByOrder(rows.data(), 5, 0);
    EXPECT_EQ(rows[0].Order, 3);
    EXPECT_EQ(rows[0].Mask, 0u);
    EXPECT_EQ(rows[1].Mask, 2u);

    // By code: market, class, then the code ("003", "002", ... by stock).
    rows = {row(1, 3, 0), row(0, 0, 1), row(0, 3, 2), row(0, 1, 3)};
    TChildView::SortRowsByCode(rows.data(), 4, 1);
    EXPECT_EQ(rows[0].Id, MakeStockId(0, 0, 3));
    EXPECT_EQ(rows[1].Id, MakeStockId(0, 0, 1));
    EXPECT_EQ(rows[3].Id, MakeStockId(1, 0, 3));
    // A stock without a static record stops the sort where it is.
    rows = {row(0, 0, 0), row(0, 3, 0), row(3, 0, 0)};
    TChildView::SortRowsByCode(rows.data(), 3, 1);
    EXPECT_EQ(rows[0].Id, MakeStockId(0, 0, 3));
    EXPECT_EQ(rows[2].Id, MakeStockId(3, 0, 0));

    // Values: rows carried with their values; equal values keep their order.
    std::vector<double> values = {2, 5, 2, 9, 1, 5};
    rows.clear();
    for (int i = 0; i < 6; ++i)
        rows.push_back(row(0, i, 0));
    TChildView::BubbleSortRowsByValue(rows.data(), values.data(), 6, 1);
    EXPECT_EQ(values, (std::vector<double>{9, 5, 5, 2, 2, 1}));
    EXPECT_EQ(ids(rows), (std::vector<uint32_t>{3, 1, 5, 0, 2, 4}));

    std::vector<double> many;
    std::vector<BlockMember> manyRows;
    for (int i = 0; i < 37; ++i) {
        many.push_back(double((i * 17) % 11));
        manyRows.push_back(row(0, i, 0));
    }
    TChildView::ShellSortRowsByValue(manyRows.data(), many.data(), 37, 0);
    for (int i = 1; i < 37; ++i)
        EXPECT_LE(many[size_t(i) - 1], many[size_t(i)]);
    for (int i = 0; i < 37; ++i)
        EXPECT_EQ(double((manyRows[size_t(i)].Mask * 17) % 11), many[size_t(i)]) << "rows travel with their values";

    std::vector<double> top = {4, 8, 1, 8, 6};
    std::vector<uint32_t> topIds = {10, 11, 12, 13, 14};
    TChildView::SelectTopRowsByValue(topIds.data(), top.data(), 5, 2, 1);
    EXPECT_EQ(topIds[0], 11u);
    EXPECT_EQ(topIds[1], 13u);
    TChildView::SelectTopRowsByValue(topIds.data(), top.data(), 5, 0, 0);
    EXPECT_EQ(topIds[0], 11u) << "k = 0 does nothing";

    // Counts of 0 and 1 change nothing.
    BlockMember one = row(0, 1, 5);
    TChildView::SortRowsByOrder(&one, 1, 1);
    TChildView::SortRowsByCode(&one, 0, 1);
    EXPECT_EQ(one.Order, 5);
}

TEST(ChildViewTest, NextAndPreviousWrapAroundTheBlock)
{
    TBlockGroup group;
    BlockRecord *block = group.NewBlock();
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 3; ++i)
        block->Members[i] = BlockMember{MakeStockId(0, 0, 10 + i), uint16_t(i), 0, 0};
    block->MemberCount = 3;
    const int id = block->Id;
    EXPECT_EQ(TChildView::NextStockInBlock(&group, id, MakeStockId(0, 0, 10)), MakeStockId(0, 0, 11));
    EXPECT_EQ(TChildView::NextStockInBlock(&group, id, MakeStockId(0, 0, 12)), MakeStockId(0, 0, 10));
    EXPECT_EQ(TChildView::PrevStockInBlock(&group, id, MakeStockId(0, 0, 10)), MakeStockId(0, 0, 12));
    EXPECT_EQ(TChildView::PrevStockInBlock(&group, id, MakeStockId(0, 0, 12)), MakeStockId(0, 0, 11));
    EXPECT_EQ(TChildView::NextStockInBlock(&group, id, MakeStockId(0, 0, 99)), MakeStockId(0, 0, 99));
    EXPECT_EQ(TChildView::NextStockInBlock(&group, id + 7, MakeStockId(0, 0, 10)), MakeStockId(0, 0, 10));
    block->MemberCount = 0;
    EXPECT_EQ(TChildView::PrevStockInBlock(&group, id, MakeStockId(0, 0, 10)), MakeStockId(0, 0, 10));
    EXPECT_EQ(TChildView::NextStockInBlock(nullptr, id, MakeStockId(0, 0, 10)), MakeStockId(0, 0, 10));
}

TEST(ChildViewTest, ChangeColoursAndCellPainters)
{
    ColorTable[18] = 0x00AA00;
    ColorTable[19] = 0xAAAAAA;
    ColorTable[20] = 0x0000AA;
    ColorTable[46] = 0x00AAAA;
    EXPECT_EQ(TChildView::GetChangeColor(5, 4), COLORREF(0x0000AA));
    EXPECT_EQ(TChildView::GetChangeColor(4, 4), COLORREF(0xAAAAAA));
    EXPECT_EQ(TChildView::GetChangeColor(-5, 4), COLORREF(0x00AA00));

    HDC dc = CreateRecordingDC(200, 40);
    SIZE size;
    GetTextExtentPoint32A(dc, "12.34", 5, &size);
    RECT cell{10, 0, 110, 20};
    TChildView::DrawTextInRect(dc, cell, "  12.34\t", 2, 0);
    TChildView::DrawTextInRect(dc, cell, "12.34", 1, 1);
    RECT narrow{0, 0, size.cx, 20};
    TChildView::DrawTextInRect(dc, narrow, "12.34", 2, 2);
    std::vector<std::string> calls = RecordedCalls(dc);
    auto text = [](int x, int y, const char *t) {
        return "TextOutA(" + std::to_string(x) + "," + std::to_string(y) + ",\"" + t + "\")";
    };
    auto has = [&](const std::string &call) {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    };
    EXPECT_TRUE(has(text(10 + 100 - size.cx - 1, (20 - size.cy) / 2, "12.34")));
    EXPECT_TRUE(has(text(11, 1, "12.34")));
    EXPECT_TRUE(has(text(0, 20 - size.cy - 1, "***"))) << "a text wider than its cell";
    DeleteDC(dc);

    dc = CreateRecordingDC(200, 40);
    SIZE joined, dash, first;
    GetTextExtentPoint32A(dc, "1.21.3", 6, &joined);
    GetTextExtentPoint32A(dc, "-", 1, &dash);
    GetTextExtentPoint32A(dc, "1.2", 3, &first);
    RECT pair{0, 0, 120, 20};
    TChildView::DrawPairText(dc, pair, 0x0000FF, 0x00FF00, "1.2", " 1.3", 0, 1);
    calls = RecordedCalls(dc);
    int x = (120 - joined.cx - dash.cx) / 2;
    EXPECT_TRUE(has(text(x, 1, "1.2")));
    EXPECT_TRUE(has(text(x + first.cx, 1, "-")));
    EXPECT_TRUE(has(text(x + first.cx + dash.cx, 1, "1.3")));
    DeleteDC(dc);
}

TEST(ChildViewTest, TitlesOfTheQuoteColumns)
{
    EXPECT_STREQ(QuoteFieldTitles[8], "额/仓");
    EXPECT_STREQ(QuoteFieldLongTitles[8], "金额/持仓");
    EXPECT_STREQ(QuoteFieldTitles[33], "买量/卖量");
    EXPECT_STREQ(QuoteFieldLongTitles[29], "卖出量");
}

} // namespace
