#include "lumon/formula/DynIndex.h"

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

namespace {

constexpr int AxisWidth = 45;

bool IsCleanNumber(float v)
{
    return std::isfinite(v);
}

} // namespace

TDynIndex::TDynIndex(StockId stock, int mode) : TIndex(stock)
{
    TickMode = 1;
    Id = uint16_t(1000 + mode);
    PaneMode = mode;
    BarWidth = BarGap = 1.0f;
    if (TMarketData *md = Market()) {
        TradingDate = PackedToYmd(md->TradingDate);
        MarketType = md->Info.Type;
    }
    BarPitch = 2.0;
    BaseValue = 0;
    ScrollToEnd = 1;
    Init();
}

TDynIndex::~TDynIndex()
{
    EMemFree(Ticks);
}

TMarketData *TDynIndex::Market() const
{
    TMarketData *md = nullptr;
    char code[8];
    return StockMarketAndCode(Stock, md, code) ? md : nullptr;
}

int TDynIndex::ClassOf(const TMarketData &md) const
{
    return md.GetStockClass(StockIndex(Stock));
}

const RealQuoteRecord *TDynIndex::Quote() const
{
    TMarketData *md = Market();
    int index = StockIndex(Stock);
    return md && md->Quotes && index < md->StockCount ? &md->Quotes[index] : nullptr;
}

int TDynIndex::TickRoom() const
{
    return Ticks ? int(std::min<size_t>(EMemSize(Ticks) / sizeof(TickRecord), size_t(INT32_MAX))) : 0;
}

bool TDynIndex::Init()
{
    if (!Initialised) {
        FindIndexDefinition(Id, Definition, Params);
        // Line 0 in every pane, and line 1 (the average) in the price pane.
        LineCount = std::clamp(int(Definition.LineCount), PaneMode == 0 ? 2 : 1, MaxIndexLines);
        PointCapacity = MarketType == 3 || MarketType == 5 ? 30000 : 20000;
        if (!Records)
            Records = static_cast<KLineRecord *>(EMemAlloc(size_t(PointCapacity + 300) * sizeof(KLineRecord)));
        if (!Ticks)
            Ticks = static_cast<TickRecord *>(EMemAlloc(size_t(PointCapacity) * sizeof(TickRecord)));
        LineCapacity = std::max(MaxDataRecords, 1) + PointCapacity;
        for (int k = 0; k < LineCount; ++k) {
            if (!Lines[k])
                Lines[k] = static_cast<float *>(EMemAlloc(size_t(LineCapacity) * sizeof(float)));
            if (!Lines[k])
                LineCapacity = 0;
            Styles[k] = {StyleLine, 0.0f};
        }
        Initialised = 1;
    }
    SubPane = 1;
    NoLines = LineCount == 0;
    Refresh = 0;
    return true;
}

int TDynIndex::LoadHistory()
{
    HistoryCount = 0;
    int n = 0;
    int ok = TickMode ? TDataIO::ReadTickHistory(Ticks, Stock, n)
                      : TDataIO::ReadDayTrend(Ticks, Stock, n, HistoryDayOffset);
    if (!ok || !Ticks || !Records)
        return 0;
    n = std::clamp(n, 0, TickRoom());
    // The days next to today are kept when there are more than the chart holds.
    int take = std::min(n, PointCapacity);
    int first = n - take;
    for (int i = 0; i < take; ++i) {
        const TickRecord &t = Ticks[first + i];
        KLineRecord &p = Records[i];
        p = KLineRecord{};
        p.Time = t.Time;
        p.Close = t.Price;
        p.Amount = t.Amount;
        p.Volume = t.Volume;
    }
    HistoryCount = take;
    return HistoryCount;
}

