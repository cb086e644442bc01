#include "lumon/views/Techfm.h"

#include <algorithm>
#include <cstring>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/History.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/TIndex.h"
#include "lumon/formula/WrapIndex.h"
#include "lumon/shell/ViewCommands.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/LineTool.h"
#include "lumon/views/TLine.h"
#include "platform/forms/KeyState.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TFont.h"
#include "platform/win/Cursor.h"
#include "platform/win/File.h"
#include "platform/win/Sound.h"
#include "platform/win/Messages.h"
#include "platform/win/Time.h"
#include "platform/win/Window.h"

using namespace win;

const float ZoomWidths[32] = {0.5f,       8.0f / 15, 4.0f / 7, 8.0f / 13, 2.0f / 3, 8.0f / 11, 0.8f,  8.0f / 9,
                              1.0f,       8.0f / 7,  4.0f / 3, 1.5f,      1.5f,     13.0f / 6, 2.4f,  3.0f,
                              5.0f,       5.5f,      6.0f,     7.0f,      9.0f,     11.0f,     13.0f, 15.0f,
                              17.0f,      19.0f,     21.0f,    23.0f,     25.0f,    0,         0,     0};
const float ZoomGaps[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.1f, 0.5f, 0.5f, 0.8f, 1.0f,
                            1, 1.5f, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 0, 0, 0};
const int32_t DefaultAreaIds[MaxChartAreas] = {3, 322, 45, 321, 87, 42};
const char *const PeriodNames[13] = {"即时", "1分", "3分", "任意分", "5分", "15分", "30分",
                                     "60分", "日线", "周线", "月线", "季线", "任意天"};

namespace {

// The throttle of ReloadData, shared by every chart of the process.
DWORD LastReloadTick = 0;
int64_t LastReloadStock = -1;

// The program's own cursors, registered once.
void RegisterChartCursors()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterCursorResource("IDC_CROSS", IDC_CROSS);
    RegisterCursorResource("IDC_HAND", IDC_HAND);
    RegisterCursorResource("IDC_HAND2", IDC_SIZEALL);
    RegisterCursorResource("IDC_DRAG", IDC_SIZEALL);
    RegisterCursorResource("IDC_RUBBER", IDC_NO);
}

// The instance the program's own cursors are loaded from.
const HINSTANCE ProgramInstance = HINSTANCE(1);

TMenuItem *NewItem(TComponent *owner, TMenuItem *parent, const char *caption, int tag = 0)
{
    auto *item = new TMenuItem(owner);
    item->Caption = caption;
    item->Tag = tag;
    parent->Add(item);
    return item;
}

// A period code from a page file: outside 0..12 it is the day period.
int SanePeriod(int code) { return code >= 0 && code <= 12 ? code : 8; }

} // namespace


TTechForm *AsKLineChart(TMultiViewChild *pane) { return dynamic_cast<TTechForm *>(pane); }

// ---- construction -----------------------------------------------------------------------

TTechForm::TTechForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TDrawView(page, node, attr)
{
    SecondStock = 0xFF;
    WrapPriceField = 3;
    WrapMode = 0;
    if (!attr) {
        InitViewAttr(VIEW_KLINE, &Attr);
    }
    Attr.ViewType = VIEW_KLINE;
    Attr.Param = SanePeriod(Attr.Param);
    // The pane's view state gives the indicators; a count below 1 (or a state
    // without ids) gives the default three.
    int count = State ? State->KLineCount : 0;
    if (count > MaxChartAreas)
        count = MaxChartAreas;
    if (count < 1) {
        count = 3;
        for (int i = 0; i < MaxChartAreas; ++i)
            Attr.Items[i] = DefaultAreaIds[i];
    } else {
        for (int i = 0; i < MaxChartAreas; ++i) {
            const int32_t id = State->KLineItems[i] & 0xFFFF;
            Attr.Items[i] = id != 0 ? id : DefaultAreaIds[i];
        }
    }
    Attr.ItemCount = count;
    CursorBar = -1;
    DefaultSplit = 1;
    ZoomLevel = ResetZoomLevel;
    PaneCount = count;
    CurPane = count - 1;
    Period = Attr.Param;
    ShowCursorDate = 0;
    HistoryArrivals = 0;
    RequesterKey = uint32_t(uintptr_t(this)) | 1u;

    BuildChartComponents();
    BuildChartMenu();
    AxisWidth = Panel2->Width + 1;
    DateAxisHeight = 16;
    for (int i = 1; i <= 6; ++i)
        if (CountItems[i])
            CountItems[i]->Checked = (i == count) || (i == 1 && (count < 2 || count > 6));
    LineStore.SelLine = 0;
    if ((Attr.Flags & (1u << 29)) && !DrawGrid1->Visible)
        DrawGrid1->Visible = true;
    LoadCursors();
    SetColors();
    if (TMultiViewChild::CmdBox)
        TMultiViewChild::CmdBox->Background = KeyColor(1);
}

