// The view attributes' defaults by view type, and the quote list's block tabs
// read from SysBlocks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lumon/shell/ViewAttr.h"
#include "tests/lumon/shell/PageFixture.h"

using namespace pagetest;

namespace {

std::vector<int32_t> List(const int32_t *items, int count) { return std::vector<int32_t>(items, items + count); }

class ViewAttrTest : public PageTest {};

TEST_F(ViewAttrTest, DefaultsOfEveryType)
{
    struct Case {
        uint16_t type;
        int known;
        int32_t param, itemCount, mode, blockCount;
        std::vector<int32_t> items, blocks;
        uint32_t flags;
    };
    const std::vector<int32_t> columns = {0, 1, 6, 24, 25, 26, 28, 29, 7, 10, 8, 30, 3, 4, 5, 11};
    const std::vector<int32_t> sysBlocks = {28, 29, 30, 33, 34, 35, 36, 31, 39, 40};
    const Case cases[] = {
        {VIEW_TREND, 1, 0, 2, 1, 0, {0, 1, 2, 3}, {}, 0},
        {VIEW_KLINE, 1, 8, 3, 2, 0, {3, 322, 45, 321, 87, 42}, {}, 0},
        {VIEW_RANKING, 1, 0, 0, 0, 1, {}, {11}, 0},
        {VIEW_REPORT, 1, 0, 16, 0, 10, columns, sysBlocks, 0xFFFFu << 12},
        {VIEW_NEWS, 1, 0, 0, 0, 0, {}, {}, 0},
        {VIEW_TEXT, 1, 0, 0, 0, 0, {}, {}, 0},
        {VIEW_NOTES, 1, 0, 0, 0, 0, {}, {}, 0},
        {0x3000, 0, 0, 0, 0, 0, {}, {}, 0},
        {VIEW_EMPTY, 0, 0, 0, 0, 0, {}, {}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        VIEW_ATTR a;
        std::memset(&a, 0xAB, sizeof a);
        EXPECT_EQ(InitViewAttr(c.type, &a), c.known);
        EXPECT_EQ(a.ViewType, c.type);
        EXPECT_EQ(uint32_t(a.Stock), 0u);
        EXPECT_EQ(a.BlockId, 0);
        EXPECT_EQ(a.Param, c.param);
        EXPECT_EQ(a.ItemCount, c.itemCount);
        EXPECT_EQ(a.Mode, c.mode);
        EXPECT_EQ(a.BlockCount, c.blockCount);
        EXPECT_EQ(a.Flags, c.flags);
        std::vector<int32_t> items = c.items, blocks = c.blocks;
        items.resize(16);
        blocks.resize(16);
        EXPECT_EQ(List(a.Items, 16), items);
        EXPECT_EQ(List(a.Blocks, 16), blocks);
    }
}

TEST_F(ViewAttrTest, SysBlocksGiveTheQuoteListsTabs)
{
    struct Case {
        const char *text;
        std::vector<int32_t> blocks;
    };
    const Case cases[] = {
        {"05", {5}},
        {"5", {}},
        {"", {}},
        {"28 29", {28, 29}},
        // 60 characters are 20 numbers: only 16 fit the record.
        {"01 02 03 04 05 06 07 08 09 10 11 12 13 14 15 16 17 18 19 20",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        WriteFile(root / "CFG" / "SETTING.INI", std::string("[PARAMETER]\r\nSysBlocks=") + c.text + "\r\n");
        VIEW_ATTR a;
        ASSERT_EQ(InitViewAttr(VIEW_REPORT, &a), 1);
        EXPECT_EQ(List(a.Blocks, a.BlockCount), c.blocks);
        EXPECT_EQ(a.Blocks[15], c.blocks.size() == 16 ? 16 : 0);
    }
}

TEST_F(ViewAttrTest, AFreshViewStateHoldsTheDefaults)
{
    VIEW_STATE s;
    InitViewState(&s);
    EXPECT_EQ(s.BlockCount, 10);
    EXPECT_EQ(s.ColumnCount, 16);
    EXPECT_EQ(s.Columns[2], 6);
    EXPECT_EQ(s.TrendCount, 2);
    EXPECT_EQ(s.KLineCount, 3);
    EXPECT_EQ(s.KLineItems[1], 322);
    EXPECT_EQ(s.Link, 0);
    EXPECT_EQ(s.InfoWindow, 1);
}

} // namespace
