#include "lumon/core/History.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/UtilData.h"

namespace {

constexpr int BarSize = int(sizeof(KLineRecord));
constexpr int TickSize = int(sizeof(TickRecord));
// Clock minutes a tick can carry: hour field up to 31, minute up to 63.
constexpr int ClockSpan = 2048;

TMarketData *MarketAt(int m)
{
    return m >= 0 && m < MarketTable.Count && m < MaxMarkets ? MarketTable.Markets[m] : nullptr;
}

// Records of `size` bytes that an EMemAlloc block holds.
int RecordsIn(const void *block, int size)
{
    size_t n = block ? EMemSize(block) / size_t(size) : 0;
    return n > size_t(INT_MAX) ? INT_MAX : int(n);
}

// Makes `buffer` an EMemAlloc block of at least `records` records, keeping none
// of its contents when it has to be replaced.
template <typename T>
bool EnsureRecords(T *&buffer, int records)
{
    if (buffer && EMemSize(buffer) >= size_t(records) * sizeof(T))
        return true;
    EMemFree(buffer);
    buffer = static_cast<T *>(EMemAlloc(size_t(records) * sizeof(T)));
    return buffer != nullptr;
}

} // namespace

bool DataFilePath(char *path, size_t size, const TMarketData &market, const char *folder, const char *code,
                  const char *ext)
{
    if (!code || !IsFileCode(code))
        return false;
    std::snprintf(path, size, "%sdata\\%s\\%s\\%s.%s", DataRoot, market.Info.Dir, folder, code, ext);
    return true;
}