bool TDynIndex::LoadIntradayData()
{
    TMarketData *md = Market();
    if (md)
        MarketType = md->Info.Type;
    HistoryCount = RecordCount = TickCount = 0;
    const StockStaticRecord *s = TDataIO::GetStock(Stock);
    if (!md || !s || !Ticks || !Records)
        return false;
    Decimals = std::min<int>(s->Decimals, 6);
    PriceDivisor = PriceScaleOf(*s);
    BasePriceInteger = int(PriceDivisor);
    if (HistoryWanted)
        LoadHistory();
    if (!TickMode) {
        if (HistoryWanted && HistoryCount > 0)
            return true;
        HistoryWanted = 0;
        HistoryDayOffset = 0;
    }
    const int cls = ClassOf(*md);
    ClassMinutes = md->TotalTradingMinutes(cls);
    ClassElapsed = md->ElapsedTradingMinutes(md->ClockMinute, cls);
    int count = 0;
    if (!TDataIO::ReadTicks(Ticks, Stock, count, RequestMissingTicks) || !Ticks)
        return HistoryWanted && HistoryCount != 0;
    TickCount = std::clamp(count, 0, TickRoom());
    const RealQuoteRecord *q = Quote();
    if (q && (TickCount == 0 || Ticks[TickCount - 1].Volume < q->Volume) && q->Last != 0) {
        // The snapshot's tick carries the market's current time.
        TickRecord t{};
        t.Time = md->Now;
        t.Price = q->Last;
        t.Volume = q->Volume;
        t.Amount = q->Amount;
        AppendTick(t);
    }
    BasePriceInteger = q && q->PrevClose ? int(std::min<uint32_t>(q->PrevClose, INT32_MAX))
                       : TickCount > 0 && Ticks[0].Price ? int(std::min<uint32_t>(Ticks[0].Price, INT32_MAX))
                                                        : int(PriceDivisor);
    BuildPoints();
    return true;
}

bool TDynIndex::AppendTick(const TickRecord &tick)
{
    if (!Ticks)
        return false;
    if (TickCount >= TickRoom()) {
        int room = TickRoom();
        if (room < MaxTickBuffer) {
            int grown = std::min(MaxTickBuffer, std::max(room + room / 2, room + 1024));
            auto *bigger = static_cast<TickRecord *>(EMemAlloc(size_t(grown) * sizeof(TickRecord)));
            if (bigger) {
                std::memcpy(static_cast<void *>(bigger), Ticks, size_t(TickCount) * sizeof(TickRecord));
                EMemFree(Ticks);
                Ticks = bigger;
            }
        }
        if (TickCount >= TickRoom()) {
            // The buffer is at its bound: the oldest tick gives way.
            if (TickCount < 1)
                return false;
            std::memmove(static_cast<void *>(Ticks), Ticks + 1, size_t(TickCount - 1) * sizeof(TickRecord));
            --TickCount;
        }
    }
    Ticks[TickCount++] = tick;
    return true;
}

