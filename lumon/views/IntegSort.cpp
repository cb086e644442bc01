#include "lumon/views/IntegSort.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/RankFile.h"
#include "lumon/views/ViewCommon.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/File.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

const char kTitles[TInteSort::kPanes][20] = {
    "今日涨幅排名▲", "5分钟涨幅排名▲", "今日委比排名▲", "今日跌幅排名▼", "5分钟跌幅排名▼",
    "今日委比排名▼", "今日振幅排名▲",  "今日量比排名▲",  "今日总金额排名▲",
};

// The quote field whose ranking answer carries each kind's records (kind 1..6).
constexpr int kKindField[7] = {0, 11, 20, 12, 13, 8, 21};

BlockRecord *FindBoard(int id)
{
    TBlockGroup *blocks = MainFrame() ? MainFrame()->Blocks : nullptr;
    return blocks && id >= 0 ? blocks->FindBlock(id) : nullptr;
}

RealQuoteRecord *QuoteOf(StockId id)
{
    const int m = StockMarket(id), index = StockIndex(id);
    if (m >= MarketTable.Count || m >= MaxMarkets)
        return nullptr;
    TMarketData *md = MarketTable.Markets[m];
    return md && md->Quotes && index < md->StockCount ? &md->Quotes[index] : nullptr;
}

// A value from an answer as a price word: truncated toward zero, held within
// the word's range, NaN as 0.
uint32_t PriceWord(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 4294967295.0)
        return 0xFFFFFFFFu;
    return uint32_t(v);
}

// The board's market and class of an accepted board id; false for another id.
bool BoardMarketClass(int id, int &market, int &cls)
{
    const int m = MarketTable.Count;
    const TMarketData *first = m > 0 ? MarketTable.Markets[0] : nullptr;
    const int c = first ? first->Info.ClassCount : 0;
    for (int k : {1, 2, 5}) {
        if (id == m + k) {
            market = 0;
            cls = k;
            return true;
        }
        if (id == m + c + k) {
            market = 1;
            cls = k;
            return true;
        }
    }
    return false;
}

TInteSort *AsRanking(TMultiViewChild *pane) { return dynamic_cast<TInteSort *>(pane); }

} // namespace