namespace {

void StockCode(const TMarketData &market, int stock, char (&code)[8])
{
    std::memcpy(code, market.Statics[stock].Code, 7);
    code[7] = 0;
}

bool HasStock(const TMarketData &market, int stock)
{
    return market.Statics && market.Quotes && stock >= 0 && stock < market.StockCount;
}

// The records of a stock's tick file; -1 when it does not open.
int OpenTickFile(const TMarketData &market, int stock, const char *ext, int &records)
{
    records = 0;
    if (!HasStock(market, stock))
        return -1;
    char code[8], path[700];
    StockCode(market, stock, code);
    if (!DataFilePath(path, sizeof path, market, "tick", code, ext))
        return -1;
    int h = FileOpen(path, "rb");
    if (h >= 1)
        records = FileGetSize(h) / TickSize;
    return h;
}

int ReadTickRecords(const TMarketData &market, int stock, const char *ext, TickRecord *buffer, int &n)
{
    int records;
    int h = OpenTickFile(market, stock, ext, records);
    if (h < 1) {
        n = 0;
        return 0;
    }
    int want = std::max(0, std::min(n, records));
    n = buffer && want > 0 ? FileRead(h, buffer, TickSize, want) / TickSize : 0;
    FileClose(h);
    return 1;
}

int TickClock(PackedDateTime t)
{
    return PackedHour(t) * 60 + PackedMinute(t);
}

PackedDateTime AtClock(PackedDateTime date, int clock)
{
    return MakePackedDateTime(PackedYear(date), PackedMonth(date), PackedDay(date), clock / 60, clock % 60);
}

void Widen(KLineRecord &bar, uint32_t price)
{
    if (price > bar.High)
        bar.High = price;
    if (price < bar.Low)
        bar.Low = price;
}

// Open interest compared as an integer: zero for |x| < 1 (and for NaN).
bool IsZeroInterest(float x)
{
    return !(x >= 1.0f || x <= -1.0f);
}

// The day bar of today from the quote. The two counts carry an index's advances
// and declines (the 16-bit values at bytes 42 and 44 of its quote); for other
// classes the 32-bit value there is the settlement price of class 4 and 0
// otherwise.
void FillDayBar(const TMarketData &market, int stock, KLineRecord &bar)
{
    const RealQuoteRecord &q = market.Quotes[stock];
    int cls = market.GetStockClass(stock);
    bar.Time = market.Now;
    bar.Close = q.Last;
    bar.Open = q.Open;
    bar.High = q.High;
    bar.Low = q.Low;
    bar.Volume = q.Volume;
    bar.Amount = q.Amount;
    if (cls < market.Info.ClassCount && market.Info.Classes[cls].IsIndex) {
        const auto *bytes = reinterpret_cast<const uint8_t *>(&q);
        std::memcpy(&bar.Advances, bytes + 42, 2);
        std::memcpy(&bar.Declines, bytes + 44, 2);
    } else {
        uint32_t word = cls == 4 ? q.Settlement : 0;
        std::memcpy(&bar.Advances, &word, 4);
    }
}

// Today's ticks of recently built stocks, kept so that a build reads only what
// was appended to the tick file since the last one. A file that shrank or whose
// first or last known record changed is read again whole.
struct TickTail {
    int Market = -1;
    int Stock = -1;
    TickRecord *Ticks = nullptr;
    int Count = 0;
};
TickTail tickTails[4];
int nextTickTail;

bool SameRecordAt(int h, int index, const TickRecord &known)
{
    TickRecord r;
    return FileSeek(h, index * TickSize, 0) == index * TickSize && FileRead(h, &r, TickSize, 1) == TickSize &&
           std::memcmp(&r, &known, sizeof r) == 0;
}

const TickTail &TicksSoFar(const TMarketData &market, int stock)
{
    TickTail *tail = nullptr;
    for (TickTail &t : tickTails)
        if (t.Market == market.Index && t.Stock == stock)
            tail = &t;
    if (!tail) {
        tail = &tickTails[nextTickTail];
        nextTickTail = (nextTickTail + 1) % 4;
        tail->Market = market.Index;
        tail->Stock = stock;
        tail->Count = 0;
    }
    int records;
    int h = OpenTickFile(market, stock, "tik", records);
    if (h < 1) {
        tail->Count = 0;
        return *tail;
    }
    int known = tail->Count;
    if (known > records || (known > 0 && (!SameRecordAt(h, 0, tail->Ticks[0]) ||
                                          !SameRecordAt(h, known - 1, tail->Ticks[known - 1]))))
        known = 0;
    if (RecordsIn(tail->Ticks, TickSize) < records) {
        auto *bigger = static_cast<TickRecord *>(EMemAlloc(size_t(records + 1024) * TickSize));
        if (!bigger) {
            FileClose(h);
            tail->Count = 0;
            return *tail;
        }
        if (known > 0)
            std::memcpy(static_cast<void *>(bigger), tail->Ticks, size_t(known) * TickSize);
        EMemFree(tail->Ticks);
        tail->Ticks = bigger;
    }
    int added = 0;
    if (records > known && FileSeek(h, known * TickSize, 0) == known * TickSize)
        added = FileRead(h, tail->Ticks + known, TickSize, records - known) / TickSize;
    tail->Count = known + added;
    FileClose(h);
    return *tail;
}

// Today's 1-minute bars of a stock from its ticks and quote, at most n.
void BuildMinuteBars(const TMarketData &market, int stock, const TickRecord *ticks, int tickCount,
                     KLineRecord *bars, int &n)
{
    int cls = market.GetStockClass(stock);
    int size = std::min(n, market.TotalTradingMinutes(cls));
    if (size <= 0 || !bars) {
        n = 0;
        return;
    }
    PackedDateTime date = tickCount > 0 ? ticks[0].Time : market.TradingDate;
    for (int j = 0; j < size; ++j) {
        bars[j] = KLineRecord{};
        bars[j].Time = AtClock(date, market.TradingMinuteToClock(j + 1, cls));
    }

    // The bar of each clock minute: the elapsed trading minutes less one.
    int16_t barOfClock[ClockSpan];
    for (int t = 0; t < ClockSpan; ++t) {
        int e = market.ElapsedTradingMinutes(t, cls);
        barOfClock[t] = int16_t(e > 0 ? e - 1 : 0);
    }

    int count = 0;
    for (int i = 0; i < tickCount; ++i) {
        const TickRecord &tick = ticks[i];
        int j = barOfClock[TickClock(tick.Time)];
        if (j >= size)
            continue;
        count = std::max(count, j + 1);
        KLineRecord &bar = bars[j];
        if (!bar.Open)
            bar.Open = bar.High = bar.Low = tick.Price;
        bar.Close = tick.Price;
        Widen(bar, tick.Price);
        bar.Volume = tick.Volume;
        bar.Amount = tick.Amount;
    }

    const RealQuoteRecord &quote = market.Quotes[stock];
    int now = barOfClock[std::min<int>(market.ClockMinute, ClockSpan - 1)];
    if (quote.Last > 0 && now < size) {
        KLineRecord &bar = bars[now];
        if (bar.Open) {
            bar.Close = quote.Last;
            Widen(bar, quote.Last);
        } else {
            bar.Open = bar.High = bar.Low = bar.Close = quote.Last;
        }
        if (tickCount > 0) {
            bar.Volume = ticks[tickCount - 1].Volume;
            bar.Amount = ticks[tickCount - 1].Amount;
        }
        count = now + 1;
    }
    if (!bars[0].Open) {
        uint32_t price = quote.PrevClose ? quote.PrevClose : 1000;
        bars[0].Open = bars[0].High = bars[0].Low = bars[0].Close = price;
    }

    // Empty minutes carry the previous close; cumulative figures never fall.
    bool turnover = market.Info.Type == 1;
    for (int j = 1; j < count; ++j) {
        KLineRecord &bar = bars[j];
        const KLineRecord &prev = bars[j - 1];
        if (!bar.Open)
            bar.Open = bar.High = bar.Low = bar.Close = prev.Close;
        if (bar.Volume < prev.Volume)
            bar.Volume = prev.Volume;
        if (turnover && bar.Amount < prev.Amount)
            bar.Amount = prev.Amount;
    }
    if (!turnover && count > 0) {
        int from = 1;
        if (!(bars[0].Amount >= 1.0f)) {
            int k = 1;
            while (k < count && IsZeroInterest(bars[k].Amount))
                ++k;
            for (int i = 0; i < k && k < count; ++i)
                bars[i].Amount = bars[k].Amount;
            from = k + 1;
        }
        for (int j = from; j < count; ++j)
            if (IsZeroInterest(bars[j].Amount))
                bars[j].Amount = bars[j - 1].Amount;
    }
    for (int j = count - 1; j >= 1; --j) {
        float volume = bars[j].Volume - bars[j - 1].Volume;
        bars[j].Volume = volume > 0 ? volume : 0;
        if (turnover) {
            float amount = bars[j].Amount - bars[j - 1].Amount;
            bars[j].Amount = amount > 0 ? amount : 0;
        }
    }
    n = count;
}

} // namespace