TTechForm::~TTechForm()
{
    LineStore.FreeDrawnLines();
    for (TIndex *&p : Panes) {
        delete p;
        p = nullptr;
    }
    if (BackBitmap)
        DeleteObject(BackBitmap);
    BackBitmap = 0;
}

void TTechForm::BuildChartComponents()
{
    Panel2 = new TPanel(this);
    Panel2->Parent = this;
    Panel2->BevelOuter = bvNone;
    Panel2->Caption = "";
    Panel2->Width = 60;
    Panel2->Visible = false;
    Panel2->Font->Assign(*Fonts[3]);
    const int h = std::max(ThemeLineHeight(), 8);
    DateLabel = new TLabel(this);
    DateLabel->Parent = Panel2;
    DateLabel->SetBounds(1, 1, 58, h);
    DateLabel->Caption = "------";
    static const char *const captions[9] = {"开    盘", "最    高", "最    低", "收    盘", "成 交 量",
                                            "成交金额", "涨    跌", "幅    度", "股    本"};
    for (int i = 0; i < 9; ++i) {
        Captions[i] = new TLabel(this);
        Captions[i]->Parent = Panel2;
        Captions[i]->SetBounds(1, 1 + h * (1 + 2 * i), 58, h);
        Captions[i]->Caption = captions[i];
        Values[i] = new TLabel(this);
        Values[i]->Parent = Panel2;
        Values[i]->SetBounds(1, 1 + h * (2 + 2 * i), 58, h);
        Values[i]->Alignment = taRightJustify;
        Values[i]->Caption = "------";
    }
    Captions[8]->Visible = false;
    Values[8]->Visible = false;
    Panel2->Height = Captions[8]->Top + 1;

    DrawGrid1 = new TDrawGrid(this);
    DrawGrid1->Parent = this;
    DrawGrid1->Align = alClient;
    DrawGrid1->ColCount = 7;
    DrawGrid1->RowCount = 2;
    DrawGrid1->FixedCols = 0;
    DrawGrid1->FixedRows = 1;
    DrawGrid1->DefaultColWidth = 90;
    DrawGrid1->DefaultRowHeight = 20;
    DrawGrid1->Visible = false;
    DrawGrid1->OnDrawCell = [this](TObject *s, int c, int r, const TRect &rect, TGridDrawState st) {
        DrawGrid1DrawCell(s, c, r, rect, st);
    };
    DrawGrid1->OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        DrawGrid1MouseDown(s, b, sh, x, y);
    };
    DrawGrid1->OnKeyDown = [this](TObject *s, WORD &key, TShiftState sh) { FormKeyDown(s, key, sh); };
}

int TTechForm::ThemeLineHeight()
{
    return Fonts[3] ? std::abs(Fonts[3]->Height) + 2 : 14;
}

