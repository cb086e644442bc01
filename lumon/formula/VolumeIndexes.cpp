#include "lumon/formula/VolumeIndexes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "lumon/formula/BuiltinSupport.h"
#include "lumon/formula/IndexSupport.h"
#include "platform/gdi/Gdi.h"

bool BRAR::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    const int n = p[0];
    Styles[0].Style = Styles[1].Style = n >= 1 ? StyleLine : StyleNone;
    FillLinesNone();
    if (RecordCount == 0 || n < 1)
        return false;
    const int count = RecordCount;
    if (n < count) {
        // The terms in price units: AR's of every record, BR's from record 1.
        auto arUp = [&](int i) { return int64_t(Records[i].High) - int64_t(Records[i].Open); };
        auto arDown = [&](int i) { return int64_t(Records[i].Open) - int64_t(Records[i].Low); };
        auto brTerms = [&](int i, int64_t &up, int64_t &down) {
            const int64_t pc = PreviousRecord(*this, i).Close;
            up = std::max<int64_t>(int64_t(Records[i].High) - pc, 0);
            down = std::max<int64_t>(pc - int64_t(Records[i].Low), 0);
        };
        float *br = Lines[0], *ar = Lines[1];
        int64_t arU = 0, arD = 0, brU = 0, brD = 0, u, d;
        for (int i = 0; i < count; ++i) {
            arU += arUp(i);
            arD += arDown(i);
            if (i >= 1) {
                brTerms(i, u, d);
                brU += u;
                brD += d;
            }
            if (i >= n - 1) {
                ar[i] = arD == 0 ? (i == 0 ? NoValue : ar[i - 1]) : float(arU) / float(arD) * 100.0f;
                arU -= arUp(i - n + 1);
                arD -= arDown(i - n + 1);
            }
            if (i >= n) {
                br[i] = brD == 0 ? br[i - 1] : float(brU) / float(brD) * 100.0f;
                brTerms(i - n + 1, u, d);
                brU -= u;
                brD -= d;
            }
        }
    }
    Computed = 1;
    return true;
}

CR::CR(StockId stock) : TIndex(stock)
{
    Id = 162;
    LineCount = 5;
    Init();
}

float CR::ShiftedValue(int line, int i) const
{
    if (!Lines[line] || i < 0 || i >= std::min(RecordCount + Displacement[4], LineCapacity))
        return NoValue;
    return Lines[line][i];
}

bool CR::Compute()
{
    if (!TIndex::Compute())
        return false;
    if (Period < 1 || Period > 12)
        return false;
    int32_t *p = Params.Set[Period];
    for (int m = 1; m <= 4; ++m)
        p[m] = AveragePeriod[m];
    const int n = p[0];
    for (int k = 0; k < 5; ++k) {
        Styles[k].Style = n >= 1 ? StyleLine : StyleNone;
        Styles[k].TitleParam = float(AveragePeriod[k]);
    }
    const int filled = std::min(RecordCount + Displacement[4], LineCapacity);
    for (int k = 0; k < 5; ++k)
        if (Lines[k])
            std::fill(Lines[k], Lines[k] + filled, NoValue);
    float *up = WorkA[0], *down = WorkA[1], *average = WorkA[2];
    if (RecordCount == 0 || n < 1 || !up || !down || !average || RecordCount > WorkCapacity)
        return false;
    const int count = RecordCount;
    if (int64_t(n) + 1 < count) {
        up[0] = down[0] = 0;
        for (int i = 1; i < count; ++i) {
            const KLineRecord prev = PreviousRecord(*this, i);
            const float mid = float(uint64_t(prev.High) + prev.Low) * 0.5f;
            up[i] = std::max(float(Records[i].High) - mid, 0.0f);
            down[i] = std::max(mid - float(Records[i].Low), 0.0f);
        }
        float *line = Lines[0];
        float sumUp = 0, sumDown = 0;
        for (int i = 1; i < count; ++i) {
            sumUp += up[i];
            sumDown += down[i];
            if (i < n)
                continue;
            line[i] = sumDown == 0 ? line[i - 1] : sumUp / sumDown * 100.0f;
            sumUp -= up[i - n + 1];
            sumDown -= down[i - n + 1];
        }
        for (int m = 1; m <= 4; ++m) {
            MovingAverage(average, line, count, AveragePeriod[m], n);
            for (int i = n + AveragePeriod[m] - 1; i < count && i + Displacement[m] < LineCapacity; ++i)
                Lines[m][i + Displacement[m]] = average[i];
        }
    }
    Computed = 1;
    return true;
}