void AggregateBars(int period, const KLineRecord *raw, int count, KLineRecord *out, int &outCount, int marketType)
{
    outCount = 0;
    if (!raw || !out || count <= 0)
        return;
    if (period == 0 || period == 1 || period == 4 || period == 8) {
        std::memcpy(static_cast<void *>(out), raw, size_t(count) * BarSize);
        outCount = count;
        return;
    }
    int group;
    switch (period) {
    case 2:
    case 5:
        group = 3;
        break;
    case 3:
        group = Cycmins < 5 ? 1 : Cycmins / 5;
        break;
    case 6:
        group = 6;
        break;
    case 7:
        group = 12;
        break;
    default:
        group = Cycdays < 1 ? 1 : Cycdays;
        break;
    }

    KLineRecord bar = raw[0];
    bar.Volume = 0;
    bar.Amount = 0;
    int merged = 0;
    // The week of the bar in progress, from its Sunday to its Saturday: a date
    // between them needs no weekday arithmetic.
    PackedDateTime weekEnd = 0, weekStart = 0;
    auto startWeek = [&](PackedDateTime t) {
        weekEnd = WeekEndDay(t);
        weekStart = weekEnd;
        for (int d = 0; d < 6; ++d)
            weekStart = PrevDay(weekStart);
    };
    if (period == 9)
        startWeek(bar.Time);
    for (int i = 0; i < count; ++i) {
        const KLineRecord &r = raw[i];
        bool belongs;
        switch (period) {
        case 9:
            belongs = (ComparePackedDate(r.Time, weekStart) >= 0 && ComparePackedDate(r.Time, weekEnd) <= 0) ||
                      IsSameDay(WeekEndDay(r.Time), weekEnd);
            break;
        case 10:
            belongs = IsSameMonth(bar.Time, r.Time);
            break;
        case 11:
            belongs = IsSameQuarter(bar.Time, r.Time);
            break;
        case 2:
        case 3:
        case 5:
        case 6:
        case 7:
            belongs = IsSameDay(bar.Time, r.Time) && merged < group;
            break;
        default:
            belongs = merged < group;
            break;
        }
        if (belongs) {
            bar.Time = r.Time;
            bar.Close = r.Close;
            if (r.High > bar.High)
                bar.High = r.High;
            if (r.Low < bar.Low)
                bar.Low = r.Low;
            bar.Volume += r.Volume;
            bar.Amount = marketType == 1 ? bar.Amount + r.Amount : r.Amount;
            bar.Advances = r.Advances;
            bar.Declines = r.Declines;
            ++merged;
        } else {
            out[outCount++] = bar;
            bar = r;
            merged = 1;
            if (period == 9)
                startWeek(bar.Time);
        }
    }
    out[outCount++] = bar;
}