void TDynIndex::BuildPoints()
{
    RecordCount = 0;
    TMarketData *md = Market();
    const RealQuoteRecord *q = Quote();
    if (!md || !q || !Ticks || !Records)
        return;
    const uint32_t firstPrice = q->PrevClose ? q->PrevClose : uint32_t(std::max(PriceDivisor, 1.0f));
    for (int i = 0; i < TickCount; ++i) {
        TickRecord &t = Ticks[i];
        const TickRecord *before = i > 0 ? &Ticks[i - 1] : nullptr;
        if (t.Price == 0 || (q->High && t.Price > q->High) || (q->Low && t.Price < q->Low))
            t.Price = before ? before->Price : firstPrice;
        const float volumeBefore = before ? before->Volume : 0.0f;
        if (!IsCleanNumber(t.Volume) || (q->Volume > 1e-15f && t.Volume > q->Volume) ||
            (before && t.Volume < volumeBefore))
            t.Volume = volumeBefore;
        if (MarketType == 1) {
            const float amountBefore = before ? before->Amount : 0.0f;
            if (!IsCleanNumber(t.Amount) || (q->Amount > 1e-15f && t.Amount > q->Amount) ||
                (before && t.Amount < amountBefore))
                t.Amount = amountBefore;
        } else if (!IsCleanNumber(t.Amount)) {
            t.Amount = before ? before->Amount : 0.0f;
        }
    }
    if (TickCount == 0)
        return;
    const int room = PointCapacity + 300 - HistoryCount;
    if (!TickMode) {
        // Points the trend does not fill (the last one's volume) start at zero.
        const int cls = ClassOf(*md);
        const int minutes = std::clamp(md->TotalTradingMinutes(cls) + 1, 0, room);
        std::memset(static_cast<void *>(Records + HistoryCount), 0, size_t(minutes) * sizeof(KLineRecord));
        RecordCount = std::max(md->BuildTrendFromTicks(Stock, Ticks, Records + HistoryCount, TickCount, room), 0);
        return;
    }
    // The oldest of today's ticks give way so that history and today fit.
    const int keep = std::min(TickCount, std::max(PointCapacity - HistoryCount, 0));
    const int first = TickCount - keep;
    for (int k = 0; k < keep; ++k) {
        const TickRecord &t = Ticks[first + k];
        KLineRecord &p = Records[HistoryCount + k];
        p = KLineRecord{};
        p.Time = t.Time;
        p.Close = t.Price;
        p.Amount = t.Amount;
        if (k > 0 && t.Volume > Ticks[first + k - 1].Volume)
            p.Volume = t.Volume - Ticks[first + k - 1].Volume;
    }
    RecordCount = keep;
}

bool TDynIndex::Compute()
{
    TMarketData *md = Market();
    const StockStaticRecord *s = TDataIO::GetStock(Stock);
    if (!md || !s)
        return false;
    const int cls = ClassOf(*md);
    const bool indexClass = cls >= 0 && cls < md->Info.ClassCount && md->Info.Classes[cls].IsIndex;
    AverageWanted = PaneMode == 0 && !TickMode && !indexClass && MarketType != 3;
    Computed = 0;
    if (!Refresh && !LoadIntradayData()) {
        Refresh = 0;
        return false;
    }
    Computed = 1;
    Refresh = 0;

    const int n = std::min(PointTotal(), LineCapacity);
    // No value after the last point, through the class minutes + 1.
    const int end = std::clamp(std::max(ClassMinutes + 2, n), 0, LineCapacity);
    for (int k = 0; k < LineCount; ++k)
        if (Lines[k])
            std::fill(Lines[k] + n, Lines[k] + end, NoValue);
    float *line0 = Lines[0], *line1 = Lines[1];
    if (!line0)
        return true;
    const RealQuoteRecord *q = Quote();
    const float divisor = PriceDivisor;
    if (PaneMode == 0) {
        BaseValue = q && q->PrevClose ? float(q->PrevClose) / divisor : 0.0f;
        if (BaseValue == 0) {
            if (HistoryCount > 0)
                BaseValue = float(Records[HistoryCount - 1].Close) / divisor;
            else if (n > 0 && Records[0].Close > 0)
                BaseValue = float(Records[0].Close) / divisor;
            else
                BaseValue = indexClass ? divisor : 1.0f;
        }
        float amounts = 0, volumes = 0;
        for (int i = 0; i < n; ++i) {
            const float price = float(Records[i].Close) / divisor;
            line0[i] = price;
            if (!AverageWanted || !line1)
                continue;
            const float volume = Records[i].Volume;
            if (volume > 0) {
                amounts += price * volume;
                volumes += volume;
                line1[i] = amounts / volumes;
            } else {
                line1[i] = i > 0 ? line1[i - 1] : price > 0 ? price : BaseValue;
            }
        }
        if (!AverageWanted && line1)
            std::fill(line1, line1 + n, NoValue);
    } else if (PaneMode == 1) {
        const float unit = float(s->VolumeUnit);
        for (int i = 0; i < n; ++i)
            line0[i] = unit != 0 ? Records[i].Volume / unit : Records[i].Volume;
    } else {
        for (int i = n - 1; i >= 0; --i)
            line0[i] = Records[i].Amount > 1e-10f ? Records[i].Amount : i + 1 < n ? line0[i + 1] : NoValue;
        BaseValue = n > 0 ? line0[0] : 0.0f;
    }
    return true;
}

