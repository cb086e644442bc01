// TIndex: construction, the data load and live merge, the layout and the mapping
// between pixels and records.
#include "lumon/formula/TIndex.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/RefLines.h"
#include "platform/win/Path.h"
#include "platform/win/Profile.h"

int TIndex::KLineMode = -1;
float *TIndex::WorkA[4];
float *TIndex::WorkB[4];
int TIndex::WorkCapacity = 0;
KLineRecord *TIndex::RecordCopy = nullptr;
int TIndex::RecordCopyCapacity = 0;
TDataPool *TIndex::DataPool = nullptr;

namespace {

// Ids drawn in the price pane over the K-lines.
constexpr uint16_t PricePaneIds[] = {1, 3, 5, 8, 9, 44, 47, 121, 122, 125, 126, 321, 322};

int RecordsPerBuffer()
{
    return std::max(MaxDataRecords, 1) + 100;
}

} // namespace

void MovingAverage(float *dst, const float *src, int count, int period, int start)
{
    if (!dst || !src || count < 1)
        return;
    start = std::max(start, 0);
    for (int i = 0; i < start && i < count; ++i)
        dst[i] = NoValue;
    if (start >= count)
        return;
    if (period <= 0) {
        for (int i = start; i < count; ++i)
            dst[i] = src[i];
        return;
    }
    // 64-bit index arithmetic: a huge period from the parameter table leaves the
    // whole line without values instead of overflowing.
    const int64_t first = int64_t(start) + period - 1;
    const int warm = int(std::min<int64_t>(first, count));
    for (int i = start; i < warm; ++i)
        dst[i] = NoValue;
    if (first < count)
        MovingAverageSpan(dst + first, src + first, count - first, period);
}

// Built twice, for AVX2 as well, where the four stretches' divisions go in one
// instruction; the same operations on the same doubles either way.
__attribute__((target_clones("avx2", "default"))) void MovingAverageSpan(float *dst, const float *src,
                                                                        int64_t count, int period)
{
    if (count < 1 || period < 1)
        return;
    // The running sum is a double: floats of prices within a few thousand
    // times of each other add and leave it exactly, where a float sum loses a
    // little at every step and keeps the loss. Each step adds the difference
    // of the entering and the leaving value (exact in double as well), so
    // that one addition a bar depends on the one before.
    double sum = 0;
    for (int64_t j = 1 - int64_t(period); j <= 0; ++j)
        sum += src[j];
    const double n = period;
    dst[0] = float(sum / n);
    int64_t i = 1;
    // A long line goes as four stretches side by side, in a vector of four
    // doubles: each stretch starts from its own first window summed whole,
    // which is the same sum as the running one (both exact), and the four
    // steps and divisions of a bar do not wait for each other.
    const int64_t stretch = (count - i) / 4;
    if (stretch >= 64 && stretch >= 2 * int64_t(period)) {
        typedef double Quad __attribute__((vector_size(32)));
        int64_t at[4];
        Quad sums;
        for (int k = 0; k < 4; ++k) {
            at[k] = i + k * stretch;
            double s = 0;
            if (k == 0) {
                s = sum;
            } else {
                for (int64_t j = at[k] - 1 - period + 1; j <= at[k] - 1; ++j)
                    s += src[j];
            }
            sums[k] = s;
        }
        const Quad div = {n, n, n, n};
        const float *in0 = src + at[0], *in1 = src + at[1], *in2 = src + at[2], *in3 = src + at[3];
        float *out0 = dst + at[0], *out1 = dst + at[1], *out2 = dst + at[2], *out3 = dst + at[3];
        for (int64_t t = 0; t < stretch; ++t) {
            const Quad step = {double(in0[t]) - double(in0[t - period]), double(in1[t]) - double(in1[t - period]),
                               double(in2[t]) - double(in2[t - period]), double(in3[t]) - double(in3[t - period])};
            sums += step;
            const Quad out = sums / div;
            out0[t] = float(out[0]);
            out1[t] = float(out[1]);
            out2[t] = float(out[2]);
            out3[t] = float(out[3]);
        }
        sum = sums[3];
        i = at[3] + stretch;
    }
    for (; i < count; ++i) {
        sum += double(src[i]) - double(src[i - period]);
        dst[i] = float(sum / n);
    }
}

TIndex::TIndex(StockId stock) : Stock(stock)
{
    if (KLineMode == -1)
        KLineMode = int(win::GetPrivateProfileIntA("PARAMETER", "KLineMode", 0, SettingFile));
    int work = std::max(MaxDataRecords, 1) + 512;
    if (WorkCapacity < work) {
        for (int k = 0; k < 4; ++k) {
            EMemFree(WorkA[k]);
            EMemFree(WorkB[k]);
            WorkA[k] = static_cast<float *>(EMemAlloc(size_t(work) * sizeof(float)));
            WorkB[k] = static_cast<float *>(EMemAlloc(size_t(work) * sizeof(float)));
        }
        WorkCapacity = work;
    }
    if (!DataPool)
        DataPool = new TDataPool();
}