TInteSort::TInteSort(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TChildView(page, node, attr)
{
    if (!attr)
        InitViewAttr(VIEW_RANKING, &Attr);
    Attr.ViewType = VIEW_RANKING;
    StockIds = static_cast<StockId *>(EMemAlloc(sizeof(StockId) * kMaxMembers));
    Keys = static_cast<double *>(EMemAlloc(sizeof(double) * kMaxMembers));
    PopupMenu1 = new TPopupMenu(this);
    NISS1 = new TMenuItem(this);
    NISS1->Caption = "联动(&S)";
    NISS1->OnClick = [this](TObject *s) { NISS1Click(s); };
    PopupMenu1->Items->Add(NISS1);
    PopupMenu1->OnPopup = [this](TObject *s) { PopupMenu1Popup(s); };
    PopupMenu = PopupMenu1;
    OnResize = [this](TObject *s) { FormResize(s); };
    OnPaint = [this](TObject *s) { FormPaint(s); };
    OnKeyDown = [this](TObject *s, WORD &key, TShiftState shift) { FormKeyDown(s, key, shift); };
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
    if (!StockIds || !Keys || !LoadMembers())
        return;
    for (int i = 0; i < kPanes; ++i)
        Panes[i] = new InteSortChild(this, kTitles[i], i, &Shared);
    CurrentPane = 0;
    Panes[0]->Selected = 0;
    if (CmdBox) {
        CmdBox->Background = KeyColor(17);
        CmdBox->Refresh();
    }
}

TInteSort::~TInteSort()
{
    ReleasePanes();
    EMemFree(StockIds);
    EMemFree(Keys);
    StockIds = nullptr;
    Keys = nullptr;
}

void TInteSort::ReleasePanes()
{
    for (InteSortChild *&p : Panes) {
        delete p;
        p = nullptr;
    }
    if (Shared.Font)
        DeleteObject(Shared.Font);
    if (Shared.Bitmap)
        DeleteObject(Shared.Bitmap);
    Shared = InteSortShared();
}

bool TInteSort::AcceptedBoard(int id)
{
    int market, cls;
    return BoardMarketClass(id, market, cls);
}

bool TInteSort::LoadMembers()
{
    const BlockRecord *block = FindBoard(Board());
    if (!block || !block->Members || block->MemberCount == 0 || !StockIds)
        return false;
    // Boards beyond the work arrays rank their first members.
    MemberCount = std::min<int>(block->MemberCount, kMaxMembers);
    for (int i = 0; i < MemberCount; ++i)
        StockIds[i] = block->Members[i].Id;
    return true;
}

void TInteSort::SetBoard(int id)
{
    const BlockRecord *block = FindBoard(id);
    if (!block || !block->Members || block->MemberCount == 0)
        return;
    Attr.Blocks[0] = id;
    if (Attr.BlockCount < 1)
        Attr.BlockCount = 1;
    LoadMembers();
    RequestRanking();
}

void TInteSort::RequestRanking()
{
    TNormalClnt *client = ConnectedRequestClient();
    int market, cls;
    if (!client || !BoardMarketClass(Board(), market, cls))
        return;
    if (MFrame && !MFrame->HasMarketRight(market, cls))
        return;
    PendingKind = 1;
    client->RequestSortData(1, kKindField[1], Board(), nullptr, this, 0);
}

int TInteSort::Notify(int code, int a, int b, intptr_t c)
{
    if (code == 8 && b == 1)
        RequestRanking();
    else if (code == 1 && b != Board() && AcceptedBoard(b))
        SetBoard(b);
    return 1;
}

void TInteSort::ReloadView()
{
    shown_ = 1;
    FormResize(this);
}

void TInteSort::SetColors()
{
    if (CmdBox) {
        CmdBox->Background = KeyColor(17);
        CmdBox->Refresh();
    }
    Invalidate();
    for (InteSortChild *p : Panes)
        if (p)
            p->Redraw();
}

void TInteSort::RedrawCmdBox()
{
    if (CmdBox && CmdBox->m_hWnd) {
        SetWindowPos(CmdBox->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        CmdBox->Redraw();
    }
}

void TInteSort::FormResize(TObject *)
{
    if (!shown_ || !Panes[0])
        return;
    const int width = ClientWidth, height = ClientHeight;
    const int fontHeight = std::clamp((width / 3 - 4) / 13, 15, 25);
    if (fontHeight != FontHeight || !Shared.Font) {
        if (Shared.Font)
            DeleteObject(Shared.Font);
        Shared.Font = CreateFontA(fontHeight, 0, 0, 0, 100, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Arial");
        FontHeight = fontHeight;
        HDC dc = GetDC(Handle);
        HGDIOBJ old = SelectObject(dc, Shared.Font);
        SIZE extent{};
        GetTextExtentPoint32A(dc, "上证指数", 8, &extent);
        SelectObject(dc, old);
        ReleaseDC(Handle, dc);
        Shared.RowHeight = extent.cy + 1;
        Shared.NameWidth = extent.cx + 4;
    }
    Shared.Rows = Shared.RowHeight > 0 ? (height - 3 * Shared.RowHeight) / (3 * Shared.RowHeight) : 0;
    if (Shared.Rows < 0)
        Shared.Rows = 0;
    if (Shared.Rows > 20 || !Requested) {
        Requested = 1;
        RequestRanking();
    }
    InteSortChild *current = Panes[CurrentPane];
    if (current->Selected >= Shared.Rows)
        current->Selected = Shared.Rows - 1;
    for (int i = 0; i < kPanes; ++i) {
        MoveWindow(Panes[i]->m_hWnd, width / 3 * (i % 3), height / 3 * (i / 3), width / 3, height / 3, TRUE);
        Panes[i]->Redraw();
    }
    Invalidate();
}

void TInteSort::FormPaint(TObject *)
{
    HDC dc = Canvas->Handle;
    RECT client{0, 0, ClientWidth, ClientHeight};
    HBRUSH fill = CreateSolidBrush(KeyColor(17));
    FillRect(dc, &client, fill);
    DeleteObject(fill);
}

void TInteSort::ReadRankingFile(int kind, const char *path)
{
    if (kind < 1 || kind > 6 || !Panes[0] || !LoadMembers())
        return;
    std::vector<uint8_t> bytes;
    const int field = kKindField[kind];
    if (!ReadRankFile(path, field, MemberCount, bytes))
        return;
    const int size = RankRecordSize(field);
    std::vector<AnswerValues> answers;
    for (size_t at = 0; at + size_t(size) <= bytes.size() && answers.size() < size_t(MemberCount); at += size_t(size)) {
        AnswerValues a;
        std::memcpy(&a.A, &bytes[at + 2], 4);
        if (size >= 10)
            std::memcpy(&a.B, &bytes[at + 6], 4);
        if (size >= 14)
            std::memcpy(&a.C, &bytes[at + 10], 4);
        answers.push_back(a);
    }
    const int count = int(answers.size());
    // Kinds 1 and 3 keep their values in the stocks' quote records.
    if (kind == 1 || kind == 3)
        for (int i = 0; i < count; ++i) {
            RealQuoteRecord *q = QuoteOf(StockIds[i]);
            if (!q)
                continue;
            const AnswerValues &a = answers[size_t(i)];
            if (kind == 1) {
                q->Last = PriceWord(a.A);
                q->PrevClose = PriceWord(a.B);
            } else {
                q->High = PriceWord(a.A);
                q->Low = PriceWord(a.B);
                q->PrevClose = PriceWord(a.C);
            }
        }
    answers_ = std::move(answers);
    switch (kind) {
    case 1:
        FillPane(0, 1, true);
        FillPane(3, 1, false);
        break;
    case 2:
        FillPane(2, 2, true);
        FillPane(5, 2, false);
        break;
    case 6:
        FillPane(1, 6, true);
        FillPane(4, 6, false);
        break;
    case 3:
        FillPane(6, 3, true);
        break;
    case 4:
        FillPane(7, 4, true);
        break;
    case 5:
        FillPane(8, 5, true);
        break;
    }
    answers_.clear();
}

double TInteSort::KeyOf(int kind, int member, bool descending) const
{
    const bool haveRecord = member < int(answers_.size());
    const AnswerValues a = haveRecord ? answers_[size_t(member)] : AnswerValues();
    const StockId id = StockIds[member];
    double fallback = 0.0, key = 0.0;
    switch (kind) {
    case 1: {
        // From the quote record, where the answer's values now are.
        fallback = descending ? -1e15 : 1e15;
        key = fallback;
        const RealQuoteRecord *q = QuoteOf(id);
        if ((haveRecord || !descending) && q && q->Last != 0 && q->PrevClose != 0)
            key = (double(q->Last) - double(q->PrevClose)) / double(q->PrevClose) * 100.0;
        break;
    }
    case 2:
        key = haveRecord && double(a.A) + a.B > 0.0 ? (double(a.A) - a.B) * 100.0 / (double(a.A) + a.B) : 0.0;
        break;
    case 3: {
        const RealQuoteRecord *q = QuoteOf(id);
        key = haveRecord && q && q->PrevClose != 0 && a.C != 0.0f ? (double(a.A) - a.B) * 100.0 / a.C : 0.0;
        break;
    }
    case 4: {
        fallback = 1.0;
        key = 1.0;
        const StockStaticRecord *s = TDataIO::GetStock(id);
        const TMarketData *md = s && s->Market < MarketTable.Count && s->Market < MaxMarkets
                                    ? MarketTable.Markets[s->Market]
                                    : nullptr;
        if (haveRecord && md && s->Class < md->Info.ClassCount && s->Class < 15 && a.B > 0.01f && a.B < 1e8f) {
            const ClassRecord &cls = md->Info.Classes[s->Class];
            key = double(a.A) * (cls.TotalMinutes + 1.0) / a.B / (cls.ElapsedMinutes + 1.0);
        }
        break;
    }
    case 5:
        key = haveRecord ? double(a.A) * 0.0001 : 0.0;
        break;
    case 6:
        key = haveRecord && std::isfinite(a.B) && std::trunc(a.B) != 0.0f ? (double(a.A) - a.B) * 100.0 / a.B : 0.0;
        break;
    }
    return std::isfinite(key) ? key : fallback;
}

void TInteSort::FillPane(int pane, int kind, bool descending)
{
    LoadMembers();
    for (int i = 0; i < MemberCount; ++i)
        Keys[i] = KeyOf(kind, i, descending);
    const int n = std::min(std::max<int>(Shared.Rows, 20), MemberCount);
    SelectTopRowsByValue(StockIds, Keys, MemberCount, n, descending ? 1 : 0);
    InteSortChild *p = Panes[pane];
    p->List.SetCount(0);
    for (int i = 0; i < n; ++i) {
        const StockId id = StockIds[i];
        ISCI row{};
        if (const StockStaticRecord *s = TDataIO::GetStock(id))
            std::memcpy(row.Name, s->Name, strnlen(s->Name, sizeof s->Name));
        row.Stock = id;
        double last = 0.0;
        const bool available = GetQuoteField(id, 6, &last) == 1;
        row.Value1 = available ? last : 0.0;
        const RealQuoteRecord *q = QuoteOf(id);
        uint32_t flags = 0;
        if (!available)
            flags = kind == 1 ? 0x40 | 0x04 : 0x40;
        else if (q && q->Last > q->PrevClose)
            flags = kind == 1 ? 0x20 | 0x02 : 0x20;
        else if (q && q->Last == q->PrevClose)
            flags = kind == 1 ? 0x80 | 0x08 : 0x80;
        if (kind == 1) {
            double change = 0.0;
            row.Value2 = GetQuoteField(id, 11, &change) == 1 ? change : 0.0;
        } else {
            row.Value2 = Keys[i];
            if (kind == 2 || kind == 6) {
                const double whole = std::trunc(Keys[i]);
                flags |= whole >= 1.0 ? 0x02 : whole == 0.0 ? 0x08 : 0;
            } else if (kind == 3) {
                flags |= 0x02;
            } else {
                flags |= 0x04;
            }
        }
        row.Colours = flags;
        p->List.Add(row);
    }
    p->Redraw();
}

bool TInteSort::SelectedStock(StockId &stock) const
{
    const InteSortChild *p = Panes[0] ? Panes[CurrentPane] : nullptr;
    if (!p || p->Selected < 0 || p->Selected >= p->List.GetCount())
        return false;
    stock = p->List.GetAt(p->Selected).Stock;
    return true;
}

void TInteSort::SelectPane(int pane, int row)
{
    if (!Panes[0] || pane < 0 || pane >= kPanes)
        return;
    if (pane != CurrentPane) {
        Panes[CurrentPane]->Selected = -1;
        Panes[CurrentPane]->Redraw();
        CurrentPane = pane;
    }
    Panes[pane]->Selected = row;
    Panes[pane]->Redraw();
}

void TInteSort::KeyPressed(WORD key)
{
    if (!Panes[0])
        return;
    const int rows = std::max<int>(Shared.Rows, 1);
    const int pane = CurrentPane, row = std::max(Panes[pane]->Selected, 0);
    const int col = pane % 3, line = pane / 3;
    switch (key) {
    case VK_RIGHT:
        SelectPane(line * 3 + (col + 1) % 3, row);
        break;
    case VK_LEFT:
        SelectPane(line * 3 + (col + 2) % 3, row);
        break;
    case VK_DOWN:
        if (row + 1 < rows)
            SelectPane(pane, row + 1);
        else
            SelectPane(((line + 1) % 3) * 3 + col, 0);
        break;
    case VK_UP:
        if (row > 0)
            SelectPane(pane, row - 1);
        else
            SelectPane(((line + 2) % 3) * 3 + col, rows - 1);
        break;
    case VK_RETURN: {
        StockId stock = 0;
        if (!SelectedStock(stock))
            break;
        const bool trendFirst = MainFrame() && MainFrame()->MenuItem94 && MainFrame()->MenuItem94->Checked;
        InitViewAttr(trendFirst ? VIEW_TREND : VIEW_KLINE, &OpenAttr);
        OpenAttr.Stock = stock;
        OpenAttr.BlockId = Board();
        if (HWND frame = ViewFrameWindow())
            PostMessageA(frame, WM_DATA_CHANGED, 0, LPARAM(&OpenAttr));
        break;
    }
    }
}

void TInteSort::WndProc(TMessage &Message)
{
    if (Message.Msg == WM_SORT_DATA) {
        const std::string path = RankFilePath(int(Message.WParam & 0xFFFF));
        const int kind = int(int32_t(Message.LParam));
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ReadRankingFile(kind, path.c_str());
            DeleteFileA(path.c_str());
        }
        // The next kind is asked for once this one has arrived.
        if (kind == PendingKind) {
            PendingKind = kind < 6 ? kind + 1 : 0;
            TNormalClnt *client = ConnectedRequestClient();
            if (PendingKind && client)
                client->RequestSortData(PendingKind, kKindField[PendingKind], Board(), nullptr, this, 0);
        }
        return;
    }
    if (Message.Msg == WM_KEYDOWN)
        KeyPressed(WORD(Message.WParam));
    TChildView::WndProc(Message);
}

void TInteSort::FormKeyDown(TObject *, WORD &Key, TShiftState)
{
    if (Key == VK_ESCAPE)
        PostToPage(WM_PANE_BACK);
}

void TInteSort::FormClose(TObject *Sender, TCloseAction &Action)
{
    TChildView::FormClose(Sender, Action);
    ReleasePanes();
    EMemFree(StockIds);
    EMemFree(Keys);
    StockIds = nullptr;
    Keys = nullptr;
    Action = caFree;
}

void TInteSort::PopupMenu1Popup(TObject *) { NISS1->Checked = Link != 0; }

void TInteSort::NISS1Click(TObject *) { ToggleViewLink(this); }

namespace {

TMultiViewChild *MakeRanking(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new TInteSort(page, node, attr);
}

} // namespace

void RegisterIntegratedRanking()
{
    RegisterViewMaker(VIEW_RANKING, MakeRanking);
    ViewHooks.RankingSelection = [](TMultiViewChild *pane, StockId &stock) {
        TInteSort *ranking = AsRanking(pane);
        return ranking && ranking->SelectedStock(stock);
    };
}
