#include "lumon/views/LineTool.h"

#include <cmath>

#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewCommands.h"
#include "lumon/shell/ViewFactory.h"
#include "lumon/shell/ViewAttr.h"
#include "lumon/views/TLine.h"
#include "lumon/views/Techfm.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TSpeedButton.h"
#include "platform/forms/TToolButton.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TBitmap.h"
#include "platform/gdi/TCanvas.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// The glyphs' clear colour (their bottom-left pixel) and inks.
constexpr COLORREF Clear = RGB(128, 128, 0);
constexpr COLORREF Ink = RGB(0, 0, 128);
constexpr COLORREF Red = RGB(200, 0, 0);
constexpr COLORREF Green = RGB(0, 140, 0);

// Draws on a glyph's context with one pen and brush for its life.
class GlyphPainter {
public:
    GlyphPainter(HDC dc, COLORREF pen, int style = PS_SOLID) : dc_(dc)
    {
        pen_ = CreatePen(style, 1, pen);
        oldPen_ = SelectObject(dc, pen_);
        oldBrush_ = SelectObject(dc, GetStockObject(NULL_BRUSH));
    }
    ~GlyphPainter()
    {
        SelectObject(dc_, oldBrush_);
        SelectObject(dc_, oldPen_);
        DeleteObject(pen_);
    }
    void Line(int x0, int y0, int x1, int y1)
    {
        MoveToEx(dc_, x0, y0, nullptr);
        LineTo(dc_, x1, y1);
    }
    void Dot(int x, int y) { SetPixel(dc_, x, y, ink_); }
    void Fill(const POINT *points, int count, COLORREF colour)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        HGDIOBJ old = SelectObject(dc_, brush);
        Polygon(dc_, points, count);
        SelectObject(dc_, old);
        DeleteObject(brush);
    }
    HDC dc_;
    COLORREF ink_ = Ink;

private:
    HPEN pen_;
    HGDIOBJ oldPen_, oldBrush_;
};

// Draws the icon of button b (1..20) on a glyph of width w and height 16.
void DrawGlyph(HDC dc, int b, int w)
{
    GlyphPainter p(dc, Ink);
    switch (b) {
    case 1: // two-point line: through two handles, beyond them
        p.Line(1, 14, 15, 1);
        Rectangle(dc, 4, 9, 7, 12);
        Rectangle(dc, 9, 4, 12, 7);
        break;
    case 2: // segment: between its handles only
        p.Line(4, 11, 12, 4);
        Rectangle(dc, 2, 10, 6, 14);
        Rectangle(dc, 10, 2, 14, 6);
        break;
    case 3: // parallel lines
        p.Line(1, 10, 10, 1);
        p.Line(5, 14, 14, 5);
        break;
    case 4: { // sine
        POINT pts[15];
        for (int x = 0; x < 15; ++x)
            pts[x] = POINT{x + 1, 8 - int(std::lround(5 * std::sin(x * 3.14159 / 7)))};
        Polyline(dc, pts, 15);
        break;
    }
    case 5: // golden section: levels closer near the top
        for (int y : {2, 5, 7, 10, 14})
            p.Line(1, y, 15, y);
        break;
    case 6: // percentage lines: even levels
        for (int y : {2, 5, 8, 11, 14})
            p.Line(1, y, 15, y);
        p.Line(3, 1, 3, 15);
        break;
    case 7: { // arc: the upper half of an ellipse
        POINT pts[15];
        for (int i = 0; i < 15; ++i) {
            const double a = 3.14159 * i / 14;
            pts[i] = POINT{8 - int(std::lround(7 * std::cos(a))), 14 - int(std::lround(11 * std::sin(a)))};
        }
        Polyline(dc, pts, 15);
        break;
    }
    case 8: // box
        Rectangle(dc, 2, 3, 14, 13);
        p.Line(2, 8, 14, 8);
        break;
    case 9: // Gann fan
        for (int y : {1, 5, 9})
            p.Line(1, 14, 15, y);
        p.Line(1, 14, 5, 1);
        p.Line(1, 14, 10, 1);
        break;
    case 10: // Fibonacci periods: columns further apart
        for (int x : {1, 2, 4, 7, 12})
            p.Line(x, 1, x, 15);
        break;
    case 11: // cycle lines: even columns
        for (int x : {1, 5, 9, 13})
            p.Line(x, 1, x, 15);
        break;
    case 12: // speed-resistance lines
        p.Line(1, 14, 15, 1);
        p.Line(1, 14, 15, 6);
        p.Line(1, 14, 15, 10);
        break;
    case 13: // linear regression band
        p.Line(1, 9, 15, 2);
        p.Line(1, 14, 15, 7);
        p.Line(1, 11, 15, 4);
        break;
    case 14: { // regression channel: the middle dotted
        p.Line(1, 9, 15, 2);
        p.Line(1, 14, 15, 7);
        for (int x = 1; x < 15; x += 2)
            p.Dot(x, 11 - (x - 1) / 2);
        break;
    }
    case 15: { // text: an A
        p.Line(3, 14, 8, 2);
        p.Line(8, 2, 13, 14);
        p.Line(5, 10, 11, 10);
        break;
    }
    case 16: { // up arrow
        const POINT up[] = {{8, 1}, {14, 8}, {10, 8}, {10, 14}, {6, 14}, {6, 8}, {2, 8}};
        p.Fill(up, 7, Red);
        break;
    }
    case 17: { // down arrow
        const POINT down[] = {{8, 14}, {14, 7}, {10, 7}, {10, 1}, {6, 1}, {6, 7}, {2, 7}};
        p.Fill(down, 7, Green);
        break;
    }
    case 18: { // eraser
        const POINT body[] = {{2, 11}, {9, 3}, {14, 7}, {7, 14}};
        p.Fill(body, 4, RGB(230, 150, 170));
        p.Line(5, 8, 10, 12);
        break;
    }
    case 19: { // delete all: lines crossed out
        for (int y : {3, 7, 11})
            p.Line(2, y, w / 2 - 2, y - 2);
        GlyphPainter x(dc, Red);
        x.Line(w / 2 + 2, 2, w - 3, 14);
        x.Line(w / 2 + 3, 2, w - 2, 14);
        x.Line(w - 3, 2, w / 2 + 2, 14);
        x.Line(w - 2, 2, w / 2 + 3, 14);
        break;
    }
    default: { // the cycle-date box: a spiral
        POINT pts[48];
        for (int i = 0; i < 48; ++i) {
            const double a = i * 0.4, r = 0.3 + i * 0.14;
            pts[i] = POINT{8 + int(std::lround(r * std::cos(a))), 8 + int(std::lround(r * std::sin(a)))};
        }
        Polyline(dc, pts, 48);
        break;
    }
    }
}

