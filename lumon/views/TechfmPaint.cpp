// The K-line chart's layout and painting: the title row, the pane areas with
// the price-axis column at their right and the time axis below, painted into
// one off-screen picture that is copied to the window in one piece.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TIndex.h"
#include "lumon/shell/MVCmdBox.h"
#include "lumon/views/Luoli.h"
#include "lumon/views/TLine.h"
#include "lumon/views/Techfm.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TCanvas.h"
#include "platform/gdi/TFont.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// Pen and brush of one drawing step, put back and deleted at its end.
class PenBrush {
public:
    PenBrush(HDC dc, COLORREF pen, COLORREF brush, bool hollow = false) : m_Dc(dc)
    {
        m_Pen = CreatePen(PS_SOLID, 1, pen);
        m_Brush = hollow ? HBRUSH(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(brush);
        m_Own = !hollow;
        m_OldPen = SelectObject(dc, m_Pen);
        m_OldBrush = SelectObject(dc, m_Brush);
    }
    ~PenBrush()
    {
        SelectObject(m_Dc, m_OldPen);
        SelectObject(m_Dc, m_OldBrush);
        DeleteObject(m_Pen);
        if (m_Own)
            DeleteObject(m_Brush);
    }
    PenBrush(const PenBrush &) = delete;
    PenBrush &operator=(const PenBrush &) = delete;

private:
    HDC m_Dc;
    HPEN m_Pen;
    HBRUSH m_Brush;
    bool m_Own;
    HGDIOBJ m_OldPen, m_OldBrush;
};

// The outline of r grown by `grow` pixels on every side, in the selected pen.
void Outline(HDC dc, const RECT &r, int grow)
{
    Rectangle(dc, r.left - grow, r.top - grow, r.right + grow + 1, r.bottom + grow + 1);
}

} // namespace

// ---- layout -------------------------------------------------------------------------------------

void TTechForm::LayoutPanes()
{
    const int W = ClientWidth, H = ClientHeight;
    const int titleHeight = ThemeFontHeight(1) + 6;
    ChartLeft = W > 0 ? 1 : 0;
    ChartTop = H > titleHeight ? titleHeight : 0;
    ChartBottom = std::max(H - DateAxisHeight - 1, 0);
    ChartRight = std::max(W - AxisWidth - 1 - (Panel1->Visible ? Panel1->Width : 0), ChartLeft);
    DateAxisRect = RECT{ChartLeft, std::max(H - DateAxisHeight, 0), ChartRight, std::max(H - 1, 0)};

    const int panes = std::clamp<int>(PaneCount, 1, MaxChartAreas);
    int weights[MaxChartAreas];
    int divisor = 0;
    bool defaults = DefaultSplit != 0;
    if (!defaults) {
        for (int i = 0; i < MaxChartAreas; ++i)
            weights[i] = PaneRects[i].bottom - PaneRects[i].top + 1;
        for (int i = 0; i < panes; ++i)
            divisor += weights[i];
        for (int i = 0; i < panes - 1; ++i)
            defaults = defaults || weights[i] < 2;
        // Heights that sum to nothing (a window that had no room) give no split.
        defaults = defaults || divisor <= 0 || weights[panes - 1] < 0;
    }
    if (defaults) {
        divisor = 0;
        for (int i = 0; i < MaxChartAreas; ++i)
            weights[i] = i == 0 ? 7 : 2;
        for (int i = 0; i < panes; ++i)
            divisor += weights[i];
    }
    const int room = H - ChartTop - 2 - DateAxisHeight - panes;
    int used = 0;
    for (int i = panes - 1; i >= 0; --i) {
        RECT &r = PaneRects[i];
        r.left = 1;
        r.right = ChartRight;
        r.bottom = ChartBottom - used - 1;
        const int h = int(int64_t(room) * weights[i] / divisor);
        used += h + 2;
        r.top = i > 0 ? ChartBottom - used + 1 : ChartTop;
        AxisRects[i] = RECT{ChartRight + 1, r.top, ChartRight + AxisWidth - 1, r.bottom};
    }
    ChartClip = RECT{ChartLeft, ChartTop, ChartRight, ChartBottom};
    PlaceQuoteBlock();
    if (BackBitmap)
        DeleteObject(BackBitmap);
    BackBitmap = 0;
    if (W > 0 && H > 0) {
        HDC window = GetDC(Handle);
        BackBitmap = CreateCompatibleBitmap(window, W, H);
        ReleaseDC(Handle, window);
    }
}

void TTechForm::PlaceQuoteBlock()
{
    const int w = Panel2->Width;
    const int edge = ChartRight + AxisWidth;
    Panel2->Left = edge > 2 * w ? edge - w : edge + 1;
    Panel2->Top = ChartTop;
}

