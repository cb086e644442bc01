#include "lumon/views/Rendform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/History.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/PackedDateTime.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/DynIndex.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TBarChart.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TCanvas.h"
#include "platform/gdi/TFont.h"
#include "platform/win/File.h"
#include "platform/win/Time.h"

using namespace win;

StockId TRendForm::LastReloadStock = 0;
uint32_t TRendForm::LastReloadTime = 0;
bool TRendForm::ReloadedOnce = false;

namespace {

std::string FieldText(const char *field, size_t size) { return std::string(field, strnlen(field, size)); }

// The default pane heights, as weights.
constexpr int kDefaultWeights[6] = {5, 2, 2, 2, 2, 2};

} // namespace

float TRendForm::ZoomWidth(int index) { return 0.25f * float(std::clamp(index, 0, 15) + 1); }

TRendForm::TRendForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TDrawView(page, node, attr)
{
    BuildRendComponents();
    // The low 12 bits of the flags hold 2; the rest of the low half-word is kept.
    Attr.Flags = (Attr.Flags & ~0xFFFu) | 2u;
    PaneCount = std::clamp(int(Attr.ItemCount), 1, 3);
    Attr.ItemCount = PaneCount;
    Bars = new TBarChart("价量分布图");
    Bars->Vertical = 0;
    const StockView v = Look();
    if (v.IsIndex) {
        TickMode = 0;
        Attr.Flags |= FlagTrend;
    } else {
        TickMode = 1;
    }
    if ((Attr.Flags & FlagGrid) && !v.IsIndex) {
        DisplayMode = 1;
        ShowGrid(true);
    } else if (Attr.Flags & FlagBars) {
        if (!v.IsIndex) {
            LoadTicks();
            BuildPriceVolume();
            DisplayMode = 2;
        } else {
            DisplayMode = 1;
            ShowGrid(true);
        }
    }
    if ((Attr.Flags & FlagTrend) && TickMode == 1)
        N16Click(nullptr);
    TMenuItem *combo = PaneCount == 2 ? N8 : PaneCount == 3 ? N9 : PaneCount == 4 ? N10 : N7;
    combo->Checked = true;
    Panel2->Color = TColor(KeyColor(17));
    DrawGrid1->Color = TColor(KeyColor(17));
    DrawGrid1->FixedColor = TColor(KeyColor(34));
}

TRendForm::~TRendForm()
{
    DeletePanes();
    delete Bars;
    Bars = nullptr;
    ReleaseBackBuffer();
}

