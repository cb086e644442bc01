// The frame's menu and tool-button commands: check-mark toggles that the
// settings keep, the commands that act on the frame or its page, and those
// that forward to the active pane after testing its view type (a command for
// another type of view does nothing).
#include <vector>

#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/NoticeForm.h"
#include "lumon/shell/ViewCommands.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/FormTypes.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/forms/TSavePictureDialog.h"
#include "platform/forms/TToolBar.h"
#include "platform/forms/TToolButton.h"
#include "platform/gdi/TBitmap.h"
#include "platform/gdi/TClipboard.h"
#include "platform/win/KeyInput.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/TIniFile.h"
#include "platform/win/Thread.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// The settings of the configuration folder that the check marks are kept in.
const char kTableSettings[] = "..\\CFG\\setting.ini";

int TagOf(TObject *Sender)
{
    if (auto *item = dynamic_cast<TMenuItem *>(Sender))
        return item->Tag;
    if (auto *button = dynamic_cast<TToolButton *>(Sender))
        return button->Tag;
    return -1;
}

bool Toggle(TMenuItem *item)
{
    item->Checked = !item->Checked;
    return item->Checked;
}

} // namespace

void TMFrame::ConnectCommands()
{
    OnActivate = [this](TObject *s) { FormActivate(s); };
    OnResize = [this](TObject *s) { FormResize(s); };
    ToolButton1->OnClick = [this](TObject *s) { ToolButton1Click(s); };
    ToolButton9->OnClick = [this](TObject *s) { ToolButton9Click(s); };
    ToolButton11->OnClick = [this](TObject *s) { ToolButton11Click(s); };
    ToolButton12->OnClick = [this](TObject *s) { ToolButton12Click(s); };
    ToolButton14->OnClick = [this](TObject *s) { ToolButton14Click(s); };
    ToolButton15->OnClick = [this](TObject *s) { ToolButton15Click(s); };
    ToolButton18->OnClick = [this](TObject *s) { ToolButton18Click(s); };
    ToolButton19->OnClick = [this](TObject *s) { L1Click(s); };
    ToolButton22->OnClick = [this](TObject *s) { ToolButton22Click(s); };
    LineBtn->OnClick = [this](TObject *s) { LineBtnClick(s); };
    for (int i = 0; i < 19; ++i)
        B[i]->OnClick = [this](TObject *s) { BClick(s); };
    B[19]->OnClick = [this](TObject *s) { B20Click(s); };
    for (TToolButton *button : Cycle)
        button->OnClick = [this](TObject *s) { CycleClick(s); };
    SavePictureDialog1 = new TSavePictureDialog(this);
}

TMultiViewChild *TMFrame::ActiveView() const
{
    TMultiViewChild *pane = CurrentPage ? CurrentPage->ActivePane : nullptr;
    return pane && CurrentPage->HasPane(pane) ? pane : nullptr;
}

TMultiViewChild *TMFrame::ActiveViewOf(uint16_t type) const
{
    TMultiViewChild *pane = ActiveView();
    return pane && pane->Attr.ViewType == type ? pane : nullptr;
}

int TMFrame::ViewCommand(TMultiViewChild *pane, int command, int arg)
{
    return pane ? pane->Command(command, arg) : 0;
}

// ---- check marks -----------------------------------------------------------------

void TMFrame::MenuItem94Click(TObject *) { Toggle(MenuItem94); }

void TMFrame::T1Click(TObject *) { Toggle(T1); }

void TMFrame::N51Click(TObject *)
{
    const bool grid = Toggle(N51);
    TIniFile ini(kTableSettings);
    ini.WriteString("TableDef", "ReportGridding", grid ? "1" : "0");
    if (!CurrentPage)
        return;
    std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
    for (auto pane = panes.rbegin(); pane != panes.rend(); ++pane)
        if (CurrentPage && CurrentPage->HasPane(*pane) && (*pane)->Attr.ViewType == VIEW_REPORT)
            ViewCommand(*pane, VC_GRID_LINES, grid ? 1 : 0);
}

void TMFrame::MenuItem99Click(TObject *)
{
    const bool shown = Toggle(MenuItem99);
    Menu = shown ? MainMenu1 : nullptr;
}

void TMFrame::MenuItem100Click(TObject *)
{
    const bool shown = !ToolBarItem->Checked;
    ToolBarItem->Checked = shown;
    MenuItem100->Checked = shown;
    ToolBar1->Visible = shown;
    if (shown)
        ToolBar1->Align = alTop;
    TIniFile ini(kTableSettings);
    ini.WriteString("TableDef", "ToolBar", shown ? "1" : "0");
}

