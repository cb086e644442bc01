#include "lumon/formula/MarketRelative.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexSupport.h"
#include "platform/gdi/Gdi.h"

using namespace win;

bool IsIndexStock(StockId stock)
{
    TMarketData *md = nullptr;
    char code[8];
    if (!StockMarketAndCode(stock, md, code))
        return false;
    int cls = StockClass(stock);
    return cls < md->Info.ClassCount && cls < 15 && md->Info.Classes[cls].IsIndex != 0;
}

TLonSht::TLonSht(StockId stock, int id, bool cumulative) : TFamilyIndex(stock, id, 3), m_Cumulative(cumulative) {}

bool TLonSht::Compute()
{
    return ComputeLonSht(m_Cumulative);
}

bool TLonSht::ComputeLonSht(bool cumulative)
{
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    ForceRefLines(*this, {0.0f});
    Styles[0].Style = StyleLine;
    Styles[1].Style = p[0] >= 1 ? StyleLine : StyleNone;
    Styles[1].TitleParam = float(p[0]);
    Styles[2].Style = StyleTBar;
    FillLinesNone();
    if (RecordCount == 0 || !HasWork(1))
        return false;
    float *line = Lines[0];
    line[0] = 0;
    float e1 = 0, e2 = 0;
    for (int i = 1; i < RecordCount; ++i) {
        // The previous close on the footing of an event that falls on this day.
        KLineRecord before = Records[i - 1];
        if (int number = EventMode() ? EventTakingEffectAt(i) : 0)
            AdjustRecordForward(before, Weights, number);
        const double c = Records[i].Close, h = Records[i].High, l = Records[i].Low, pc = before.Close;
        const double up = (c - l) + std::max(h - pc, 0.0);
        const double down = (h - c) + std::max(pc - l, 0.0);
        const float v = up + down == 0 ? 0.0f : float(0.0001 * (up - down) * Records[i].Volume / (up + down));
        if (i == 1) {
            e1 = 0.1f * v;
            e2 = 0.05f * v;
        } else {
            e1 = 0.1f * (v - e1) + e1;
            e2 = 0.05f * (v - e2) + e2;
        }
        line[i] = cumulative ? line[i - 1] + (e1 - e2) : e1 - e2;
    }
    std::copy(line, line + RecordCount, Lines[2]);
    if (p[0] >= 1)
        MovingAverage(Lines[1], line, RecordCount, p[0], 1);
    Computed = 1;
    return true;
}

bool TLonSht::Draw(HDC hdc, const RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    DrawLineStyle(hdc, rect, 0, 0);
    DrawLineStyle(hdc, rect, 1, 0);
    DrawTBarStyle(hdc, rect, 2, 0.0f, 0);
    return true;
}

RAD::RAD(StockId stock) : TFamilyIndex(stock, 363, 2) {}

bool RAD::Compute()
{
    m_Refused = false;
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    FillLinesNone();
    if (IsIndexStock(Stock)) {
        ShowLines(*this, LineCount, false);
        m_Refused = true;
        Computed = 1;
        return true;
    }
    Styles[0].Style = StyleLine;
    Styles[1].Style = p[0] >= 1 ? StyleLine : StyleNone;
    Styles[1].TitleParam = float(p[0]);
    if (RecordCount == 0)
        return false;
    // The market's index; other markets have none and the line stays flat.
    const int market = StockMarket(Stock);
    const char *indexCode = market == 0 ? "1a0001" : market == 1 ? "2a01" : nullptr;
    const int size = std::max(MaxDataRecords, 1) + 100;
    auto *bars = static_cast<KLineRecord *>(EMemAlloc(size_t(size) * sizeof(KLineRecord)));
    int count = 0;
    if (bars && indexCode && !TDataIO::ReadBars(bars, market, indexCode, count, Period, MaxDataRecords, 0, 0))
        count = 0;
    count = std::clamp(count, 0, size);
    float *rad = Lines[0];
    rad[0] = 0;
    int j = 1;
    int i = 1;
    for (; i < RecordCount; ++i) {
        while (j < count && ComparePackedDate(bars[j].Time, Records[i].Time) < 0)
            ++j;
        if (j >= count)
            break;
        if (!IsSameDay(bars[j].Time, Records[i].Time)) {
            rad[i] = rad[i - 1];
            continue;
        }
        KLineRecord before = Records[i - 1];
        if (int number = EventMode() ? EventTakingEffectAt(i) : 0)
            AdjustRecordForward(before, Weights, number);
        const double pc = before.Close, ic = bars[j - 1].Close;
        const double s = pc == 0 ? 0 : (double(Records[i].Close) - pc) / pc * 100;
        const double x = ic == 0 ? 0 : (double(bars[j].Close) - ic) / ic * 100;
        rad[i] = float(rad[i - 1] + (s - x) * 2.0);
        if (++j >= count) {
            ++i;
            break;
        }
    }
    for (; i < RecordCount; ++i)
        rad[i] = rad[i - 1];
    EMemFree(bars);
    if (p[0] > 0)
        MovingAverage(Lines[1], rad, RecordCount, p[0], 0);
    Computed = 1;
    return true;
}

