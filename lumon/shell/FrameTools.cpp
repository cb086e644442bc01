// The frame's tool bar: its buttons, the tool groups that follow the active pane,
// the view buttons (intraday, K-line, news, zoom in and out), full-screen mode,
// the tool bar's hints, and two services of the frame: a text in a status box
// and the help program.
#include <cstdio>

#include "lumon/core/EToolTip.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/TApplication.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TToolBar.h"
#include "platform/forms/TToolButton.h"
#include "platform/gdi/TCanvas.h"
#include "platform/win/Cursor.h"
#include "platform/win/KeyInput.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Process.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// The task bar goes while the frame fills the screen (where there is one to hide).
void ShowTaskBar(int show)
{
    if (HWND tray = FindWindowA("Shell_trayWnd", nullptr))
        ShowWindow(tray, show);
}

} // namespace

void TMFrame::BuildToolBar()
{
    ToolBar1 = new TToolBar(this);
    ToolBar1->Parent = this;
    ToolBar1->Align = alTop;
    ToolBar1->ShowCaptions = true;
    ToolBar1->ButtonWidth = 52;
    ToolBar1->ButtonHeight = 22;
    ToolBar1->Height = 24;
    ToolBar1->ShowHint = true;
    auto add = [this](const char *caption, const char *hint = nullptr, TToolButtonStyle style = tbsButton) {
        auto *button = new TToolButton(this);
        button->Parent = ToolBar1;
        button->Style = style;
        if (style != tbsSeparator) {
            button->Caption = caption;
            button->Hint = hint ? hint : caption;
        }
        return button;
    };
    auto separator = [&] { return add("", nullptr, tbsSeparator); };
    ToolButton1 = add("后退");
    ToolButton2 = add("闪电图");
    ToolButton3 = add("K线图");
    ToolButton4 = add("起始页");
    ToolButton5 = add("新闻");
    ToolButton14 = add("背景资料");
    separator();
    ToolButton12 = add("技术分析");
    LineBtn = add("画线", "画线工具", tbsCheck);
    ToolButton22 = add("信息窗", "开/关信息窗口");
    ToolButton9 = add("刷新", "数据刷新");
    ToolButton6 = add("放大");
    ToolButton7 = add("缩小");
    separator();
    ToolButton19 = add("预警", "预警设置");
    ToolButton15 = add("风格", "显示风格");
    ToolButton13 = add("连接");
    ToolButton18 = add("支持", "在线技术支持");
    ToolButton11 = add("帮助");
    ToolButton11->Visible = false;
    ToolButton8 = add("全屏", nullptr, tbsCheck);
    ToolButton8->Visible = false;
    ToolButton25 = separator();
    ToolButton23 = add("买进");
    ToolButton23->Tag = 0;
    ToolButton24 = add("卖出");
    ToolButton24->Tag = 1;
    for (int i = 0; i < 19; ++i) {
        char caption[4];
        std::snprintf(caption, sizeof caption, "%d", i + 1);
        B[i] = add(caption, "画线工具", tbsCheck);
        B[i]->Grouped = true;
        B[i]->AllowAllUp = true;
        B[i]->Tag = i;
    }
    B[19] = add("螺历", nullptr, tbsCheck);
    ToolButton17 = separator();
    static const struct {
        const char *Caption;
        int Tag;
    } periods[12] = {{"日线", 8},  {"周线", 9},  {"月线", 10},  {"季线", 11},  {"任意天", 12},  {"1分钟", 1},
                     {"3分钟", 2}, {"5分钟", 4}, {"15分钟", 5}, {"30分钟", 6}, {"60分钟", 7}, {"任意分", 3}};
    for (int i = 0; i < 12; ++i) {
        Cycle[i] = add(periods[i].Caption, i == 11 ? "任意分钟" : nullptr);
        // A period button sets the period of the active K-line chart (CycleClick).
        Cycle[i]->Tag = periods[i].Tag;
    }
    ToolButton2->OnClick = [this](TObject *s) { ToolButton2Click(s); };
    ToolButton3->OnClick = [this](TObject *s) { ToolButton3Click(s); };
    ToolButton4->OnClick = [this](TObject *s) { ToolButton4Click(s); };
    ToolButton5->OnClick = [this](TObject *s) { ToolButton5Click(s); };
    ToolButton6->OnClick = [this](TObject *s) { ToolButton6Click(s); };
    ToolButton7->OnClick = [this](TObject *s) { ToolButton7Click(s); };
    ToolButton8->OnClick = [this](TObject *s) { ToolButton8Click(s); };
    ToolButton13->OnClick = [this](TObject *s) { C1Click(s); };
    ToolButton23->OnClick = [this](TObject *s) { ToolButton23Click(s); };
    ToolButton24->OnClick = [this](TObject *s) { ToolButton23Click(s); };
}

