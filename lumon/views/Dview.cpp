#include "lumon/views/Dview.h"

#include <cstring>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/EToolTip.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/BigAmount.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/SelStockDlg.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/views/ChartPrint.h"
#include "lumon/views/ViewCommon.h"
#include "platform/forms/TCSpinEdit.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TPrintDialog.h"
#include "platform/forms/TStringGrid.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TFont.h"
#include "platform/win/Cursor.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// Posted to the main frame when a chart pane is activated.
constexpr UINT WM_CHART_ACTIVATED = 0x8009;

TMenuItem *NewItem(TComponent *owner, TMenuItem *parent, const char *caption)
{
    auto *item = new TMenuItem(owner);
    item->Caption = caption;
    parent->Add(item);
    return item;
}

} // namespace

TDrawView::TDrawView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TChildView(page, node, attr)
{
    BuildComponents();
    BuildMenu();
    // Nothing paints before ReloadView.
    OnResize = nullptr;
    OnPaint = nullptr;
    MsgPage->OnPaint = nullptr;

    Color = TColor(KeyColor(1));
    Panel1->Color = Color;
    MsgPage->Color = Color;
    MsgPage->Canvas->Font->Assign(*Fonts[4]);
    Panel1->ClientWidth = 24 * MsgPage->Canvas->TextWidth("0") + 6;
    Panel1->Visible = State->InfoWindow != 0;
    N5->Checked = Panel1->Visible;

    SetBrokerCaption();
    if (BrokerMode == 1 && !BrokerTable)
        LoadBrokerTable();

    ChartRect = RECT{0, 0, ClientWidth, ClientHeight};
    TicksStale = 1;
    Canvas->Font->Assign(*Fonts[10]);
    const int h = Canvas->TextHeight("0");
    HDC dc = Canvas->Handle;
    TagSave1 = CreateCompatibleBitmap(dc, h * 32, h * 2 + 8);
    TagSave2 = CreateCompatibleBitmap(dc, h * 64, h + 4);
    // The page gave this view a reference to the attributes' browse list; the
    // attributes keep the handle only as a mirror of what the view holds.
    if (HasRuntimeArea(Attr.ViewType)) {
        BrowseList = FindBrowseList(BrowseListHandle(Attr)) ? BrowseListHandle(Attr) : 0;
        BrowseIndex = BrowseList ? ::BrowseIndex(Attr) : 0;
        if (!BrowseList) {
            SetBrowseListHandle(Attr, 0);
            ::BrowseIndex(Attr) = 0;
        }
    }
    BrowseMoved = 0;
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
}

TDrawView::~TDrawView()
{
    delete CmdBox;
    CmdBox = nullptr;
    EMemFree(TickBuf);
    TickBuf = nullptr;
    ReleaseBrowseList();
    DeleteObject(TagSave1);
    DeleteObject(TagSave2);
}

void TDrawView::BuildComponents()
{
    WatchPage = new TPanel(this);
    WatchPage->Parent = this;
    WatchPage->Visible = false;

    Panel1 = new TPanel(this);
    Panel1->Parent = this;
    Panel1->Align = alRight;
    Panel1->Color = clBlack;
    Panel1->BevelOuter = bvNone;
    Panel1->Caption = "";
    Panel1->Visible = false;
    Panel1->OnClick = [this](TObject *s) { Panel1Click(s); };

    StringGrid1 = new TStringGrid(this);
    StringGrid1->Parent = Panel1;
    StringGrid1->Align = alBottom;
    StringGrid1->ColCount = 2;
    StringGrid1->RowCount = 41;
    StringGrid1->FixedCols = 0;
    StringGrid1->DefaultRowHeight = 24;
    StringGrid1->GridLineWidth = 0;
    StringGrid1->ScrollBars = ssVertical;
    StringGrid1->Visible = false;
    StringGrid1->OnDrawCell = [this](TObject *s, int c, int r, TRect rect, TGridDrawState st) {
        StringGrid1DrawCell(s, c, r, rect, st);
    };
    StringGrid1->OnMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { StringGrid1MouseMove(s, sh, x, y); };

    MsgPage = new TPaintBox(this);
    MsgPage->Parent = Panel1;
    MsgPage->Align = alClient;
    MsgPage->Font->Name = "Tahoma";
    MsgPage->Font->Color = clYellow;
    MsgPage->OnMouseDown = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        MsgPageMouseDown(s, b, sh, x, y);
    };
    MsgPage->OnMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { MsgPageMouseMove(s, sh, x, y); };

    PrintDialog1 = new TPrintDialog(this);
}