void TTechForm::BuildChartMenu()
{
    TMenuItem *root = PopupMenu1->Items;
    N29 = NewItem(this, root, "跨品种分析");
    N29->OnClick = [this](TObject *s) { N29Click(s); };
    NLine = NewItem(this, root, "画线工具");
    NLine->OnClick = [this](TObject *s) { NLineClick(s); };
    N11->Enabled = true;
    N3->Enabled = true;
    N3->Caption = "指标参数";
    EraseIdx = NewItem(this, Nanaly, "删除指标");
    EraseIdx->Visible = false;
    Nanaly->Remove(EraseIdx);
    Nanaly->Insert(0, EraseIdx);
    N20 = NewItem(this, Nanaly, "叠加指标");
    N15 = NewItem(this, Nanaly, "设置参考线");
    N24 = NewItem(this, Nanaly, "均线显/隐");
    N24->Visible = false;
    N11->OnClick = [this](TObject *s) { N11Click(s); };
    N20->OnClick = [this](TObject *s) { N20Click(s); };
    N3->OnClick = [this](TObject *s) { N3Click(s); };
    N15->OnClick = [this](TObject *s) { N15Click(s); };
    EraseIdx->OnClick = [this](TObject *s) { EraseIdxClick(s); };
    N24->OnClick = [this](TObject *s) { N24Click(s); };

    N1 = NewItem(this, root, "变换周期");
    static const struct {
        const char *Caption;
        int Tag;
    } periods[12] = {{"日线", 8},  {"周线", 9},  {"月线", 10},  {"季线", 11},  {"任意天", 12}, {"1分钟", 1},
                     {"3分钟", 2}, {"5分钟", 4}, {"15分钟", 5}, {"30分钟", 6}, {"60分钟", 7}, {"任意分钟", 3}};
    for (const auto &p : periods) {
        TMenuItem *item = NewItem(this, N1, p.Caption, p.Tag);
        item->RadioItem = true;
        item->GroupIndex = 2;
        item->OnClick = [this](TObject *s) { N12Click(s); };
        PeriodItems[p.Tag] = item;
    }
    NWeight = NewItem(this, root, "除权状态");
    static const struct {
        const char *Caption;
        int Tag;
    } weights[4] = {{"还原", 0}, {"复合除权", 1}, {"后复权", 2}, {"前复权", 3}};
    for (const auto &w : weights) {
        TMenuItem *item = NewItem(this, NWeight, w.Caption, w.Tag);
        item->RadioItem = true;
        item->GroupIndex = 3;
        item->OnClick = [this](TObject *s) { N25Click(s); };
        WeightItems[w.Tag] = item;
    }
    N18 = NewItem(this, N6, "五图组合");
    N19 = NewItem(this, N6, "六图组合");
    TMenuItem *counts[7] = {nullptr, N7, N8, N9, N10, N18, N19};
    for (int i = 1; i <= 6; ++i) {
        CountItems[i] = counts[i];
        counts[i]->Tag = i;
        counts[i]->RadioItem = true;
        counts[i]->GroupIndex = 1;
        counts[i]->Checked = false;
        counts[i]->OnClick = [this](TObject *s) { N7Click(s); };
    }
    N5->OnClick = [this](TObject *s) { N5Click(s); };
    Minfm->OnClick = [this](TObject *s) { MinfmClick(s); };
    PopupMenu1->OnPopup = [this](TObject *s) { PopupMenu1Popup(s); };
}

void TTechForm::LoadCursors()
{
    RegisterChartCursors();
    CrossCursor = LoadCursorA(ProgramInstance, "IDC_CROSS");
    HandCursor = LoadCursorA(ProgramInstance, "IDC_HAND");
    Hand2Cursor = LoadCursorA(ProgramInstance, "IDC_HAND2");
    DragCursor = LoadCursorA(ProgramInstance, "IDC_DRAG");
    SizeNSCursor = LoadCursorA(0, IDC_SIZENS);
    RubberCursor = LoadCursorA(ProgramInstance, "IDC_RUBBER");
    ArrowCursor = LoadCursorA(0, IDC_ARROW);
    SizeWECursor = LoadCursorA(0, IDC_SIZEWE);
}

// ---- pane contract -------------------------------------------------------------------------

void TTechForm::WndProc(TMessage &Message)
{
    if (Message.Msg == 2525) {
        SaveDrawnLines();
        return;
    }
    TDrawView::WndProc(Message);
}