TLineToolBox *BoxOf(TForm *box) { return dynamic_cast<TLineToolBox *>(box); }

TForm *MakeBox(TForm *frame) { return new TLineToolBox(frame); }

void SetDown(TForm *form, int tool, bool down)
{
    if (TLineToolBox *box = BoxOf(form); box && tool >= 0 && tool < 20)
        box->Buttons[tool]->Down = down;
}

bool IsDown(TForm *form, int tool)
{
    TLineToolBox *box = BoxOf(form);
    return box && tool >= 0 && tool < 20 && box->Buttons[tool]->Down;
}

// The K-line chart that is the active pane of the frame's current page, or null.
TTechForm *ActiveChart(TMFrame *frame)
{
    return frame ? AsKLineChart(frame->ActiveViewOf(VIEW_KLINE)) : nullptr;
}

} // namespace

TLineToolBox::TLineToolBox(TForm *frame) : TForm(frame), m_Frame(frame)
{
    Caption = "画线";
    BorderStyle = bsToolWindow;
    BorderIcons = TBorderIcons() << biSystemMenu;
    ClientWidth = 115;
    ClientHeight = 181;
    Font->Name = "Tahoma";
    Font->Height = -11;
    FontChanged();
    ShowHint = true;
    struct Layout {
        int tag;
        const char *hint;
        int left, top;
        int group;
    };
    // B1..B20 in order; B20 has no tag.
    static const Layout layout[20] = {
        {1, "两点直线", 0, 0, 7},       {2, "两点线段", 26, 0, 7},   {3, "平行线", 52, 0, 7},
        {4, "正弦线", 0, 26, 7},        {5, "黄金分割线", 26, 26, 7}, {6, "百分比线", 52, 26, 7},
        {7, "圆弧", 0, 52, 7},          {8, "股票箱", 26, 52, 7},    {9, "甘氏线", 52, 52, 7},
        {10, "费波拉契周期", 0, 78, 7}, {11, "周期线", 26, 78, 7},   {12, "速阻线", 52, 78, 7},
        {13, "线形回归带", 0, 104, 7},  {14, "回归通道", 26, 104, 7}, {15, "文字", 52, 130, 7},
        {16, "上箭头", 0, 130, 7},      {17, "下箭头", 26, 130, 7},  {18, "橡皮", 0, 156, 7},
        {19, "全部删除", 26, 156, 0},   {0, "螺历", 52, 104, 1}};
    for (int i = 0; i < 20; ++i) {
        const Layout &l = layout[i];
        auto *b = new TSpeedButton(this);
        b->Parent = this;
        const int width = i == 18 ? 51 : 25;
        b->SetBounds(l.left, l.top, width, 25);
        b->Flat = true;
        b->Tag = l.tag;
        b->GroupIndex = l.group;
        b->AllowAllUp = true;
        b->Hint = l.hint;
        b->ShowHint = true;
        TBitmap glyph;
        const int gw = i == 18 ? 32 : 16;
        glyph.SetSize(gw, 16);
        glyph.Canvas->Brush->Color = TColor(Clear);
        glyph.Canvas->FillRect(TRect(0, 0, gw, 16));
        DrawGlyph(glyph.Canvas->Handle, i + 1, gw);
        b->Glyph = &glyph;
        if (i == 19)
            b->OnClick = [this](TObject *s) { B20Click(s); };
        else
            b->OnClick = [this](TObject *s) { BClick(s); };
        Buttons[i] = b;
    }
    TSpeedButton **named[20] = {&B1,  &B2,  &B3,  &B4,  &B5,  &B6,  &B7,  &B8,  &B9,  &B10,
                                &B11, &B12, &B13, &B14, &B15, &B16, &B17, &B18, &B19, &B20};
    for (int i = 0; i < 20; ++i)
        *named[i] = Buttons[i];
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
}