void TRendForm::BuildRendComponents()
{
    // The information column.
    WatchPage->Font->Assign(*Fonts[3]);
    WatchPage->Font->Color = TColor(KeyColor(31));
    WatchPage->Color = TColor(KeyColor(1));
    WatchPage->BevelOuter = bvNone;
    WatchPage->Canvas->Font->Assign(*Fonts[3]);
    const int h = WatchPage->Canvas->TextHeight("0");
    static const char *const captions[6] = {"日期", "时间", "价格", "涨跌", "成交量", ""};
    // Captions Label1..Label5 and Label11; values Label6, Label13, Label7..Label10, Label12.
    const int captionIndex[6] = {0, 1, 2, 3, 4, 10};
    const int captionTop[6] = {8, 3 * h + 16, 5 * h + 24, 7 * h + 32, 9 * h + 40, 11 * h + 48};
    const int valueIndex[7] = {5, 12, 6, 7, 8, 9, 11};
    const int valueTop[7] = {h + 10, 2 * h + 10, 4 * h + 18, 6 * h + 26, 8 * h + 34, 10 * h + 42, 12 * h + 50};
    for (int i = 0; i < 13; ++i) {
        auto *label = new TLabel(this);
        label->Parent = WatchPage;
        label->Font->Assign(*Fonts[3]);
        label->Font->Color = TColor(KeyColor(31));
        label->Transparent = true;
        label->Left = 2;
        label->AutoSize = true;
        label->OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
            WatchPageMouseDown(s, b, sh, x, y);
        };
        Labels[i] = label;
    }
    for (int k = 0; k < 6; ++k) {
        Labels[captionIndex[k]]->Top = captionTop[k];
        Labels[captionIndex[k]]->Caption = captions[k];
    }
    for (int k = 0; k < 7; ++k)
        Labels[valueIndex[k]]->Top = valueTop[k];
    WatchPage->Width = 47;
    WatchPage->Height = Labels[9]->Top + 2 * h + 2;
    WatchPage->OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        WatchPageMouseDown(s, b, sh, x, y);
    };

    // The host of the grid and the bars: caption on top, the grid below.
    Panel2 = new TPanel(this);
    Panel2->Parent = this;
    Panel2->Align = alClient;
    Panel2->BevelOuter = bvNone;
    Panel2->Caption = "";
    Panel2->Visible = false;
    Panel3 = new TPanel(Panel2);
    Panel3->Parent = Panel2;
    Panel3->Visible = false;
    Panel5 = new TPanel(Panel2);
    Panel5->Parent = Panel2;
    Panel5->Align = alTop;
    Panel5->Height = 20;
    Panel5->BevelOuter = bvNone;
    Panel4 = new TPanel(Panel2);
    Panel4->Parent = Panel2;
    Panel4->Align = alClient;
    Panel4->BevelOuter = bvNone;
    Panel4->Caption = "";
    DrawGrid1 = new TDrawGrid(Panel4);
    DrawGrid1->Parent = Panel4;
    DrawGrid1->Align = alClient;
    DrawGrid1->Font->Assign(*Fonts[3]);
    DrawGrid1->Font->Color = TColor(KeyColor(22));
    DrawGrid1->FixedCols = 0;
    DrawGrid1->ColCount = 10;
    DrawGrid1->DefaultColWidth = 34;
    DrawGrid1->RowCount = 2;
    DrawGrid1->DefaultDrawing = false;
    DrawGrid1->Options = TGridOptions() << goRowSelect << goColSizing << goThumbTracking;
    DrawGrid1->OnDrawCell = [this](TObject *s, int c, int r, const TRect &rect, TGridDrawState st) {
        DrawGrid1DrawCell(s, c, r, rect, st);
    };
    DrawGrid1->OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        DrawGrid1MouseDown(s, b, sh, x, y);
    };
    // The view sees the keys typed in the grid first, as its own.
    DrawGrid1->OnKeyDown = [this](TObject *, WORD &k, TShiftState sh) { FormKeyDown(this, k, sh); };
    DrawGrid1->OnKeyUp = [this](TObject *, WORD &k, TShiftState sh) { FormKeyUp(this, k, sh); };
    PaintBox1 = new TPaintBox(Panel4);
    PaintBox1->Parent = Panel4;
    PaintBox1->Visible = false;
    PaintBox1->OnPaint = [this](TObject *s) { PaintBox1Paint(s); };
    PaintBox1->OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        DrawGrid1MouseDown(s, b, sh, x, y);
    };

    // The menu: the tick/trend switch, the pane count, the day before and after.
    Tickfm->Tag = 0;
    Minfm->Tag = 1;
    Tickfm->OnClick = [this](TObject *s) { N16Click(s); };
    Minfm->OnClick = [this](TObject *s) { N16Click(s); };
    N7->Tag = 1;
    N8->Tag = 2;
    N9->Tag = 3;
    N10->Tag = 4;
    N10->Visible = false;
    for (TMenuItem *item : {N7, N8, N9, N10}) {
        item->Checked = false;
        item->OnClick = [this](TObject *s) { N7Click(s); };
    }
    N1 = new TMenuItem(this);
    N1->Caption = "-";
    PopupMenu1->Items->Add(N1);
    N12 = new TMenuItem(this);
    N12->Caption = "历史回忆";
    PopupMenu1->Items->Add(N12);
    N13 = new TMenuItem(this);
    N13->Caption = "前一天";
    N12->Add(N13);
    N14 = new TMenuItem(this);
    N14->Caption = "后一天";
    N12->Add(N14);
    N12->Visible = false;
    N12->Enabled = false;
    N13->OnClick = [this](TObject *s) { N13Click(s); };
    N14->OnClick = [this](TObject *s) { N14Click(s); };
    N5->OnClick = [this](TObject *s) { N5Click(s); };
    PopupMenu1->OnPopup = [this](TObject *s) { PopupMenu1Popup(s); };
    KeyPreview = true;
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
}