void TTechForm::ReloadView()
{
    TDrawView::ReloadView();
    ReloadChart(false);
    OnResize = [this](TObject *s) { FormResize(s); };
    OnPaint = [this](TObject *s) { FormPaint(s); };
    OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { FormKeyDown(s, k, sh); };
    OnKeyUp = [this](TObject *s, WORD &k, TShiftState sh) { FormKeyUp(s, k, sh); };
    OnKeyPress = [this](TObject *s, char &k) { FormKeyPress(s, k); };
    OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseDown(s, b, sh, x, y); };
    OnMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { FormMouseMove(s, sh, x, y); };
    OnMouseUp = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseUp(s, b, sh, x, y); };
    FormResize(this);
}

void TTechForm::AddRequestStocks(EArray<STKMS> *list)
{
    if (!list)
        return;
    const StockId s = Attr.Stock;
    const StockStaticRecord *rec = TDataIO::GetStock(s);
    if (!rec)
        return;
    if (MFrame && !MFrame->HasMarketRight(rec->Market, rec->Class))
        return;
    const STKMS key = MakeSTKMS(StockMarket(s), StockIndex(s));
    for (int k = list->GetCount() - 1; k >= 0; --k)
        if (list->GetAt(k) == key)
            return;
    list->Add(key);
}

bool TTechForm::SameStock(StockId a) const
{
    return StockMarket(a) == StockMarket(Attr.Stock) && StockIndex(a) == StockIndex(Attr.Stock);
}

bool TTechForm::LastBarInView() const
{
    const TIndex *p = Panes[0];
    return p && p->FirstVisible + p->Capacity >= p->RecordCount;
}

void TTechForm::SetUpObject(TIndex *object, int id)
{
    object->OwnerSerial = Serial;
    object->HistoryRequest = RequesterKey;
    if (id == IndexIdWrap) {
        // The spread chart's options: the price field, the mode and the scale.
        if (auto *wrap = dynamic_cast<WRAP *>(object))
            wrap->SetOptions(WrapPriceField, WrapMode, WrapOption);
    }
}

bool TTechForm::ResolveIndicatorId(int32_t &id, int area)
{
    if (id != IndexIdWrap)
        return false;
    if (TDataIO::GetStock(SecondStock))
        return false;
    id = area >= 0 && area < MaxChartAreas ? DefaultAreaIds[area] : 3;
    return true;
}

void TTechForm::RebuildPanes()
{
    const int count = std::clamp<int>(Attr.ItemCount, 0, MaxChartObjects);
    for (int i = 0; i < count; ++i) {
        int32_t id = Attr.Items[i] & 0xFFFF;
        if (id == 0 && i < MaxChartAreas)
            id = DefaultAreaIds[i];
        ResolveIndicatorId(id, i);
        if (!CreateIndex(Panes[i], id, Attr.Stock, SecondStock)) {
            // An id no indicator has (a page file from elsewhere) gives the
            // area's default indicator.
            if (i >= MaxChartAreas || id == DefaultAreaIds[i] ||
                !CreateIndex(Panes[i], DefaultAreaIds[i], Attr.Stock, SecondStock))
                continue;
            id = DefaultAreaIds[i];
        }
        Attr.Items[i] = id;
        TIndex *p = Panes[i];
        SetUpObject(p, id);
        if (i < PaneCount) {
            p->AreaIndex = i;
            p->StackCount = 1;
            p->StackPos = 1;
        }
        p->Period = uint16_t(Attr.Param);
        p->ScrollToEnd = 1;
        p->BarWidth = ZoomWidths[ZoomLevel];
        p->BarGap = ZoomGaps[ZoomLevel];
        p->Compute();
    }
}

