// TIndex: the pane's bands and axes (title band, cursor title, value axis with
// reference and month lines, date axis), the high and low labels, and the hit
// test of the mouse.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TIndex.h"
#include "platform/gdi/Gdi.h"

using namespace win;

namespace {

constexpr int TitleBandHeight = 16;

// "%-.3f" of a value, or of its ten-thousandth above 1e7.
void FormatValue(char *text, size_t size, float v)
{
    if (IsOutOfRangeValue(v))
        std::snprintf(text, size, "----");
    else
        std::snprintf(text, size, "%-.3f", (v > -1e7f && v < 1e7f) ? double(v) : double(v) * 0.0001);
}

void Text(HDC hdc, int x, int y, const char *text, int length, COLORREF color)
{
    SetTextColor(hdc, color);
    TextOutA(hdc, x, y, text, length);
}

void DottedLine(HDC hdc, int x1, int y1, int x2, int y2)
{
    MoveToEx(hdc, x1, y1, nullptr);
    LineTo(hdc, x2, y2);
}

// Distance from (px, py) to the segment, tested along its steeper axis.
bool NearSegment(int px, int py, int x1, int y1, int x2, int y2, int tolerance)
{
    int dx = x2 - x1, dy = y2 - y1;
    if (std::abs(dx) >= std::abs(dy)) {
        if (px < std::min(x1, x2) || px > std::max(x1, x2))
            return false;
        double y = dx == 0 ? y1 : y1 + double(dy) * (px - x1) / dx;
        return std::fabs(py - y) <= tolerance;
    }
    if (py < std::min(y1, y2) || py > std::max(y1, y2))
        return false;
    double x = x1 + double(dx) * (py - y1) / dy;
    return std::fabs(px - x) <= tolerance;
}

} // namespace

PackedDateTime TIndex::ShownDate(PackedDateTime t) const
{
    if (Period < 8)
        ShiftPackedTimeByZone(StockMarket(Stock), StockClass(Stock), t);
    return t;
}

bool TIndex::BreaksLinesAtEvents() const
{
    return Id == 1 || Id == 2 || Id == 3 || Id == 5 || Id == 9 || Id == 44 || Id == 121 || Id == 122 || Id == 125;
}

bool TIndex::Draw(HDC hdc, const RECT *rect)
{
    if (!rect)
        return false;
    PlotRect = *rect;
    TitleBand = 0;
    BottomMargin = 0;
    if (PlotRect.bottom - PlotRect.top > TitleBandHeight) {
        TitleBand = 1;
        PlotRect.top += TitleBandHeight;
    }
    if ((Id == 3 || Id == 9) && PlotRect.bottom - PlotRect.top >= 17 && StackCount == 1) {
        BottomMargin = 1;
        PlotRect.bottom -= 8;
    }
    if (!Computed)
        return false;
    Layout();
    DrawScale(hdc, rect);
    return true;
}

void TIndex::DrawTitleFor(HDC hdc, int record, bool blank)
{
    int h = ThemeFontHeight(10);
    int cw = ThemeCharWidth(10);
    SelectedObject font(hdc, CreateThemeFont(10));
    int y = PlotRect.top - TitleBandHeight + 1;
    int x = PlotRect.left + 2;
    if (blank) {
        char spaces[201];
        int n = std::clamp((PlotRect.right - PlotRect.left) / cw, 0, 200);
        std::memset(spaces, ' ', size_t(n));
        TextOutA(hdc, PlotRect.left, y, spaces, n);
    }
    if (StackCount >= 2) {
        int boxWidth = 6 * h / 2 + 8;
        int bx = PlotRect.left + (StackPos - 1) * boxWidth;
        int length = int(strnlen(Definition.Name, sizeof Definition.Name));
        int room = std::max((PlotRect.right - bx) / cw, 0);
        int cut = GbkCutLength(Definition.Name, length, std::min(6, room));
        Text(hdc, bx, y, Definition.Name, cut, ThemeColor(Selection ? 6 : 13));
        return;
    }
    char text[128];
    // Each text advances x by its width and 8 pixels; the band ends at the first
    // text that does not fit.
    auto put = [&](const char *s, COLORREF color) {
        int length = int(std::strlen(s));
        if (x + length * cw > PlotRect.right)
            return false;
        Text(hdc, x, y, s, length, color);
        x += length * cw + 8;
        return true;
    };
    std::snprintf(text, sizeof text, "%.*s -", int(strnlen(Definition.Name, sizeof Definition.Name)),
                  Definition.Name);
    if (!put(text, ThemeColor(13)))
        return;
    for (int k = 0; k < LineCount; ++k) {
        if (!Lines[k] || Styles[k].Style == StyleNone)
            continue;
        int nameLength = int(strnlen(Definition.LineNames[k], sizeof Definition.LineNames[k]));
        if (Styles[k].TitleParam > 0)
            std::snprintf(text, sizeof text, "%.0f%.*s", double(Styles[k].TitleParam), nameLength,
                          Definition.LineNames[k]);
        else
            std::snprintf(text, sizeof text, "%.*s", nameLength, Definition.LineNames[k]);
        if (!put(text, ThemeColor(4 + k)))
            return;
        FormatValue(text, sizeof text, LineValue(k, record));
        if (!put(text, ThemeColor(4 + k)))
            return;
    }
}