bool TDynIndex::UpdateLastBar()
{
    TMarketData *md = Market();
    const RealQuoteRecord *q = Quote();
    if (!md || !q || !Ticks)
        return false;
    // An earlier day shown alone takes no live ticks.
    if (!TickMode && HistoryWanted && HistoryCount > 0)
        return true;
    ClassElapsed = md->ElapsedTradingMinutes(md->ClockMinute, ClassOf(*md));
    const bool liveMarket = MarketType == 3 || (md->Info.Unused0 >= 4 && md->Info.Unused0 <= 6);
    if (TickCount == 0 || Ticks[TickCount - 1].Volume < q->Volume || liveMarket) {
        TickRecord t{};
        t.Time = md->Now;
        t.Price = q->Last;
        t.Volume = q->Volume;
        t.Amount = q->Amount;
        AppendTick(t);
    }
    Refresh = 1;
    BuildPoints();
    const bool ok = Compute();
    return !(ok && RangeChanged());
}

bool TDynIndex::RangeChanged()
{
    if (PointTotal() > ClassMinutes)
        return true;
    float max = ValueMax, min = ValueMin;
    auto widen = [&](float v) {
        if (IsOutOfRangeValue(v))
            return;
        max = std::max(max, v);
        min = std::min(min, v);
    };
    const RealQuoteRecord *q = Quote();
    if (PaneMode == 0 && q) {
        if (q->High)
            widen(float(q->High) / PriceDivisor);
        if (q->Low)
            widen(float(q->Low) / PriceDivisor);
    }
    const int last = PointTotal() - 1;
    for (int k = 0; k < LineCount; ++k)
        if (Styles[k].Style != StyleNone && last >= 0)
            widen(PointValue(k, last));
    const bool moved = max != ValueMax || min != ValueMin;
    ValueMax = max;
    ValueMin = min;
    return moved;
}

void TDynIndex::Layout()
{
    const int n = PointTotal();
    const double width = PlotRect.right - PlotRect.left;
    if (!TickMode) {
        VisibleCount = n;
        Capacity = std::max(n, ClassMinutes);
        FirstVisible = 0;
        BarPitch = Capacity > 0 ? width / Capacity : 1.0;
    } else {
        BarPitch = 2.0;
        Capacity = std::max(TruncToInt(width / BarPitch), 0);
        if (ScrollToEnd)
            FirstVisible = n > Capacity ? n - Capacity : 0;
        FirstVisible = std::clamp(FirstVisible, 0, n);
        VisibleCount = std::min(n - FirstVisible, Capacity);
        ScrollToEnd = n - FirstVisible == Capacity;
    }

    float max = 0, min = 0;
    if (PaneMode != 0) {
        float first = PointValue(0, FirstVisible);
        max = min = IsOutOfRangeValue(first) ? 0.0f : first;
    }
    for (int k = 0; k < LineCount; ++k) {
        if (Styles[k].Style == StyleNone || !Lines[k])
            continue;
        for (int i = FirstVisible; i < n && i < LineCapacity; ++i) {
            float v = Lines[k][i];
            if (IsOutOfRangeValue(v)) {
                if (PaneMode == 0 && i > FirstVisible)
                    Lines[k][i] = Lines[k][i - 1];
                continue;
            }
            max = std::max(max, v);
            if (v < min || min < 1e-15f)
                min = v;
        }
    }
    if (!TickMode && PaneMode == 0) {
        if (IsNearZero(BaseValue))
            BaseValue = 1.0f;
        double d = std::max(std::fabs(double(max) - BaseValue), std::fabs(double(min) - BaseValue));
        double unit = PriceDivisor;
        for (int k = 0; k < Decimals; ++k)
            unit /= 10;
        int steps = std::max((PlotRect.bottom - PlotRect.top) / 60, 2);
        d = std::max(d, double(BaseValue) * 0.005);
        d = std::max(d, steps * unit / PriceDivisor);
        max = float(BaseValue + d);
        min = float(BaseValue - d);
    } else {
        if (PaneMode != 0 && BaseValue < min)
            min = BaseValue;
        if (max <= min)
            max = min + 100;
    }
    ValueMax = max;
    ValueMin = min;
    double span = double(max) - double(min);
    YScale = std::fabs(span) < 1e-10 ? 1.0 : (PlotRect.bottom - PlotRect.top) / span;
}