void TTechForm::ReloadChart(bool keepPanes)
{
    WatchPage->Visible = false;
    Panel2->Visible = false;
    if (!keepPanes) {
        RebuildPanes();
        LayoutPanes();
        DefaultSplit = 0;
        CurPane = PaneCount - 1;
        static_assert(sizeof(RECT) == 16);
        ChartClip = RECT{ChartLeft, ChartTop, ChartRight, ChartBottom};
        SetCrossClip(&ChartClip);
    } else {
        for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i) {
            TIndex *p = Panes[i];
            if (!p)
                continue;
            p->Stock = Attr.Stock;
            p->Period = uint16_t(Attr.Param);
            p->ScrollToEnd = 1;
            p->Compute();
        }
    }
    LineStore.FreeDrawnLines();
    LineStore.LoadDrawnLines(Panes, std::min<int>(Attr.ItemCount, MaxChartObjects));
    for (int i = 0; i < LineStore.LineCount; ++i)
        if (LineStore.Lines[i])
            LineStore.Lines[i]->Colour = KeyColor(35);
    LoadTicks();
}

void TTechForm::ResetObjects(int period)
{
    ZoomLevel = ResetZoomLevel;
    for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i) {
        TIndex *p = Panes[i];
        if (!p)
            continue;
        p->BarWidth = 5.0f;
        p->BarGap = 1.0f;
        p->Period = uint16_t(period);
        p->ScrollToEnd = 1;
        p->Compute();
    }
    HistoryArrivals = 0;
}

int TTechForm::Notify(int code, int a, int b, intptr_t c)
{
    const StockId id = StockId(uint32_t(a));
    switch (code) {
    case kRealTime: {
        if (!SameStock(id))
            return 0;
        TDrawView::Notify(code, a, b, c);
        if (Panel1->Visible)
            Panel1->Invalidate();
        const uint32_t mask = uint32_t(c);
        TIndex *price = Panes[0];
        if (ReloadAtEnd && price && price->FirstVisible + price->Capacity == price->RecordCount) {
            ReloadChart(true);
            RepaintChart(this, false);
            ReloadAtEnd = 0;
        } else if ((mask & 0x81) && price && LastBarInView()) {
            for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i) {
                if (!Panes[i])
                    continue;
                Panes[i]->RefreshMode = int32_t(mask);
                Panes[i]->Compute();
                Panes[i]->RefreshMode = 0;
            }
            RepaintChart(this, false);
        }
        if (CrossMode && !CrossShown) {
            DrawCrossHair(0, MousePos.x, MousePos.y, true);
            CrossShown = 1;
        }
        return 0;
    }
    case kShowStock: {
        if (SameStock(id))
            return 0;
        if (!BrowseMoved)
            ReleaseBrowseList();
        if (c) {
            VIEW_ATTR &given = *reinterpret_cast<VIEW_ATTR *>(c);
            const uint32_t handle = BrowseListHandle(given);
            if (handle && FindBrowseList(handle) && handle != BrowseList) {
                ReleaseBrowseList();
                AddBrowseListRef(handle);
                BrowseList = handle;
                BrowseIndex = ::BrowseIndex(given);
                SetBrowseListHandle(Attr, handle);
                ::BrowseIndex(Attr) = BrowseIndex;
            }
        }
        for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i)
            if (Panes[i]) {
                Panes[i]->ScrollToEnd = 1;
                Panes[i]->BarWidth = 5.0f;
                Panes[i]->BarGap = 1.0f;
            }
        ZoomLevel = ResetZoomLevel;
        HistoryArrivals = 0;
        Attr.Stock = id;
        Attr.BlockId = b;
        CursorBar = -1;
        ReloadChart(true);
        RepaintChart(this, true);
        if (!PageKeysActive && MFrame && MFrame->GetFrameWindow())
            PostMessageA(MFrame->GetFrameWindow(), WM_SUBSCRIBE_VIEWS, 0, 0);
        return 0;
    }
    case kReplace:
        ReplaceIndicator(b);
        return 0;
    case kStep:
        if (b == 0) {
            Attr.Stock = NextStockInBlock(Attr.BlockId, Attr.Stock);
            ReloadChart(true);
            RepaintChart(this, true);
        } else if (b == 2) {
            ReloadAtEnd = 1;
        }
        return 0;
    case kHistory:
    case kHistory2: {
        if (!SameStock(id))
            return 0;
        TIndex *price = Panes[0];
        bool keep = price && price->VisibleCount <= price->Capacity;
        if (HistoryArrivals++ < 2 && code == kHistory)
            keep = true;
        ReloadChart(true);
        for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i)
            if (Panes[i])
                Panes[i]->ScrollToEnd = keep ? 1 : 0;
        RepaintChart(this, true);
        return 0;
    }
    case kZoom:
        if (b == 1)
            PostMessageA(Handle, WM_KEYDOWN, VK_UP, 0);
        else if (b == -1)
            PostMessageA(Handle, WM_KEYDOWN, VK_DOWN, 0);
        return 0;
    default:
        return 0;
    }
}