void TRendForm::DeletePanes()
{
    for (TDynIndex *&pane : Panes) {
        delete pane;
        pane = nullptr;
    }
}

void TRendForm::ReleaseBackBuffer()
{
    if (BackDC)
        DeleteDC(BackDC);
    if (BackBitmap)
        DeleteObject(BackBitmap);
    BackDC = 0;
    BackBitmap = 0;
}

// ---- pane operations ----------------------------------------------------------------------

void TRendForm::ReloadView()
{
    TDrawView::ReloadView();
    LoadStock(false);
    OnResize = [this](TObject *s) { FormResize(s); };
    OnPaint = [this](TObject *s) { FormPaint(s); };
    OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { FormKeyDown(s, k, sh); };
    OnKeyUp = [this](TObject *s, WORD &k, TShiftState sh) { FormKeyUp(s, k, sh); };
    OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseDown(s, b, sh, x, y); };
    OnMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { FormMouseMove(s, sh, x, y); };
    OnMouseUp = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseUp(s, b, sh, x, y); };
    FormResize(this);
}

void TRendForm::SetColors()
{
    TDrawView::SetColors();
    if (BackDC)
        SetBkColor(BackDC, KeyColor(1));
    Panel1->Color = TColor(KeyColor(1));
    WatchPage->Color = TColor(KeyColor(1));
    WatchPage->Font->Assign(*Fonts[3]);
    WatchPage->Font->Color = TColor(KeyColor(31));
    for (TLabel *label : Labels) {
        label->Font->Assign(*Fonts[3]);
        label->Font->Color = TColor(KeyColor(31));
    }
    MsgPage->Color = TColor(KeyColor(1));
    MsgPage->Canvas->Font->Assign(*Fonts[4]);
    Panel1->ClientWidth = 24 * MsgPage->Canvas->TextWidth("0") + 6;
    FormResize(this);
    Panel2->Color = TColor(KeyColor(17));
    PaintBox1->Color = TColor(KeyColor(17));
    DrawGrid1->Color = TColor(KeyColor(17));
    Panel5->Color = TColor(KeyColor(34));
    DrawGrid1->FixedColor = TColor(KeyColor(34));
    if (CmdBox) {
        CmdBox->Background = KeyColor(1);
        CmdBox->Refresh();
    }
}

void TRendForm::AddRequestStocks(EArray<STKMS> *list)
{
    if (!list)
        return;
    const StockView v = Look();
    if (!v.Static || StockIndex(Attr.Stock) > 4095)
        return;
    if (MFrame && !MFrame->HasMarketRight(StockMarket(Attr.Stock), v.Static->Class))
        return;
    const STKMS key = MakeSTKMS(StockMarket(Attr.Stock), StockIndex(Attr.Stock));
    for (int k = list->GetCount(); k-- > 0;)
        if (list->GetAt(k) == key)
            return;
    list->Add(key);
}

int TRendForm::Notify(int code, int a, int b, intptr_t c)
{
    const StockId id = StockId(uint32_t(a));
    const StockId own = Attr.Stock;
    switch (code) {
    case 0:
        if (StockMarket(id) == StockMarket(own) && (id == own || b == 1) && c != 0) {
            TDrawView::Notify(code, a, b, c);
            Canvas->Pen->Mode = pmCopy;
            for (int i = 0; i < PaneCount && Panes[i]; ++i)
                if (!Panes[i]->HistoryWanted) {
                    Panes[i]->ScrollToEnd = 1;
                    Panes[i]->UpdateLastBar();
                }
            RepaintChart(nullptr, true);
        }
        break;
    case 1: {
        if (id == own)
            break;
        // A list handed over with the attributes replaces the one held, which
        // is also given up unless the view stepped through it itself.
        if (!BrowseMoved || c)
            ReleaseBrowseList();
        BrowseMoved = 0;
        if (c) {
            const VIEW_ATTR &given = *reinterpret_cast<const VIEW_ATTR *>(c);
            BrowseList = FindBrowseList(BrowseListHandle(given)) ? BrowseListHandle(given) : 0;
            BrowseIndex = BrowseList ? ::BrowseIndex(const_cast<VIEW_ATTR &>(given)) : 0;
        }
        SetBrowseListHandle(Attr, BrowseList);
        ::BrowseIndex(Attr) = BrowseIndex;
        Attr.Stock = id;
        Attr.BlockId = b;
        LoadStock(false);
        RepaintChart(nullptr, true);
        if (!PageKeyHeld && MFrame && MFrame->GetFrameWindow())
            PostMessageA(MFrame->GetFrameWindow(), 2626, 0, 0);
        break;
    }
    case 8:
        if (b == 0) {
            Attr.Stock = NextStockInBlock(Attr.BlockId, own);
            LoadStock(true);
            RepaintChart(this, true);
        }
        break;
    case 11:
    case 13:
        if (id == own) {
            LoadStock(true);
            RepaintChart(nullptr, true);
        }
        break;
    case 15:
        if (b == 1)
            PostMessageA(Handle, WM_KEYDOWN, VK_UP, 0);
        else if (b == -1)
            PostMessageA(Handle, WM_KEYDOWN, VK_DOWN, 0);
        break;
    default:
        break;
    }
    return 0;
}