void TIndex::DrawTitle(HDC hdc, const RECT *rect)
{
    DrawTitleFor(hdc, RecordCount - 1, StackPos == 1);
}

RECT TIndex::DrawCursorTitle(HDC hdc, int x)
{
    RECT band{};
    int column = x;
    int record = XToRecord(column, false);
    if (record < 0 || !TitleBand || !Records || RecordCount < 1 || !Computed)
        return band;
    DrawTitleFor(hdc, record, StackPos == StackCount);
    band = {PlotRect.left, PlotRect.top - TitleBandHeight, PlotRect.right, PlotRect.top};
    return band;
}

void TIndex::DrawScale(HDC hdc, const RECT *rect)
{
    if (TitleBand)
        DrawTitle(hdc, rect);
    if (StackPos > 1 || !rect)
        return;
    int height = PlotRect.bottom - PlotRect.top;
    if (height <= 0)
        return;
    int h = ThemeFontHeight(6);
    TMarketData *md = nullptr;
    char code[8];
    bool stockMarket = StockMarketAndCode(Stock, md, code) && md->Info.Type == 1;
    int spacing = stockMarket ? 30 : 90;
    int base = stockMarket ? 3 : 9;
    int lines = int(std::max(double(height) / spacing, 1.0));

    SelectedObject font(hdc, CreateThemeFont(6));
    SelectedObject pen(hdc, CreatePen(PS_DOT, 1, ThemeColor(12)));
    SetTextColor(hdc, ThemeColor(13));
    int labelX = (PlotRect.left >= 75 && PlotRect.left <= 85) ? 2 : PlotRect.right + 4;
    double range = double(ValueMax) - double(ValueMin);
    int lastLabel = INT32_MAX;
    auto labelFits = [&](int y) {
        return lastLabel - y >= 10 && y >= rect->top + 5 && y <= rect->bottom - 5;
    };
    char text[64], format[16];

    if (range > 0 && !PriceScale) {
        for (int k = 0; k <= lines; ++k) {
            int y = PlotRect.bottom - TruncToInt(range * k / lines * YScale);
            double value = range * k / lines + ValueMin;
            DottedLine(hdc, PlotRect.left, y, PlotRect.right, y);
            if (!labelFits(y))
                continue;
            std::snprintf(text, sizeof text, "%-7.3f", (value > -1e7 && value < 1e7) ? value : value * 0.0001);
            size_t length = std::strlen(text);
            while (length > 0 && text[length - 1] == ' ')
                --length;
            if (length > 0 && text[length - 1] == '.')
                --length;
            TextOutA(hdc, labelX, y - 5, text, int(length));
            lastLabel = y;
        }
    } else if (range > 0) {
        int d = PriceDecimals();
        double units = std::pow(10.0, d);
        std::snprintf(format, sizeof format, "%%-7.%df", d);
        // A font of height 0 would make steps of one unit over any range.
        double units0 = range * units * std::max(h, 1) * base / height;
        int64_t step = units0 < 1e15 ? int64_t(units0) : int64_t(1e15);
        step -= step % 5;
        if (step * YScale / units < 2.0 * h)
            step += 5;
        step = std::max<int64_t>(step, 1);
        double minUnits = double(ValueMin) * units;
        int64_t value;
        int y;
        if (step < 5 || BottomMargin) {
            value = int64_t(std::llround(minUnits));
            y = PlotRect.bottom + (BottomMargin ? 8 : 0);
        } else {
            value = (int64_t(std::floor(minUnits / 5)) + 1) * 5;
            y = ValueToY(value / units);
        }
        double maxUnits = double(ValueMax) * units;
        int lastLine = INT32_MAX;
        bool first = true;
        while (value < maxUnits + step) {
            bool last = value > maxUnits;
            double shown = last ? double(ValueMax) : value / units;
            if (last)
                y = PlotRect.top;
            DottedLine(hdc, PlotRect.left, y, PlotRect.right, y);
            int gapNeeded = first ? h / 2 : 2 * h;
            if (labelFits(y) && lastLine - y >= gapNeeded) {
                std::snprintf(text, sizeof text, format, shown);
                TextOutA(hdc, labelX, y - 5, text, int(std::strlen(text)));
                lastLabel = y;
            }
            lastLine = y;
            first = false;
            if (last)
                break;
            value += step;
            y = ValueToY(value / units);
        }
    }

    if (range > 0) {
        SelectedObject refPen(hdc, CreatePen(PS_DOT, 1, ThemeColor(29)));
        for (int k = 0; k < 4; ++k) {
            if (!RefShown[k] || !(RefLevel[k] >= ValueMin && RefLevel[k] <= ValueMax))
                continue;
            int y = ValueToY(RefLevel[k]);
            DottedLine(hdc, PlotRect.left, y, PlotRect.right, y);
        }
    }

    // Month lines at the first bar of each month, at least 51 pixels apart.
    if (!Records)
        return;
    double x = PlotRect.left + BarWidth / 2.0;
    int lastLineX = INT32_MIN / 2;
    int month = -1, year = -1;
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i, x += BarPitch) {
        PackedDateTime t = ShownDate(Records[i].Time);
        bool changed = month >= 0 && (PackedMonth(t) != month || PackedYear(t) != year);
        month = PackedMonth(t);
        year = PackedYear(t);
        int px = TruncToInt(x);
        if (changed && px <= PlotRect.right && px - lastLineX >= 51) {
            DottedLine(hdc, px, PlotRect.top, px, PlotRect.bottom);
            lastLineX = px;
        }
    }
}

