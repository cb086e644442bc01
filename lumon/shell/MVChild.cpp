#include "lumon/shell/MVChild.h"

#include <cassert>
#include <cstring>

#include "lumon/core/Alarm.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/MVMain.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/gdi/Gdi.h"

using namespace win;

const char EmptyPaneHint[] = "点击鼠标右键, 在弹出的菜单中指定窗口内容. ";
static_assert(sizeof EmptyPaneHint - 1 == 42);

namespace {

int32_t paneCounter = 0;

} // namespace

MVCS::~MVCS()
{
    delete History;
    delete State;
}

COLORREF KeyColor(int n)
{
    if (n < 1 || n > 64)
        return 0;
    return static_cast<COLORREF>(ColorTable[n - 1]) & 0xFFFFFF;
}

RECT EmptyPaneTextRect(int width, int height)
{
    RECT r{15, 15, 145, 40};
    if (width <= 160) {
        // A pane 30 pixels wide or narrower would divide by zero or by a
        // negative width: it takes the height of a pane 31 pixels wide.
        int divisor = width - 30 > 0 ? width - 30 : 1;
        r.right = width - 15;
        r.bottom = 15 + 30 + 12 * (210 / divisor);
    }
    (void)height;
    return r;
}

TMultiViewChild::TMultiViewChild(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
    : TForm(page), Node(node), Page(page)
{
    assert(page != nullptr && "Owner != NULL");
    assert(node != nullptr && "pMVCS != NULL");
    if (!node->History)
        node->History = new EArray<VIEW_ATTR>(20);
    if (!node->State) {
        node->State = new VIEW_STATE;
        InitViewState(node->State);
    }
    History = node->History;
    State = node->State;
    Serial = ++paneCounter;
    Link = State->Link;
    if (attr)
        Attr = *attr;
    BorderStyle = bsNone;
    BorderIcons = TBorderIcons();
    Font->Name = "Tahoma";
    Font->Size = 8;
    FontChanged();
    page->Panes->Add(this);
    Parent = page;
    SetBounds(0, 0, 0, 0);
    OnPaint = [this](TObject *s) { FormPaint(s); };
    OnResize = [this](TObject *s) { FormResize(s); };
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
    BuildMenu();
    Visible = true;
    const int kinds[1] = {1};
    CmdBox = new TMVCmdBox(this, kinds, 1);
    CmdBox->Background = KeyColor(17);
    CmdBox->Refresh();
}

TMultiViewChild::~TMultiViewChild()
{
    delete CmdBox;
    CmdBox = nullptr;
    EArray<TMultiViewChild *> *panes = Page->Panes;
    for (int i = 0; i < panes->GetCount(); ++i)
        if (panes->GetAt(i) == this) {
            panes->RemoveAt(i, 1);
            break;
        }
    if (Page->ActivePane == this)
        Page->ActivePane = nullptr;
    if (Page->MaximizedPane == this)
        Page->MaximizedPane = nullptr;
}

void TMultiViewChild::BuildMenu()
{
    MVCPM1 = new TPopupMenu(this);
    auto item = [this](TMenuItem *parent, const char *caption, UINT command) {
        auto *mi = new TMenuItem(this);
        mi->Caption = caption;
        if (command)
            mi->OnClick = [this, command](TObject *) { PostToPage(command); };
        parent->Add(mi);
        return mi;
    };
    TMenuItem *shift = item(MVCPM1->Items, "变换画面(&P)", 0);
    item(shift, "报价画面(&P)", WM_PANE_REPORT);
    item(shift, "闪电图(&T)", WM_PANE_TICK);
    item(shift, "分时图(&M)", WM_PANE_TREND);
    item(shift, "K线图(&K)", WM_PANE_KLINE);
    item(shift, "背景资料(&B)", WM_PANE_TEXT);
    item(shift, "新闻画面(&N)", WM_PANE_NEWS);
    NMVCZoom = item(MVCPM1->Items, "放大(&Z)", 0);
    NMVCZoom->OnClick = [this](TObject *) { PostToPage(Maximized ? WM_PANE_RESTORE : WM_PANE_MAXIMIZE); };
    NMVCZoom->Visible = false;
    TMenuItem *split = item(MVCPM1->Items, "切分窗口(&D)", 0);
    item(split, "横切(&H)", WM_PANE_SPLIT_H);
    item(split, "竖切(&V)", WM_PANE_SPLIT_V);
    item(MVCPM1->Items, "关闭本窗口(&C)", WM_PANE_CLOSE);
    MVCPM1->OnPopup = [this](TObject *) { NMVCZoom->Caption = Maximized ? "还原" : "放大"; };
    PopupMenu = MVCPM1;
}

void TMultiViewChild::PostToPage(UINT msg)
{
    PostMessageA(Page->Handle, msg, 0, reinterpret_cast<LPARAM>(this));
}

int TMultiViewChild::Notify(int, int, int, intptr_t) { return 0; }
void TMultiViewChild::PrintView() {}
void TMultiViewChild::ReloadView() {}
void TMultiViewChild::AddRequestStocks(EArray<STKMS> *) {}
void TMultiViewChild::OnActivate() {}
void TMultiViewChild::OnDeactivate() {}

void TMultiViewChild::SetColors()
{
    Invalidate();
    if (CmdBox) {
        CmdBox->Background = KeyColor(17);
        CmdBox->Refresh();
    }
}

void TMultiViewChild::Activate()
{
    if (!Active)
        Page->SetActivePane(this);
    FrameBusy = 0;
}

void TMultiViewChild::PlaceCmdBox()
{
    if (CmdBox)
        CmdBox->MoveTo(ClientWidth - 3 - 17 * CmdBox->Count, 3);
}

void TMultiViewChild::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        Activate();
        break;
    case WM_MOVE:
    case WM_SIZE:
        PlaceCmdBox();
        break;
    case WM_PANE_FIRST_SHOW: {
        if (Drawn)
            return;
        Drawn = 1;
        RedrawWindow(Page->Handle, nullptr, 0, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        EArray<TMultiViewChild *> *panes = Page->Panes;
        for (int i = panes->GetCount() - 1; i >= 0; --i)
            if (panes->GetAt(i) != this)
                UpdateWindow(panes->GetAt(i)->Handle);
        ReloadView();
        if (MFrame && MFrame->GetFrameWindow())
            PostMessageA(MFrame->GetFrameWindow(), WM_SUBSCRIBE_VIEWS, 0, 0);
        return;
    }
    }
    TForm::WndProc(Message);
}

void TMultiViewChild::FormPaint(TObject *)
{
    HDC dc = Canvas->Handle;
    int width = ClientWidth;
    int height = ClientHeight;
    COLORREF back = KeyColor(17);
    COLORREF inverse = back ^ 0xFFFFFF;
    RECT client{0, 0, width, height};
    HBRUSH fill = CreateSolidBrush(back);
    FillRect(dc, &client, fill);
    DeleteObject(fill);
    RECT text = EmptyPaneTextRect(width, height);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, inverse);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, EmptyPaneHint, 42, &text, DT_WORDBREAK);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    text.left -= 5;
    text.top -= 5;
    text.right += 5;
    text.bottom += 5;
    HBRUSH frame = CreateSolidBrush(inverse);
    FrameRect(dc, &text, frame);
    DeleteObject(frame);
}

void TMultiViewChild::FormResize(TObject *) { Invalidate(); }

void TMultiViewChild::FormClose(TObject *, TCloseAction &Action)
{
    Open = 0;
    delete CmdBox;
    CmdBox = nullptr;
    Action = caFree;
}