TMFrame *TLineToolBox::Frame() const
{
    if (auto *frame = dynamic_cast<TMFrame *>(m_Frame))
        return frame;
    return MainFrame();
}

void TLineToolBox::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_ACTIVATE:
        // The box is never the active window: the frame is activated instead,
        // so that the chart keeps the keyboard.
        if (Message.WParam != 0) {
            if (TMFrame *frame = Frame(); frame && frame->HandleAllocated())
                SetActiveWindow(frame->Handle);
            Message.Result = 0;
            return;
        }
        break;
    case WM_MOUSEACTIVATE:
        Message.Result = MA_NOACTIVATE;
        return;
    default:
        break;
    }
    TForm::WndProc(Message);
}

void TLineToolBox::BClick(TObject *Sender)
{
    auto *button = dynamic_cast<TSpeedButton *>(Sender);
    TMFrame *frame = Frame();
    if (!button || !frame)
        return;
    frame->DrawingTool = (button->Down ? int(button->Tag) : 0) - 1;
    if (button != B19)
        return;
    TTechForm *chart = ActiveChart(frame);
    if (!chart)
        return;
    const HWND owner = frame->HandleAllocated() ? frame->Handle : HWND(0);
    if (MessageBoxA(owner, "确认删除所有自画线吗?", "删除确认", MB_OKCANCEL) != IDOK)
        return;
    chart->Command(VC_DELETE_LINES, 0);
}

void TLineToolBox::ReleaseToolButton()
{
    TMFrame *frame = Frame();
    if (!frame)
        return;
    const int tool = frame->DrawingTool;
    if (tool < 0 || tool >= 20)
        return;
    Buttons[tool]->Down = false;
    if (frame->B[tool])
        frame->B[tool]->Down = false;
}

void TLineToolBox::B20Click(TObject *)
{
    if (TTechForm *chart = ActiveChart(Frame()))
        chart->Command(VC_SPIRAL, B20->Down ? 1 : 0);
}

void TLineToolBox::FormClose(TObject *, TCloseAction &Action)
{
    Action = caHide;
    ReleaseToolButton();
    TMFrame *frame = Frame();
    if (!frame)
        return;
    // A closed box chooses no tool: the chart's next click is a plain one.
    frame->DrawingTool = -1;
    if (frame->LineBtn)
        frame->LineBtn->Down = false;
    if (TMultiViewMain *page = frame->CurrentPage)
        for (TMultiViewChild *pane : page->PaneSnapshot())
            if (TTechForm *chart = AsKLineChart(pane); chart && chart->NLine)
                chart->NLine->Checked = false;
}

void InstallLineToolHooks()
{
    ViewHooks.MakeLineToolBox = MakeBox;
    ViewHooks.SetLineToolDown = SetDown;
    ViewHooks.LineToolDown = IsDown;
}
