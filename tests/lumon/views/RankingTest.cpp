// The integrated ranking: its six answers asked of the data server one after
// the other and read into the nine lists; keys, defaults and the order of equal
// keys from answer files; the keys that move the selection and open a chart;
// the lists' painting.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/views/RankFile.h"
#include "platform/forms/TMenuItem.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/File.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"
#include "tests/lumon/views/TextViewFixture.h"

using namespace win;

namespace {

struct Rec {
    float a, b, c;
};

// An answer file of `size`-byte records in the answer folder; its path.
std::string WriteAnswer(int number, int size, const std::vector<Rec> &records, size_t cut = 0)
{
    std::vector<uint8_t> bytes;
    for (const Rec &r : records) {
        uint8_t rec[14] = {};
        std::memcpy(rec + 2, &r.a, 4);
        if (size >= 10)
            std::memcpy(rec + 6, &r.b, 4);
        if (size >= 14)
            std::memcpy(rec + 10, &r.c, 4);
        bytes.insert(bytes.end(), rec, rec + size);
    }
    bytes.resize(bytes.size() - cut);
    const std::string path = RankFilePath(number);
    std::ofstream(AnswerFileFolder() + std::to_string(number) + ".tmp", std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

int WidthOf(const InteSortChild *pane)
{
    RECT area{};
    GetClientRect(pane->m_hWnd, &area);
    return area.right;
}

std::vector<StockId> RowsOf(const InteSortChild *pane)
{
    std::vector<StockId> ids;
    for (int i = 0; i < pane->List.GetCount(); ++i)
        ids.push_back(pane->List.GetAt(i).Stock);
    return ids;
}

class RankingTest : public textviews::ViewTest {
protected:
    // The board of the first market's class 1.
    int ClassBoard() const { return MarketTable.Count + 1; }
    // A user block made to hold stocks 1..n of the first market, as the board.
    int SmallBoard(int n)
    {
        for (int id = 0; id < frame->Blocks->BlockCount; ++id) {
            BlockRecord *b = frame->Blocks->FindBlock(id);
            if (!b || b->Kind < 3 || !b->Members)
                continue;
            for (int i = 0; i < n; ++i) {
                const StockStaticRecord *s = &MarketTable.Markets[0]->Statics[i + 1];
                b->Members[i] = BlockMember{MakeStockId(0, s->Class, i + 1), uint16_t(i), 0, 0};
                members.push_back(b->Members[i].Id);
            }
            b->MemberCount = uint16_t(n);
            return id;
        }
        return -1;
    }
    TInteSort *OpenOn(int board)
    {
        VIEW_ATTR attr;
        InitViewAttr(VIEW_RANKING, &attr);
        attr.Blocks[0] = board;
        return Open<TInteSort>(attr);
    }
    RealQuoteRecord &Quote(StockId id) { return MarketTable.Markets[0]->Quotes[StockIndex(id)]; }
    std::vector<StockId> members;
};

TEST_F(RankingTest, SixRequestsOfTheBoardOneAfterTheOtherFillTheNineLists)
{
    Connect();
    TInteSort *r = OpenOn(ClassBoard());
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->Panes[0], nullptr);
    Pump([&] { return r->PendingKind == 0 && r->Panes[1]->List.GetCount() > 0; });
    const std::vector<textviews::LoggedRequest> asked = Logged(101);
    // Fields 11, 20, 12, 13, 8 and 21 as the server's sort codes, all for the board.
    const int codes[6] = {15, 18, 13, 16, 6, 24};
    ASSERT_EQ(asked.size(), 6u);
    for (int k = 0; k < 6; ++k) {
        const std::vector<uint8_t> &body = asked[size_t(k)].body;
        ASSERT_GE(body.size(), 7u);
        EXPECT_EQ(body[0], codes[k]) << k;
        EXPECT_EQ(body[1], 1);
        EXPECT_EQ(body[5] | body[6] << 8, ClassBoard());
    }
    const BlockRecord *board = frame->Blocks->FindBlock(ClassBoard());
    ASSERT_NE(board, nullptr);
    const int expected = std::min(std::max<int>(r->Shared.Rows, 20), int(board->MemberCount));
    const char *titles[9] = {"今日涨幅排名▲", "5分钟涨幅排名▲", "今日委比排名▲", "今日跌幅排名▼", "5分钟跌幅排名▼",
                             "今日委比排名▼", "今日振幅排名▲",  "今日量比排名▲",  "今日总金额排名▲"};
    for (int p = 0; p < 9; ++p) {
        EXPECT_STREQ(r->Panes[p]->Title, titles[p]);
        EXPECT_EQ(r->Panes[p]->List.GetCount(), expected) << p;
    }
    // The rise list runs from the largest change down, the fall list upwards.
    auto change = [](const ISCI &row) { return row.Value2; };
    for (int i = 1; i < r->Panes[0]->List.GetCount(); ++i) {
        EXPECT_GE(change(r->Panes[0]->List.GetAt(i - 1)), change(r->Panes[0]->List.GetAt(i)) - 0.01) << i;
        EXPECT_LE(change(r->Panes[3]->List.GetAt(i - 1)), change(r->Panes[3]->List.GetAt(i)) + 0.01) << i;
    }
    // The rows as painted: the first value of row 0 of pane 0 in its colour.
    r->Panes[0]->Redraw();
    const ISCI first = r->Panes[0]->List.GetAt(0);
    const COLORREF colour = first.Colours & 0x80   ? KeyColor(20)
                            : first.Colours & 0x40 ? KeyColor(48)
                            : first.Colours & 0x20 ? KeyColor(21)
                                                   : KeyColor(19);
    HDC dc = GetDC(r->Panes[0]->m_hWnd);
    const int top = r->Shared.RowHeight + 2, bottom = top + r->Shared.RowHeight;
    bool inked = false;
    for (int x = r->Shared.NameWidth; x < WidthOf(r->Panes[0]) && !inked; ++x)
        for (int y = top; y < bottom && !inked; ++y)
            inked = GetPixel(dc, x, y) == colour;
    ReleaseDC(r->Panes[0]->m_hWnd, dc);
    EXPECT_TRUE(inked);
    SavePicture(r, "ranking.png");
}

TEST_F(RankingTest, AnswersGiveKeysDefaultsAndMemberOrderForEqualKeys)
{
    Offline();
    const int board = SmallBoard(5);
    ASSERT_GE(board, 0);
    TInteSort *r = OpenOn(board);
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->Panes[0], nullptr);
    for (StockId id : members)
        Quote(id) = RealQuoteRecord{};
    // Member 0 has no quote; members 3 and 4 rise alike.
    const std::string path = WriteAnswer(901, 10, {{0, 0, 0}, {110, 100, 0}, {90, 100, 0}, {105, 100, 0}, {105, 100, 0}});
    r->ReadRankingFile(1, path.c_str());
    const std::vector<StockId> &m = members;
    EXPECT_EQ(RowsOf(r->Panes[0]), (std::vector<StockId>{m[1], m[3], m[4], m[2], m[0]}));
    EXPECT_EQ(RowsOf(r->Panes[3]), (std::vector<StockId>{m[2], m[3], m[4], m[1], m[0]}));
    // Kind 1 keeps its values in the quote records.
    EXPECT_EQ(Quote(m[1]).Last, 110u);
    EXPECT_EQ(Quote(m[1]).PrevClose, 100u);
    // A stock without a quote shows its last price 0, level with its previous close.
    EXPECT_EQ(r->Panes[0]->List.GetAt(4).Colours, 0x80u | 0x08u);
    EXPECT_EQ(r->Panes[0]->List.GetAt(0).Colours, 0x20u | 0x02u);

    // Kind 3: out-of-range values saturate, NaN is 0; a zero previous close keys 0.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::string range = WriteAnswer(902, 14, {{1e20f, nan, -5}, {120, 100, 100}});
    r->ReadRankingFile(3, range.c_str());
    EXPECT_EQ(Quote(m[0]).High, 0xFFFFFFFFu);
    EXPECT_EQ(Quote(m[0]).Low, 0u);
    EXPECT_EQ(Quote(m[0]).PrevClose, 0u);
    EXPECT_EQ(r->Panes[6]->List.GetAt(0).Stock, m[1]);
    EXPECT_NEAR(r->Panes[6]->List.GetAt(0).Value2, 20.0, 1e-9);

    // Kind 2: infinite volumes key the default 0, a cut record too (member order kept).
    const float inf = std::numeric_limits<float>::infinity();
    const std::string ratio = WriteAnswer(903, 10, {{inf, 1, 0}, {30, 10, 0}, {10, 30, 0}, {5, 5, 0}}, 3);
    r->ReadRankingFile(2, ratio.c_str());
    EXPECT_EQ(RowsOf(r->Panes[2]), (std::vector<StockId>{m[1], m[0], m[3], m[4], m[2]}));
    EXPECT_NEAR(r->Panes[2]->List.GetAt(0).Value2, 50.0, 1e-9);
    EXPECT_EQ(r->Panes[2]->List.GetAt(0).Colours & 0x0E, 0x02u);
    EXPECT_EQ(r->Panes[2]->List.GetAt(1).Colours & 0x0E, 0x08u);

    // Kinds outside 1..6 and missing files change nothing.
    const std::vector<StockId> before = RowsOf(r->Panes[0]);
    for (int kind : {0, 7, -1})
        r->ReadRankingFile(kind, path.c_str());
    r->ReadRankingFile(1, (AnswerFileFolder() + "missing.tmp").c_str());
    EXPECT_EQ(RowsOf(r->Panes[0]), before);

    // The answer message: the file is read by the kind in lParam and deleted.
    const std::string amount = WriteAnswer(904, 7, {{1, 0, 0}, {90000, 0, 0}});
    SendMessageA(r->Handle, WM_SORT_DATA, 904, 5);
    EXPECT_EQ(GetFileAttributesA(amount.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(r->Panes[8]->List.GetAt(0).Stock, m[1]);
    EXPECT_NEAR(r->Panes[8]->List.GetAt(0).Value2, 9.0, 1e-6);
    SendMessageA(r->Handle, WM_SORT_DATA, 905, 0);
}

TEST_F(RankingTest, ArrowKeysWrapThroughTheListsAndEnterOpensAChart)
{
    Offline();
    const int board = SmallBoard(30);
    TInteSort *r = OpenOn(board);
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->Panes[0], nullptr);
    const int rows = r->Shared.Rows;
    ASSERT_GT(rows, 1);
    r->SelectPane(7, rows - 1);
    SendMessageA(r->Handle, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(r->CurrentPane, 1);
    EXPECT_EQ(r->Panes[1]->Selected, 0);
    EXPECT_EQ(r->Panes[7]->Selected, -1);
    SendMessageA(r->Handle, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(r->CurrentPane, 7);
    EXPECT_EQ(r->Panes[7]->Selected, rows - 1);
    SendMessageA(r->Handle, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(r->CurrentPane, 8);
    SendMessageA(r->Handle, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(r->CurrentPane, 6);
    SendMessageA(r->Handle, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(r->CurrentPane, 8);

    // An empty list opens nothing; a row of a list opens a K-line chart on it.
    StockId stock = 0;
    EXPECT_FALSE(r->SelectedStock(stock));
    std::vector<Rec> records;
    for (int i = 0; i < 30; ++i)
        records.push_back({float(100 + i), 100, 0});
    r->ReadRankingFile(1, WriteAnswer(906, 10, records).c_str());
    r->SelectPane(0, 0);
    ASSERT_TRUE(r->SelectedStock(stock));
    EXPECT_EQ(stock, members[29]);
    StockId hooked = 0;
    ASSERT_TRUE(ViewHooks.RankingSelection(r, hooked));
    EXPECT_EQ(hooked, stock);
    page->SetActivePane(r);
    SendMessageA(r->Handle, WM_KEYDOWN, VK_RETURN, 0);
    // "动态优先" chooses the intraday chart over the K-line chart.
    const uint16_t chart = frame->MenuItem94->Checked ? VIEW_TREND : VIEW_KLINE;
    EXPECT_EQ(r->OpenAttr.ViewType, chart);
    EXPECT_EQ(StockId(r->OpenAttr.Stock), stock);
    EXPECT_EQ(r->OpenAttr.BlockId, board);
    Pump([&] { return page->Panes->GetAt(0)->Attr.ViewType == chart; });
    EXPECT_EQ(StockId(page->Panes->GetAt(0)->Attr.Stock), stock);
}

TEST_F(RankingTest, PaneRowsTooWideValuesAndTheBitmapThatOnlyGrows)
{
    Offline();
    const int board = SmallBoard(3);
    TInteSort *r = OpenOn(board);
    ASSERT_NE(r, nullptr);
    InteSortChild *pane = r->Panes[8];
    ASSERT_NE(pane, nullptr);
    const int h = r->Shared.RowHeight, rows = r->Shared.Rows;
    struct {
        int y, row;
    } at[] = {{0, 0}, {h - 1, 0}, {h, 0}, {2 * h - 1, 0}, {2 * h, 1}, {h * (rows + 5), rows - 1}};
    for (const auto &c : at)
        EXPECT_EQ(pane->RowAt(c.y), c.row) << c.y;

    // Kind 5's amount 3e38 gives a value far too wide for its column: "*".
    r->ReadRankingFile(5, WriteAnswer(907, 7, {{3e38f, 0, 0}, {10000, 0, 0}}).c_str());
    ASSERT_EQ(pane->List.GetCount(), 3);
    pane->Redraw();
    const COLORREF colour = KeyColor(48);
    auto inkSpan = [&](int row) {
        HDC dc = GetDC(pane->m_hWnd);
        const int top = h * (row + 1) + 2;
        int left = WidthOf(pane), right = -1;
        for (int x = r->Shared.NameWidth; x < WidthOf(pane); ++x)
            for (int y = top; y < top + h; ++y)
                if (GetPixel(dc, x, y) == colour) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        ReleaseDC(pane->m_hWnd, dc);
        return right - left;
    };
    EXPECT_LT(inkSpan(0), 10) << "a lone \"*\"";
    EXPECT_GT(inkSpan(1), 12) << "\"1.00\"";

    const uint32_t size = r->Shared.BitmapSize;
    MoveWindow(pane->m_hWnd, 0, 0, 20, 20, TRUE);
    EXPECT_EQ(r->Shared.BitmapSize, size);
    MoveWindow(pane->m_hWnd, 0, 0, int(size & 0xFFFF) + 30, 20, TRUE);
    EXPECT_EQ(r->Shared.BitmapSize & 0xFFFF, (size & 0xFFFF) + 30);
    EXPECT_EQ(r->Shared.BitmapSize >> 16, size >> 16);
}

TEST_F(RankingTest, AMissingBoardLeavesTheViewWithoutListsAndItIgnoresEverything)
{
    Offline();
    TInteSort *r = OpenOn(9999);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Panes[0], nullptr);
    SendMessageA(r->Handle, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(r->Handle, WM_SORT_DATA, 908, 1);
    r->ReadRankingFile(1, WriteAnswer(908, 10, {{1, 1, 1}}).c_str());
    r->SetBounds(0, 0, 300, 200);
    StockId stock;
    EXPECT_FALSE(r->SelectedStock(stock));
    EXPECT_EQ(r->Notify(1, 0, 9998, 0), 1);
}

} // namespace
