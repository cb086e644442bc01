#include "lumon/views/Reptform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/ViewCommands.h"
#include "lumon/shell/AlarmModify.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/EditBlock.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/shell/SelBk.h"
#include "lumon/views/Adjtt.h"
#include "lumon/views/ChartPrint.h"
#include "lumon/views/RankFile.h"
#include "lumon/views/TableDefs.h"
#include "lumon/views/ViewCommon.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TPrintDialog.h"
#include "platform/forms/TScrollBar.h"
#include "platform/forms/TTabSet.h"
#include "platform/forms/TTimer.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/File.h"
#include "platform/win/Messages.h"
#include "platform/win/Profile.h"
#include "platform/win/Window.h"

using namespace win;

uint8_t GridButtonDown = 0;

namespace {

constexpr char kSettings[] = "..\\CFG\\SETTING.INI";

// The grid procedures the quote lists replaced, by grid window.
std::map<HWND, WNDPROC> &GridProcs()
{
    static std::map<HWND, WNDPROC> procs;
    return procs;
}

HWND FrameWindow() { return MFrame ? MFrame->GetFrameWindow() : 0; }

void PostViewsChanged()
{
    if (HWND frame = FrameWindow())
        PostMessageA(frame, WM_SUBSCRIBE_VIEWS, 0, 0);
}

LRESULT ReportGridProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_LBUTTONDOWN)
        GridButtonDown = 1;
    else if (msg == WM_CAPTURECHANGED && HWND(lParam) != hwnd) {
        GridButtonDown = 0;
        PostViewsChanged();
    }
    auto it = GridProcs().find(hwnd);
    return it == GridProcs().end() || !it->second ? 0 : CallWindowProcA(it->second, hwnd, msg, wParam, lParam);
}

TBlockGroup *FrameBlocks() { return MainFrame() ? MainFrame()->Blocks : nullptr; }

BlockRecord *FindBlock(int id)
{
    TBlockGroup *blocks = FrameBlocks();
    return blocks && id >= 0 ? blocks->FindBlock(id) : nullptr;
}

bool ClientConnected() { return RequestClient && RequestClient->IsConnected(); }

const TMarketData *MarketOf(int market)
{
    if (market < 0 || market >= MarketTable.Count || market >= MaxMarkets)
        return nullptr;
    return MarketTable.Markets[market];
}

// The market a block's stocks belong to: a market or class block's own, else
// its first member's; -1 for an empty block of another kind.
int BlockMarket(const BlockRecord *block)
{
    if (!block)
        return -1;
    if (block->Kind == BLOCK_MARKET || block->Kind == BLOCK_CLASS)
        return block->Market;
    return block->MemberCount > 0 && block->Members ? StockMarket(block->Members[0].Id) : -1;
}

bool SameStock(StockId a, StockId b) { return (a & 0xFF) == (b & 0xFF) && (a >> 16) == (b >> 16); }

// The mark bit of a field; 0 for fields never marked.
uint32_t MarkBit(int field)
{
    switch (field) {
    case 6: return 0x01;
    case 24: return 0x02;
    case 25: return 0x08;
    case 26: return 0x10;
    case 28: return 0x20;
    case 29: return 0x40;
    case 7: return 0x80;
    default: return 0;
    }
}

int MarkAge(uint16_t stamp, uint16_t now) { return stamp <= now ? now - stamp : now + 65000 - stamp; }

// A double as a 32-bit integer, truncated toward zero and kept within range; NaN
// is 0.
int32_t Saturate(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return int32_t(v);
}

int32_t Raw(uint32_t v) { return v > uint32_t(INT32_MAX) ? INT32_MAX : int32_t(v); }

COLORREF SignColor(double value)
{
    if (!std::isfinite(value))
        return KeyColor(20);
    return TChildView::GetChangeColor(Saturate(value * 100.0 + 1000000.0), 1000000);
}

std::string Format(const char *pattern, double value)
{
    char text[64];
    if (!std::isfinite(value))
        return "---";
    // Beyond what any cell shows: the cell's painter shows "***".
    if (std::fabs(value) >= 1e18)
        return "********************";
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// The attribute records of the charts the lists open with Enter: each Enter
// takes the next one, so that one not yet handled is never overwritten.
VIEW_ATTR &NextChartRecord()
{
    static VIEW_ATTR records[32];
    static int next = 0;
    VIEW_ATTR &r = records[next];
    next = (next + 1) % 32;
    if (BrowseListHandle(r))
        ReleaseBrowseList(BrowseListHandle(r));
    return r;
}

} // namespace