void TDrawView::BuildMenu()
{
    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->AutoPopup = false;
    TMenuItem *root = PopupMenu1->Items;
    Back = NewItem(this, root, "后退");
    Back->OnClick = [this](TObject *) {
        TWinControl *active = ActiveControl;
        PostMessageA(active ? active->Handle : Handle, WM_KEYDOWN, VK_ESCAPE, 0);
    };
    Changeform = NewItem(this, root, "变换画面");
    auto pageItem = [this](const char *caption, UINT command) {
        TMenuItem *item = NewItem(this, Changeform, caption);
        item->OnClick = [this, command](TObject *) { PostToPage(command); };
        return item;
    };
    auto keyItem = [this](const char *caption, WORD key) {
        TMenuItem *item = NewItem(this, Changeform, caption);
        item->OnClick = [this, key](TObject *) { PostMessageA(Handle, WM_KEYDOWN, key, 0); };
        return item;
    };
    Repfm = pageItem("报价画面", WM_PANE_REPORT);
    Tickfm = pageItem("闪电图", WM_PANE_TICK);
    Minfm = pageItem("分时图", WM_PANE_TREND);
    Keckfm = pageItem("K线图", WM_PANE_KLINE);
    Newsfm = pageItem("新闻资讯", WM_PANE_NEWS);
    Detailfm = keyItem("成交报表", VK_F1);
    Barfm = keyItem("价量分布", VK_F2);
    N2 = NewItem(this, root, "变更商品");
    N2->OnClick = [this](TObject *s) { N2Click(s); };
    AddBk = NewItem(this, root, "加入自选板块");
    Nanaly = NewItem(this, root, "技术分析");
    N11 = NewItem(this, Nanaly, "选择指标");
    N3 = NewItem(this, Nanaly, "变更参数");
    N11->Enabled = false;
    N3->Enabled = false;
    N6 = NewItem(this, root, "视图组合");
    N7 = NewItem(this, N6, "一图组合");
    N8 = NewItem(this, N6, "二图组合");
    N9 = NewItem(this, N6, "三图组合");
    N10 = NewItem(this, N6, "四图组合");
    for (TMenuItem *item : {N7, N8, N9, N10}) {
        item->RadioItem = true;
        item->GroupIndex = 1;
    }
    N9->Checked = true;
    N5 = NewItem(this, root, "信息窗口");
    N5->OnClick = [this](TObject *s) { N5Click(s); };
    dadantiqu = NewItem(this, root, "大单提取");
    dadantiqu->OnClick = [this](TObject *s) { dadantiquClick(s); };
    showbroker = NewItem(this, root, "显示经纪队列");
    showbroker->OnClick = [this](TObject *s) { showbrokerClick(s); };
    NSync = NewItem(this, root, "联动(&S)");
    NSync->OnClick = [this](TObject *s) { NSyncClick(s); };
    prt = NewItem(this, root, "打印...");
    prt->OnClick = [this](TObject *s) { prtClick(s); };
    prt->Visible = false;
    PopupMenu1->OnPopup = [this](TObject *s) { PopupMenu1Popup(s); };
    StringGrid1->PopupMenu = PopupMenu1;
}

// ---- look-ups -----------------------------------------------------------------------