void TMFrame::ShowToolGroup(bool visible, int group)
{
    switch (group) {
    case 0:
        ToolButton12->Visible = visible;
        LineBtn->Visible = visible;
        MenuItem117->Visible = visible;
        break;
    case 1:
        for (TToolButton *button : B)
            button->Visible = visible;
        break;
    case 2:
        ToolButton17->Visible = visible;
        for (TToolButton *button : Cycle)
            button->Visible = visible;
        break;
    case 3:
        N2->Visible = visible;
        break;
    case 4:
        ToolButton23->Visible = visible;
        ToolButton24->Visible = visible;
        ToolButton25->Visible = visible;
        break;
    default:
        break;
    }
}

void TMFrame::ToolButton2Click(TObject *)
{
    TMultiViewChild *active = CurrentPage ? CurrentPage->ActivePane : nullptr;
    if (!active)
        return;
    const uint16_t type = active->Attr.ViewType;
    if (type == VIEW_KLINE || type == VIEW_REPORT || type == VIEW_TEXT)
        ShowStockInView(VIEW_TREND, true);
}

void TMFrame::ToolButton3Click(TObject *)
{
    TMultiViewChild *active = CurrentPage ? CurrentPage->ActivePane : nullptr;
    if (!active)
        return;
    const uint16_t type = active->Attr.ViewType;
    if (type == VIEW_TREND || type == VIEW_REPORT || type == VIEW_TEXT)
        ShowStockInView(VIEW_KLINE, true);
}

void TMFrame::ToolButton5Click(TObject *) { PostMessageA(Handle, WM_KEYDOWN, VK_F9, 0); }

namespace {

// 放大 and 缩小: the intraday chart takes the Up and Down keys (where the focus
// is, as a typed key would go); other views a zoom step.
void ZoomActivePane(TMultiViewMain *page, BYTE key, int step)
{
    TMultiViewChild *active = page ? page->ActivePane : nullptr;
    if (!active)
        return;
    if (active->Attr.ViewType == VIEW_TREND) {
        keybd_event(key, 0, KEYEVENTF_EXTENDEDKEY, 0);
        keybd_event(key, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    } else {
        active->Notify(15, 0, step, 0);
    }
}

} // namespace

void TMFrame::ToolButton6Click(TObject *) { ZoomActivePane(CurrentPage, BYTE(VK_UP), 1); }

void TMFrame::ToolButton7Click(TObject *) { ZoomActivePane(CurrentPage, BYTE(VK_DOWN), -1); }

void TMFrame::ToolButton8Click(TObject *Sender) { MenuItem95Click(Sender); }

void TMFrame::MenuItem95Click(TObject *)
{
    const bool on = !MenuItem95->Checked;
    MenuItem95->Checked = on;
    ToolButton8->Down = on;
    if (on) {
        FullScreenSaved = {Left, Top, Width, Height, WindowState};
        const int c = GetSystemMetrics(SM_CYCAPTION), f = GetSystemMetrics(SM_CXFRAME);
        WindowState = wsNormal;
        SetBounds(-f, -c - f, GetSystemMetrics(SM_CXSCREEN) + 2 * f,
                  GetSystemMetrics(SM_CYSCREEN) + 2 * f + c + 30);
        ShowTaskBar(SW_HIDE);
    } else {
        ShowTaskBar(SW_SHOW);
        SetBounds(FullScreenSaved.Left, FullScreenSaved.Top, FullScreenSaved.Width, FullScreenSaved.Height);
        WindowState = FullScreenSaved.State;
        PostMessageA(Handle, WM_ACTIVATE, 1, 0);
    }
    N4->Checked = on;
}

EToolTip *TMFrame::HintTooltip()
{
    if (!HintTip)
        HintTip = new EToolTip(Handle);
    return HintTip;
}

void TMFrame::AppHint(TObject *)
{
    EToolTip *tip = HintTooltip();
    POINT at{0, 0};
    GetCursorPos(&at);
    at.y += 21;
    win::ScreenToClient(Handle, &at);
    const AnsiString hint = Application ? Application->Hint : AnsiString();
    tip->Show(at, hint.c_str());
}

void TMFrame::SetStatusText(int box, const char *text)
{
    TPaintBox *target = box == 0 ? StatusBox1 : box == 3 ? StatusBox4 : box == 5 ? StatusBox6 : nullptr;
    if (!target)
        return;
    TCanvas *canvas = target->Canvas;
    canvas->FillRect(TRect(0, 0, target->Width, target->Height));
    canvas->TextOut(1, -2, text ? text : "");
}

void TMFrame::RunHelpProgram()
{
    if (ShellExecuteA(0, "open", "..\\CFG\\LMHELP.EXE", nullptr, nullptr, SW_SHOWDEFAULT) <= 32)
        MessageBoxA(HandleAllocated() ? Handle : HWND(0), "无法启动帮助文件.  ", "提示", MB_ICONERROR | MB_TOPMOST);
}