TReport::TReport(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TChildView(page, node, attr)
{
    ResetPosition = 0;
    if (!attr)
        InitViewAttr(VIEW_REPORT, &Attr);
    Attr.ViewType = VIEW_REPORT;
    const VIEW_STATE &s = *State;
    Attr.BlockCount = std::clamp(s.BlockCount, 0, kMaxTabs);
    std::memcpy(Attr.Blocks, s.Blocks, sizeof Attr.Blocks);
    Attr.BlockId = s.CurrentBlock;
    Attr.ItemCount = std::clamp(s.ColumnCount, 0, 16);
    std::memcpy(Attr.Items, s.Columns, sizeof Attr.Items);
    Attr.Param = s.FixedColumns;
    Attr.Mode = 0;
    ReadTableDefs(State);

    Rows = static_cast<BlockMember *>(EMemAlloc(sizeof(BlockMember) * kMaxRows));
    SortKeys = static_cast<double *>(EMemAlloc(sizeof(double) * kMaxRows));
    GridLines = MainFrame() && MainFrame()->N51 && MainFrame()->N51->Checked ? 1 : 0;
    ColourMode = int(GetPrivateProfileIntA("DCD", "BackGroup", 0, kSettings));
    LastTab = 0;
    BuildForm();
    BuildMenu();
    RebuildFonts();

    SortDescending = 1;
    for (int i = 0; i < Attr.BlockCount && TabCount < kMaxTabs; ++i)
        if (FindBlock(Attr.Blocks[i]))
            AddTab(Attr.Blocks[i]);
    if (RankingBlock() == -1) {
        int select = -1;
        for (int i = 0; i < TabCount; ++i)
            if (TabIds[i] == Attr.BlockId) {
                select = i;
                break;
            }
        if (select < 0 && TabCount > 0)
            select = 0;
        if (select >= 0)
            Tabs->TabIndex = select;
    } else {
        bool allow = true;
        TabsChange(Tabs, -1, allow);
    }

    GridProcs()[DrawGrid1->Handle] =
        reinterpret_cast<WNDPROC>(SetWindowLongA(DrawGrid1->Handle, GWL_WNDPROC, LONG_PTR(&ReportGridProc)));
    SetColors();
    ChangeCounter = 0;
    RankField = 11;
    SavedTab = 0;
    SavedStock = 0;
    OnClose = [this](TObject *sender, TCloseAction &action) { FormClose(sender, action); };
}

TReport::~TReport()
{
    auto it = GridProcs().find(DrawGrid1 ? DrawGrid1->Handle : 0);
    if (it != GridProcs().end()) {
        SetWindowLongA(it->first, GWL_WNDPROC, LONG_PTR(it->second));
        GridProcs().erase(it);
    }
    EMemFree(Rows);
    EMemFree(SortKeys);
    Rows = nullptr;
    SortKeys = nullptr;
    for (HFONT f : {NameFont, NumberFont, TitleFont})
        if (f)
            DeleteObject(f);
}

void TReport::BuildForm()
{
    Panel2 = new TPanel(this);
    Panel2->Parent = this;
    Panel2->Width = 18;
    Panel2->Align = alRight;
    Panel2->BevelOuter = bvNone;
    Panel3 = new TPanel(Panel2);
    Panel3->Parent = Panel2;
    Panel3->Height = 19;
    Panel3->Align = alBottom;
    ScrollBar2 = new TScrollBar(Panel2);
    ScrollBar2->Kind = sbVertical;
    ScrollBar2->Parent = Panel2;
    ScrollBar2->Align = alClient;
    ScrollBar2->OnScroll = [this](TObject *s, TScrollCode c, int &p) { ScrollBar2Scroll(s, c, p); };

    ToolPanel = new TPanel(this);
    ToolPanel->Parent = this;
    ToolPanel->Height = 19;
    ToolPanel->Align = alBottom;
    ToolPanel->BevelOuter = bvNone;
    Panel1 = new TPanel(ToolPanel);
    Panel1->Parent = ToolPanel;
    Panel1->Width = 160;
    Panel1->Align = alRight;
    Panel1->BevelOuter = bvNone;
    ScrollBar1 = new TScrollBar(Panel1);
    ScrollBar1->Parent = Panel1;
    ScrollBar1->Align = alClient;
    ScrollBar1->OnScroll = [this](TObject *s, TScrollCode c, int &p) { ScrollBar1Scroll(s, c, p); };
    Tabs = new TTabSet(ToolPanel);
    Tabs->Parent = ToolPanel;
    Tabs->Align = alClient;
    Tabs->Font->Name = "Verdana";
    Tabs->Font->Height = -12;
    Tabs->OnChange = [this](TObject *s, int t, bool &allow) { TabsChange(s, t, allow); };
    Tabs->OnMouseDown = [this](TObject *, TMouseButton, TShiftState, int, int) { Activate(); };

    DrawGrid1 = new TDrawGrid(this);
    DrawGrid1->Parent = this;
    DrawGrid1->Align = alClient;
    DrawGrid1->Color = clBlack;
    DrawGrid1->Font->Name = "黑体";
    DrawGrid1->Font->Height = -15;
    DrawGrid1->ColCount = 9;
    DrawGrid1->FixedCols = 0;
    DrawGrid1->DefaultColWidth = 80;
    DrawGrid1->DefaultRowHeight = 20;
    DrawGrid1->ScrollBars = ssNone;
    DrawGrid1->DefaultDrawing = false;
    DrawGrid1->Options = TGridOptions() << goColSizing << goColMoving << goRowSelect << goThumbTracking;
    DrawGrid1->OnDrawCell = [this](TObject *s, int c, int r, const TRect &rect, TGridDrawState st) {
        DrawGrid1DrawCell(s, c, r, rect, st);
    };
    DrawGrid1->OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { DrawGrid1KeyDown(s, k, sh); };
    DrawGrid1->OnKeyUp = [this](TObject *s, WORD &k, TShiftState sh) { DrawGrid1KeyUp(s, k, sh); };
    DrawGrid1->OnClick = [this](TObject *s) { DrawGrid1Click(s); };
    DrawGrid1->OnDblClick = [this](TObject *s) { DrawGrid1DblClick(s); };
    DrawGrid1->OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        DrawGrid1MouseDown(s, b, sh, x, y);
    };
    DrawGrid1->OnMouseUp = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        DrawGrid1MouseUp(s, b, sh, x, y);
    };
    DrawGrid1->OnColumnMoved = [this](TObject *s, int from, int to) { DrawGrid1ColumnMoved(s, from, to); };
    DrawGrid1->OnTopLeftChanged = [this](TObject *s) { DrawGrid1TopLeftChanged(s); };

    Timer1 = new TTimer(this);
    Timer1->Interval = 100;
    Timer1->OnTimer = [this](TObject *s) { Timer1Timer(s); };
    Timer1->Enabled = true;
    OnMouseDown = [this](TObject *, TMouseButton, TShiftState, int, int) { Activate(); };
    OnResize = [this](TObject *s) { FormResize(s); };
    TForm::OnActivate = [this](TObject *) { DrawGrid1->Repaint(); };
}

void TReport::BuildMenu()
{
    PopupMenu1 = new TPopupMenu(this);
    auto item = [this](TMenuItem *parent, const char *caption, std::function<void()> click) {
        auto *mi = new TMenuItem(this);
        mi->Caption = caption;
        if (click)
            mi->OnClick = [click](TObject *) { click(); };
        parent->Add(mi);
        return mi;
    };
    TMenuItem *p1 = item(PopupMenu1->Items, "变换画面(&P)", nullptr);
    item(p1, "闪电图(&T)", [this] { PostToPage(WM_PANE_TICK); });
    item(p1, "分时图(&M)", [this] { PostToPage(WM_PANE_TREND); });
    item(p1, "K线图(&K)", [this] { PostToPage(WM_PANE_KLINE); });
    item(p1, "新闻资讯(&N)", [this] { PostToPage(WM_PANE_NEWS); });
    NSync = item(PopupMenu1->Items, "联动(&S)", [this] { ToggleViewLink(this); });
    NSync->Visible = false;
    N1 = item(PopupMenu1->Items, "添加板块(&M)", [this] { N1Click(N1); });
    N1->ShortCut = ShortCut('M', TShiftState() << ssCtrl);
    N3 = item(PopupMenu1->Items, "关闭板块(&C)", [this] { N3Click(N3); });
    N3->ShortCut = ShortCut('C', TShiftState() << ssCtrl);
    A1 = item(PopupMenu1->Items, "加入自选板块", nullptr);
    // A price alarm for the current row's stock; a new one joins the subscription.
    N8 = item(PopupMenu1->Items, "加入预警(&B)", [this] {
        const int r = DrawGrid1->Row;
        if (r >= 1 && r <= RowCount && AddAlarmForStock(this, Rows[r - 1].Id) >= 0 && MainFrame())
            PostMessageA(MainFrame()->Handle, WM_SUBSCRIBE_VIEWS, 0, 0);
    });
    N9 = item(PopupMenu1->Items, "删除商品", [this] { N9Click(N9); });
    N12 = item(PopupMenu1->Items, "板块设置", [this] {
        TEdtBlk dialog(this, 5, FirstUserBlockKind);
        dialog.ShowModal();
    });
    N10 = item(PopupMenu1->Items, "编辑栏目(&E)", [this] { N10Click(N10); });
    N4 = item(PopupMenu1->Items, "引入栏目", nullptr);
    N4->Visible = false;
    N11 = item(PopupMenu1->Items, "打印(&P)...", [this] { PrintView(); });
    PrintDialog1 = new TPrintDialog(this);
    PopupMenu1->OnPopup = [this](TObject *s) { PopupMenu1Popup(s); };
    PopupMenu = PopupMenu1;
    DrawGrid1->PopupMenu = PopupMenu1;
    Tabs->PopupMenu = PopupMenu1;
    ScrollBar1->PopupMenu = PopupMenu1;
    ScrollBar2->PopupMenu = PopupMenu1;
}

// ---- state --------------------------------------------------------------------------

int TReport::RankingBlock() const { return int(int16_t(uint16_t((Attr.Flags >> 12) & 0xFFFF))); }

void TReport::SetRankingBlock(int id)
{
    Attr.Flags = (Attr.Flags & ~(0xFFFFu << 12)) | ((uint32_t(id) & 0xFFFFu) << 12);
}