TDrawView::StockView TDrawView::Look() const
{
    StockView v;
    const StockId id = Attr.Stock;
    const int m = StockMarket(id), s = StockIndex(id);
    if (m >= MaxMarkets || m >= MarketTable.Count || !MarketTable.Markets[m])
        return v;
    TMarketData *md = MarketTable.Markets[m];
    v.Market = md;
    v.Kind = md->Info.Type;
    if (!md->Statics || !md->Quotes || s >= md->StockCount)
        return v;
    v.Static = &md->Statics[s];
    v.Quote = &md->Quotes[s];
    v.Info = md->Infos ? &md->Infos[s] : nullptr;
    const int cls = v.Static->Class;
    if (cls < md->Info.ClassCount && cls < 15) {
        v.Class = &md->Info.Classes[cls];
        v.IsIndex = v.Class->IsIndex != 0;
    }
    v.Scale = PriceScaleOf(*v.Static);
    v.Unit = VolumeUnitOf(*v.Static);
    v.Decimals = DecimalsOf(*v.Static);
    return v;
}

// ---- cross-hair ---------------------------------------------------------------------

bool TDrawView::PointInRect(int x, int y, int left, int top, int right, int bottom)
{
    return x >= left && x <= right && y >= top && y <= bottom;
}

void TDrawView::DrawCrossHair(HDC dc, int x, int y, bool keepPrevious)
{
    if (!dc)
        dc = Canvas->Handle;
    HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(16));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int oldRop = SetROP2(dc, R2_XORPEN);
    auto cross = [&](int cx, int cy) {
        MoveToEx(dc, ChartRect.left, cy, nullptr);
        LineTo(dc, ChartRect.right, cy);
        MoveToEx(dc, cx, ChartRect.top, nullptr);
        LineTo(dc, cx, ChartRect.bottom);
    };
    const RECT &r = ChartRect;
    if (!keepPrevious && PointInRect(CrossAt.x, CrossAt.y, r.left, r.top, r.right, r.bottom))
        cross(CrossAt.x, CrossAt.y);
    if (ClipSet && ClipSource)
        ChartRect = *ClipSource;
    if (PointInRect(x, y, r.left, r.top, r.right, r.bottom))
        cross(x, y);
    CrossAt = POINT{x, y};
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void TDrawView::SetCrossClip(RECT *r)
{
    if (r) {
        ClipSource = r;
        ClipSet = 1;
    }
}

void TDrawView::ClipCursorToRect(RECT *r)
{
    if (!r) {
        ClipCursor(nullptr);
        return;
    }
    TPoint a = ClientToScreen(TPoint(r->left, r->top));
    TPoint b = ClientToScreen(TPoint(r->right, r->bottom));
    RECT screen{a.x, a.y, b.x, b.y};
    ClipCursor(&screen);
}

void TDrawView::EraseCrossHair(HDC dc)
{
    if (!CrossShown)
        return;
    DrawCrossHair(dc, MousePos.x, MousePos.y, true);
    CrossShown = 0;
}

COLORREF TDrawView::ChangeColorIndex(uint32_t value, uint32_t reference)
{
    if (value > reference)
        return KeyColor(21);
    if (value == reference)
        return KeyColor(20);
    return KeyColor(19);
}

void TDrawView::ReleaseBrowseList()
{
    if (BrowseList)
        ::ReleaseBrowseList(BrowseList);
    BrowseList = 0;
    BrowseIndex = 0;
    BrowseMoved = 0;
    if (HasRuntimeArea(Attr.ViewType)) {
        SetBrowseListHandle(Attr, 0);
        ::BrowseIndex(Attr) = 0;
    }
}

// ---- pane operations -------------------------------------------------------------------

void TDrawView::PlaceViewCmdBox()
{
    if (!CmdBox)
        return;
    const int own = CmdBox->Count;
    int x;
    if (Panel1->Visible) {
        x = Panel1->Left - own * 17 - 1;
    } else {
        const int pane = TMultiViewChild::CmdBox ? TMultiViewChild::CmdBox->Count : 0;
        x = ClientWidth - (pane + own) * 17 - 3;
    }
    CmdBox->MoveTo(x, 2);
}