int FindRecordOnOrBeforeDate(const void *records, int count, PackedDateTime date, void *out)
{
    const auto *bytes = static_cast<const uint8_t *>(records);
    if (!bytes || !out)
        return 0;
    for (int i = count - 1; i >= 0; --i) {
        PackedDateTime t;
        std::memcpy(&t, bytes + size_t(i) * 36, sizeof t);
        if (ComparePackedDate(t, date) <= 0) {
            std::memcpy(out, bytes + size_t(i) * 36, 36);
            return 1;
        }
    }
    return 0;
}

int TMarketData::ReadBarFile(KLineRecord *&bars, const char *code, int &count, int kind, int window, int merge)
{
    count = 0;
    const char *folder, *ext;
    switch (kind) {
    case 1:
        folder = "min1", ext = "m1";
        break;
    case 4:
        folder = "min", ext = "min";
        break;
    case 8:
        folder = "day", ext = "day";
        break;
    default:
        return 0;
    }
    // A market without its arrays may also lack a usable folder name.
    if (!code || !Statics)
        return 0;
    // Today's bars follow those read only when they can be merged (the flag set,
    // the stock known, its quote complete). Room is kept for them only then: the
    // class minutes + 16 for the minute files; for the day file today is one bar,
    // which the caller's window (one below its limit) already leaves room for, so
    // a full file yields as many bars as the limit allows.
    int stock = merge ? FindStockByCode(code) : -1;
    bool canMerge = false;
    if (HasStock(*this, stock)) {
        const RealQuoteRecord &q = Quotes[stock];
        canMerge = q.Open && q.High && q.Low && q.Last;
    }
    const int todayRoom = !canMerge ? 0 : kind == 8 ? 1 : MaxTradingMinutes + 16;
    const int windowRoom = kind == 8 ? 0 : todayRoom;
    char path[700];
    int h = DataFilePath(path, sizeof path, *this, folder, code, ext) ? FileOpen(path, "rb") : -1;
    int records = 0, read = 0;
    if (h >= 1) {
        records = FileGetSize(h) / BarSize;
        read = records;
        if (window > 0)
            read = std::max(0, std::min(records, window - windowRoom));
    }
    if (!bars) {
        bars = static_cast<KLineRecord *>(EMemAlloc(size_t(read + MaxTradingMinutes + 16) * BarSize));
        if (!bars) {
            if (h >= 1)
                FileClose(h);
            return 0;
        }
    }
    // A buffer handed in keeps room for today's bars after those read.
    int capacity = RecordsIn(bars, BarSize);
    read = std::max(0, std::min(read, capacity - todayRoom));
    if (read > 0 && FileSeek(h, (records - read) * BarSize, 0) >= 0)
        count = FileRead(h, bars, BarSize, read) / BarSize;
    if (h >= 1)
        FileClose(h);

    if (!canMerge)
        return 1;
    if (count > 0 && ComparePackedDate(Now, bars[count - 1].Time) <= 0)
        return 1;
    if (count >= capacity)
        return 1;
    if (kind == 8) {
        bars[count] = KLineRecord{};
        FillDayBar(*this, stock, bars[count]);
        ++count;
        return 1;
    }
    int cls = GetStockClass(stock);
    int elapsed = ElapsedTradingMinutes(ClockMinute, cls);
    int n = std::min(kind == 1 ? elapsed + 1 : elapsed / 5 + 1, capacity - count);
    StockId id = MakeStockId(Index, cls, stock);
    if (kind == 1)
        TDataIO::BuildMin1FromTicks(bars + count, id, n);
    else
        TDataIO::BuildMin5FromTicks(bars + count, id, n);
    count += n;
    return 1;
}