int TReport::SortField() const { return RankingBlock() == -1 ? Attr.Mode : RankField; }

int TReport::TableIndex() const
{
    const BlockRecord *block = CurrentBlock;
    if (block && block->Kind == BLOCK_USER)
        return 6;
    const int market = BlockMarket(block);
    if (market == 2)
        return 5;
    const TMarketData *md = MarketOf(market);
    switch (md ? md->Info.Type : 0) {
    case 1: return 2;
    case 2: return 1;
    case 3: return 3;
    case 4: return 4;
    default: return 7;
    }
}

void TReport::WriteViewState(VIEW_STATE &state)
{
    state.BlockCount = TabCount;
    std::memset(state.Blocks, 0, sizeof state.Blocks);
    std::memcpy(state.Blocks, TabIds, sizeof(int32_t) * size_t(TabCount));
}

void TReport::AddTab(int blockId)
{
    const BlockRecord *block = FindBlock(blockId);
    TabIds[TabCount++] = blockId;
    Tabs->Tabs->Add(ShortMarketName(block ? block->Name : ""));
}

void TReport::SelectTabQuietly(int index)
{
    TTabChangeEvent saved = Tabs->OnChange;
    Tabs->OnChange = nullptr;
    Tabs->TabIndex = index;
    Tabs->OnChange = saved;
}

// ---- loading a block -------------------------------------------------------------------

void TReport::LoadRowsFromBlock()
{
    const int n = CurrentBlock && CurrentBlock->Members ? std::min<int>(CurrentBlock->MemberCount, kMaxRows) : 0;
    RowCount = n;
    for (int i = 0; i < n; ++i) {
        Rows[i] = CurrentBlock->Members[i];
        Rows[i].Stamp = 0;
        Rows[i].Mask = 0;
    }
}

void TReport::TabsChange(TObject *, int NewTab, bool &)
{
    Tabs->SelectedColor = clBtnFace;
    ++ChangeCounter;
    LastTab = NewTab;
    if (NewTab == -1) {
        Attr.BlockId = RankingBlock();
    } else {
        if (NewTab < 0 || NewTab >= TabCount)
            return;
        SetRankingBlock(-1);
        Attr.BlockId = TabIds[NewTab];
    }
    BlockRecord *block = FindBlock(Attr.BlockId);
    if (!block || !block->Members)
        return;
    CurrentBlock = block;
    LoadRowsFromBlock();
    DrawGrid1->RowCount = std::max(RowCount + 1, 2);
    DrawGrid1->FixedRows = 1;
    DrawGrid1->Row = 1;
    if (Visible)
        ActiveControl = DrawGrid1;
    if (RowCount > 0 && StockMarket(Attr.Stock) != StockMarket(Rows[0].Id))
        Attr.Stock = Rows[0].Id;
    DrawGrid1->TopRow = 1;
    UpdateScrollBars();
    if (Drawn) {
        SortRows();
        PostViewsChanged();
    }
    LayoutColumns();
    DrawGrid1->Invalidate();
}

void TReport::ShowBlockTab(int blockId)
{
    if (!FindBlock(blockId))
        return;
    for (int i = 0; i < TabCount; ++i)
        if (TabIds[i] == blockId) {
            if (Tabs->TabIndex == i) {
                bool allow = true;
                TabsChange(Tabs, i, allow);
            } else {
                Tabs->TabIndex = i;
            }
            return;
        }
    if (TabCount < kMaxTabs) {
        AddTab(blockId);
    } else {
        const BlockRecord *block = FindBlock(blockId);
        TabIds[kMaxTabs - 1] = blockId;
        Tabs->Tabs->Delete(kMaxTabs - 1);
        Tabs->Tabs->Insert(kMaxTabs - 1, ShortMarketName(block->Name));
    }
    Attr.BlockCount = TabCount;
    std::memcpy(Attr.Blocks, TabIds, sizeof TabIds);
    if (Tabs->TabIndex == TabCount - 1) {
        bool allow = true;
        TabsChange(Tabs, TabCount - 1, allow);
    } else {
        Tabs->TabIndex = TabCount - 1;
    }
}

void TReport::RemoveBlockTab(int blockId)
{
    TTabChangeEvent saved = Tabs->OnChange;
    Tabs->OnChange = nullptr;
    bool removed = false;
    // Block slots are freed, never moved: the other tabs keep their ids.
    for (int i = TabCount; i-- > 0;)
        if (TabIds[i] == blockId) {
            std::memmove(TabIds + i, TabIds + i + 1, sizeof(int32_t) * size_t(TabCount - i - 1));
            --TabCount;
            Tabs->Tabs->Delete(i);
            removed = true;
        }
    if (TabCount == 0) {
        TabIds[0] = 0;
        TabCount = 1;
        const BlockRecord *block = FindBlock(0);
        Tabs->Tabs->Add(ShortMarketName(block ? block->Name : ""));
    }
    std::memset(Attr.Blocks, 0, sizeof Attr.Blocks);
    std::memcpy(Attr.Blocks, TabIds, sizeof(int32_t) * size_t(TabCount));
    Attr.BlockCount = TabCount;
    Tabs->OnChange = saved;
    if (!removed)
        return;
    int select = 0;
    for (int i = 0; i < TabCount; ++i)
        if (TabIds[i] == Attr.BlockId)
            select = i;
    if (CurrentBlock && CurrentBlock->Id == blockId)
        CurrentBlock = nullptr;
    SelectTabQuietly(select);
    bool allow = true;
    TabsChange(Tabs, select, allow);
}

// ---- notifications ----------------------------------------------------------------------

int TReport::Notify(int code, int a, int b, intptr_t c)
{
    switch (code) {
    case 0:
    case 13: {
        const StockId stock = StockId(uint32_t(a));
        for (int i = 0; i < RowCount; ++i) {
            if (!SameStock(Rows[i].Id, stock))
                continue;
            if (c != 0) {
                Rows[i].Mask = uint32_t(c);
                Rows[i].Stamp = ViewStamp;
            }
            const int row = i + 1;
            if (row >= DrawGrid1->TopRow && row <= DrawGrid1->TopRow + DrawGrid1->VisibleRowCount)
                RedrawRow(row);
            break;
        }
        return 1;
    }
    case 10: {
        bool allow = true;
        TabsChange(Tabs, Tabs->TabIndex >= 0 ? int(Tabs->TabIndex) : -1, allow);
        return 1;
    }
    case 1: {
        const int block = b & 0xFFFF;
        if ((b >> 16) == 1) {
            SortDescending = 1;
            SetRankingBlock(block);
            if (Tabs->TabIndex < 0) {
                bool allow = true;
                TabsChange(Tabs, -1, allow);
            } else {
                SavedTab = Tabs->TabIndex;
                SavedStock = Attr.Stock;
                Tabs->TabIndex = -1;
            }
            ResetPosition = 1;
            RankField = int32_t(c);
        } else {
            ShowBlockTab(block);
            Attr.Mode = int32_t(c);
        }
        ++ChangeCounter;
        SortRows();
        const int field = SortField();
        if (field == 0 || field == 1 || field == 9)
            DrawGrid1->Invalidate();
        return 1;
    }
    case 8:
        if (b == 0) {
            if (DrawGrid1->Row < DrawGrid1->RowCount - 1) {
                PostMessageA(DrawGrid1->Handle, WM_KEYDOWN, VK_NEXT, 0);
                PostMessageA(DrawGrid1->Handle, WM_KEYUP, VK_NEXT, 0);
            } else {
                DrawGrid1->Row = 1;
                PostViewsChanged();
            }
        } else if (b == 1) {
            const int field = SortField();
            if ((!Page->ActivePane || Page->ActivePane == this) && field > 1 && field != 9 && ClientConnected()) {
                ++ChangeCounter;
                SortRows();
            }
        } else if (b == 2) {
            if (Tabs->TabIndex >= 0 && SortField() != 21 && (!Page->ActivePane || Page->ActivePane == this))
                RequestFastChange();
        }
        return 1;
    case 15:
        if (b > 0 && FontLevel < 10)
            ++FontLevel;
        else if (b < 0 && FontLevel > 0)
            --FontLevel;
        RebuildFonts();
        LayoutColumns();
        UpdateScrollBars();
        DrawGrid1->Invalidate();
        return 1;
    }
    return 1;
}