void TDrawView::ReloadView()
{
    if (!CmdBox) {
        const int kinds[2] = {5, 6};
        CmdBox = new TMVCmdBox(this, kinds, 2);
    }
    CmdBox->Background = KeyColor(1);
    PlaceViewCmdBox();
    CmdBox->Refresh();
    OnResize = [this](TObject *s) { FormResize(s); };
    OnPaint = [this](TObject *s) { FormPaint(s); };
    MsgPage->OnPaint = [this](TObject *s) { MsgPagePaint(s); };
}

void TDrawView::SetColors()
{
    if (CmdBox) {
        CmdBox->Background = KeyColor(1);
        CmdBox->Refresh();
    }
}

void TDrawView::WriteViewState(VIEW_STATE &state) { state.InfoWindow = N5->Checked ? 1 : 0; }

void TDrawView::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_SIZE:
        Painted = 0;
        PostMessageA(Handle, WM_PAINT, 0, 0);
        break;
    case WM_PAINT:
        if (CrossShown)
            InvalidateRect(Handle, nullptr, TRUE);
        break;
    case WM_SETCURSOR:
        if (Panel1->HandleAllocated() && HWND(Message.WParam) == Panel1->Handle) {
            SetCursor(LoadCursorA(0, IDC_ARROW));
            Message.Result = 1;
            return;
        }
        break;
    case WM_NCPAINT:
    case WM_NCMOUSEMOVE:
        EraseCrossHair(0);
        break;
    case WM_MDIACTIVATE:
        if (MFrame && MFrame->GetFrameWindow())
            PostMessageA(MFrame->GetFrameWindow(), WM_CHART_ACTIVATED, 0, 0);
        break;
    }
    TChildView::WndProc(Message);
}

// ---- form handlers ---------------------------------------------------------------------

void TDrawView::FormResize(TObject *)
{
    if (!ClipSet)
        ChartRect = RECT{0, 0, ClientWidth, ClientHeight};
    const int room = Panel1->Width + 100;
    if (N5->Checked && !Panel1->Visible && ClientWidth > room)
        Panel1->Visible = true;
    else if (ClientWidth <= room && Panel1->Visible)
        Panel1->Visible = false;
    PlaceViewCmdBox();
    if (Panel1->Height < PanelHeight && StringGrid1->Visible)
        MsgPagePaint(MsgPage);
}

void TDrawView::FormPaint(TObject *) { EraseCrossHair(0); }

void TDrawView::N5Click(TObject *)
{
    N5->Checked = !N5->Checked;
    Panel1->Visible = N5->Checked;
    PlaceViewCmdBox();
    LayoutPanes();
    Invalidate();
}

void TDrawView::FormMouseDown(TObject *, TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button == mbLeft) {
        LeftDown = 1;
    } else if (Button == mbRight) {
        TPoint p = ClientToScreen(TPoint(X, Y));
        PopupMenu1->Popup(p.x, p.y);
    }
}

void TDrawView::FormMouseUp(TObject *, TMouseButton Button, TShiftState, int, int)
{
    if (Button == mbLeft)
        LeftDown = 0;
}

void TDrawView::FormMouseMove(TObject *, TShiftState, int X, int Y)
{
    MousePos = POINT{X, Y};
    if (!CrossMode || !Painted || (X == CrossAt.x && Y == CrossAt.y))
        return;
    if (!CrossShown) {
        DrawCrossHair(0, X, Y, true);
        CrossShown = 1;
    } else {
        DrawCrossHair(0, X, Y, false);
    }
}

void TDrawView::MsgPageMouseDown(TObject *, TMouseButton Button, TShiftState, int X, int Y)
{
    Activate();
    if (Button == mbRight) {
        TPoint p = ClientToScreen(TPoint(Panel1->Left + X, Y));
        PopupMenu1->Popup(p.x, p.y);
    }
}

