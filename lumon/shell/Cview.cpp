#include "lumon/shell/Cview.h"

#include <cstring>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/EditBlock.h"
#include "lumon/shell/MFrame.h"
#include "platform/forms/TButton.h"
#include "platform/win/MessageBox.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TFont.h"

using namespace win;

const char QuoteFieldTitles[34][16] = {
    "序",     "名称",   "昨收",     "开盘",     "最高",     "最低",     "最新",   "成交量",   "额/仓",
    "代码",   "涨跌",   "幅度%",    "振幅%",    "量比",     "强弱度",   "多空平衡", "多头获利", "多头停损",
    "空头回补", "空头停损", "委比",   "快速涨跌%", "换手率%",  "市盈率",   "现手",   "买价",     "卖价",
    "结算价", "买量",   "卖量",     "仓差",     "时间",     "买价/卖价", "买量/卖量"};
const char QuoteFieldLongTitles[34][16] = {
    "次序",   "名称",     "昨收",     "开盘",     "最高",     "最低",     "最新",     "成交量",   "金额/持仓",
    "代码",   "涨跌",     "幅度%",    "振幅%",    "量比",     "强弱度",   "多空平衡", "多头获利", "多头停损",
    "空头回补", "空头停损", "委比",     "快速涨跌%", "换手率%",  "市盈率",   "现手",     "买入价",   "卖出价",
    "结算价", "买入量",   "卖出量",   "持仓差",   "时间",     "买价/卖价", "买量/卖量"};

TFont *TChildView::Fonts[16] = {};

void TChildView::ConfigureFonts()
{
    for (int i = 0; i < 16; ++i) {
        if (!Fonts[i])
            Fonts[i] = new TFont;
        TFont &f = *Fonts[i];
        const FontEntry &e = FontTable[i];
        f.Charset = DEFAULT_CHARSET;
        f.Name = std::string(e.Face, strnlen(e.Face, sizeof e.Face)).c_str();
        if (i == 5 || i == 6 || i == 9 || i == 10)
            f.Height = e.Size;
        else
            f.Size = e.Size;
        f.Pitch = fpFixed;
    }
}

TChildView::TChildView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TMultiViewChild(page, node, attr)
{
    ConfigureFonts();
    PopupMenu = nullptr;
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
}

TChildView::~TChildView() = default;

int TChildView::Notify(int, int, int, intptr_t) { return 0; }

void TChildView::FormClose(TObject *Sender, TCloseAction &Action)
{
    TMultiViewChild::FormClose(Sender, Action);
    Action = caFree;
}

// ---- quote fields --------------------------------------------------------------

