// TIndex: the painters with which the indicators draw candles, OHLC bars,
// volume columns, lines and sticks into the laid-out plot.
#include <algorithm>
#include <vector>

#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TIndex.h"
#include "platform/gdi/Gdi.h"

using namespace win;

namespace {

// A 4 x 4 square in colour 13 on a selected element, at least 40 pixels after
// the previous one.
class SelectionSquares {
public:
    SelectionSquares(HDC hdc, bool on) : m_Hdc(hdc), m_On(on) {}
    // Whether a square goes at x.
    bool Due(int x) const { return m_On && x - m_Last >= 40; }
    void At(int x, int y)
    {
        if (!Due(x))
            return;
        if (!m_Pen) {
            m_Pen = CreatePen(PS_SOLID, 1, ThemeColor(13));
            m_Brush = CreateSolidBrush(ThemeColor(13));
        }
        HGDIOBJ oldPen = SelectObject(m_Hdc, m_Pen);
        HGDIOBJ oldBrush = SelectObject(m_Hdc, m_Brush);
        Rectangle(m_Hdc, x - 2, y - 2, x + 2, y + 2);
        SelectObject(m_Hdc, oldPen);
        SelectObject(m_Hdc, oldBrush);
        m_Last = x;
    }
    ~SelectionSquares()
    {
        if (m_Pen) {
            DeleteObject(m_Pen);
            DeleteObject(m_Brush);
        }
    }

private:
    HDC m_Hdc;
    bool m_On;
    int m_Last = -1000000;
    HPEN m_Pen = 0;
    HBRUSH m_Brush = 0;
};

} // namespace

void TIndex::DrawPriceBars(HDC hdc, const RECT *rect)
{
    if (SubPane || !Records || NoBars)
        return;
    HPEN fallPen = CreatePen(PS_SOLID, 1, ThemeColor(2));
    HBRUSH fallBrush = CreateSolidBrush(ThemeColor(2));
    HPEN risePen = CreatePen(PS_SOLID, 1, ThemeColor(3));
    HBRUSH riseBrush = CreateSolidBrush(ThemeColor(KLineMode ? 1 : 3));
    HGDIOBJ oldPen = SelectObject(hdc, risePen);
    HGDIOBJ oldBrush = SelectObject(hdc, riseBrush);
    SelectionSquares squares(hdc, Selection & 2);
    int half = TruncToInt(BarWidth / 2);
    double x = PlotRect.left + half;
    double scale = PriceDivisor;
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i, x += BarPitch) {
        const KLineRecord &r = Records[i];
        int px = TruncToInt(x);
        int yo = ValueToY(r.Open / scale), yh = ValueToY(r.High / scale);
        int yl = ValueToY(r.Low / scale), yc = ValueToY(r.Close / scale);
        if (r.Close < r.Open) {
            SelectObject(hdc, fallPen);
            SelectObject(hdc, fallBrush);
            Rectangle(hdc, px - half, yo, px + half + 1, yc + 1);
            MoveToEx(hdc, px, yc, nullptr);
            LineTo(hdc, px, yl);
            MoveToEx(hdc, px, yo, nullptr);
            LineTo(hdc, px, yh);
        } else {
            SelectObject(hdc, risePen);
            SelectObject(hdc, riseBrush);
            Rectangle(hdc, px - half, yc, px + half + 1, yo + 1);
            MoveToEx(hdc, px, yc, nullptr);
            LineTo(hdc, px, yh);
            MoveToEx(hdc, px, yo, nullptr);
            LineTo(hdc, px, yl);
        }
        squares.At(px, yo);
    }
    SelectObject(hdc, oldPen);
    SelectObject(hdc, oldBrush);
    DeleteObject(fallPen);
    DeleteObject(fallBrush);
    DeleteObject(risePen);
    DeleteObject(riseBrush);
}

void TIndex::DrawOhlcBars(HDC hdc, const RECT *rect, bool tick)
{
    if (SubPane || !Records || NoBars)
        return;
    HPEN fallPen = CreatePen(PS_SOLID, 1, ThemeColor(2));
    HPEN risePen = CreatePen(PS_SOLID, 1, ThemeColor(3));
    HGDIOBJ oldPen = SelectObject(hdc, risePen);
    SelectionSquares squares(hdc, Selection & 2);
    int width = TruncToInt(BarWidth);
    double x = PlotRect.left;
    double scale = PriceDivisor;
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i, x += BarPitch) {
        const KLineRecord &r = Records[i];
        int px = TruncToInt(x);
        int yo = ValueToY(r.Open / scale), yh = ValueToY(r.High / scale);
        int yl = ValueToY(r.Low / scale), yc = ValueToY(r.Close / scale);
        SelectObject(hdc, r.Close < r.Open ? fallPen : risePen);
        MoveToEx(hdc, px, yh, nullptr);
        LineTo(hdc, px, yl);
        MoveToEx(hdc, px, yc, nullptr);
        LineTo(hdc, px + width, yc);
        if (tick) {
            MoveToEx(hdc, px - width, yo, nullptr);
            LineTo(hdc, px, yo);
        }
        squares.At(px, yc);
    }
    SelectObject(hdc, oldPen);
    DeleteObject(fallPen);
    DeleteObject(risePen);
}