void TRendForm::RefreshData()
{
    const uint32_t now = GetTickCount();
    if (ReloadedOnce && LastReloadStock == Attr.Stock && now - LastReloadTime < 2000)
        return;
    ReloadedOnce = true;
    LastReloadStock = Attr.Stock;
    LastReloadTime = now;
    TMFrame *frame = MainFrame();
    if (!frame || !(frame->GetConnectionState() & 1))
        return;
    const StockView v = Look();
    if (!v.Static)
        return;
    // The file is fetched again; a code that would name another file is left alone.
    char path[512];
    const std::string code = FieldText(v.Static->Code, sizeof v.Static->Code);
    if (DataFilePath(path, sizeof path, *v.Market, "tick", code.c_str(), "tik"))
        DeleteFileA(path);
    LoadStock(false);
    RepaintChart(this, false);
}

void TRendForm::LoadStock(bool keepPanes)
{
    const StockView v = Look();
    if (!v.Static)
        return;
    WatchPage->Visible = false;
    if (v.IsIndex) {
        TickMode = 0;
        Attr.Flags |= FlagTrend;
    }
    if (!keepPanes) {
        for (int i = 0; i < PaneCount; ++i) {
            if (Panes[i])
                Panes[i]->Stock = Attr.Stock;
            else
                // Modes 0 price, 1 volume, 2 open interest; anything else a
                // page file holds gives the pane's default.
                Panes[i] = new TDynIndex(Attr.Stock, Attr.Items[i] >= 0 && Attr.Items[i] <= 2 ? Attr.Items[i] : i);
            Panes[i]->TickMode = TickMode;
            Panes[i]->ScrollToEnd = 1;
            Panes[i]->OwnerSerial = Serial;
            Panes[i]->RequestMissingTicks = 1;
            Panes[i]->Compute();
        }
        CalcLayout();
        UseDefaultRatios = 0;
        SetCrossClip(&Chart);
    } else {
        for (TDynIndex *pane : Panes)
            if (pane) {
                pane->ScrollToEnd = 1;
                pane->Stock = Attr.Stock;
                pane->Compute();
            }
    }
    SetupDetailGrid();
}

// ---- layout and painting ------------------------------------------------------------------