bool RAD::Draw(HDC hdc, const RECT *rect)
{
    return m_Refused ? DrawRefused(hdc, rect, "大盘无此指标!", 6, 13) : TFamilyIndex::Draw(hdc, rect);
}

ADL::ADL(StockId stock) : TFamilyIndex(stock, 281, 2) {}

bool ADL::Compute()
{
    m_Refused = false;
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    FillLinesNone();
    if (!IsIndexStock(Stock)) {
        ShowLines(*this, LineCount, false);
        m_Refused = true;
        Computed = 1;
        return true;
    }
    Styles[0].Style = StyleLine;
    Styles[1].Style = p[0] >= 1 ? StyleLine : StyleNone;
    Styles[1].TitleParam = float(p[0]);
    if (RecordCount == 0)
        return false;
    float *adl = Lines[0];
    for (int i = 0; i < RecordCount; ++i)
        adl[i] = (i ? adl[i - 1] : 0.0f) + float(int(Records[i].Advances) - int(Records[i].Declines));
    if (p[0] > 0)
        MovingAverage(Lines[1], adl, RecordCount, p[0], 1);
    Computed = 1;
    return true;
}

bool ADL::Draw(HDC hdc, const RECT *rect)
{
    return m_Refused ? DrawRefused(hdc, rect, "个股无此指标!", 6, 13) : TFamilyIndex::Draw(hdc, rect);
}

SSL::SSL(StockId stock) : TFamilyIndex(stock, 365, 3) {}

bool SSL::Compute()
{
    if (!BeginCompute(*this))
        return false;
    for (int k = 0; k < LineCount; ++k)
        Styles[k].Style = k == 0 ? StyleLine : StyleNone;
    FillLinesNone();
    if (RecordCount == 0 || LineCount < 1)
        return false;
    for (int i = 0; i < RecordCount; ++i) {
        const double sum = 2.0 * Records[i].Close + Records[i].High + Records[i].Low;
        Lines[0][i] = float(sum / PriceDivisor * 0.25);
    }
    Computed = 1;
    return true;
}