void TReport::ReloadView()
{
    PositionRows();
    SortRows();
    LayoutColumns();
    DrawGrid1->Invalidate();
    PostViewsChanged();
}

void TReport::RedrawRow(int row)
{
    if (row < 1 || row >= DrawGrid1->RowCount)
        return;
    const int fixed = DrawGrid1->FixedCols;
    auto draw = [&](int col) {
        TRect r = DrawGrid1->CellRect(col, row);
        if (r.Right <= r.Left)
            return false;
        TGridDrawState state;
        if (row == DrawGrid1->Row)
            state << gdSelected;
        DrawGrid1DrawCell(DrawGrid1, col, row, r, state);
        return true;
    };
    for (int c = 0; c < fixed && c < DrawGrid1->ColCount; ++c)
        draw(c);
    // The scrolled columns in view, the last of them perhaps in part.
    for (int c = std::max(fixed, int(DrawGrid1->LeftCol)); c < DrawGrid1->ColCount; ++c)
        if (!draw(c))
            break;
}

void TReport::Timer1Timer(TObject *)
{
    if (++ViewStamp >= 65000)
        ViewStamp = 0;
    const int top = DrawGrid1->TopRow;
    const int shown = DrawGrid1->VisibleRowCount;
    for (int k = 0; k < shown; ++k) {
        const int i = top - 1 + k;
        if (i < 0 || i >= RowCount)
            break;
        if (Rows[i].Mask == 0)
            continue;
        if (MarkAge(Rows[i].Stamp, ViewStamp) > 15) {
            Rows[i].Mask = 0;
            RedrawRow(i + 1);
        }
    }
}

// ---- request lists --------------------------------------------------------------------

void TReport::AddRequestStocks(EArray<STKMS> *list)
{
    if (!list || (Page->ActivePane && Page->ActivePane != this))
        return;
    const int top = DrawGrid1->TopRow - 1;
    const int end = std::min(RowCount, top + DrawGrid1->VisibleRowCount);
    for (int i = std::max(top, 0); i < end; ++i) {
        const StockStaticRecord *s = TDataIO::GetStock(Rows[i].Id);
        if (!s || StockIndex(Rows[i].Id) > 4095)
            continue;
        if (MFrame && !MFrame->HasMarketRight(s->Market, s->Class))
            continue;
        const STKMS key = MakeSTKMS(StockMarket(Rows[i].Id), StockIndex(Rows[i].Id));
        bool held = false;
        for (int k = 0; k < list->GetCount() && !held; ++k)
            held = list->GetAt(k) == key;
        if (!held)
            list->Add(key);
    }
}

void TReport::RequestFastChange()
{
    bool shows = false;
    for (int i = 0; i < Attr.ItemCount && i < 16; ++i)
        shows = shows || Attr.Items[i] == 21;
    if (!shows || !ClientConnected())
        return;
    const int top = std::max(DrawGrid1->TopRow - 1, 0);
    const int end = std::min({RowCount, top + int(DrawGrid1->VisibleRowCount) + 1, top + 256});
    if (end <= top)
        return;
    auto *keys = static_cast<STKMS *>(EMemAlloc(sizeof(STKMS) * size_t(end - top)));
    if (!keys)
        return;
    int n = 0;
    for (int i = top; i < end; ++i) {
        const StockStaticRecord *s = TDataIO::GetStock(Rows[i].Id);
        if (!s || StockIndex(Rows[i].Id) > 4095 || (MFrame && !MFrame->HasMarketRight(s->Market, s->Class)))
            continue;
        keys[n++] = MakeSTKMS(StockMarket(Rows[i].Id), StockIndex(Rows[i].Id));
    }
    if (n == 0) {
        EMemFree(keys);
        return;
    }
    RequestClient->RequestSortData(ChangeCounter, 21, n, keys, this, 1);
}

void TReport::AddStatsStocks(EArray<STKMS> *list)
{
    if (!list)
        return;
    const int top = std::max(DrawGrid1->TopRow - 1, 0);
    const int end = std::min(RowCount, top + int(DrawGrid1->VisibleRowCount) + 1);
    for (int i = top; i < end; ++i) {
        const int market = StockMarket(Rows[i].Id), index = StockIndex(Rows[i].Id);
        const TMarketData *md = MarketOf(market);
        const StockStaticRecord *s = TDataIO::GetStock(Rows[i].Id);
        if (!md || !md->Aux || !s || index > 4095 || md->Aux[index].RefFlag != 0)
            continue;
        if (MFrame && !MFrame->HasMarketRight(s->Market, s->Class))
            continue;
        const STKMS key = MakeSTKMS(market, index);
        bool held = false;
        for (int k = 0; k < list->GetCount() && !held; ++k)
            held = list->GetAt(k) == key;
        if (!held)
            list->Add(key);
    }
}

void TReport::CollectVisibleStocks(EArray<STKMS> *list)
{
    if (Page->ActivePane && Page->ActivePane != this)
        return;
    RequestFastChange();
    AddStatsStocks(list);
}

void TReport::RedrawFastChangeColumn()
{
    int column = -1;
    for (int i = 0; i < DrawGrid1->ColCount && i < 16; ++i)
        if (Attr.Items[i] == 21)
            column = i;
    if (column < 0)
        return;
    const int top = DrawGrid1->TopRow;
    for (int row = top; row <= top + DrawGrid1->VisibleRowCount && row < DrawGrid1->RowCount; ++row) {
        TRect r = DrawGrid1->CellRect(column, row);
        if (r.Right <= r.Left)
            continue;
        TGridDrawState state;
        if (row == DrawGrid1->Row)
            state << gdSelected;
        DrawGrid1DrawCell(DrawGrid1, column, row, r, state);
    }
}

// ---- sorting ---------------------------------------------------------------------------

void TReport::SortRows()
{
    if (!ResetPosition && Tabs->TabIndex >= 0)
        return;
    const int field = SortField();
    const int n = std::max(DrawGrid1->RowCount - 1, 0);
    if (field == 0 || field == 1 || field == 9) {
        if (field == 0)
            SortRowsByOrder(Rows, std::min(n, RowCount), SortDescending ? 0 : 1);
        else
            SortRowsByCode(Rows, std::min(n, RowCount), SortDescending ? 0 : 1);
        PositionRows();
        return;
    }
    if (RankRecordSize(field) == 0 || !ClientConnected() || !CurrentBlock)
        return;
    if (CurrentBlock->Kind < 3) {
        RequestClient->RequestSortData(ChangeCounter, field, CurrentBlock->Id, nullptr, this, 0);
        return;
    }
    const int count = std::min<int>(CurrentBlock->MemberCount, 256);
    if (count <= 0)
        return;
    auto *keys = static_cast<STKMS *>(EMemAlloc(sizeof(STKMS) * size_t(count)));
    if (!keys)
        return;
    for (int i = 0; i < count; ++i) {
        const StockId id = CurrentBlock->Members[i].Id;
        keys[i] = MakeSTKMS(StockMarket(id), StockIndex(id));
    }
    RequestClient->RequestSortData(ChangeCounter, field, count, keys, this, 0);
}