void TRendForm::CalcLayout()
{
    const int width = ClientWidth, height = ClientHeight;
    Canvas->Font->Assign(*Fonts[1]);
    const int titleHeight = Canvas->TextHeight("0") + 6;
    Chart.left = 1;
    Chart.top = height > titleHeight ? titleHeight : 0;
    Chart.right = std::max(width - (Panel1->Visible ? Panel1->Width : 0) - 1, int(Chart.left));
    Chart.bottom = height - AxisHeight - 1;
    AxisRect = RECT{Chart.left, height - AxisHeight, Chart.right, height - 1};

    const int count = std::clamp(PaneCount, 1, 3);
    double w[6], S[6];
    bool defaults = UseDefaultRatios != 0;
    if (!defaults) {
        double sum = 0;
        for (int i = 0; i < 3; ++i) {
            w[i] = PaneRect[i].bottom - PaneRect[i].top + 1;
            sum += w[i];
            S[i] = sum;
        }
        for (int i = 0; i < count - 1; ++i)
            defaults = defaults || w[i] < 2;
        // Heights that sum to nothing (a layout in a tiny window) give no ratio.
        for (int i = 0; i < count; ++i)
            defaults = defaults || w[i] < 1;
        defaults = defaults || S[count - 1] <= 0;
    }
    if (defaults) {
        double sum = 0;
        for (int i = 0; i < 6; ++i) {
            w[i] = kDefaultWeights[i];
            sum += w[i];
            S[i] = sum;
        }
    }
    const double avail = height - Chart.top - 2 - AxisHeight - count;
    double acc = 0;
    for (int i = 3; i >= count; --i)
        PaneRect[i] = RECT{};
    for (int i = count - 1; i >= 0; --i) {
        RECT &r = PaneRect[i];
        r.left = 1;
        r.right = Chart.right;
        r.bottom = Chart.bottom - int(acc) - 1;
        acc = std::floor(avail * w[i] / S[count - 1] + 2.0 + acc);
        r.top = i == 0 ? Chart.top : Chart.bottom - int(acc) + 1;
    }
    WatchPage->Top = Chart.top;
    WatchPage->ClientHeight = std::min(int(WatchPage->ClientHeight), 230);

    ReleaseBackBuffer();
    HDC screen = Canvas->Handle;
    BackDC = CreateCompatibleDC(screen);
    SetBkColor(BackDC, KeyColor(1));
    BackBitmap = CreateCompatibleBitmap(screen, std::max(width, 1), std::max(height, 1));
    SelectObject(BackDC, BackBitmap);
}

std::string TRendForm::TitleText() const
{
    const StockView v = Look();
    if (!v.Static)
        return "";
    return std::string(TickMode ? "即时走势--" : "分时走势--") + FieldText(v.Static->Name, sizeof v.Static->Name) +
           "(" + FieldText(v.Static->Code, sizeof v.Static->Code) + ")";
}

void TRendForm::RepaintChart(TObject *Sender, bool withBase)
{
    if (withBase)
        TDrawView::FormPaint(Sender);
    const StockView v = Look();
    if (!v.Static || !BackDC)
        return;
    HDC dc = BackDC;
    {
        HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(14));
        HBRUSH brush = CreateSolidBrush(KeyColor(1));
        HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
        Rectangle(dc, -1, -1, Chart.right + 1, std::max(Chart.bottom, AxisRect.bottom) + 1);
        const POINT frame[4] = {{0, Chart.top - 1},
                                {0, AxisRect.bottom + 1},
                                {Chart.right + 1, AxisRect.bottom + 1},
                                {Chart.right + 1, Chart.top - 1}};
        Polyline(dc, frame, 4);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
    }
    {
        // FONT16 at the pixel height of its text, half as wide.
        Canvas->Font->Assign(*Fonts[15]);
        const int h = Canvas->TextHeight("0");
        const AnsiString face = Fonts[15]->Name;
        SelectedObject font(dc, CreateFontA(h, h / 2, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str()));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, KeyColor(30));
        const std::string title = TitleText() + std::string(8, ' ');
        TextOutA(dc, Chart.left + 2, 3, title.c_str(), int(title.size()));
    }
    if (DisplayMode == 0) {
        HPEN pen = CreatePen(PS_SOLID, 2, KeyColor(14));
        HGDIOBJ old = SelectObject(dc, pen);
        for (int i = 0; i < PaneCount && Panes[i]; ++i) {
            MoveToEx(dc, 1, PaneRect[i].bottom + 1, nullptr);
            LineTo(dc, PaneRect[i].right - 1, PaneRect[i].bottom + 1);
        }
        SelectObject(dc, old);
        DeleteObject(pen);
        for (int i = 0; i < PaneCount && Panes[i]; ++i)
            Panes[i]->Draw(dc, &PaneRect[i]);
        if (Panes[0])
            Panes[0]->DrawTimeAxis(dc, &AxisRect);
    } else if (DisplayMode == 1) {
        UpdateGridRows();
        UpdateDetailCaption();
        DrawGrid1->Invalidate();
    } else {
        PaintBars();
    }
    if (Panel1->Visible && withBase)
        Panel1->Invalidate();
    Painted = 1;
    if (!Splitter && WatchPage->Visible)
        UpdateInfoColumn(CursorIndex);
    BitBlt(Canvas->Handle, 0, 0, ClientWidth, ClientHeight, BackDC, 0, 0, SRCCOPY);
    TagWidth1 = TagWidth2 = 0;
    CrossShown = 0;
}