void TMFrame::N37Click(TObject *)
{
    const bool chosen = Toggle(N37);
    ShowToolGroup(chosen && ActiveViewOf(VIEW_KLINE), 2);
}

void TMFrame::N11Click(TObject *)
{
    const bool link = Toggle(N11);
    if (!CurrentPage)
        return;
    for (int i = 0; i < CurrentPage->Panes->GetCount(); ++i)
        CurrentPage->Panes->GetAt(i)->Link = link ? 1 : 0;
}

// ---- the frame and its page ----------------------------------------------------------

void TMFrame::N54Click(TObject *)
{
    TMultiViewChild *pane = ActiveView();
    TMVCmdBox *box = pane ? pane->CmdBox : nullptr;
    if (!box)
        return;
    for (int i = 0; i < box->Count; ++i)
        if (box->Kinds[i] == 1 || box->Kinds[i] == 2) {
            PostMessageA(box->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, LPARAM(MAKELONG(WORD(i * 17 + 8), 8)));
            return;
        }
}

void TMFrame::N71Click(TObject *)
{
    keybd_event(BYTE(VK_SNAPSHOT), 0, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(BYTE(VK_SNAPSHOT), 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    Sleep(1500);
    const HWND owner = HandleAllocated() ? Handle : HWND(0);
    if (MessageBoxA(owner, "是将当前画面保存为文件?  ", "提示", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) != IDYES)
        return;
    SavePictureDialog1->DefaultExt = "bmp";
    SavePictureDialog1->Filter = "位图文件 (*.bmp)|*.bmp";
    if (!SavePictureDialog1->Execute())
        return;
    TBitmap picture;
    if (!Clipboard()->HasFormat(CF_BITMAP) || !picture.Assign(Clipboard()) ||
        !picture.SaveToFile(SavePictureDialog1->FileName))
        MessageBoxA(owner, "保存文件出错!", "提示", MB_TOPMOST);
}

void TMFrame::MenuItem90Click(TObject *)
{
    if (TMultiViewChild *pane = ActiveView())
        pane->PrintView();
}

void TMFrame::MenuItem109Click(TObject *) { Close(); }

void TMFrame::N58Click(TObject *)
{
    if (TMultiViewChild *pane = ActiveView())
        PostMessageA(CurrentPage->Handle, WM_PANE_SPLIT_H, 0, LPARAM(pane));
}

void TMFrame::N59Click(TObject *)
{
    if (TMultiViewChild *pane = ActiveView())
        PostMessageA(CurrentPage->Handle, WM_PANE_SPLIT_V, 0, LPARAM(pane));
}

void TMFrame::N57Click(TObject *)
{
    if (TMultiViewChild *pane = ActiveView())
        PostMessageA(CurrentPage->Handle, WM_PANE_CLOSE, 0, LPARAM(pane));
}

void TMFrame::N14Click(TObject *)
{
    if (!ActiveViewOf(VIEW_REPORT))
        PostMessageA(Handle, WM_KEYDOWN, VK_F6, 0);
}

void TMFrame::ShowTrend(bool tick)
{
    TMultiViewChild *pane = ActiveView();
    if (!pane)
        return;
    auto inTick = [](TMultiViewChild *p) { return (p->Attr.Flags & VIEW_FLAG_TREND) == 0; };
    if (pane->Attr.ViewType != VIEW_TREND) {
        ShowStockInView(VIEW_TREND, true);
        pane = CurrentPage ? CurrentPage->FindPaneByType(VIEW_TREND, 0) : nullptr;
        if (!pane)
            pane = ActiveViewOf(VIEW_TREND);
    }
    if (pane && inTick(pane) != tick && ViewHooks.SwitchTickMode)
        ViewHooks.SwitchTickMode(pane);
}

void TMFrame::TICK1Click(TObject *) { ShowTrend(true); }

void TMFrame::N15Click(TObject *) { ShowTrend(false); }

void TMFrame::N16Click(TObject *)
{
    if (ActiveView() && !ActiveViewOf(VIEW_KLINE))
        ShowStockInView(VIEW_KLINE, true);
}

void TMFrame::ToolButton9Click(TObject *Sender) { N22Click(Sender); }

void TMFrame::ToolButton1Click(TObject *)
{
    TMultiViewChild *pane = ActiveView();
    if (!pane)
        return;
    // The window inside the pane that has the keys, else the pane itself.
    HWND target = pane->Handle;
    for (HWND w = GetFocus(); w; w = win::GetParent(w))
        if (w == pane->Handle) {
            target = GetFocus();
            break;
        }
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TMFrame::ToolButton14Click(TObject *) { PostMessageA(Handle, WM_KEYDOWN, VK_F11, 0); }

void TMFrame::F101Click(TObject *) { PostMessageA(Handle, WM_KEYDOWN, VK_F11, 0); }

void TMFrame::N26Click(TObject *Sender) { ToolButton5Click(Sender); }

void TMFrame::ShowExchangeNotes(int exchange)
{
    TMultiViewChild *active = ActiveView();
    if (!CurrentPage)
        return;
    VIEW_ATTR attr;
    InitViewAttr(VIEW_NOTES, &attr);
    attr.BlockId = exchange;
    if (TMultiViewChild *notes = CurrentPage->FindPaneByType(VIEW_NOTES, 1)) {
        notes->Notify(1, int32_t(attr.Stock), exchange, intptr_t(&attr));
        if (CurrentPage && CurrentPage->HasPane(notes))
            BringForward(notes);
    } else if (active) {
        CurrentPage->ReplaceView(active->Node, &attr, 1);
    }
}

void TMFrame::N44Click(TObject *) { ShowExchangeNotes(0); }

void TMFrame::N45Click(TObject *) { ShowExchangeNotes(2); }

void TMFrame::MenuItem143Click(TObject *) { MenuItem145->Visible = ActiveViewOf(VIEW_REPORT) != nullptr; }

void TMFrame::MenuItem145Click(TObject *) { ViewCommand(ActiveViewOf(VIEW_REPORT), VC_EDIT_COLUMNS); }

void TMFrame::N64Click(TObject *) { PostMessageA(Handle, WM_SHOW_CHAT, 0, 0); }

void TMFrame::N70Click(TObject *) { PostMessageA(Handle, WM_SHOW_CHAT, 0, 0); }

void TMFrame::ToolButton18Click(TObject *) { PostMessageA(Handle, WM_SHOW_CHAT, 0, 0); }

void TMFrame::N72Click(TObject *)
{
    if (Right)
        Right->ShowModal();
}

void TMFrame::FormActivate(TObject *)
{
    if (TMultiViewChild *pane = ActiveView())
        pane->Activate();
}

// ---- the chart views ---------------------------------------------------------------

void TMFrame::MenuItem117Click(TObject *)
{
    TMultiViewChild *chart = ActiveViewOf(VIEW_KLINE);
    N40Menu->Visible = chart != nullptr;
    if (!chart)
        return;
    const int mode = ViewCommand(chart, VC_GET_EX_RIGHTS);
    for (int i = 0; i < 4; ++i)
        N40Items[i]->Checked = i == mode;
}

void TMFrame::I1Click(TObject *) { ViewCommand(ActiveViewOf(VIEW_KLINE), VC_CHOOSE_INDICATOR); }

void TMFrame::ToolButton12Click(TObject *Sender) { I1Click(Sender); }

void TMFrame::A1Click(TObject *) { ViewCommand(ActiveViewOf(VIEW_KLINE), VC_OVERLAY_INDICATOR); }

void TMFrame::MenuItem127Click(TObject *) { ViewCommand(ActiveViewOf(VIEW_KLINE), VC_INDICATOR_PARAMS); }

void TMFrame::N32Click(TObject *) { ViewCommand(ActiveViewOf(VIEW_KLINE), VC_REFERENCE_LINES); }

void TMFrame::N17Click(TObject *) { ViewCommand(ActiveViewOf(VIEW_KLINE), VC_TOGGLE_AVERAGES); }

void TMFrame::N65Click(TObject *) { ViewCommand(ActiveViewOf(VIEW_KLINE), VC_CROSS_ANALYSIS); }

void TMFrame::N40Click(TObject *Sender)
{
    const int mode = TagOf(Sender);
    if (mode >= 0 && mode <= 3)
        ViewCommand(ActiveViewOf(VIEW_KLINE), VC_SET_EX_RIGHTS, mode);
}

void TMFrame::MenuItem119Click(TObject *Sender)
{
    const int period = TagOf(Sender);
    if (period >= 1 && period <= 12)
        ViewCommand(ActiveViewOf(VIEW_KLINE), VC_SET_PERIOD, period);
}

void TMFrame::CycleClick(TObject *Sender) { MenuItem119Click(Sender); }

void TMFrame::ToolButton22Click(TObject *)
{
    if (TMultiViewChild *pane = ActiveViewOf(VIEW_TREND))
        ViewCommand(pane, VC_INFO_WINDOW);
    else
        ViewCommand(ActiveViewOf(VIEW_KLINE), VC_INFO_WINDOW);
}

// ---- drawing tools ------------------------------------------------------------------
//
// The tools are offered twice: by the drawing-tool box and, while "画线工具" of
// the system menu carries its check mark, by the drawing group of the tool bar.
// The tool itself is the frame's: the K-line chart reads it on a click.

void TMFrame::SelectDrawingTool(int tool)
{
    if (DrawingTool >= 0 && DrawingTool < 19) {
        B[DrawingTool]->Down = false;
        if (LineToolBox && ViewHooks.SetLineToolDown)
            ViewHooks.SetLineToolDown(LineToolBox, DrawingTool, false);
    }
    DrawingTool = tool;
    if (tool >= 0 && tool < 19) {
        B[tool]->Down = true;
        if (LineToolBox && ViewHooks.SetLineToolDown)
            ViewHooks.SetLineToolDown(LineToolBox, tool, true);
    }
}

void TMFrame::DeleteAllLines()
{
    TMultiViewChild *chart = ActiveViewOf(VIEW_KLINE);
    if (!chart)
        return;
    const HWND owner = HandleAllocated() ? Handle : HWND(0);
    if (MessageBoxA(owner, "确认删除所有自画线吗?", "删除确认", MB_OKCANCEL) == IDOK)
        ViewCommand(chart, VC_DELETE_LINES);
}

void TMFrame::N36Click(TObject *)
{
    const bool group = Toggle(N36);
    if (!ActiveViewOf(VIEW_KLINE) || !LineBtn->Down)
        return;
    if (group) {
        if (LineToolBox)
            LineToolBox->Hide();
    } else {
        if (!LineToolBox && ViewHooks.MakeLineToolBox)
            LineToolBox = ViewHooks.MakeLineToolBox(this);
        if (LineToolBox)
            LineToolBox->Show();
    }
    ShowToolGroup(group, 1);
    SelectDrawingTool(DrawingTool);
}

void TMFrame::LineBtnClick(TObject *)
{
    if (!ActiveViewOf(VIEW_KLINE))
        return;
    if (!LineToolBox && ViewHooks.MakeLineToolBox) {
        LineToolBox = ViewHooks.MakeLineToolBox(this);
        FormResize(this);
    }
    const bool down = LineBtn->Down;
    if (!down) {
        SelectDrawingTool(-1);
        if (LineToolBox)
            LineToolBox->Hide();
        if (N36->Checked)
            ShowToolGroup(false, 1);
    } else if (N36->Checked) {
        ShowToolGroup(true, 1);
    } else if (LineToolBox) {
        LineToolBox->Show();
    }
    MenuItem128->Checked = down;
}

void TMFrame::LineClick(TObject *Sender)
{
    const int tag = TagOf(Sender);
    if (!ActiveViewOf(VIEW_KLINE) || tag < 1 || tag > 19)
        return;
    if (!LineBtn->Down) {
        LineBtn->Down = true;
        LineBtnClick(LineBtn);
    }
    if (tag == 19) {
        SelectDrawingTool(-1);
        DeleteAllLines();
        return;
    }
    SelectDrawingTool(tag - 1 == DrawingTool ? -1 : tag - 1);
}

void TMFrame::BClick(TObject *Sender)
{
    auto *button = dynamic_cast<TToolButton *>(Sender);
    if (!button)
        return;
    const int tag = button->Tag;
    DrawingTool = button->Down ? tag : -1;
    if (tag == 18) {
        button->Down = false;
        DrawingTool = -1;
        DeleteAllLines();
    }
}

void TMFrame::B20Click(TObject *)
{
    Line[19]->Checked = B[19]->Down;
    ViewCommand(ActiveViewOf(VIEW_KLINE), VC_SPIRAL, B[19]->Down ? 1 : 0);
}

void TMFrame::Line20Click(TObject *Sender)
{
    B[19]->Down = !Line[19]->Checked;
    B20Click(Sender);
}

void TMFrame::MenuItem128Click(TObject *)
{
    for (int i = 0; i < 19; ++i)
        Line[i]->Checked = LineToolBox && ViewHooks.LineToolDown && ViewHooks.LineToolDown(LineToolBox, i);
}

void TMFrame::FormResize(TObject *)
{
    if (!LineToolBox)
        return;
    // A box of its own window stands at the same place over the frame.
    TPoint at(Width - 204, 52);
    if (!LineToolBox->Parent && HandleAllocated())
        at = ClientToScreen(at);
    LineToolBox->SetBounds(at.x, at.y, 83, LineToolBox->Height);
}