void TTechForm::ResetReloadThrottle()
{
    LastReloadTick = 0;
    LastReloadStock = -1;
}

void TTechForm::ReloadData()
{
    const DWORD now = GetTickCount();
    if (now <= LastReloadTick + 2000 && int64_t(Attr.Stock) == LastReloadStock)
        return;
    LastReloadTick = now;
    LastReloadStock = int64_t(Attr.Stock);
    TMFrame *frame = MainFrame();
    TIndex *price = Panes[0];
    const StockStaticRecord *s = TDataIO::GetStock(Attr.Stock);
    if (!frame || (frame->GetConnectionState() & 1) == 0 || !price || price->RecordCount <= 0 || !s)
        return;
    TMarketData *md = nullptr;
    const int m = StockMarket(Attr.Stock);
    if (m < MarketTable.Count && m < MaxMarkets)
        md = MarketTable.Markets[m];
    char code[8] = {};
    std::memcpy(code, s->Code, sizeof s->Code);
    // A code from the name table names a file of the market's folder only.
    if (!md || !IsFileCode(code))
        return;
    const int period = Attr.Param;
    const char *form = period < 4 ? "%sdata\\%s\\min1\\%s.m1" : period < 8 ? "%sdata\\%s\\min\\%s.min" : "%sdata\\%s\\day\\%s.day";
    char path[700];
    std::snprintf(path, sizeof path, form, DataRoot, md->Info.Dir, code);
    DeleteFileA(path);
    InvalidateCachedBars(m, code, period);
    for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i)
        if (Panes[i])
            Panes[i]->Compute();
    RepaintChart(this, false);
}

int TTechForm::NextIndicatorId(int id, bool forward)
{
    const IndexTable *table = GetIndexTable();
    if (!table || table->Count <= 0 || !table->Definitions)
        return id;
    const int n = table->Count;
    int start = -1;
    for (int i = 0; i < n && start < 0; ++i)
        if (table->Definitions[i].Id == id)
            start = i;
    if (start < 0)
        return id;
    int i = start;
    do {
        i = forward ? (i + 1) % n : (i - 1 + n) % n;
        const IndexDefinition &d = table->Definitions[i];
        if (d.Id < 1000 && (d.Attribute >> 8) < 128)
            return d.Id;
    } while (i != start);
    return table->Definitions[start].Id;
}

void TTechForm::FormKeyPress(TObject *, char &Key)
{
    if (DrawGrid1->Visible || (Key != '*' && Key != '/'))
        return;
    const int target = TargetObject();
    if (target < 0)
        return;
    MessageBeep(0);
    ReplaceIndicator(NextIndicatorId(Attr.Items[target] & 0xFFFF, Key == '*'));
}

void TTechForm::FormKeyUp(TObject *, WORD &Key, TShiftState)
{
    if (Key != VK_NEXT && Key != VK_PRIOR)
        return;
    PageKeysActive = 0;
    if (MFrame && MFrame->GetFrameWindow())
        PostMessageA(MFrame->GetFrameWindow(), WM_SUBSCRIBE_VIEWS, 0, 0);
}

void TTechForm::FormClose(TObject *Sender, TCloseAction &Action)
{
    TDrawView::FormClose(Sender, Action);
    LineStore.FreeDrawnLines();
    for (int i = 0; i < MaxChartObjects; ++i) {
        delete Panes[i];
        Panes[i] = nullptr;
    }
    if (BackBitmap)
        DeleteObject(BackBitmap);
    BackBitmap = 0;
    Action = caFree;
}