void TRendForm::PaintBars()
{
    if (!BackDC || !Bars)
        return;
    HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(14));
    HGDIOBJ old = SelectObject(BackDC, pen);
    MoveToEx(BackDC, 0, Chart.bottom + 1, nullptr);
    LineTo(BackDC, Chart.right, Chart.bottom + 1);
    SelectObject(BackDC, old);
    DeleteObject(pen);
    Bars->Draw(BackDC, &Chart);
}

void TRendForm::FormPaint(TObject *)
{
    if (!BackDC)
        return;
    if (DisplayMode == 2)
        PaintBars();
    else if (DisplayMode == 1) {
        UpdateGridRows();
        DrawGrid1->Invalidate();
    }
    BitBlt(Canvas->Handle, 0, 0, ClientWidth, ClientHeight, BackDC, 0, 0, SRCCOPY);
    TagWidth1 = TagWidth2 = 0;
    CrossShown = 0;
}

void TRendForm::FormResize(TObject *Sender)
{
    TDrawView::FormResize(Sender);
    CalcLayout();
    for (TDynIndex *pane : Panes)
        if (pane)
            pane->ScrollToEnd = 1;
    RepaintChart(Sender, true);
}

void TRendForm::FormClose(TObject *Sender, TCloseAction &Action)
{
    TDrawView::FormClose(Sender, Action);
    DeletePanes();
    delete Bars;
    Bars = nullptr;
    ReleaseBackBuffer();
    Action = caFree;
}

// ---- information column, status and cross-hair -------------------------------------------------

void TRendForm::UpdateInfoColumn(int index)
{
    const StockView v = Look();
    const bool trend = TickMode == 0, three = PaneCount >= 3;
    const char *amountCaption = v.Kind == 1 ? "金额" : "持仓";
    TLabel *const *L = Labels;
    auto showUpTo = [&](int lastCaption, int lastValue, int bottomLabel) {
        for (int i = 0; i < 13; ++i)
            L[i]->Visible = true;
        L[4]->Visible = lastCaption >= 4;
        L[9]->Visible = lastValue >= 9;
        L[10]->Visible = lastCaption >= 10;
        L[11]->Visible = lastValue >= 11;
        const int h = L[0]->Height;
        WatchPage->Height = bottomLabel >= 0 ? L[bottomLabel]->Top + 2 * h + 2 : L[4]->Top;
    };
    if (trend && three) {
        L[4]->Caption = "均价";
        L[10]->Caption = amountCaption;
        showUpTo(10, 11, 11);
    } else if (trend) {
        L[4]->Caption = "均价";
        showUpTo(4, 9, 9);
    } else if (three) {
        L[4]->Caption = amountCaption;
        showUpTo(4, 9, 9);
    } else {
        showUpTo(3, 8, -1);
    }
    for (int i : {5, 12, 6, 7, 8, 9, 11})
        L[i]->Font->Color = TColor(KeyColor(31));
    const char *none = "------";
    TDynIndex *p0 = Panes[0];
    const bool data = v.Static && v.Quote && p0 && index >= 0 && index < p0->PointTotal() && p0->Records;
    if (!data) {
        for (int i : {5, 6, 7, 8, 9, 11})
            L[i]->Caption = none;
        L[12]->Caption = "";
        return;
    }
    const KLineRecord &r = p0->Records[index];
    PackedDateTime t = r.Time;
    ShiftPackedTimeByZone(StockMarket(Attr.Stock), v.Static->Class, t);
    char text[64];
    std::snprintf(text, sizeof text, "%02d%02d", PackedMonth(t), PackedDay(t));
    L[5]->Caption = text;
    std::snprintf(text, sizeof text, "%02d:%02d", PackedHour(t), PackedMinute(t));
    L[12]->Caption = text;
    const double price = double(r.Close) / v.Scale, prev = double(v.Quote->PrevClose) / v.Scale;
    const TColor priceColour = TColor(ChangeColorIndex(r.Close, v.Quote->PrevClose));
    std::snprintf(text, sizeof text, "%-8.*f", v.Decimals, price);
    L[6]->Caption = text;
    L[6]->Font->Color = priceColour;
    std::snprintf(text, sizeof text, "%-8.*f", v.Decimals, price - prev);
    L[7]->Caption = text;
    L[7]->Font->Color = priceColour;
    std::snprintf(text, sizeof text, "%-.0f", double(r.Volume) / v.Unit);
    L[8]->Caption = text;
    auto value = [&](TDynIndex *pane, int line, const char *format, int decimals) -> std::string {
        if (!pane || !pane->Lines[line] || index >= pane->LineCapacity || IsOutOfRangeValue(pane->Lines[line][index]))
            return none;
        char out[64];
        std::snprintf(out, sizeof out, format, decimals, double(pane->Lines[line][index]));
        return out;
    };
    if (trend) {
        L[9]->Caption = value(p0, 1, "%-8.*f", v.Decimals).c_str();
        L[9]->Font->Color = priceColour;
        if (three)
            L[11]->Caption = value(Panes[2], 0, "%-.*f", 0).c_str();
    } else if (three) {
        L[9]->Caption = value(Panes[2], 0, "%-.*f", 0).c_str();
    }
}