void TReport::PositionRows()
{
    const int shown = std::max(int(DrawGrid1->VisibleRowCount), 1);
    int row = 1, top = 1;
    if (ResetPosition) {
        if (Tabs->TabIndex >= 0)
            ResetPosition = 0;
    } else {
        int found = -1;
        for (int i = 0; i < RowCount; ++i)
            if (SameStock(Rows[i].Id, Attr.Stock)) {
                found = i + 1;
                break;
            }
        if (found > 0) {
            row = found;
            // Rows in view: the grid's, once it has a height; else all of them.
            const int v = DrawGrid1->GetClientHeight() > 0 ? shown : RowCount;
            if (v < RowCount) {
                top = std::max(found - v / 3, 1);
                if (top + v > RowCount)
                    top = RowCount + 1 - v;
            }
        }
    }
    if (row < DrawGrid1->RowCount)
        DrawGrid1->Row = row;
    DrawGrid1->TopRow = std::min(top, std::max(DrawGrid1->RowCount - 1, 1));
    if (RowCount > 0 && row - 1 < RowCount)
        Attr.Stock = Rows[row - 1].Id;
}

void TReport::LoadSortKeys(const char *path)
{
    LoadRowsFromBlock();
    std::vector<uint8_t> bytes;
    const int field = SortField();
    if (!ReadRankFile(path, field, RowCount, bytes)) {
        DrawGrid1->Repaint();
        return;
    }
    if (RankRecordSize(field) == 0)
        return;
    RankKeysFromAnswer(bytes.data(), bytes.size(), field, Rows, RowCount, SortDescending, SortKeys);
    ShellSortRowsByValue(Rows, SortKeys, RowCount, SortDescending);
    PositionRows();
    ResetPosition = 0;
    DrawGrid1->Invalidate();
    PostViewsChanged();
    DrawGrid1->Repaint();
}

void TReport::WndProc(TMessage &Message)
{
    if (Message.Msg == WM_SORT_DATA) {
        const std::string path = RankFilePath(int(Message.WParam));
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            if (int32_t(Message.LParam) == ChangeCounter)
                LoadSortKeys(path.c_str());
            DeleteFileA(path.c_str());
        }
        return;
    }
    TChildView::WndProc(Message);
}

// ---- columns and cells --------------------------------------------------------------------

void TReport::RebuildFonts()
{
    for (HFONT *f : {&NameFont, &NumberFont, &TitleFont}) {
        if (*f)
            DeleteObject(*f);
        *f = 0;
    }
    auto make = [this](int n) {
        const FontEntry &e = FontTable[n - 1];
        char face[sizeof e.Face + 1] = {};
        std::memcpy(face, e.Face, sizeof e.Face);
        return CreateFontA(e.Size + FontLevel, 0, 0, 0, e.Style == 1 ? 700 : 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                           FF_SWISS, face);
    };
    NameFont = make(12);
    NumberFont = make(13);
    TitleFont = make(14);
}

void TReport::LayoutColumns()
{
    HDC dc = DrawGrid1->Canvas->Handle;
    auto measure = [dc](HFONT font, const char *text) {
        SIZE size{0, 0};
        HGDIOBJ old = SelectObject(dc, font);
        GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size);
        SelectObject(dc, old);
        return size;
    };
    const SIZE title = measure(TitleFont, "字");
    const SIZE digit = measure(NumberFont, "8");
    const SIZE name = measure(NameFont, "字");
    const TableDef &t = TableDefs[TableIndex() - 1];
    Attr.ItemCount = t.Count;
    DrawGrid1->ColCount = t.Count;
    for (int i = 0; i < t.Count; ++i) {
        Attr.Items[i] = t.Ids[i];
        DrawGrid1->SetColWidth(i, t.Widths[i] * digit.cx + 2);
    }
    Attr.Mode = t.SortField;
    Attr.Param = t.FixedCol;
    DrawGrid1->FixedCols = std::clamp(t.FixedCol, 0, t.Count - 1);
    DrawGrid1->DefaultRowHeight = std::max({title.cy, digit.cy, name.cy}) + 4;
}

void TReport::UpdateScrollBars()
{
    const int rowMax = DrawGrid1->RowCount - DrawGrid1->VisibleRowCount - DrawGrid1->FixedRows;
    ScrollBar2->SetParams(0, 0, std::max(rowMax, 0));
    Panel2->Visible = rowMax > 0;
    const int colMax = DrawGrid1->ColCount - DrawGrid1->VisibleColCount - DrawGrid1->FixedCols;
    if (colMax <= 0) {
        Panel1->Visible = false;
    } else {
        Panel1->Visible = true;
        ScrollBar1->SetParams(std::min(int(ScrollBar1->Position), colMax), 0, colMax);
    }
}

void TReport::SetColors()
{
    RebuildFonts();
    LayoutColumns();
    UpdateScrollBars();
    ScrollBar1->Position = 0;
    DrawGrid1->FixedColor = TColor(KeyColor(34));
    DrawGrid1->Color = TColor(KeyColor(17));
    DrawGrid1->Invalidate();
    TMultiViewChild::SetColors();
}