int TMarketData::MergeRealTimeBars(KLineRecord *bars, const char *code, int &count, int kind)
{
    if (!bars || !code)
        return 0;
    int stock = FindStockByCode(code);
    if (!HasStock(*this, stock) || !Quotes[stock].Last)
        return 0;
    int capacity = RecordsIn(bars, BarSize);
    count = std::max(0, std::min(count, capacity));
    int cls = GetStockClass(stock);
    if (kind == 1 || kind == 4) {
        int t = count;
        while (t > 0 && ComparePackedDate(bars[t - 1].Time, Now) >= 0)
            --t;
        int total = TotalTradingMinutes(cls);
        int n = std::min({MaxDataRecords - t - 1, capacity - t, kind == 1 ? total : total / 5 + 1});
        if (n > 0) {
            StockId id = MakeStockId(Index, cls, stock);
            if (kind == 1)
                TDataIO::BuildMin1FromTicks(bars + t, id, n);
            else
                TDataIO::BuildMin5FromTicks(bars + t, id, n);
        }
        count = t + std::max(n, 0);
        return 1;
    }
    if (kind != 8)
        return 0;
    if (count == 0 || ComparePackedDate(Now, bars[count - 1].Time) > 0) {
        if (count >= capacity)
            return 0;
        bars[count++] = KLineRecord{};
    }
    FillDayBar(*this, stock, bars[count - 1]);
    return 1;
}

int TMarketData::GetTickCount(int stock) const
{
    int records;
    int h = OpenTickFile(*this, stock, "tik", records);
    if (h >= 1)
        FileClose(h);
    return records;
}

int TMarketData::GetTickHistoryCount(int stock) const
{
    int records;
    int h = OpenTickFile(*this, stock, "tck", records);
    if (h >= 1)
        FileClose(h);
    return records;
}

int TMarketData::ReadTickFile(int stock, TickRecord *buffer, int &n) const
{
    return ReadTickRecords(*this, stock, "tik", buffer, n);
}

int TMarketData::ReadTickHistoryFile(int stock, TickRecord *buffer, int &n) const
{
    return ReadTickRecords(*this, stock, "tck", buffer, n);
}

bool TMarketData::IsTradingDayOpen() const
{
    if (Info.ClassCount == 0 || Info.Classes[0].SessionCount == 0)
        return false;
    return ClockMinute >= Info.Classes[0].SessionStart[0] && DayOfWeekFromYmd(PackedToYmd(Now)) % 6 != 0;
}