float TDynIndex::PointValue(int line, int index) const
{
    if (line < 0 || line >= LineCount || !Lines[line] || index < 0 || index >= PointTotal() || index >= LineCapacity)
        return NoValue;
    return Lines[line][index];
}

int TDynIndex::PointX(int index) const
{
    return PlotRect.left + TruncToInt(BarPitch + (index - FirstVisible) * BarPitch);
}

double TDynIndex::ValueY(double value) const
{
    return PlotRect.bottom - (value - ValueMin) * YScale;
}

bool TDynIndex::Draw(HDC hdc, const RECT *rect)
{
    if (!rect)
        return false;
    PlotRect = *rect;
    TitleBand = LeftAxis = RightAxis = 0;
    if (PlotRect.bottom - PlotRect.top > 16) {
        TitleBand = 1;
        PlotRect.top += 16;
    }
    if (PlotRect.right - PlotRect.left > AxisWidth) {
        LeftAxis = 1;
        PlotRect.left += AxisWidth;
        if (PlotRect.right - PlotRect.left > 2 * AxisWidth) {
            RightAxis = 1;
            PlotRect.right -= AxisWidth;
        }
    }
    if (!Computed)
        return false;
    Layout();
    DrawScale(hdc, rect);
    if (PaneMode == 0) {
        if (AverageWanted)
            DrawLine(hdc, 1, 44);
        DrawLine(hdc, 0, 43);
    } else if (PaneMode == 1) {
        DrawSticks(hdc, 0, 32);
    } else {
        DrawLine(hdc, 0, 50);
    }
    return true;
}

void TDynIndex::DrawLine(HDC hdc, int line, int colour)
{
    if (line < 0 || line >= LineCount || !Lines[line])
        return;
    SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(colour)));
    bool running = false;
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i) {
        float v = PointValue(line, i);
        if (IsOutOfRangeValue(v)) {
            running = false;
            continue;
        }
        int x = PointX(i), y = TruncToInt(ValueY(v));
        if (running)
            LineTo(hdc, x, y);
        else
            MoveToEx(hdc, x, y, nullptr);
        running = true;
    }
}

void TDynIndex::DrawSticks(HDC hdc, int line, int colour)
{
    if (line < 0 || line >= LineCount || !Lines[line])
        return;
    SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(colour)));
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i) {
        float v = PointValue(line, i);
        if (IsOutOfRangeValue(v))
            continue;
        int x = PointX(i);
        MoveToEx(hdc, x, PlotRect.bottom, nullptr);
        LineTo(hdc, x, TruncToInt(ValueY(v)));
    }
}