void TReport::DrawGrid1DrawCell(TObject *, int ACol, int ARow, const TRect &Rect, TGridDrawState State)
{
    HDC dc = DrawGrid1->Canvas->Handle;
    COLORREF back = KeyColor(17);
    if (ARow == 0)
        back = KeyColor(34);
    else if ((State.Contains(gdSelected) || ARow == DrawGrid1->Row) && ACol >= DrawGrid1->FixedCols)
        back = KeyColor(64);
    else if (ARow % 2 == 0)
        back = KeyColor(63);
    RECT r{Rect.Left, Rect.Top, Rect.Right + 1, Rect.Bottom};
    auto fill = [dc](const RECT &area, COLORREF colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    };
    fill(r, back);
    SetBkMode(dc, TRANSPARENT);
    RECT cell{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
    auto gridLines = [&] {
        if (!GridLines)
            return;
        HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(26));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, cell.left, cell.bottom - 1, nullptr);
        LineTo(dc, cell.right - 1, cell.bottom - 1);
        LineTo(dc, cell.right - 1, cell.top - 1);
        SelectObject(dc, old);
        DeleteObject(pen);
    };
    const int field = ACol >= 0 && ACol < 16 ? Attr.Items[ACol] : -1;
    if (ARow == 0) {
        HGDIOBJ old = SelectObject(dc, TitleFont);
        std::string title = field >= 0 && field < QuoteFieldCount ? QuoteFieldTitles[field] : "";
        if (field == SortField()) {
            SetTextColor(dc, KeyColor(23));
            title += SortDescending ? "↓" : "↑";
        } else {
            SetTextColor(dc, KeyColor(22));
        }
        DrawTextInRect(dc, cell, title.c_str(), 2, 0);
        SelectObject(dc, old);
        gridLines();
        return;
    }
    if (RowCount == 0 || ARow > RowCount || field < 0 || field >= QuoteFieldCount)
        return;
    const BlockMember &row = Rows[ARow - 1];
    const StockStaticRecord *s = TDataIO::GetStock(row.Id);
    const TMarketData *md = MarketOf(StockMarket(row.Id));
    const int index = StockIndex(row.Id);
    const RealQuoteRecord *q = md && md->Quotes && s ? &md->Quotes[index] : nullptr;
    const bool marked = (row.Mask & MarkBit(field)) != 0 && MarkAge(row.Stamp, ViewStamp) <= 15;
    auto markedField = [&](int f) { return (row.Mask & MarkBit(f)) != 0 && MarkAge(row.Stamp, ViewStamp) <= 15; };

    char pattern[16];
    std::snprintf(pattern, sizeof pattern, "%%8.%df", s ? std::min<int>(s->Decimals, 6) : 2);
    const double volumeUnit = s ? double(s->VolumeUnit) : 0.0;
    COLORREF colour = KeyColor(18);
    std::string text;
    double value = 0.0;
    auto get = [&](int f, double &v) { return GetQuoteField(row.Id, unsigned(f), &v) != 0; };
    auto changeColor = [&](uint32_t raw) {
        return q ? GetChangeColor(Raw(raw), Raw(q->PrevClose)) : KeyColor(20);
    };
    auto volumeText = [&](int f, std::string &out) {
        double v = 0.0;
        if (!get(f, v))
            out = "---";
        else if (volumeUnit != 0.0)
            out = Format("%.0f", v / volumeUnit);
    };
    bool pair = false;
    std::string second;
    COLORREF secondColour = KeyColor(48);
    bool fillMark = false;

    switch (field) {
    case 0: {
        char t[16];
        std::snprintf(t, sizeof t, "%d", ARow);
        text = t;
        break;
    }
    case 1:
    case 9:
        colour = KeyColor(47);
        if (s) {
            const char *p = field == 1 ? s->Name : s->Code;
            text.assign(p, strnlen(p, field == 1 ? sizeof s->Name : sizeof s->Code));
        } else {
            text = "---";
        }
        break;
    case 2:
        text = q ? Format(pattern, double(q->PrevClose) / PriceScaleOf(*s)) : "---";
        break;
    case 3: case 4: case 5: case 6: case 10: case 11: case 25: case 26: case 27: {
        text = get(field, value) ? Format(field == 11 ? "%7.2f" : pattern, value) : "---";
        if (q) {
            const uint32_t raw = field == 3 ? q->Open : field == 4 ? q->High : field == 5 ? q->Low
                                : field == 25 ? q->Bid[0].Price : field == 26 ? q->Ask[0].Price
                                : field == 27 ? q->Settlement : q->Last;
            colour = changeColor(raw);
        }
        break;
    }
    case 7: case 24: case 28: case 29:
        colour = KeyColor(field == 24 ? 50 : 48);
        volumeText(field, text);
        break;
    case 8: case 30:
        colour = KeyColor(49);
        if (get(field, value))
            text = md && md->Info.Type == 1 ? Format("%8.2f", value * 0.0001) : Format("%8.0f", value);
        else
            text = "---";
        break;
    case 12: case 21:
        text = get(field, value) ? Format("%+7.2f", value) : "---";
        colour = SignColor(value);
        break;
    case 14: case 20:
        text = get(field, value) ? Format("%+8.3f", value) : "---";
        colour = SignColor(value);
        break;
    case 13:
        text = get(field, value) ? Format("%8.3f", value) : "---";
        break;
    case 22: case 23:
        text = get(field, value) ? Format("%7.2f", value) : "---";
        break;
    case 15: case 16: case 17: case 18: case 19:
        if (get(field, value)) {
            text = Format(pattern, value);
            if (q)
                colour = GetChangeColor(Saturate(value * 1000.0), Raw(q->PrevClose));
        } else {
            text = "---";
        }
        break;
    case 31:
        if (get(field, value) && s) {
            const uint32_t t = uint32_t(Saturate(value));
            int hour = int((t >> 12) & 0x1F), minute = int((t >> 6) & 0x3F), second = int(t & 0x3F);
            ShiftHourByZone(StockMarket(Attr.Stock), StockClass(Attr.Stock), hour);
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", hour, minute, second);
            text = buffer;
        } else {
            text = "---";
        }
        break;
    case 32: {
        pair = true;
        double bid = 0.0, ask = 0.0;
        text = get(25, bid) ? Format(pattern, bid) : "-";
        second = get(26, ask) ? Format(pattern, ask) : "-";
        colour = q ? changeColor(q->Bid[0].Price) : KeyColor(20);
        secondColour = q ? changeColor(q->Ask[0].Price) : KeyColor(20);
        auto swap = [](COLORREF c) {
            return c == KeyColor(21) ? KeyColor(38) : c == KeyColor(19) ? KeyColor(36) : KeyColor(37);
        };
        if (markedField(25))
            colour = swap(colour);
        if (markedField(26))
            secondColour = swap(secondColour);
        break;
    }
    case 33: {
        pair = true;
        colour = KeyColor(48);
        double v = 0.0;
        text = get(28, v) && volumeUnit != 0.0 ? Format("%.0f", v / volumeUnit) : "-";
        second = get(29, v) && volumeUnit != 0.0 ? Format("%.0f", v / volumeUnit) : "-";
        if (markedField(28))
            colour = KeyColor(39);
        if (markedField(29))
            secondColour = KeyColor(39);
        break;
    }
    default:
        text = "---";
        break;
    }

    if (marked) {
        if (field == 6 || field == 25 || field == 26) {
            if (ColourMode != 0 || field == 6)
                fillMark = true;
            else
                colour = colour == KeyColor(21) ? KeyColor(38) : colour == KeyColor(19) ? KeyColor(36) : KeyColor(37);
        } else if (field == 7 || field == 24 || field == 28 || field == 29) {
            if (ColourMode != 0 || field == 24)
                fillMark = true;
            else
                colour = KeyColor(39);
        }
    }
    if (fillMark) {
        fill(r, KeyColor(25));
        colour = KeyColor(42);
    }
    HGDIOBJ old = SelectObject(dc, field == 1 ? NameFont : NumberFont);
    if (pair) {
        DrawPairText(dc, cell, colour, secondColour, text.c_str(), second.c_str(), 2, 0);
    } else {
        SetTextColor(dc, colour);
        DrawTextInRect(dc, cell, text.c_str(), 2, 0);
    }
    SelectObject(dc, old);
    gridLines();
}

// ---- commands -----------------------------------------------------------------------------

void TReport::OpenChart()
{
    VIEW_ATTR &a = NextChartRecord();
    const bool trendFirst = MainFrame() && MainFrame()->MenuItem94 && MainFrame()->MenuItem94->Checked;
    InitViewAttr(trendFirst ? VIEW_TREND : VIEW_KLINE, &a);
    a.Stock = Attr.Stock;
    a.BlockId = Attr.BlockId;
    std::vector<StockId> stocks(static_cast<size_t>(RowCount));
    for (int i = 0; i < RowCount; ++i)
        stocks[size_t(i)] = Rows[i].Id;
    SetBrowseListHandle(a, NewBrowseList(stocks.data(), RowCount));
    BrowseIndex(a) = DrawGrid1->Row - 1;
    if (HWND frame = FrameWindow())
        PostMessageA(frame, WM_DATA_CHANGED, 0, LPARAM(&a));
}