void TIndex::DrawVolumeBars(HDC hdc, const RECT *rect, int line)
{
    if (!Records || NoBars || line < 0 || line >= MaxIndexLines || !Lines[line])
        return;
    HPEN fallPen = CreatePen(PS_SOLID, 1, ThemeColor(2));
    HBRUSH fallBrush = CreateSolidBrush(ThemeColor(2));
    HPEN risePen = CreatePen(PS_SOLID, 1, ThemeColor(3));
    HBRUSH riseBrush = CreateSolidBrush(ThemeColor(KLineMode ? 1 : 3));
    HGDIOBJ oldPen = SelectObject(hdc, risePen);
    HGDIOBJ oldBrush = SelectObject(hdc, riseBrush);
    SelectionSquares squares(hdc, Selection & 2);
    int width = TruncToInt(BarWidth);
    double x = PlotRect.left;
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i, x += BarPitch) {
        float v = LineValue(line, i);
        if (IsOutOfRangeValue(v))
            continue;
        int px = TruncToInt(x);
        int y = ValueToY(v);
        bool falling = Records[i].Close < Records[i].Open;
        SelectObject(hdc, falling ? fallPen : risePen);
        SelectObject(hdc, falling ? fallBrush : riseBrush);
        Rectangle(hdc, px, y, px + width, PlotRect.bottom);
        squares.At(px, (y + PlotRect.bottom) / 2);
    }
    SelectObject(hdc, oldPen);
    SelectObject(hdc, oldBrush);
    DeleteObject(fallPen);
    DeleteObject(fallBrush);
    DeleteObject(risePen);
    DeleteObject(riseBrush);
}

void TIndex::DrawLineStyle(HDC hdc, const RECT *rect, int line, int start)
{
    if (NoLines || line < 0 || line >= MaxIndexLines || !Lines[line])
        return;
    SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(4 + line)));
    SelectionSquares squares(hdc, Selection & 1);
    // Each unbroken run of joined points is one polyline: the pixels of its
    // segments are those of the same segments drawn one by one, at a small
    // part of the cost. A run is cut where a selection square goes, so that
    // the square lies under the segments after it, as over those before it.
    std::vector<POINT> run;
    run.reserve(size_t(std::max(VisibleCount, 0)) + 1);
    auto draw = [&] {
        if (run.size() >= 2)
            Polyline(hdc, run.data(), int(run.size()));
    };
    double x = PlotRect.left + TruncToInt(BarWidth / 2);
    int y = PlotRect.bottom;
    bool started = false, broken = false;
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i, x += BarPitch) {
        float v = LineValue(line, i);
        bool gap = IsOutOfRangeValue(v);
        if (!gap)
            y = ValueToY(v);
        if (IsBreakAt(i))
            broken = true;
        int px = TruncToInt(x);
        if (i > start && started && !gap && !broken) {
            run.push_back(POINT{px, y});
        } else {
            // A new run starts here.
            draw();
            run.assign(1, POINT{px, y});
            if (i > start)
                started = true;
            broken = gap;
        }
        if (!gap && i >= start && squares.Due(px)) {
            draw();
            run.assign(1, POINT{px, y});
            squares.At(px, y);
        }
    }
    draw();
}

void TIndex::DrawBarStyle(HDC hdc, const RECT *rect, int line, int start)
{
    if (NoBars || line < 0 || line >= MaxIndexLines || !Lines[line])
        return;
    SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(4 + line)));
    SelectionSquares squares(hdc, Selection & 2);
    double x = PlotRect.left + TruncToInt(BarWidth / 2);
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i, x += BarPitch) {
        float v = LineValue(line, i);
        if (i < start || IsOutOfRangeValue(v))
            continue;
        int px = TruncToInt(x), y = ValueToY(v);
        MoveToEx(hdc, px, PlotRect.bottom, nullptr);
        LineTo(hdc, px, y);
        squares.At(px, y);
    }
}

void TIndex::DrawTBarStyle(HDC hdc, const RECT *rect, int line, float base, int start)
{
    if (NoBars || line < 0 || line >= MaxIndexLines || !Lines[line])
        return;
    HPEN upPen = CreatePen(PS_SOLID, 1, ThemeColor(21));
    HPEN downPen = CreatePen(PS_SOLID, 1, ThemeColor(19));
    HGDIOBJ oldPen = SelectObject(hdc, upPen);
    SelectionSquares squares(hdc, Selection & 2);
    double x = PlotRect.left + TruncToInt(BarWidth / 2);
    int yBase = ValueToY(base);
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i, x += BarPitch) {
        float v = LineValue(line, i);
        if (i < start || IsOutOfRangeValue(v))
            continue;
        int px = TruncToInt(x), y = ValueToY(v);
        SelectObject(hdc, v >= base ? upPen : downPen);
        MoveToEx(hdc, px, yBase, nullptr);
        LineTo(hdc, px, y);
        squares.At(px, y);
    }
    SelectObject(hdc, oldPen);
    DeleteObject(upPen);
    DeleteObject(downPen);
}