int TMarketData::BuildTrendFromTicks(StockId stock, const TickRecord *ticks, KLineRecord *out, int tickCount,
                                     int capacity)
{
    int index = StockIndex(stock);
    if (!HasStock(*this, index) || !out)
        return 0;
    if (!ticks)
        tickCount = 0;
    int cls = GetStockClass(index);
    int n = IsTradingDayOpen() ? ElapsedTradingMinutes(ClockMinute, cls) + 1 : TotalTradingMinutes(cls);
    n = std::min(n, capacity);
    if (n <= 0)
        return 0;

    PackedDateTime date = tickCount > 0 ? ticks[0].Time : Now;
    uint32_t price = Quotes[index].PrevClose;
    for (int i = 0; !price && i < tickCount; ++i)
        price = ticks[i].Price;
    if (!price)
        price = Statics[index].ScaleDivisor ? Statics[index].ScaleDivisor : 1;
    int32_t volume = 0;
    float amount = 0;
    int p = 0;
    for (int k = 0; k < n; ++k) {
        int clock = TradingMinuteToClock(k, cls);
        // Ticks of a minute before the point's (out of order, or before the
        // open) are passed over rather than holding up the walk.
        for (; p < tickCount; ++p) {
            int t = TickClock(ticks[p].Time);
            if (t > clock)
                break;
            if (t == clock) {
                price = ticks[p].Price;
                float v = ticks[p].Volume;
                volume = v >= 2147483520.0f ? INT32_MAX : (v >= 1.0f ? int32_t(v) : 0);
                amount = ticks[p].Amount;
            }
        }
        KLineRecord &point = out[k];
        point.Time = AtClock(date, clock);
        point.Close = price;
        point.Amount = amount;
        std::memcpy(&point.Advances, &volume, sizeof volume);
    }
    // The volume of minute k is kept at point k - 1; a falling cumulative volume
    // gives 0.
    for (int k = n - 1; k >= 1; --k) {
        int32_t now, before;
        std::memcpy(&now, &out[k].Advances, 4);
        std::memcpy(&before, &out[k - 1].Advances, 4);
        out[k - 1].Volume = now > before ? float(now - before) : 0.0f;
    }
    return n;
}

int TDataIO::ReadBars(KLineRecord *&bars, int market, const char *code, int &count, int period, int n, int force,
                      int request)
{
    count = 0;
    if (!code)
        return 0;
    auto *work = static_cast<KLineRecord *>(TUtilData::GetBarBuffer());
    TMarketData *md = MarketAt(market);
    if (!work || !md)
        return 0;
    int limit = std::min(n, MaxDataRecords);
    int minutes = md->MaxTradingMinutes;
    // A window below 1 would read the whole file: it reads nothing instead.
    auto window = [](int w) { return w < 1 ? 1 : w; };
    int raw = 0, ok = 0;
    if (period >= 8 && period <= 12)
        ok = md->ReadBarFile(work, code, raw, 8, window(limit - 1), MergeRealTime);
    else if (period >= 3 && period <= 7)
        ok = md->ReadBarFile(work, code, raw, 4, window(limit - minutes / 5 - 1), MergeRealTime);
    else if (period >= 1 && period <= 2)
        ok = md->ReadBarFile(work, code, raw, 1, window(limit - minutes), MergeRealTime);
    if (ok && raw >= 1) {
        if (!bars)
            bars = static_cast<KLineRecord *>(EMemAlloc(size_t(MaxDataRecords + 16) * BarSize));
        if (bars)
            AggregateBars(period, work, std::min(raw, RecordsIn(bars, BarSize)), bars, count, md->Info.Type);
        else
            ok = 0;
    }
    if (request && MFrame)
        MFrame->RequestHistory(market, code, period, force, request);
    return ok;
}

int TDataIO::ReadTicks(TickRecord *&ticks, StockId stock, int &count, int request)
{
    count = 0;
    TMarketData *md = MarketAt(StockMarket(stock));
    int index = StockIndex(stock);
    if (!md || !HasStock(*md, index))
        return 0;
    int records = md->GetTickCount(index);
    if (records > 0) {
        if (!EnsureRecords(ticks, records + 1024))
            return 0;
        count = records;
        md->ReadTickFile(index, ticks, count);
    }
    if (request && MFrame)
        MFrame->RequestTickData(stock);
    return 1;
}

int TDataIO::ReadTickHistory(TickRecord *&ticks, StockId stock, int &count)
{
    count = 0;
    TMarketData *md = MarketAt(StockMarket(stock));
    int index = StockIndex(stock);
    if (!md || !HasStock(*md, index))
        return 0;
    int records = md->GetTickHistoryCount(index);
    if (records <= 0)
        return 1;
    if (!EnsureRecords(ticks, records + 100))
        return 0;
    count = records;
    md->ReadTickHistoryFile(index, ticks, count);
    for (int i = 0; i < count; ++i) {
        if (ComparePackedDate(ticks[i].Time, md->Now) == 0) {
            count = i;
            break;
        }
    }
    return 1;
}