// ---- painting -----------------------------------------------------------------------------------

HDC TTechForm::BackDC()
{
    if (!BackBitmap)
        return 0;
    HDC window = GetDC(Handle);
    HDC dc = CreateCompatibleDC(window);
    ReleaseDC(Handle, window);
    BackOld = SelectObject(dc, BackBitmap);
    SetBkColor(dc, KeyColor(1));
    return dc;
}

void TTechForm::ReleaseBackDC(HDC dc)
{
    if (!dc)
        return;
    SelectObject(dc, BackOld);
    DeleteDC(dc);
}

void TTechForm::BlitToWindow(HDC src, int x, int y, int w, int h)
{
    if (!src || w <= 0 || h <= 0 || !HandleAllocated())
        return;
    HDC window = GetDC(Handle);
    BitBlt(window, x, y, w, h, src, x, y, SRCCOPY);
    ReleaseDC(Handle, window);
}

std::string TTechForm::TitleText() const
{
    const StockStaticRecord *s = TDataIO::GetStock(Attr.Stock);
    if (!s)
        return {};
    char period[32];
    const int code = std::clamp<int>(Attr.Param, 0, 12);
    if (code == 3)
        std::snprintf(period, sizeof period, "%d分", int(Cycmins));
    else if (code == 12)
        std::snprintf(period, sizeof period, "%d天", int(Cycdays));
    else
        std::snprintf(period, sizeof period, "%s", PeriodNames[code]);
    char text[160];
    std::snprintf(text, sizeof text, "技术分析--%.*s(%.*s)<%s>        ", int(strnlen(s->Name, sizeof s->Name)), s->Name,
                  int(strnlen(s->Code, sizeof s->Code)), s->Code, period);
    std::string out = text;
    // The cut is a character count by the title font's character width; it
    // never splits a double-byte character.
    const int charWidth = std::max(ThemeFontHeight(15) / 2, 1);
    const int cut = std::max(100, (ChartRight - ChartLeft) / charWidth);
    out.resize(size_t(GbkCutLength(out.c_str(), int(out.size()), cut)));
    return out;
}

void TTechForm::DrawTitle(HDC dc)
{
    // A window lower than the title row has no title.
    if (ChartTop <= 0 || ClientHeight <= ChartTop || !dc)
        return;
    const std::string text = TitleText();
    if (text.empty())
        return;
    SelectedObject font(dc, CreateThemeFont(15));
    SetTextColor(dc, KeyColor(30));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, ChartLeft + 2, 3, text.c_str(), int(text.size()));
    if (dc == PaintingDC)
        BlitToWindow(dc, 0, 0, ChartRight, ChartTop);
}

void TTechForm::RepaintChart(TObject *Sender, bool firstPaint, HDC dc)
{
    if (firstPaint)
        TDrawView::FormPaint(Sender);
    if (DrawGrid1->Visible) {
        TIndex *price = Panes[0];
        if (price && DrawGrid1->RowCount < price->RecordCount + 1) {
            DrawGrid1->RowCount = price->RecordCount + 1;
            DrawGrid1->Row = DrawGrid1->RowCount - 1;
        }
        DrawGrid1->Invalidate();
        if (Panel1->Visible && firstPaint)
            Panel1->Invalidate();
        return;
    }
    const bool own = dc == 0;
    if (own) {
        dc = BackDC();
        if (!dc)
            return;
    }
    PaintingDC = dc;
    const int H = ClientHeight;
    {
        PenBrush frame(dc, KeyColor(14), KeyColor(1));
        Rectangle(dc, 0, 0, ChartRight + AxisWidth + 1, std::max<int>(ChartBottom, DateAxisRect.bottom) + 1);
    }
    {
        PenBrush frame(dc, KeyColor(14), 0, true);
        MoveToEx(dc, ChartRight, ChartTop, nullptr);
        LineTo(dc, ChartRight, H);
        MoveToEx(dc, ChartRight + AxisWidth, ChartTop, nullptr);
        LineTo(dc, ChartRight + AxisWidth, H);
        for (int i = 0; i < PaneCount && i < MaxChartAreas; ++i) {
            Outline(dc, PaneRects[i], 1);
            Outline(dc, AxisRects[i], 1);
        }
        Outline(dc, DateAxisRect, 1);
    }
    if (CurPane >= 0 && CurPane < PaneCount && CurPane < MaxChartAreas) {
        PenBrush current(dc, KeyColor(15), 0, true);
        Outline(dc, AxisRects[CurPane], 0);
    }
    DrawTitle(dc);
    for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i) {
        TIndex *p = Panes[i];
        if (!p || p->AreaIndex < 0 || p->AreaIndex >= PaneCount || p->AreaIndex >= MaxChartAreas)
            continue;
        p->Draw(dc, &PaneRects[p->AreaIndex]);
    }
    if (Panes[0])
        Panes[0]->DrawTimeAxis(dc, &DateAxisRect);
    {
        SelectedObject font(dc, CreateThemeFont(6));
        SetTextColor(dc, KeyColor(30));
        SetBkMode(dc, TRANSPARENT);
        const char *name = PeriodNames[std::clamp<int>(Attr.Param, 0, 12)];
        TextOutA(dc, DateAxisRect.right + 2, DateAxisRect.top + 1, name, int(std::strlen(name)));
    }
    if (Panel1->Visible && firstPaint)
        Panel1->Invalidate();
    Painted = 1;
    for (int i = 0; i < LineStore.LineCount && i < MaxDrawnLines; ++i) {
        TLine *line = LineStore.Lines[i];
        if (!line)
            continue;
        if (line->State == 1)
            line->Redraw(dc, 1);
        else
            line->Draw(dc, 0);
    }
    TIndex *price = Panes[0];
    if (price && ShowCursorDate && CursorBar >= 0 && CursorBar < price->RecordCount && price->Records) {
        const PackedDateTime t = price->Records[CursorBar].Time;
        const int ymd = PackedYear(t) * 10000 + PackedMonth(t) * 100 + PackedDay(t);
        DrawCycleBox(dc, price->PlotRect.left, price->PlotRect.top, double(ymd));
    }
    PaintingDC = 0;
    if (own) {
        BlitToWindow(dc, 0, 0, ClientWidth, ClientHeight);
        ReleaseBackDC(dc);
    }
    TagWidth1 = 0;
    TagWidth2 = 0;
    CrossShown = 0;
}