void TIndex::DrawTimeAxis(HDC hdc, const RECT *rect)
{
    if (!rect || !Records || VisibleCount < 1)
        return;
    int cw = ThemeCharWidth(7);
    SelectedObject font(hdc, CreateThemeFont(7));
    SetTextColor(hdc, ThemeColor(30));
    double x = PlotRect.left + BarWidth * 0.5;
    double distance = 51;
    int labelEnd = -50;
    int seenDay = -1, seenMonth = -1, seenYear = -1;
    int labelMonth = -1, labelYear = -1;
    char text[16];
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i, x += BarPitch, distance += BarPitch) {
        PackedDateTime t = ShownDate(Records[i].Time);
        int day = PackedDay(t), month = PackedMonth(t), year = PackedYear(t);
        bool due;
        int need;
        if (Period < 8) {
            due = day != seenDay || month != seenMonth;
            if (month == labelMonth)
                std::snprintf(text, sizeof text, "%02d", day);
            else
                std::snprintf(text, sizeof text, "%02d/%02d", month, day);
            need = 3 * cw;
        } else {
            due = month != seenMonth || year != seenYear;
            if (year == labelYear)
                std::snprintf(text, sizeof text, "%02d", month);
            else
                std::snprintf(text, sizeof text, "%04d%02d", year, month);
            need = 5 * cw / 2;
        }
        seenDay = day;
        seenMonth = month;
        seenYear = year;
        int px = TruncToInt(x);
        if (!due || px <= labelEnd || px + need > PlotRect.right || distance <= 50)
            continue;
        int length = int(std::strlen(text));
        TextOutA(hdc, px, rect->top + 2, text, length);
        labelEnd = px + length * cw;
        distance = 0;
        labelMonth = month;
        labelYear = year;
    }
}

void TIndex::DrawHighLowMarks(HDC hdc, const RECT *rect)
{
    DrawExRightsMarks(hdc, rect);
    if (!PriceScale || !Records || VisibleCount < 1)
        return;
    int high = FirstVisible, low = FirstVisible;
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i) {
        if (Records[i].High > Records[high].High)
            high = i;
        if (Records[i].Low < Records[low].Low)
            low = i;
    }
    int h = ThemeFontHeight(6);
    int cw = ThemeCharWidth(6);
    SelectedObject font(hdc, CreateThemeFont(6));
    SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(13)));
    SetTextColor(hdc, ThemeColor(43));
    char format[16], text[48];
    std::snprintf(format, sizeof format, "%%-.%df", PriceDecimals());
    auto mark = [&](int record, uint32_t price) {
        double value = price / double(PriceDivisor);
        int y = ValueToY(value);
        if (y - h / 2 < PlotRect.top || y + h / 2 > PlotRect.bottom)
            return;
        std::snprintf(text, sizeof text, format, value);
        int width = int(std::strlen(text)) * cw;
        int centre = RecordCentreX(record);
        int dir = centre + h + 2 + width <= PlotRect.right ? 1 : -1;
        MoveToEx(hdc, centre + dir * h, y, nullptr);
        LineTo(hdc, centre + dir, y);
        LineTo(hdc, centre + dir * 3, y - 2);
        MoveToEx(hdc, centre + dir, y, nullptr);
        LineTo(hdc, centre + dir * 3, y + 2);
        int tx = dir > 0 ? centre + h + 2 : centre - h - 2 - width;
        TextOutA(hdc, tx, y - h / 2, text, int(std::strlen(text)));
    };
    mark(high, Records[high].High);
    mark(low, Records[low].Low);
}