int TDataIO::ReadDayTrend(TickRecord *&buffer, StockId stock, int &count, int &k)
{
    count = 0;
    TMarketData *md = MarketAt(StockMarket(stock));
    int index = StockIndex(stock);
    if (!md || !HasStock(*md, index) || k < 1)
        return 0;
    int total = md->TotalTradingMinutes(md->GetStockClass(index));
    char code[8], path[700];
    StockCode(*md, index, code);
    if (total < 1 || !DataFilePath(path, sizeof path, *md, "min1", code, "m1"))
        return 0;
    int h = FileOpen(path, "rb");
    if (h < 1)
        return 0;
    int records = FileGetSize(h) / BarSize;
    if (records < total) {
        FileClose(h);
        return 0;
    }
    if (records / total < k)
        k = records / total;
    auto *bars = static_cast<KLineRecord *>(EMemAlloc(size_t(total) * BarSize));
    if (!bars || !EnsureRecords(buffer, total)) {
        EMemFree(bars);
        FileClose(h);
        return 0;
    }
    int read = 0;
    int first = records - total * k;
    if (FileSeek(h, first * BarSize, 0) == first * BarSize)
        read = FileRead(h, bars, BarSize, total) / BarSize;
    FileClose(h);
    for (int i = 0; i < read; ++i) {
        TickRecord &t = buffer[i];
        t = TickRecord{};
        t.Time = bars[i].Time;
        t.Price = bars[i].Close;
        t.Volume = bars[i].Volume;
        t.Amount = bars[i].Amount;
    }
    EMemFree(bars);
    count = read;
    return read == total ? 1 : 0;
}

void TDataIO::BuildMin1FromTicks(KLineRecord *bars, StockId stock, int &n)
{
    TMarketData *md = MarketAt(StockMarket(stock));
    int index = StockIndex(stock);
    if (!md || !HasStock(*md, index)) {
        n = 0;
        return;
    }
    const TickTail &ticks = TicksSoFar(*md, index);
    BuildMinuteBars(*md, index, ticks.Ticks, ticks.Count, bars, n);
}

void TDataIO::BuildMin5FromTicks(KLineRecord *bars, StockId stock, int &n)
{
    TMarketData *md = MarketAt(StockMarket(stock));
    int index = StockIndex(stock);
    if (!md || !HasStock(*md, index) || n <= 0 || !bars) {
        n = 0;
        return;
    }
    // The 1-minute bars are built apart: the caller's room is for 5-minute ones.
    int minutes = md->TotalTradingMinutes(md->GetStockClass(index)) + 64;
    auto *scratch = static_cast<KLineRecord *>(EMemAlloc(size_t(minutes) * BarSize));
    if (!scratch) {
        n = 0;
        return;
    }
    BuildMin1FromTicks(scratch, stock, minutes);
    bool turnover = md->Info.Type == 1;
    int built = 0;
    for (int i = 0; i < minutes; ++i) {
        const KLineRecord &m = scratch[i];
        if (i % 5 == 0) {
            if (built == n)
                break;
            bars[built++] = m;
            continue;
        }
        KLineRecord &bar = bars[built - 1];
        bar.Time = m.Time;
        bar.Close = m.Close;
        if (m.High > bar.High)
            bar.High = m.High;
        if (m.Low < bar.Low)
            bar.Low = m.Low;
        bar.Volume += m.Volume;
        bar.Amount = turnover ? bar.Amount + m.Amount : m.Amount;
    }
    EMemFree(scratch);
    n = built;
}

bool IsFileCode(const char *code)
{
    if (!code)
        return false;
    size_t n = strnlen(code, 16);
    if (n == 0 || n == 16 || std::strcmp(code, ".") == 0 || std::strcmp(code, "..") == 0 ||
        std::strstr(code, "..") != nullptr)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (code[i] == '\\' || code[i] == '/' || code[i] == ':')
            return false;
    return true;
}