TIndex::~TIndex()
{
    EMemFree(Records);
    EMemFree(Weights);
    for (float *&line : Lines) {
        EMemFree(line);
        line = nullptr;
    }
}

bool TIndex::Init()
{
    SubPane = std::find(std::begin(PricePaneIds), std::end(PricePaneIds), Id) == std::end(PricePaneIds);
    if (!Initialised) {
        FindIndexDefinition(Id, Definition, Params);
        if (LineCount == 0)
            LineCount = Definition.LineCount;
        // The buffers and styles hold eight lines, whatever the file says.
        LineCount = std::clamp(LineCount, 0, MaxIndexLines);
        int records = RecordsPerBuffer();
        if (!Records)
            Records = static_cast<KLineRecord *>(EMemAlloc(size_t(records) * sizeof(KLineRecord)));
        if (RecordCopyCapacity < records) {
            EMemFree(RecordCopy);
            RecordCopy = static_cast<KLineRecord *>(EMemAlloc(size_t(records) * sizeof(KLineRecord)));
            RecordCopyCapacity = RecordCopy ? records : 0;
        }
        LineCapacity = records;
        for (int k = 0; k < LineCount; ++k) {
            if (!Lines[k])
                Lines[k] = static_cast<float *>(EMemAlloc(size_t(records) * sizeof(float)));
            if (!Lines[k])
                LineCapacity = 0;
            Styles[k] = {StyleLine, 0.0f};
        }
        Initialised = 1;
    }
    NoLines = LineCount == 0;
    return true;
}

bool TIndex::LoadIntradayData()
{
    return false;
}

bool TIndex::GetDataFileName(char *path, int size)
{
    TMarketData *md = nullptr;
    char code[8];
    if (!path || size < 1 || !StockMarketAndCode(Stock, md, code))
        return false;
    const char *folder = Period < 4 ? "min1" : Period < 8 ? "min" : "day";
    const char *ext = Period < 4 ? "m1" : Period < 8 ? "min" : "day";
    return JoinInto(path, size_t(size), {DataRoot, "data\\", md->Info.Dir, "\\", folder, "\\", code, ".", ext});
}

const int32_t *TIndex::CurrentParams() const
{
    return Period >= 1 && Period <= 12 ? Params.Set[Period] : nullptr;
}

int TIndex::PriceDecimals() const
{
    const StockStaticRecord *s = TDataIO::GetStock(Stock);
    return s ? std::min<int>(s->Decimals, 6) : 2;
}

void TIndex::FillLinesNone()
{
    int n = std::min(RecordCount, LineCapacity);
    for (int k = 0; k < LineCount; ++k)
        if (Lines[k])
            std::fill(Lines[k], Lines[k] + n, NoValue);
}

bool TIndex::Compute()
{
    if (RefreshMode != 0)
        return UpdateLastBar();
    Computed = 0;
    if (!Initialised)
        FindIndexDefinition(Id, Definition, Params);
    // The reference lines and the weights are looked at against one reading of
    // the file system's changes.
    win::FileChangeBatch batch;
    std::memset(RefShown, 0, sizeof RefShown);
    RefLineRecord refs;
    if (FindRefLines(Stock, Id, refs)) {
        std::memcpy(RefShown, refs.Shown, sizeof RefShown);
        std::memcpy(RefLevel, refs.Level, sizeof RefLevel);
    }
    return LoadData();
}

bool TIndex::LoadData()
{
    const StockStaticRecord *s = TDataIO::GetStock(Stock);
    TMarketData *md = nullptr;
    char code[8];
    if (!s || !StockMarketAndCode(Stock, md, code))
        return false;
    PriceDivisor = PriceScaleOf(*s);
    WeightCount = LoadWeights();
    RecordCount = 0;
    char path[600];
    // A period outside the codes has no parameter set and no bars.
    if (!GetDataFileName(path, sizeof path) || !Records || Period < 1 || Period > 12)
        return false;
    int count = 0;
    int ok = GetBarsCached(Records, StockMarket(Stock), code, count, Period, MaxDataRecords, int(ForceReload),
                           int(HistoryRequest));
    ForceReload = 0;
    if (!Records)
        return false;
    if (ok)
        RecordCount = std::min(count, LineCapacity > 0 ? LineCapacity : count);
    if (WeightMode == WeightBackward)
        AdjustRecordsBackward();
    else if (WeightMode == WeightForward)
        AdjustRecordsForward();
    return true;
}