void TReport::DrawGrid1KeyDown(TObject *, WORD &Key, TShiftState Shift)
{
    switch (Key) {
    case VK_RETURN:
        if (DrawGrid1->Row >= 1 && DrawGrid1->Row <= RowCount) {
            Attr.Stock = Rows[DrawGrid1->Row - 1].Id;
            OpenChart();
        }
        break;
    case 'Z':
        // Alt+Z, either case: the current stock into a block of the user's choice.
        if (Shift.Contains(ssAlt) && RowCount >= 1 && DrawGrid1->Row >= 1 && DrawGrid1->Row <= RowCount)
            AddStockToBlock(this, Rows[DrawGrid1->Row - 1].Id);
        break;
    case VK_ESCAPE:
        if (RankingBlock() != -1) {
            SetRankingBlock(-1);
            Attr.Stock = SavedStock;
            const int tab = std::clamp(SavedTab, 0, std::max(TabCount - 1, 0));
            Tabs->TabIndex = tab;
            // The saved stock is the current one again where the block holds it.
            ResetPosition = 0;
            PositionRows();
            DrawGrid1->Invalidate();
        } else {
            PostToPage(WM_PANE_BACK);
        }
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        const int at = Tabs->TabIndex;
        int to = at;
        if (Key == VK_LEFT && at > 0)
            to = at - 1;
        else if (Key == VK_RIGHT && at >= 0 && at < TabCount - 1)
            to = at + 1;
        if (to != at) {
            SelectTabQuietly(to);
            Tabs->SelectedColor = clTeal;
        }
        Key = 0;
        break;
    }
    case VK_END:
        if (Tabs->TabIndex >= 0 && Tabs->TabIndex != LastTab) {
            bool allow = true;
            TabsChange(Tabs, Tabs->TabIndex, allow);
        }
        Key = 0;
        break;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
        GridButtonDown = 1;
        break;
    default:
        break;
    }
    (void)Shift;
}

void TReport::DrawGrid1KeyUp(TObject *, WORD &Key, TShiftState)
{
    if (Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT) {
        GridButtonDown = 0;
        PostViewsChanged();
    }
}

void TReport::DrawGrid1Click(TObject *)
{
    if (DrawGrid1->Row >= 1 && DrawGrid1->Row <= RowCount)
        Attr.Stock = Rows[DrawGrid1->Row - 1].Id;
}

void TReport::DrawGrid1DblClick(TObject *)
{
    int col = -1, row = -1;
    DrawGrid1->MouseToCell(lastMouseX_, lastMouseY_, col, row);
    if (row == 0 && col >= 0 && RankingBlock() == -1) {
        ResetPosition = 1;
        const int field = Attr.Items[std::min(col, 15)];
        if (field == Attr.Mode)
            SortDescending = SortDescending ? 0 : 1;
        else
            Attr.Mode = field;
        ++ChangeCounter;
        SortRows();
        if (field == 0 || field == 1 || field == 9 || !ClientConnected())
            DrawGrid1->Invalidate();
    } else if (row > 0 && RowCount > 0) {
        PostMessageA(DrawGrid1->Handle, WM_KEYDOWN, VK_RETURN, 0);
    }
}

void TReport::DrawGrid1MouseDown(TObject *, TMouseButton, TShiftState, int X, int Y)
{
    lastMouseX_ = X;
    lastMouseY_ = Y;
    int col = -1, row = -1;
    DrawGrid1->MouseToCell(X, Y, col, row);
    if (!(row == 0 && col > 0))
        DragRow = row;
    Activate();
}

void TReport::DrawGrid1MouseUp(TObject *, TMouseButton Button, TShiftState, int X, int Y)
{
    int col = -1, target = -1;
    DrawGrid1->MouseToCell(X, Y, col, target);
    if (target < 0 && Y >= 0)
        target = RowCount;
    if (!CurrentBlock || CurrentBlock->Kind < 3 || Button == mbRight || target == DragRow || DragRow < 1 ||
        target <= 0 || DragRow > RowCount)
        return;
    target = std::min(target, RowCount);
    const BlockMember moved = Rows[DragRow - 1];
    if (target > DragRow)
        std::memmove(Rows + DragRow - 1, Rows + DragRow, sizeof(BlockMember) * size_t(target - DragRow));
    else
        std::memmove(Rows + target, Rows + target - 1, sizeof(BlockMember) * size_t(DragRow - target));
    Rows[target - 1] = moved;
    // The shown order becomes the block's, sorted or not.
    const int n = std::min<int>(RowCount, CurrentBlock->MemberCount);
    std::memcpy(CurrentBlock->Members, Rows, sizeof(BlockMember) * size_t(n));
    if (TBlockGroup *blocks = FrameBlocks())
        blocks->SaveBlockToIni(CurrentBlock);
    ResetPosition = 0;
    UpdateScrollBars();
    DrawGrid1->Invalidate();
}

void TReport::DrawGrid1ColumnMoved(TObject *, int FromIndex, int ToIndex)
{
    const int count = std::clamp(int(Attr.ItemCount), 0, 16);
    if (FromIndex < 0 || ToIndex < 0 || FromIndex >= count || ToIndex >= count)
        return;
    auto move = [&](int32_t *values) {
        const int32_t v = values[FromIndex];
        if (FromIndex < ToIndex)
            std::memmove(values + FromIndex, values + FromIndex + 1, sizeof(int32_t) * size_t(ToIndex - FromIndex));
        else
            std::memmove(values + ToIndex + 1, values + ToIndex, sizeof(int32_t) * size_t(FromIndex - ToIndex));
        values[ToIndex] = v;
    };
    move(Attr.Items);
    TableDef &t = TableDefs[TableIndex() - 1];
    if (FromIndex < t.Count && ToIndex < t.Count) {
        move(t.Ids);
        move(t.Widths);
    }
    DrawGrid1->Invalidate();
    UpdateScrollBars();
}

void TReport::DrawGrid1TopLeftChanged(TObject *)
{
    const int colMax = DrawGrid1->ColCount - DrawGrid1->VisibleColCount - DrawGrid1->FixedCols;
    if (colMax <= 0) {
        Panel1->Visible = false;
    } else {
        Panel1->Visible = true;
        ScrollBar1->SetParams(std::clamp(DrawGrid1->LeftCol - DrawGrid1->FixedCols, 0, colMax), 0, colMax);
    }
    ScrollBar2->Position = DrawGrid1->TopRow - 1;
    if (!GridButtonDown)
        PostViewsChanged();
}

void TReport::FormResize(TObject *)
{
    UpdateScrollBars();
    PlaceCmdBox();
}

void TReport::ScrollBar1Scroll(TObject *, TScrollCode, int &ScrollPos)
{
    DrawGrid1->LeftCol = std::min(ScrollPos + DrawGrid1->FixedCols, DrawGrid1->ColCount - 1);
    UpdateScrollBars();
    DrawGrid1->Repaint();
    Activate();
}