void TDrawView::MsgPageMouseMove(TObject *, TShiftState, int, int)
{
    if (TMFrame *frame = MainFrame(); frame && frame->HintTip)
        frame->HintTip->Hide();
    PostMessageA(Handle, WM_NCMOUSEMOVE, 0, 0);
}

void TDrawView::Panel1Click(TObject *) { Activate(); }

void TDrawView::FormClose(TObject *Sender, TCloseAction &Action)
{
    TChildView::FormClose(Sender, Action);
    EMemFree(TickBuf);
    TickBuf = nullptr;
    ReleaseBrowseList();
    delete CmdBox;
    CmdBox = nullptr;
    Action = caFree;
}

// ---- menu ---------------------------------------------------------------------------------

void TDrawView::PopupMenu1Popup(TObject *)
{
    NSync->Checked = Link != 0;
    Minfm->Visible = true;
    const StockView v = Look();
    Tickfm->Visible = !v.IsIndex;
    AddBk->Clear();
    TMFrame *frame = MainFrame();
    if (!frame || !frame->Blocks)
        return;
    TBlockGroup *blocks = frame->Blocks;
    for (int i = 0; i < blocks->BlockCount && i < MaxBlocks; ++i) {
        const BlockRecord &b = blocks->Blocks[i];
        if (!b.InUse || b.Kind < 3 || b.Kind > 5)
            continue;
        TMenuItem *item = NewItem(this, AddBk, std::string(b.Name, strnlen(b.Name, sizeof b.Name)).c_str());
        item->Tag = i;
        item->OnClick = [this](TObject *s) { AddBkItemClick(s); };
    }
}

void TDrawView::AddBkItemClick(TObject *Sender)
{
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    TMFrame *frame = MainFrame();
    if (!item || !frame || !frame->Blocks || item->Tag < 0 || item->Tag >= MaxBlocks)
        return;
    BlockRecord &block = frame->Blocks->Blocks[item->Tag];
    const StockId stock = Attr.Stock;
    AppendToBlock(*frame->Blocks, block, stock);
    frame->NotifyViews(10, int32_t(stock), 0, 0);
}

void TDrawView::N2Click(TObject *)
{
    // The chooser is modal and lives only for this call, so none is left open
    // from an earlier one.
    TSelStockDlg chooser(this);
    if (chooser.ShowModal() != mrOk)
        return;
    const StockId stock = chooser.ChosenStock;
    Notify(1, int32_t(stock), StockMarket(stock), 0);
}

void TDrawView::dadantiquClick(TObject *)
{
    if (!Panel1->Visible)
        return;
    int threshold = 0;
    {
        TBigAmount dialog(this);
        if (dialog.ShowModal() != mrOk)
            return;
        threshold = dialog.CSpinEdit1->Value;
    }
    BigOrderVolume = threshold < 0 ? 0 : threshold;
    MsgPage->Repaint();
}

void TDrawView::NSyncClick(TObject *)
{
    ToggleViewLink(this);
    State->Link = Link;
}

void TDrawView::prtClick(TObject *) { PrintView(); }

void TDrawView::PrintView() { PrintWindowPicture(this, PrintDialog1, KeyColor(1)); }

// ---- frame hooks -----------------------------------------------------------------------

void InstallDrawViewHooks()
{
    ViewHooks.RepaintQuotePanel = [](TMultiViewChild *pane) {
        if (auto *view = dynamic_cast<TDrawView *>(pane); view && view->Panel1->Visible) {
            view->Panel1->Repaint();
            view->MsgPage->Repaint();
        }
    };
    ViewHooks.RepaintBrokerGrid = [](TMultiViewChild *pane) {
        if (auto *view = dynamic_cast<TDrawView *>(pane); view && view->StringGrid1->Visible)
            view->StringGrid1->Repaint();
    };
    ViewHooks.ReloadChartData = [](TMultiViewChild *pane) {
        auto *view = dynamic_cast<TDrawView *>(pane);
        if (view)
            view->ReloadData();
        return view != nullptr;
    };
}