int TChildView::GetQuoteField(StockId id, unsigned field, double *value)
{
    const int m = StockMarket(id);
    const int c = StockClass(id);
    const int s = StockIndex(id);
    if (m >= MaxMarkets || m >= MarketTable.Count)
        return 0;
    const TMarketData *md = MarketTable.Markets[m];
    // A stock id from a page file or a message may name any market, class or
    // stock: one outside the tables has no fields.
    if (!md || !md->Quotes || !md->Statics || !md->Aux || s >= md->StockCount || c >= md->Info.ClassCount || c >= 15)
        return 0;
    const RealQuoteRecord &r = md->Quotes[s];
    const StockAuxRecord &aux = md->Aux[s];
    const ClassRecord &cls = md->Info.Classes[c];
    const double scale = PriceScaleOf(md->Statics[s]);
    const bool futures = md->Info.Type == 2;

    if (r.Last == 0 && (field == 10 || field == 11))
        return 0;
    if ((field == 11 || field == 12 || field == 14) && r.PrevClose == 0) {
        *value = 0.0;
        return 0;
    }
    if (field > 31)
        return 0;
    auto price = [](uint32_t p) { return static_cast<double>(p); };
    switch (field) {
    case 2: *value = price(r.PrevClose) / scale; return 1;
    case 3: *value = price(r.Open) / scale; return 1;
    case 4: *value = price(r.High) / scale; return 1;
    case 5: *value = price(r.Low) / scale; return 1;
    case 6: *value = price(r.Last) / scale; return 1;
    case 7: *value = r.Volume; return 1;
    case 8: *value = r.Amount; return 1;
    case 10: *value = (price(r.Last) - price(r.PrevClose)) / scale; return 1;
    case 11: *value = (price(r.Last) - price(r.PrevClose)) * 100.0 / price(r.PrevClose); return 1;
    case 12: *value = (price(r.High) - price(r.Low)) * 100.0 / price(r.PrevClose); return 1;
    case 13: {
        if (futures)
            return 0;
        double reference = aux.Reference;
        if (reference <= 0.01 || reference >= 1e8)
            *value = 1.0;
        else
            *value = double(r.Volume) * (cls.TotalMinutes + 1.0) / reference / (cls.ElapsedMinutes + 1.0);
        return 1;
    }
    case 14: {
        const RealQuoteRecord &first = md->Quotes[0];
        double base = 0.0;
        if (first.Last != 0 && first.PrevClose != 0)
            base = (price(first.Last) - price(first.PrevClose)) * 100.0 / price(first.PrevClose);
        *value = (price(r.Last) - price(r.PrevClose)) * 100.0 / price(r.PrevClose) - base;
        return 1;
    }
    case 15:
        if (aux.Prices[0] == 0)
            return 0;
        *value = price(aux.Prices[0]) / scale;
        return 1;
    case 16:
    case 17:
        if (aux.SideFlag != 0)
            return 0;
        *value = price(aux.Prices[field == 16 ? 2 : 1]) / scale;
        return 1;
    case 18:
    case 19:
        if (aux.SideFlag == 0)
            return 0;
        *value = price(aux.Prices[field == 18 ? 4 : 3]) / scale;
        return 1;
    case 20: {
        if (cls.IsIndex)
            return 0;
        double bid = 0, ask = 0;
        for (int i = 0; i < 5; ++i) {
            bid += r.Bid[i].Volume;
            ask += r.Ask[i].Volume;
        }
        if (!(bid + ask > 0))
            return 0;
        *value = (bid - ask) * 100.0 / (bid + ask);
        return 1;
    }
    case 21: *value = r.FastChange; return 1;
    case 24: *value = r.LastVolume; return 1;
    case 25:
    case 26: {
        uint32_t p = field == 25 ? r.Bid[0].Price : r.Ask[0].Price;
        if (((m == 0 || m == 1) && cls.IsIndex) || p == 0)
            return 0;
        *value = price(p) / scale;
        return 1;
    }
    case 27:
        if (r.Settlement == 0)
            return 0;
        *value = price(r.Settlement) / scale;
        return 1;
    case 28:
    case 29:
        if (cls.IsIndex)
            return 0;
        *value = field == 28 ? r.Bid[0].Volume : r.Ask[0].Volume;
        return 1;
    case 30:
        if (!futures)
            return 0;
        *value = aux.RefFlag == 0 ? 0.0 : double(r.Amount) - double(aux.Reference);
        return 1;
    case 31: *value = static_cast<double>(r.Time); return 1;
    default: return 0;
    }
}

// ---- sorts -----------------------------------------------------------------------

namespace {

// The bidirectional bubble sort: `order(i, j)` is 1 when entries i < j must swap,
// 0 when not, -1 to stop the sort where it is.
template <typename Order, typename Swap>
void CocktailSort(int count, Order order, Swap swap)
{
    if (count < 2)
        return;
    int lo = 0;
    int hi = count - 1;
    int last = 0;
    while (hi > lo) {
        for (int i = lo; i < hi; ++i) {
            int o = order(i, i + 1);
            if (o < 0)
                return;
            if (o) {
                swap(i, i + 1);
                last = i;
            }
        }
        hi = last;
        for (int i = hi; i > lo; --i) {
            int o = order(i - 1, i);
            if (o < 0)
                return;
            if (o) {
                swap(i - 1, i);
                last = i;
            }
        }
        lo = last;
    }
}

int CompareCodes(StockId a, StockId b)
{
    const StockStaticRecord *x = TDataIO::GetStock(a);
    const StockStaticRecord *y = TDataIO::GetStock(b);
    if (!x || !y)
        return 2;
    if (x->Market != y->Market)
        return x->Market < y->Market ? -1 : 1;
    if (x->Class != y->Class)
        return x->Class < y->Class ? -1 : 1;
    for (size_t i = 0; i < sizeof x->Code; ++i) {
        auto p = static_cast<unsigned char>(x->Code[i]);
        auto q = static_cast<unsigned char>(y->Code[i]);
        if (p != q)
            return p < q ? -1 : 1;
        if (!p)
            break;
    }
    return 0;
}

} // namespace