int TIndex::LineStart(int line) const
{
    const int32_t *p = CurrentParams();
    if ((Id == 321 || Id == 322) && p && line >= 1 && line <= 6)
        return p[line - 1];
    return 0;
}

bool TIndex::IsBreakAt(int record) const
{
    return EventMode() && BreaksLinesAtEvents() && EventTakingEffectAt(record) != 0;
}

bool TIndex::HitLines(int x, int y) const
{
    if (Id == 6 || Id == 7 || Id == 47)
        return false;
    int end = FirstVisible + VisibleCount;
    for (int k = 0; k < LineCount; ++k) {
        if (!Lines[k] || Styles[k].Style != StyleLine || NoLines)
            continue;
        if (k == 0 && (Id == 321 || Id == 322))
            continue;
        int start = LineStart(k);
        for (int i = FirstVisible; i < end; ++i) {
            float v = LineValue(k, i);
            if (IsOutOfRangeValue(v) || i < start)
                continue;
            int x2 = RecordCentreX(i), y2 = ValueToY(v);
            if (i == end - 1 && std::abs(x - x2) <= 2 && std::abs(y - y2) <= 1)
                return true;
            if (i == FirstVisible)
                continue;
            float u = LineValue(k, i - 1);
            if (IsOutOfRangeValue(u) || i - 1 < start || IsBreakAt(i))
                continue;
            if (NearSegment(x, y, RecordCentreX(i - 1), ValueToY(u), x2, y2, 2))
                return true;
        }
    }
    return false;
}

bool TIndex::HitPriceBars(int x, int y) const
{
    if (SubPane || !Records)
        return false;
    bool candles = Id == 3 || Id == 5 || Id == 9 || Id == 44;
    bool ohlc = Id == 1 || Id == 8 || Id == 47 || Id == 121 || Id == 122 || Id == 125;
    bool columns = Id == 321 || Id == 322;
    int half = TruncToInt(BarWidth / 2);
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i) {
        const KLineRecord &r = Records[i];
        auto yOf = [&](uint32_t price) { return ValueToY(price / double(PriceDivisor)); };
        int centre = RecordCentreX(i);
        if (candles) {
            int top = std::min(yOf(r.Open), yOf(r.Close)), bottom = std::max(yOf(r.Open), yOf(r.Close));
            if (x >= centre - half && x <= centre + half && y >= top && y <= bottom)
                return true;
            if (std::abs(x - centre) <= 2 && y >= yOf(r.High) && y <= yOf(r.Low))
                return true;
        } else if (ohlc) {
            int left = PlotRect.left + TruncToInt(BarPitch * (i - FirstVisible));
            if (std::abs(x - left) <= 2 && y >= yOf(r.High) && y <= yOf(r.Low))
                return true;
        } else if (columns) {
            float v = LineValue(0, i);
            int left = PlotRect.left + TruncToInt(BarPitch * (i - FirstVisible));
            if (!IsOutOfRangeValue(v) && x >= left && x < left + TruncToInt(BarWidth) && y >= ValueToY(v) &&
                y < PlotRect.bottom)
                return true;
        }
    }
    return false;
}

int TIndex::HitTest(int x, int y)
{
    if (Computed && Records && TitleBand && StackCount >= 2) {
        int h = ThemeFontHeight(10);
        int box = 6 * h / 2 + 8;
        int left = PlotRect.left + (StackPos - 1) * box + 1, right = PlotRect.left + StackPos * box;
        if (x >= left && x <= right && y >= PlotRect.top - TitleBandHeight && y < PlotRect.top)
            return HitNameBox;
    }
    if (!Computed || !Records)
        return HitNothing;
    if (HitLines(x, y))
        return HitLine;
    if (Id == 47) {
        for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i) {
            float v = LineValue(0, i);
            if (!IsOutOfRangeValue(v) && std::abs(x - RecordCentreX(i)) <= 3 && std::abs(y - ValueToY(v)) <= 3)
                return HitLine;
        }
    }
    if (HitPriceBars(x, y))
        return HitBar;
    return HitNothing;
}