bool TIndex::UpdateLastBar()
{
    TMarketData *md = nullptr;
    char code[8];
    if (!Records || RecordCount >= MaxDataRecords || RecordCount >= LineCapacity ||
        !StockMarketAndCode(Stock, md, code))
        return false;
    int index = StockIndex(Stock);
    if (!md->Quotes || index >= md->StockCount)
        return false;
    const RealQuoteRecord &q = md->Quotes[index];
    KLineRecord *last = RecordCount > 0 ? &Records[RecordCount - 1] : nullptr;
    bool liveMarket = md->Info.Type == 3 || (md->Info.Unused0 >= 4 && md->Info.Unused0 <= 6);
    if (last && !(last->Volume < q.Volume) && !(q.Last != 0 && liveMarket))
        return false;
    if (Period >= 8) {
        if (!last || ComparePackedDate(md->Now, last->Time) > 0) {
            last = &Records[RecordCount++];
            std::memset(static_cast<void *>(last), 0, sizeof *last);
        }
        last->Time = md->Now;
        last->Open = q.Open;
        last->High = q.High;
        last->Low = q.Low;
        last->Close = q.Last;
        last->Amount = q.Amount;
        if (RefreshMode & 0x80)
            last->Volume += q.LastVolume;
        return true;
    }
    static constexpr int MinutesOf[8] = {1, 1, 3, 0, 5, 15, 30, 60};
    int n = Period == 3 ? Cycmins : MinutesOf[std::clamp<int>(Period, 0, 7)];
    n = std::max(n, 1);
    int cls = StockClass(Stock) < md->Info.ClassCount ? StockClass(Stock) : 0;
    int elapsed = md->ElapsedTradingMinutes(md->ClockMinute, cls);
    bool newBar = !last || !IsSameDay(md->Now, last->Time);
    if (!newBar) {
        int lastElapsed = md->ElapsedTradingMinutes(PackedHour(last->Time) * 60 + PackedMinute(last->Time), cls);
        newBar = lastElapsed != elapsed && (Period == 1 || md->ClockMinute % n == 1);
    }
    if (newBar) {
        last = &Records[RecordCount++];
        std::memset(static_cast<void *>(last), 0, sizeof *last);
    }
    int clock = md->TradingMinuteToClock(elapsed, cls);
    last->Time = MakePackedDateTime(PackedYear(md->Now), PackedMonth(md->Now), PackedDay(md->Now), clock / 60,
                                    clock % 60);
    if (last->Open == 0)
        last->Open = q.Last;
    last->High = std::max(last->High, q.Last);
    last->Low = last->Low == 0 ? q.Last : std::min(last->Low, q.Last);
    last->Close = q.Last;
    last->Volume += q.LastVolume;
    last->Amount = q.Amount;
    return true;
}

void TIndex::GetViewState(float &barWidth, float &gap, int &visibleCount, int &firstVisible) const
{
    barWidth = BarWidth;
    gap = BarGap;
    visibleCount = VisibleCount;
    firstVisible = FirstVisible;
}

void TIndex::SetViewState(float barWidth, float gap, int visibleCount, int firstVisible)
{
    BarWidth = barWidth;
    BarGap = gap;
    VisibleCount = visibleCount;
    FirstVisible = firstVisible;
    ScrollToEnd = 0;
}

int TIndex::CloseDirection(int i) const
{
    if (!Records || i <= 0 || i >= RecordCount)
        return 0;
    int32_t a = int32_t(Records[i].Close), b = int32_t(Records[i - 1].Close);
    return a > b ? 1 : a < b ? -1 : 0;
}

double TIndex::Pitch() const
{
    // A width and gap of 0 would divide by zero in every mapping.
    return std::max(double(BarWidth) + double(BarGap), 0.1);
}

float TIndex::LineValue(int line, int record) const
{
    if (line < 0 || line >= MaxIndexLines || !Lines[line] || record < 0 || record >= RecordCount ||
        record >= LineCapacity)
        return NoValue;
    return Lines[line][record];
}

int TIndex::ValueToY(double value) const
{
    return PlotRect.bottom - TruncToInt((value - ValueMin) * YScale);
}

int TIndex::RecordCentreX(int record) const
{
    return PlotRect.left + TruncToInt(BarWidth * 0.5 + Pitch() * (record - FirstVisible));
}

void TIndex::LayoutColumns()
{
    int width = PlotRect.right - PlotRect.left;
    if (ScrollToEnd)
        width = width * 15 / 16;
    Capacity = std::max(TruncToInt(width / Pitch()), 0);
    if (ScrollToEnd) {
        ScrollToEnd = 0;
        FirstVisible = std::max(RecordCount - Capacity, 0);
    }
    if (FirstVisible >= RecordCount)
        FirstVisible = RecordCount - 1;
    FirstVisible = std::max(FirstVisible, 0);
    VisibleCount = std::max(std::min(RecordCount - FirstVisible, Capacity), 0);
    BarPitch = Pitch();
    BaseValue = 0;
}