void TChildView::SortRowsByOrder(BlockMember *rows, int count, int ascending)
{
    CocktailSort(
        count,
        [&](int i, int j) {
            return ascending ? int(rows[i].Order > rows[j].Order) : int(rows[i].Order < rows[j].Order);
        },
        [&](int i, int j) { std::swap(rows[i], rows[j]); });
}

void TChildView::SortRowsByCode(BlockMember *rows, int count, int ascending)
{
    CocktailSort(
        count,
        [&](int i, int j) {
            int c = CompareCodes(rows[i].Id, rows[j].Id);
            if (c == 2)
                return -1;
            return ascending ? int(c > 0) : int(c < 0);
        },
        [&](int i, int j) { std::swap(rows[i], rows[j]); });
}

void TChildView::BubbleSortRowsByValue(BlockMember *rows, double *values, int count, int descending)
{
    CocktailSort(
        count,
        [&](int i, int j) { return descending ? int(values[j] > values[i]) : int(values[j] < values[i]); },
        [&](int i, int j) {
            std::swap(values[i], values[j]);
            std::swap(rows[i], rows[j]);
        });
}

void TChildView::ShellSortRowsByValue(BlockMember *rows, double *values, int count, int descending)
{
    if (count / 2 < 1) {
        BubbleSortRowsByValue(rows, values, count, descending);
        return;
    }
    for (int gap = count / 2; gap >= 1; gap /= 2)
        for (int j = 0; j < gap; ++j)
            for (int k = j + gap; k < count; k += gap) {
                bool swap = descending ? values[k] > values[k - gap] : values[k] < values[k - gap];
                if (swap) {
                    std::swap(values[k], values[k - gap]);
                    std::swap(rows[k], rows[k - gap]);
                }
            }
    BubbleSortRowsByValue(rows, values, count, descending);
}

void TChildView::SelectTopRowsByValue(uint32_t *ids, double *values, int count, int k, int descending)
{
    for (int i = 0; i < k && i < count; ++i)
        for (int j = count - 1; j > i; --j) {
            bool swap = descending ? values[j] > values[j - 1] : values[j] < values[j - 1];
            if (swap) {
                std::swap(values[j], values[j - 1]);
                std::swap(ids[j], ids[j - 1]);
            }
        }
}

// ---- blocks and colours ---------------------------------------------------------------

namespace {

StockId StepInBlock(const TBlockGroup *blocks, int blockId, StockId stock, int step)
{
    const BlockRecord *block = blocks ? const_cast<TBlockGroup *>(blocks)->FindBlock(blockId & 0xFFFF) : nullptr;
    if (!block || !block->Members || block->MemberCount == 0)
        return stock;
    int count = block->MemberCount;
    for (int i = 0; i < count; ++i)
        if (block->Members[i].Id == stock)
            return block->Members[(i + step + count) % count].Id;
    return stock;
}

const TBlockGroup *FrameBlocks() { return MainFrame() ? MainFrame()->Blocks : nullptr; }

} // namespace

StockId TChildView::NextStockInBlock(const TBlockGroup *blocks, int blockId, StockId stock)
{
    return StepInBlock(blocks, blockId, stock, 1);
}

StockId TChildView::PrevStockInBlock(const TBlockGroup *blocks, int blockId, StockId stock)
{
    return StepInBlock(blocks, blockId, stock, -1);
}

StockId TChildView::NextStockInBlock(int blockId, StockId stock) { return StepInBlock(FrameBlocks(), blockId, stock, 1); }

StockId TChildView::PrevStockInBlock(int blockId, StockId stock) { return StepInBlock(FrameBlocks(), blockId, stock, -1); }