void TDynIndex::DrawScale(HDC hdc, const RECT *rect)
{
    if (!rect)
        return;
    const int height = PlotRect.bottom - PlotRect.top;
    const int h = ThemeFontHeight(5), charWidth = ThemeCharWidth(5);
    SelectedObject font(hdc, CreateThemeFont(5));
    SetTextColor(hdc, ThemeColor(12));
    char text[160];

    if (TitleBand) {
        char name[sizeof Definition.Name + 1] = {};
        std::memcpy(name, Definition.Name, sizeof Definition.Name);
        int length;
        if (PaneMode == 0) {
            length = std::snprintf(text, sizeof text, TickMode ? "闪电%s" : "分时%s", name);
        } else {
            length = GbkCutLength(name, int(std::strlen(name)), 30);
            std::memcpy(text, name, size_t(length));
        }
        length = std::clamp(length, 0, int(sizeof text) - 1);
        if (length * charWidth <= PlotRect.right - PlotRect.left)
            TextOutA(hdc, PlotRect.left + 2, PlotRect.top - 16 + 1, text, length);
    }

    HPEN dotted = CreatePen(PS_DOT, 1, ThemeColor(11));
    HPEN solid = CreatePen(PS_SOLID, 1, ThemeColor(11));
    HPEN thick = CreatePen(PS_SOLID, 2, ThemeColor(11));
    HGDIOBJ oldPen = SelectObject(hdc, solid);

    if (height > 0) {
        const int lines = PaneMode == 0 ? std::max(2 * (height / 60), 2) : std::max(height / 30, 2);
        const double span = double(ValueMax) - double(ValueMin);
        const double base = std::max(double(BaseValue), 0.001);
        int lastLabel = INT32_MAX;
        for (int i = 1; i <= lines; ++i) {
            double value = ValueMin + i * span / lines;
            if (!TickMode && PaneMode == 0 && 2 * i == lines)
                value = BaseValue;
            const int y = TruncToInt(ValueY(value));
            SelectObject(hdc, solid);
            MoveToEx(hdc, PlotRect.left, y, nullptr);
            LineTo(hdc, PlotRect.right, y);
            if (lastLabel - y < 10 || y < PlotRect.top + 5 || y > PlotRect.bottom - 5)
                continue;
            lastLabel = y;
            char left[64], right[64];
            if (PaneMode == 0) {
                char format[16];
                std::snprintf(format, sizeof format, "%%6.%df", Decimals);
                std::snprintf(left, sizeof left, format, value);
                std::snprintf(right, sizeof right, "%+-.2f%%", (value - BaseValue) * 100 / base);
            } else if (PaneMode == 2) {
                std::snprintf(left, sizeof left, "%6.0f", value);
                std::snprintf(right, sizeof right, "%-6.0f", value);
            } else {
                std::snprintf(left, sizeof left, "%6ld", long(TruncToInt(value)));
                std::snprintf(right, sizeof right, "%-.0f%%", span > 0 ? (value - ValueMin) * 100 / span : 0.0);
            }
            if (PaneMode == 0)
                SetTextColor(hdc, ThemeColor(value > BaseValue ? 20 : value < BaseValue ? 18 : 19));
            if (LeftAxis) {
                int n = int(std::strlen(left));
                TextOutA(hdc, PlotRect.left - 2 - n * charWidth, y - h / 2, left, n);
            }
            if (RightAxis)
                TextOutA(hdc, PlotRect.right + 2, y - h / 2, right, int(std::strlen(right)));
        }
    }

    TMarketData *md = Market();
    if (md && !TickMode) {
        const int cls = ClassOf(*md);
        int marks = 0;
        for (int m = 0; m < Capacity; ++m) {
            if (md->TradingMinuteToClock(m, cls) % 30 != 0)
                continue;
            if (marks++ == 0)
                continue;
            SelectObject(hdc, marks % 2 ? solid : dotted);
            const int x = PointX(m);
            MoveToEx(hdc, x, PlotRect.top, nullptr);
            LineTo(hdc, x, PlotRect.bottom);
        }
    } else if (HistoryCount > 0) {
        SelectObject(hdc, solid);
        for (int i = FirstVisible + 1; i < FirstVisible + VisibleCount; ++i) {
            if (IsSameDay(Records[i].Time, Records[i - 1].Time))
                continue;
            const int x = PointX(i);
            MoveToEx(hdc, x, PlotRect.top, nullptr);
            LineTo(hdc, x, PlotRect.bottom);
        }
    }

    SelectObject(hdc, solid);
    if (LeftAxis) {
        MoveToEx(hdc, PlotRect.left, PlotRect.top, nullptr);
        LineTo(hdc, PlotRect.left, PlotRect.bottom);
    }
    if (RightAxis) {
        MoveToEx(hdc, PlotRect.right, PlotRect.top, nullptr);
        LineTo(hdc, PlotRect.right, PlotRect.bottom);
    }
    const int baseY = TruncToInt(ValueY(BaseValue));
    if (baseY >= PlotRect.top && baseY <= PlotRect.bottom) {
        SelectObject(hdc, PaneMode == 0 ? thick : solid);
        MoveToEx(hdc, PlotRect.left, baseY, nullptr);
        LineTo(hdc, PlotRect.right, baseY);
    }
    SelectObject(hdc, oldPen);
    DeleteObject(dotted);
    DeleteObject(solid);
    DeleteObject(thick);
}