int TRendForm::PaneAt(int x, int y) const
{
    for (int i = 0; i < PaneCount && i < 3; ++i)
        if (Panes[i] && PointInRect(x, y, PaneRect[i].left, PaneRect[i].top, PaneRect[i].right, PaneRect[i].bottom))
            return i;
    return -1;
}

void TRendForm::ShowPointInStatus(int pane, int x, int y)
{
    TMFrame *frame = MainFrame();
    if (!frame)
        return;
    int record = 0;
    PackedDateTime t = 0;
    float value = 0;
    char when[32] = "N/A", what[32] = "N/A";
    if (pane >= 0 && pane < 3 && Panes[pane] && Panes[pane]->PointToValue(POINT{x, y}, record, t, value)) {
        std::snprintf(when, sizeof when, "%02d/%02d %02d:%02d", PackedMonth(t), PackedDay(t), PackedHour(t),
                      PackedMinute(t));
        std::snprintf(what, sizeof what, "%-10.3f", double(value));
    }
    // The frame's status bar serves boxes 0, 3 and 5: these two show nothing.
    frame->SetStatusText(1, when);
    frame->SetStatusText(2, what);
}

void TRendForm::FormatCursorTags(int pane, int decimals, int x, int y, char *valueText, char *timeText)
{
    valueText[0] = timeText[0] = 0;
    if (pane < 0 || pane > 2 || !Panes[pane])
        return;
    int record = 0;
    PackedDateTime t = 0;
    float value = 0;
    if (!Panes[pane]->PointToValue(POINT{x, y}, record, t, value))
        return;
    if (value < -1e7f || value >= 1e7f)
        std::snprintf(valueText, 32, "%-.3E", double(value));
    else
        std::snprintf(valueText, 32, "%-.*f", std::clamp(decimals, 0, 6), double(value));
    if (Attr.Param == 8 || Attr.Param == 9 || Attr.Param == 10)
        std::snprintf(timeText, 32, "%04d-%02d-%02d", PackedYear(t), PackedMonth(t), PackedDay(t));
    else
        std::snprintf(timeText, 32, "%02d/%02d %02d:%02d", PackedMonth(t), PackedDay(t), PackedHour(t),
                      PackedMinute(t));
}