void CR::Layout()
{
    LayoutColumns();
    float max = 0, min = 0;
    for (int k = 0; k < LineCount; ++k) {
        if (Styles[k].Style != StyleNone) {
            max = min = VisibleCount > 0 ? ShiftedValue(k, FirstVisible) : 0.0f;
            break;
        }
    }
    for (int k = 0; k < LineCount; ++k) {
        if (Styles[k].Style == StyleNone)
            continue;
        const int end = FirstVisible + VisibleCount + Displacement[k];
        for (int i = FirstVisible; i < end; ++i) {
            const float v = ShiftedValue(k, i);
            if (IsOutOfRangeValue(v))
                continue;
            if (IsOutOfRangeValue(max))
                max = v;
            if (IsOutOfRangeValue(min))
                min = v;
            max = std::max(max, v);
            min = std::min(min, v);
        }
    }
    SetValueRange(*this, max, min);
}

bool CR::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!BeginOwnDraw(*this, hdc, rect, true))
        return false;
    for (int k = 0; k < LineCount; ++k)
        if (Styles[k].Style != StyleNone)
            DrawShiftedLine(hdc, k, 0);
    // The displaced part counts as shown for the mouse and the axes.
    VisibleCount += Displacement[4];
    return true;
}

void CR::DrawShiftedLine(win::HDC hdc, int line, int start)
{
    if (line < 0 || line >= LineCount || !Lines[line])
        return;
    win::HPEN pen = win::CreatePen(win::PS_SOLID, 1, ThemeColor(4 + line));
    win::HGDIOBJ oldPen = win::SelectObject(hdc, pen);
    win::HPEN squarePen = 0;
    win::HBRUSH squareBrush = 0;
    int lastSquare = -1000000;
    const int end = FirstVisible + std::min(VisibleCount + Displacement[line], Capacity);
    double x = PlotRect.left + TruncToInt(BarWidth / 2);
    int y = PlotRect.bottom;
    bool started = false, broken = false;
    for (int i = FirstVisible; i < end; ++i, x += BarPitch) {
        const float v = ShiftedValue(line, i);
        const bool gap = IsOutOfRangeValue(v);
        if (!gap)
            y = ValueToY(v);
        const int px = TruncToInt(x);
        if (i > start && started && !gap && !broken) {
            win::LineTo(hdc, px, y);
        } else {
            win::MoveToEx(hdc, px, y, nullptr);
            if (i > start)
                started = true;
            broken = gap;
        }
        if ((Selection & 1) && !gap && i >= start && px - lastSquare >= 40) {
            if (!squarePen) {
                squarePen = win::CreatePen(win::PS_SOLID, 1, ThemeColor(13));
                squareBrush = win::CreateSolidBrush(ThemeColor(13));
            }
            win::HGDIOBJ p = win::SelectObject(hdc, squarePen);
            win::HGDIOBJ b = win::SelectObject(hdc, squareBrush);
            win::Rectangle(hdc, px - 2, y - 2, px + 2, y + 2);
            win::SelectObject(hdc, p);
            win::SelectObject(hdc, b);
            lastSquare = px;
        }
    }
    win::SelectObject(hdc, oldPen);
    win::DeleteObject(pen);
    if (squarePen) {
        win::DeleteObject(squarePen);
        win::DeleteObject(squareBrush);
    }
}

bool VR::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    StylesFromParams(*this, p, 2);
    Styles[1].TitleParam = float(p[1]);
    FillLinesNone();
    const int n = p[0];
    float *direction = WorkA[0];
    if (RecordCount == 0 || n < 1 || !direction || RecordCount > WorkCapacity)
        return false;
    const int count = RecordCount;
    if (int64_t(n) + 1 < count) {
        direction[0] = 0;
        for (int i = 1; i < count; ++i) {
            const int64_t d = int64_t(Records[i].Close) - int64_t(PreviousRecord(*this, i).Close);
            direction[i] = d > 0 ? 1.0f : d < 0 ? -1.0f : 0.0f;
        }
        float sums[3] = {}; // falling, equal, rising
        float *line = Lines[0];
        for (int i = 0; i < count; ++i) {
            sums[int(direction[i]) + 1] += Records[i].Amount;
            if (i < n)
                continue;
            const float below = sums[1] * 0.5f + sums[0];
            line[i] = below == 0 ? line[i - 1] : (sums[1] * 0.5f + sums[2]) / below * 100.0f;
            sums[int(direction[i - n]) + 1] -= Records[i - n].Amount;
        }
        if (p[1] > 0)
            MovingAverage(Lines[1], line, count, p[1], n);
    }
    Computed = 1;
    return true;
}