bool TChildView::AppendToBlock(TBlockGroup &blocks, BlockRecord &block, StockId stock)
{
    if (!block.Members || block.MemberCount >= MaxAddedMembers)
        return false;
    // The class byte is not compared: a stock is the same whatever class it was filed under.
    for (int i = 0; i < block.MemberCount; ++i)
        if (StockMarket(block.Members[i].Id) == StockMarket(stock) && StockIndex(block.Members[i].Id) == StockIndex(stock))
            return false;
    block.Members[block.MemberCount] = BlockMember{stock, block.MemberCount, 0, 0};
    ++block.MemberCount;
    blocks.SaveBlockToIni(&block);
    return true;
}

void TChildView::AddStockToBlock(TComponent *owner, StockId stock)
{
    TMFrame *frame = MainFrame();
    TEdtBlk chooser(owner, 5, FirstUserBlockKind);
    chooser.Caption = "选择板块";
    chooser.Button3->Visible = false;
    chooser.Button4->Visible = false;
    const uint8_t busy = DialogBusy;
    DialogBusy = 1;
    for (;;) {
        chooser.Chosen = 0;
        if (chooser.ShowModal() != mrOk || !chooser.Chosen)
            break;
        TBlockGroup *blocks = frame ? frame->Blocks : nullptr;
        BlockRecord *block = blocks ? blocks->FindBlock(chooser.ChosenBlock) : nullptr;
        if (!block)
            break;
        if (block->Kind < BLOCK_USER) {
            MessageBoxA(chooser.Handle, "不能加入到系统板块.  ", "警告", MB_ICONERROR | MB_TOPMOST);
            continue;
        }
        AppendToBlock(*blocks, *block, stock);
        break;
    }
    DialogBusy = busy;
    if (frame)
        frame->NotifyViews(10, int32_t(stock), 0, 0);
}

COLORREF TChildView::GetChangeColor(int32_t value, int32_t reference)
{
    if (value > reference)
        return KeyColor(21);
    if (value == reference)
        return KeyColor(20);
    return KeyColor(19);
}

// ---- cell painters --------------------------------------------------------------------

namespace {

std::string Trimmed(const char *text)
{
    std::string s = text ? text : "";
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t from = 0;
    while (from < s.size() && blank(s[from]))
        ++from;
    size_t to = s.size();
    while (to > from && blank(s[to - 1]))
        --to;
    return s.substr(from, to - from);
}

SIZE Extent(HDC dc, const std::string &text)
{
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

int Offset(int mode, int room, int used, bool horizontal)
{
    if (mode == 0)
        return (room - used) / 2;
    if (mode == 2)
        return room - used - 1;
    if (horizontal || mode == 1)
        return 1;
    return 0;
}

} // namespace

void TChildView::DrawTextInRect(HDC dc, const RECT &rect, const char *text, int hMode, int vMode)
{
    std::string t = Trimmed(text);
    SIZE size = Extent(dc, t);
    int x = Offset(hMode, rect.right - rect.left, size.cx, true);
    int y = Offset(vMode, rect.bottom - rect.top, size.cy, false);
    if (x >= 0 && y >= 0)
        TextOutA(dc, rect.left + x, rect.top + y, t.c_str(), static_cast<int>(t.size()));
    else
        TextOutA(dc, rect.left, rect.top + y, "***", 3);
}

void TChildView::DrawPairText(HDC dc, const RECT &rect, COLORREF first, COLORREF second, const char *text1,
                              const char *text2, int hMode, int vMode)
{
    std::string a = Trimmed(text1);
    std::string b = Trimmed(text2);
    SIZE joined = Extent(dc, a + b);
    SIZE dash = Extent(dc, "-");
    int x = Offset(hMode, rect.right - rect.left, joined.cx + dash.cx, true);
    int y = Offset(vMode, rect.bottom - rect.top, joined.cy, false);
    if (x < 0 || y < 0) {
        TextOutA(dc, rect.left, rect.top + y, "***", 3);
        return;
    }
    int at = rect.left + x;
    SetTextColor(dc, first);
    TextOutA(dc, at, rect.top + y, a.c_str(), static_cast<int>(a.size()));
    at += Extent(dc, a).cx;
    SetTextColor(dc, KeyColor(47));
    TextOutA(dc, at, rect.top + y, "-", 1);
    at += dash.cx;
    SetTextColor(dc, second);
    TextOutA(dc, at, rect.top + y, b.c_str(), static_cast<int>(b.size()));
}