// ---- registration ------------------------------------------------------------------------------

namespace {

// The scroll-arrow hook as it was before the K-line chart took it (the intraday
// chart's); it keeps the panes that are no K-line chart.
void (*OtherChartKeyDown)(TMultiViewChild *, WORD, bool) = nullptr;

void KLineScrollKey(TMultiViewChild *pane, WORD key, bool withShift)
{
    TTechForm *chart = AsKLineChart(pane);
    if (!chart) {
        if (OtherChartKeyDown)
            OtherChartKeyDown(pane, key, withShift);
        return;
    }
    TShiftState shift;
    if (withShift)
        shift << ssShift;
    chart->FormKeyDown(chart, key, shift);
}

void KLineKeyDown(TMultiViewChild *pane, WORD key, bool alt)
{
    TTechForm *chart = AsKLineChart(pane);
    if (!chart)
        return;
    TShiftState shift;
    if (alt)
        shift << ssAlt;
    if (GetKeyState(VK_CONTROL) < 0)
        shift << ssCtrl;
    if (GetKeyState(VK_SHIFT) < 0)
        shift << ssShift;
    chart->FormKeyDown(chart, key, shift);
}

StockId KLineSecondStock(TMultiViewChild *pane)
{
    TTechForm *chart = AsKLineChart(pane);
    if (!chart || StockMarket(chart->SecondStock) == 0xFF)
        return 0;
    return chart->SecondStock;
}

void KLineCommand(TMultiViewChild *pane, int command, int argument)
{
    TTechForm *chart = AsKLineChart(pane);
    if (!chart)
        return;
    if (command == KLineSetPeriod)
        chart->SetPeriod(argument);
    else if (command == KLineRepaint)
        chart->RepaintChart(chart, argument != 0);
}

TMultiViewChild *MakeTechForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new TTechForm(page, node, attr);
}

} // namespace

void RegisterKLineChart()
{
    RegisterViewMaker(VIEW_KLINE, MakeTechForm);
    InstallDrawViewHooks();
    ViewHooks.SecondStock = KLineSecondStock;
    ViewHooks.KLineKeyDown = KLineKeyDown;
    ViewHooks.KLineCommand = KLineCommand;
    InstallLineToolHooks();
    if (ViewHooks.ChartKeyDown != KLineScrollKey)
        OtherChartKeyDown = ViewHooks.ChartKeyDown;
    ViewHooks.ChartKeyDown = KLineScrollKey;
}

// The frame's menu and tool-button commands that reach the chart.
int TTechForm::Command(int command, int arg)
{
    switch (command) {
    case VC_CHOOSE_INDICATOR:
        N11Click(this);
        break;
    case VC_OVERLAY_INDICATOR:
        N20Click(this);
        break;
    case VC_INDICATOR_PARAMS:
        N3Click(this);
        break;
    case VC_REFERENCE_LINES:
        N15Click(this);
        break;
    case VC_TOGGLE_AVERAGES:
        N24Click(this);
        break;
    case VC_CROSS_ANALYSIS:
        N29Click(this);
        break;
    case VC_SET_EX_RIGHTS:
        if (arg >= 0 && arg <= 3 && WeightItems[arg])
            N25Click(WeightItems[arg]);
        break;
    case VC_GET_EX_RIGHTS:
        for (int i = 0; i <= 3; ++i)
            if (WeightItems[i] && WeightItems[i]->Checked)
                return i;
        return 0;
    case VC_SET_PERIOD:
        if (arg >= 1 && arg <= 12)
            SetPeriod(arg);
        break;
    case VC_INFO_WINDOW:
        N5Click(this);
        break;
    case VC_SPIRAL:
        // The cycle-date box shows on pointer moves; switched off it leaves the picture.
        ShowCursorDate = arg ? 1 : 0;
        if (!arg)
            RepaintChart(this, false);
        break;
    case VC_DELETE_LINES:
        // Every drawn line goes, from the chart and from the file.
        FreeDrawnLines();
        SaveDrawnLines();
        RepaintChart(this, false);
        break;
    default:
        return 0;
    }
    return 1;
}