void TReport::ScrollBar2Scroll(TObject *, TScrollCode ScrollCode, int &ScrollPos)
{
    const int shown = DrawGrid1->VisibleRowCount;
    switch (ScrollCode) {
    case scPageUp:
        DrawGrid1->TopRow = std::max(DrawGrid1->TopRow - shown, 1);
        ScrollPos = DrawGrid1->TopRow - 1;
        break;
    case scPageDown:
        DrawGrid1->TopRow = std::max(std::min(DrawGrid1->TopRow + shown, RowCount + 1 - shown), 1);
        ScrollPos = DrawGrid1->TopRow - 1;
        break;
    case scLineUp:
    case scLineDown:
    case scPosition:
    case scTrack:
        DrawGrid1->TopRow = std::clamp(ScrollPos + 1, 1, std::max(DrawGrid1->RowCount - 1, 1));
        break;
    default:
        return;
    }
    DrawGrid1->Repaint();
    Activate();
}

void TReport::PopupMenu1Popup(TObject *)
{
    A1->Clear();
    if (TBlockGroup *blocks = FrameBlocks())
        for (int id = 0; id < blocks->BlockCount; ++id) {
            const BlockRecord &b = blocks->Blocks[id];
            if (!b.InUse || b.Kind < 3)
                continue;
            auto *mi = new TMenuItem(this);
            mi->Caption = AnsiString(std::string(b.Name, strnlen(b.Name, sizeof b.Name)).c_str());
            mi->Tag = id;
            mi->OnClick = [this](TObject *s) { AddToBlockClick(s); };
            A1->Add(mi);
        }
    N3->Enabled = TabCount >= 2;
    N9->Enabled = CurrentBlock && CurrentBlock->Kind >= 4;
    NSync->Checked = Link != 0;
}

void TReport::N3Click(TObject *)
{
    const int at = Tabs->TabIndex;
    if (TabCount <= 1 || at < 0 || at >= TabCount)
        return;
    std::memmove(TabIds + at, TabIds + at + 1, sizeof(int32_t) * size_t(TabCount - at - 1));
    --TabCount;
    std::memset(Attr.Blocks, 0, sizeof Attr.Blocks);
    std::memcpy(Attr.Blocks, TabIds, sizeof(int32_t) * size_t(TabCount));
    Attr.BlockCount = TabCount;
    TTabChangeEvent saved = Tabs->OnChange;
    Tabs->OnChange = nullptr;
    Tabs->Tabs->Delete(at);
    Tabs->TabIndex = -1;
    Tabs->OnChange = saved;
    Tabs->TabIndex = at > 0 ? at - 1 : 0;
}

int TReport::Command(int command, int arg)
{
    switch (command) {
    case VC_EDIT_COLUMNS:
        N10Click(this);
        return 1;
    case VC_GRID_LINES:
        GridLines = arg ? 1 : 0;
        DrawGrid1->Invalidate();
        return 1;
    default:
        return 0;
    }
}

void TReport::N1Click(TObject *)
{
    DialogBusy = 1;
    auto *chooser = new TSelBk(this, 5, 0, false);
    chooser->ShowModal();
    const bool chosen = chooser->Chosen != 0;
    const int block = chooser->BlockNo;
    delete chooser;
    DialogBusy = 0;
    if (chosen)
        ShowBlockTab(block);
}

void TReport::N10Click(TObject *)
{
    EditColumnTables(this);
    // The new layout applies to the block shown, also after Cancel.
    bool allow = true;
    TabsChange(Tabs, Tabs->TabIndex >= 0 ? int(Tabs->TabIndex) : -1, allow);
}

void TReport::PrintView()
{
    PrintTexts texts;
    texts.Ask = "是否打印当前画面?  ";
    texts.Failed = "打印出错";
    PrintWindowPicture(this, PrintDialog1, KeyColor(1), texts);
}

void TReport::AddToBlockClick(TObject *Sender)
{
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    BlockRecord *block = item ? FindBlock(item->Tag) : nullptr;
    const int r = DrawGrid1->Row;
    if (!block || !block->Members || r < 1 || r > RowCount)
        return;
    const StockId stock = Rows[r - 1].Id;
    if (TBlockGroup *blocks = FrameBlocks())
        AppendToBlock(*blocks, *block, stock);
    if (MainFrame())
        MainFrame()->NotifyViews(10, int32_t(stock), 0, 0);
}

void TReport::N9Click(TObject *)
{
    const int r = DrawGrid1->Row;
    if (!CurrentBlock || CurrentBlock->Kind <= 2 || !CurrentBlock->Members || r < 1 || r > RowCount)
        return;
    // The member that is the selected row's stock: the rows may be sorted.
    const StockId stock = Rows[r - 1].Id;
    int at = -1;
    for (int i = 0; i < CurrentBlock->MemberCount; ++i)
        if (CurrentBlock->Members[i].Id == stock) {
            at = i;
            break;
        }
    if (at < 0)
        return;
    std::memmove(CurrentBlock->Members + at, CurrentBlock->Members + at + 1,
                 sizeof(BlockMember) * size_t(CurrentBlock->MemberCount - at - 1));
    --CurrentBlock->MemberCount;
    if (TBlockGroup *blocks = FrameBlocks())
        blocks->SaveBlockToIni(CurrentBlock);
    bool allow = true;
    TabsChange(Tabs, Tabs->TabIndex >= 0 ? int(Tabs->TabIndex) : -1, allow);
}

void TReport::FormClose(TObject *Sender, TCloseAction &Action)
{
    Timer1->Enabled = false;
    auto it = GridProcs().find(DrawGrid1->Handle);
    if (it != GridProcs().end()) {
        SetWindowLongA(it->first, GWL_WNDPROC, LONG_PTR(it->second));
        GridProcs().erase(it);
    }
    TChildView::FormClose(Sender, Action);
}

// ---- registration ---------------------------------------------------------------------------

namespace {

TReport *AsReport(TMultiViewChild *pane) { return dynamic_cast<TReport *>(pane); }

TMultiViewChild *MakeReport(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new TReport(page, node, attr);
}

} // namespace

void RegisterQuoteList()
{
    RegisterViewMaker(VIEW_REPORT, MakeReport);
    RegisterFallbackViewMaker(MakeReport);
    ViewHooks.CollectVisibleStocks = [](TMultiViewChild *pane, EArray<STKMS> *stats) {
        if (TReport *r = AsReport(pane))
            r->AddStatsStocks(stats);
    };
    ViewHooks.RankVisibleStocks = [](TMultiViewChild *pane) {
        if (TReport *r = AsReport(pane))
            r->CollectVisibleStocks(nullptr);
    };
    ViewHooks.RedrawFastChangeColumn = [](TMultiViewChild *pane) {
        if (TReport *r = AsReport(pane))
            r->RedrawFastChangeColumn();
    };
    ViewHooks.RemoveBlockTab = [](TMultiViewChild *pane, int id) {
        if (TReport *r = AsReport(pane))
            r->RemoveBlockTab(id);
    };
    ViewHooks.RedrawGrid = [](TMultiViewChild *pane) {
        if (TReport *r = AsReport(pane))
            r->DrawGrid1->Repaint();
    };
    ViewHooks.ShowBlockTab = [](TMultiViewChild *pane, int id) {
        if (TReport *r = AsReport(pane))
            r->ShowBlockTab(id);
    };
    ViewHooks.WriteTableDefs = [] { WriteTableDefs(); };
    ViewHooks.ReportRows = [](TMultiViewChild *pane, std::vector<StockId> &rows, int &gridRow) {
        TReport *r = AsReport(pane);
        if (!r)
            return;
        rows.clear();
        for (int i = 0; i < r->RowCount; ++i)
            rows.push_back(r->Rows[i].Id);
        gridRow = r->DrawGrid1->Row;
    };
}