bool OBV::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    Styles[1].Style = p[0] >= 1 ? StyleLine : StyleNone;
    Styles[1].TitleParam = float(p[0]);
    FillLinesNone();
    if (RecordCount == 0)
        return false;
    const int count = RecordCount;
    float *line = Lines[0];
    line[0] = 0;
    for (int i = 1; i < count; ++i) {
        const float a = Records[i].Amount * 0.0001f;
        const uint32_t c = Records[i].Close, pc = PreviousRecord(*this, i).Close;
        line[i] = c > pc ? line[i - 1] + a : c < pc ? line[i - 1] - a : line[i - 1];
    }
    if (p[0] != 0)
        MovingAverage(Lines[1], line, count, p[0], 0);
    Computed = 1;
    return true;
}

bool ASI::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    Styles[1].Style = p[0] >= 1 ? StyleLine : StyleNone;
    Styles[1].TitleParam = float(p[0]);
    FillLinesNone();
    if (RecordCount == 0)
        return false;
    const int count = RecordCount;
    float *line = Lines[0];
    line[0] = 0;
    for (int i = 1; i < count; ++i) {
        const KLineRecord &r = Records[i], &raw = Records[i - 1];
        const int64_t h = r.High, l = r.Low, c = r.Close, o = r.Open;
        const int64_t pc = PreviousRecord(*this, i).Close;
        const int64_t pcr = raw.Close, por = raw.Open;
        const int64_t ta = std::llabs(h - pc), tb = std::llabs(l - pc), tc = std::llabs(h - l),
                      td = std::llabs(pcr - por);
        const float x = float(c - pc) + float(c - o) * 0.5f + float(pcr - por) * 0.25f;
        float range;
        if (ta >= tb && ta >= tc)
            range = float(ta) + float(tb) * 0.5f + float(td) * 0.25f;
        else if (tb >= ta && tb >= tc)
            range = float(tb) + float(ta) * 0.5f + float(td) * 0.25f;
        else
            range = float(tc) + float(td) * 0.25f;
        const float k = float(std::max(ta, tb)) / PriceDivisor;
        const float si = range == 0 ? 0.0f : 50.0f * x / range * k / 3.0f;
        line[i] = line[i - 1] + si;
    }
    if (p[0] > 0)
        MovingAverage(Lines[1], line, count, p[0], 0);
    Computed = 1;
    return true;
}

bool EMV::Compute()
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {0.0f});
    StylesFromParams(*this, p, 2);
    Styles[1].TitleParam = float(p[1]);
    FillLinesNone();
    float *w = WorkA[0];
    if (RecordCount == 0 || p[0] < 1 || p[1] < 1 || !w || RecordCount > WorkCapacity)
        return false;
    const int count = RecordCount;
    if (p[0] < count) {
        w[0] = 0;
        for (int i = 1; i < count; ++i) {
            const KLineRecord &r = Records[i];
            const KLineRecord prev = PreviousRecord(*this, i);
            const float mid = float(uint64_t(r.High) + r.Low) * 0.5f;
            const float previousMid = float(uint64_t(prev.High) + prev.Low) * 0.5f;
            const float range = float(int64_t(r.High) - int64_t(r.Low));
            const float q = range >= 1e-10f ? r.Amount / range : 0.0f;
            w[i] = range >= 1e-10f && q >= 1e-10f ? 0.01f * (mid - previousMid) / q : w[i - 1];
        }
        MovingAverage(Lines[0], w, count, p[0], 1);
        MovingAverage(Lines[1], Lines[0], count, p[1], p[0]);
        for (int k = 0; k < 2; ++k)
            for (int i = 0; i < count; ++i)
                Lines[k][i] *= 100000.0f;
    }
    Computed = 1;
    return true;
}