void TDynIndex::DrawTimeAxis(HDC hdc, const RECT *rect)
{
    TMarketData *md = Market();
    if (!rect || !md || !Computed)
        return;
    const int cls = ClassOf(*md);
    const int h = ThemeFontHeight(6);
    const double room = 2.5 * h;
    SelectedObject font(hdc, CreateThemeFont(6));
    SetTextColor(hdc, ThemeColor(29));
    // A mark is labelled 2.5 font heights from the previous label and from the
    // right edge; where the font's digits are wider than half its height, the
    // label's own width decides: it must end inside the axis and leave a gap of
    // half a height after the previous label, so that no two labels run together.
    double lastX = -1e9;
    double lastEnd = -1e9;
    auto label = [&](int x, int clock) {
        if (x - lastX < room || rect->right - x < room)
            return;
        int hour = clock / 60;
        ShiftHourByZone(StockMarket(Stock), cls, hour);
        char text[16];
        int n = std::snprintf(text, sizeof text, "%02d:%02d", ((hour % 24) + 24) % 24, clock % 60);
        SIZE extent{};
        GetTextExtentPoint32A(hdc, text, n, &extent);
        if (x < lastEnd + h / 2 || x + extent.cx > rect->right)
            return;
        TextOutA(hdc, x, rect->top + 2, text, n);
        lastX = x;
        lastEnd = x + extent.cx;
    };
    if (!TickMode) {
        for (int m = 0; m < Capacity; ++m) {
            int clock = md->TradingMinuteToClock(m, cls);
            if (clock % 30 == 0)
                label(PointX(m), clock);
        }
        return;
    }
    int lastClock = -1;
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i) {
        int clock = PackedHour(Records[i].Time) * 60 + PackedMinute(Records[i].Time);
        if (clock % 30 == 0 && clock != lastClock)
            label(PointX(i), clock);
        lastClock = clock;
    }
}

int TDynIndex::XToRecord(int &x, bool snap)
{
    const int n = PointTotal();
    int index = -1;
    if (BarPitch > 0) {
        int k = int(std::floor((x - PlotRect.left - BarPitch) / BarPitch + 0.5));
        if (k >= VisibleCount)
            index = FirstVisible + VisibleCount - 1;
        else if (k >= 0)
            index = FirstVisible + k;
    }
    if (!snap)
        return index >= 0 && index < n ? index : -1;
    if (index < 0)
        index = FirstVisible;
    if (index >= n)
        index = n - 1;
    if (index >= 0)
        x = PointX(index);
    return index;
}

bool TDynIndex::PointToValue(POINT point, int &record, PackedDateTime &dateTime, float &value)
{
    int x = point.x;
    record = XToRecord(x, false);
    if (record < 0 || record >= PointTotal() || !Records)
        return false;
    dateTime = Records[record].Time;
    value = std::fabs(YScale) < 1e-10 ? 0.0f : float((PlotRect.bottom - point.y) / YScale + ValueMin);
    return true;
}

RECT TDynIndex::DrawCursorTitle(HDC, int)
{
    return RECT{};
}

void TDynIndex::RecordToPoint(int &x, int &, int &index)
{
    index = std::min(index, PointTotal() - 1);
    index = std::min(index, FirstVisible + Capacity - 1);
    index = std::max(index, FirstVisible);
    x = PointX(index);
}