bool SSL::Draw(HDC hdc, const RECT *rect)
{
    if (!rect)
        return false;
    TakePlotRect(*this, rect, true);
    Rows = 0;
    if (!Computed)
        return false;
    Layout();

    if (VisibleCount > 0 && Records) {
        PackedDateTime from = Records[FirstVisible].Time, to = Records[FirstVisible + VisibleCount - 1].Time;
        if (Period < 8) {
            ShiftPackedTimeByZone(StockMarket(Stock), StockClass(Stock), from);
            ShiftPackedTimeByZone(StockMarket(Stock), StockClass(Stock), to);
        }
        char title[96];
        int n = std::snprintf(title, sizeof title, "压力支撑表 %4d/%02d/%02d--%4d/%02d/%02d", PackedYear(from),
                              PackedMonth(from), PackedDay(from), PackedYear(to), PackedMonth(to), PackedDay(to));
        SelectedObject font(hdc, CreateThemeFont(10));
        SetTextColor(hdc, ThemeColor(13));
        TextOutA(hdc, 2, PlotRect.top - 15, title, std::clamp(n, 0, int(sizeof title) - 1));
    }
    {
        SelectedObject pen(hdc, CreatePen(PS_DOT, 1, ThemeColor(12)));
        MoveToEx(hdc, PlotRect.left + 1, PlotRect.top, nullptr);
        LineTo(hdc, PlotRect.right - 1, PlotRect.top);
        MoveToEx(hdc, PlotRect.left + 1, PlotRect.bottom, nullptr);
        LineTo(hdc, PlotRect.right - 1, PlotRect.bottom);
    }
    int oldMode = SetBkMode(hdc, TRANSPARENT);
    const int h = ThemeFontHeight(6);
    const int g = std::max(h / 4, 2);
    // The rows are kept in lines 1 and 2, so there are never more than they hold.
    int rows = (PlotRect.bottom - PlotRect.top) / std::max(h + g, 1);
    if (LineCount < 3 || !Lines[1] || !Lines[2])
        rows = 0;
    rows = std::clamp(rows, 0, LineCapacity);
    Rows = rows;
    if (rows > 0 && VisibleCount > 0) {
        const int end = FirstVisible + VisibleCount;
        float max = LineValue(0, FirstVisible), min = max;
        for (int i = FirstVisible; i < end; ++i) {
            float v = LineValue(0, i);
            if (IsOutOfRangeValue(v))
                continue;
            if (IsOutOfRangeValue(max))
                max = min = v;
            max = std::max(max, v);
            min = std::min(min, v);
        }
        const float step = (max - min) / float(rows);
        float *levels = Lines[1], *volumes = Lines[2];
        float largest = 0;
        for (int r = 0; r < rows; ++r) {
            levels[r] = max - float(r) * step;
            float volume = 0;
            for (int i = FirstVisible; i < end; ++i) {
                float v = LineValue(0, i);
                // The last row also takes the lowest value, which would
                // otherwise fall on no row's open lower bound.
                if (v <= levels[r] && (v > levels[r] - step || (r == rows - 1 && v >= min)))
                    volume += Records[i].Volume;
            }
            volumes[r] = volume;
            largest = std::max(largest, volume);
        }
        SelectedObject font(hdc, CreateThemeFont(6));
        const int width = PlotRect.right - PlotRect.left;
        const int charWidth = ThemeCharWidth(6);
        for (int r = 0; r < rows; ++r) {
            const int y = PlotRect.top + 5 + r * (h + g);
            char text[64];
            const float level = levels[r];
            std::snprintf(text, sizeof text, level <= -1e7f || level >= 1e7f ? "%-9.3E" : "%-9.3f", double(level));
            int length = std::min(int(std::strlen(text)), 9);
            while (length > 0 && text[length - 1] == ' ')
                --length;
            if (length > 0 && text[length - 1] == '.')
                --length;
            SetTextColor(hdc, ThemeColor(4));
            TextOutA(hdc, PlotRect.right + 5, y, text, length);
            if (volumes[r] == 0)
                continue;
            {
                SelectedObject brush(hdc, CreateSolidBrush(ThemeColor(10)));
                const int left = PlotRect.right - TruncToInt(double(width - 5) * volumes[r] / largest);
                Rectangle(hdc, left, y, PlotRect.right, y + h);
            }
            length = std::snprintf(text, sizeof text, "%.0f ", double(volumes[r]) * 0.01);
            length = std::clamp(length, 0, int(sizeof text) - 1);
            SetTextColor(hdc, ThemeColor(5));
            TextOutA(hdc, PlotRect.right - length * charWidth, y, text, length);
        }
    }
    SetBkMode(hdc, oldMode);
    DrawLineStyle(hdc, rect, 0, 0);
    return true;
}