void TTechForm::DrawPaneFrames(HDC dc)
{
    const bool own = dc == 0;
    if (own)
        dc = BackDC();
    if (!dc)
        return;
    int height = 0;
    for (int i = 0; i < PaneCount && i < MaxChartAreas; ++i) {
        PenBrush box(dc, i == CurPane ? KeyColor(15) : KeyColor(1), 0, true);
        Outline(dc, AxisRects[i], 0);
        height += AxisRects[i].bottom - AxisRects[i].top + 3;
    }
    const RECT &a = AxisRects[0];
    if (HandleAllocated()) {
        HDC window = GetDC(Handle);
        BitBlt(window, a.left, ChartTop, a.right - a.left + 1, height, dc, a.left, ChartTop, SRCCOPY);
        ReleaseDC(Handle, window);
    }
    if (own)
        ReleaseBackDC(dc);
}

void TTechForm::FormPaint(TObject *)
{
    if (DrawGrid1->Visible) {
        DrawGrid1->Invalidate();
    } else if (BackBitmap) {
        HDC dc = BackDC();
        HDC target = Canvas->Handle;
        BitBlt(target, 0, 0, ClientWidth, ClientHeight, dc, 0, 0, SRCCOPY);
        ReleaseBackDC(dc);
    }
    TagWidth1 = 0;
    TagWidth2 = 0;
    CrossShown = 0;
}

void TTechForm::FormResize(TObject *Sender)
{
    for (TIndex *p : Panes)
        if (p)
            p->ScrollToEnd = 1;
    TDrawView::FormResize(Sender);
    LayoutPanes();
    RepaintChart(Sender, true);
}

void TTechForm::SetColors()
{
    TDrawView::SetColors();
    for (int i = 0; i < LineStore.LineCount && i < MaxDrawnLines; ++i)
        if (LineStore.Lines[i])
            LineStore.Lines[i]->Colour = KeyColor(35);
    Panel2->Font->Assign(*Fonts[3]);
    Panel2->Font->Color = TColor(KeyColor(31));
    Panel2->Color = TColor(KeyColor(1));
    Panel1->Color = TColor(KeyColor(1));
    WatchPage->Color = TColor(KeyColor(1));
    MsgPage->Color = TColor(KeyColor(1));
    MsgPage->Canvas->Font->Assign(*Fonts[4]);
    Panel1->ClientWidth = 24 * MsgPage->Canvas->TextWidth("0") + 6;
    if (OnResize)
        OnResize(this);
    DrawGrid1->Color = TColor(KeyColor(17));
    DrawGrid1->FixedColor = TColor(KeyColor(34));
    const TColor inverse = TColor(COLORREF(Panel2->Color) ^ 0xFFFFFF);
    DateLabel->Font->Color = inverse;
    for (TLabel *value : Values)
        value->Font->Color = inverse;
    ShowQuoteBlock(CursorBar);
    if (TMultiViewChild::CmdBox) {
        TMultiViewChild::CmdBox->Background = KeyColor(1);
        TMultiViewChild::CmdBox->Refresh();
    }
}