void TRendForm::DrawCrossHair(HDC dc, int x, int y, bool keepPrevious)
{
    if (!dc)
        dc = Canvas->Handle;
    const int pane = PaneAt(x, y);
    HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(16));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int oldRop = SetROP2(dc, R2_XORPEN);
    auto cross = [&](int cx, int cy) {
        MoveToEx(dc, Chart.left, cy, nullptr);
        LineTo(dc, Chart.right, cy);
        MoveToEx(dc, cx, Chart.top, nullptr);
        LineTo(dc, cx, Chart.bottom);
    };
    const RECT &c = Chart;
    if (!keepPrevious && PointInRect(CrossAt.x, CrossAt.y, c.left, c.top, c.right, c.bottom))
        cross(CrossAt.x, CrossAt.y);
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    // The tag areas come back from the buffer.
    const int H = ThemeFontHeight(10) > 0 ? ThemeFontHeight(10) : 12;
    if (BackDC) {
        if (TagWidth1 > 0)
            BitBlt(dc, ValueTag.left, ValueTag.top, ValueTag.right - ValueTag.left, ValueTag.bottom - ValueTag.top,
                   BackDC, ValueTag.left, ValueTag.top, SRCCOPY);
        if (TagWidth2 > 0)
            BitBlt(dc, TimeTag.left, TimeTag.top, TimeTag.right - TimeTag.left, TimeTag.bottom - TimeTag.top, BackDC,
                   TimeTag.left, TimeTag.top, SRCCOPY);
    }
    TagWidth1 = TagWidth2 = 0;
    const bool erasing = CrossShown && keepPrevious;
    CrossAt = POINT{x, y};
    if (!PointInRect(x, y, c.left, c.top, c.right, c.bottom))
        return;
    pen = CreatePen(PS_SOLID, 1, KeyColor(16));
    oldPen = SelectObject(dc, pen);
    const int rop = SetROP2(dc, R2_XORPEN);
    cross(x, y);
    SetROP2(dc, rop);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    // Drawn again at the same point the cross came off: no tags then.
    if (erasing || pane < 0)
        return;
    char valueText[32], timeText[32];
    const StockView v = Look();
    FormatCursorTags(pane, pane == 0 ? v.Decimals : 0, x, y, valueText, timeText);
    if (!valueText[0])
        return;
    SelectedObject font(dc, CreateThemeFont(6));
    const int oldMode = SetBkMode(dc, OPAQUE);
    SetTextColor(dc, KeyColor(16));
    SetBkColor(dc, KeyColor(25));
    HBRUSH frameBrush = CreateSolidBrush(KeyColor(25) ^ 0xFFFFFF);
    auto tag = [&](RECT r, const char *text) {
        HBRUSH fill = CreateSolidBrush(KeyColor(25));
        FillRect(dc, &r, fill);
        DeleteObject(fill);
        TextOutA(dc, r.left + 1, r.top, text, int(std::strlen(text)));
        FrameRect(dc, &r, frameBrush);
    };
    const int half = std::max(H / 2, 1);
    const int w1 = int(std::strlen(valueText)) * half + 2;
    ValueTag = RECT{c.right - w1, y - H - 1, c.right, y};
    if (ValueTag.left <= x)
        ValueTag = RECT{c.left, y - H - 1, c.left + w1, y};
    tag(ValueTag, valueText);
    TagWidth1 = w1;
    const int w2 = int(std::strlen(timeText)) * half + 2;
    int left = x;
    if (left + w2 > c.right)
        left = c.right - w2;
    TimeTag = RECT{left, AxisRect.top, left + w2, AxisRect.top + H + 1};
    tag(TimeTag, timeText);
    TagWidth2 = w2;
    DeleteObject(frameBrush);
    SetBkMode(dc, oldMode);
}

// ---- registration ---------------------------------------------------------------------------

namespace {

TMultiViewChild *MakeRendForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new TRendForm(page, node, attr);
}

void (*OtherChartKeyDown)(TMultiViewChild *, WORD, bool) = nullptr;

// The command box's scroll keys: the intraday chart's own, any other chart's
// through the hook it had.
void IntradayChartKeyDown(TMultiViewChild *pane, WORD key, bool shift)
{
    if (auto *chart = dynamic_cast<TRendForm *>(pane)) {
        WORD k = key;
        TShiftState state;
        if (shift)
            state << ssShift;
        chart->FormKeyDown(chart, k, state);
    } else if (OtherChartKeyDown) {
        OtherChartKeyDown(pane, key, shift);
    }
}

} // namespace

void RegisterIntradayChart()
{
    RegisterViewMaker(VIEW_TREND, MakeRendForm);
    ViewHooks.SwitchTickMode = [](TMultiViewChild *pane) {
        if (auto *chart = dynamic_cast<TRendForm *>(pane))
            chart->N16Click(nullptr);
    };
    if (ViewHooks.ChartKeyDown != IntradayChartKeyDown) {
        OtherChartKeyDown = ViewHooks.ChartKeyDown;
        ViewHooks.ChartKeyDown = IntradayChartKeyDown;
    }
}