void TIndex::VisiblePriceRange(float &max, float &min) const
{
    if (VisibleCount <= 0 || !Records)
        return;
    double hi = Records[FirstVisible].Close, lo = hi;
    for (int i = FirstVisible; i < FirstVisible + VisibleCount; ++i) {
        hi = std::max(hi, double(Records[i].High));
        lo = std::min(lo, double(Records[i].Low));
    }
    max = float(hi / PriceDivisor);
    min = float(lo / PriceDivisor);
}

void TIndex::Layout()
{
    LayoutColumns();
    float max = 0, min = 0;
    int end = FirstVisible + VisibleCount;
    if (PriceScale) {
        VisiblePriceRange(max, min);
    } else {
        for (int k = 0; k < LineCount; ++k) {
            if (Styles[k].Style != StyleNone) {
                max = min = VisibleCount > 0 ? LineValue(k, FirstVisible) : 0.0f;
                break;
            }
        }
        for (int k = 0; k < LineCount; ++k) {
            if (Styles[k].Style == StyleNone || !Lines[k])
                continue;
            if (Styles[k].Style == StyleBar || Styles[k].Style == StyleTBar)
                min = std::min(min, BaseValue);
            if (Styles[k].Style == StyleTBar)
                max = std::max(max, BaseValue);
            for (int i = FirstVisible; i < end; ++i) {
                float v = LineValue(k, i);
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
    }
    if (IsOutOfRangeValue(min) && IsOutOfRangeValue(max))
        min = max = 0;
    if (IsNearZero(max - min)) {
        if (IsOutOfRangeValue(min))
            min = 0;
        max = (min + 9.0f) * 1.11f;
        // Below about -90.8 that formula puts the top under the bottom.
        if (!(max > min))
            max = min + std::max(9.99f, std::fabs(min) * 0.11f);
    }
    ValueMax = max;
    ValueMin = min;
    YScale = double(PlotRect.bottom - PlotRect.top) / (double(max) - double(min));
}

int TIndex::XToRecord(int &x, bool snap)
{
    int i = TruncToInt((x - PlotRect.left + BarGap * 0.5) / Pitch());
    int result;
    if (i >= 0 && i < VisibleCount)
        result = FirstVisible + i;
    else if (!snap)
        return -1;
    else
        result = i < 0 ? FirstVisible : FirstVisible + VisibleCount - 1;
    if (snap && result >= 0)
        x = RecordCentreX(result);
    return result;
}

void TIndex::RecordToPoint(int &x, int &y, int &index)
{
    int last = FirstVisible + Capacity - 1;
    if (index > last)
        index = last;
    if (index < FirstVisible)
        index = FirstVisible;
    x = RecordCentreX(index);
    if (PriceScale && Records && index >= 0 && index < RecordCount)
        y = ValueToY(Records[index].Close / double(PriceDivisor));
}

bool TIndex::PointToValue(win::POINT point, int &record, PackedDateTime &dateTime, float &value)
{
    int x = point.x;
    record = XToRecord(x, false);
    if (record < 0 || record >= RecordCount || !Records)
        return false;
    dateTime = Records[record].Time;
    value = YScale > 1e-10 ? float((PlotRect.bottom - point.y) / YScale + ValueMin) : 0.0f;
    return true;
}

void TIndex::GetRecordInfo(int index, KLineRecord &record, float &change, float &changePercent, float &reserved,
                           uint32_t &prevClose)
{
    change = changePercent = reserved = 0;
    prevClose = 0;
    std::memset(static_cast<void *>(&record), 0, sizeof record);
    if (!Records || RecordCount < 1)
        return;
    if (index < 0 || index >= RecordCount)
        index = RecordCount - 1;
    record = Records[index];
    if (index == 0) {
        prevClose = record.Close;
        return;
    }
    KLineRecord previous = Records[index - 1];
    // Across an event the change is measured against the ex-rights reference
    // price, also when the event fell on a day without a bar.
    if (int number = WeightMode == WeightBreaks ? EventTakingEffectAt(index) : 0)
        AdjustRecordForward(previous, Weights, number);
    prevClose = previous.Close;
    change = float((double(record.Close) - double(prevClose)) / PriceDivisor);
    // The change in per cent of the previous close, whatever the price scale.
    if (prevClose != 0)
        changePercent = float((double(record.Close) - double(prevClose)) * 100.0 / double(prevClose));
}
