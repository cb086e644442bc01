// The chart views' ticks of the day: loaded from the stock's tick file and
// repaired against the quote, turned into per-deal values with the outer,
// inner and neutral totals, then extended in place by the live deals.
#include <cmath>
#include <cstring>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/shell/MFrame.h"
#include "lumon/views/Dview.h"
#include "platform/forms/TStringGrid.h"

namespace {

// Flags of a quote update: a new deal, on the outer or the inner side.
constexpr uint32_t kNewDeal = 0x100;
constexpr uint32_t kOuterDeal = 0x200;
constexpr uint32_t kInnerDeal = 0x400;

constexpr size_t kTickBufferBytes = size_t(TDrawView::TickBufferRecords) * sizeof(TickRecord);

int Capacity(const TickRecord *buffer) { return buffer ? int(EMemSize(buffer) / sizeof(TickRecord)) : 0; }

bool Finite(float v) { return std::isfinite(v); }

// The minutes of the class's day: min(elapsed + 1, total).
int IndexTickCount(const ClassRecord *cls)
{
    if (!cls)
        return 0;
    const int elapsed = cls->ElapsedMinutes + 1, total = cls->TotalMinutes;
    return elapsed < total ? elapsed : total;
}

void RequestStockInfo(const StockStaticRecord &s)
{
    if (RequestClient && RequestClient->IsConnected())
        RequestClient->RequestStockInfo(s.Market, std::string(s.Code, strnlen(s.Code, sizeof s.Code)).c_str());
}

} // namespace

void TDrawView::LoadTicks()
{
    TickCount = TickTop = 0;
    if (!TickBuf || EMemSize(TickBuf) < kTickBufferBytes) {
        EMemFree(TickBuf);
        TickBuf = static_cast<TickRecord *>(EMemAlloc(kTickBufferBytes));
    }
    const StockView v = Look();
    if (!TickBuf || !v.Static) {
        TicksStale = 0;
        return;
    }
    const StockId stock = Attr.Stock;
    if (v.IsIndex) {
        TickCount = IndexTickCount(v.Class);
        if (Serial && MainFrame() && (MainFrame()->GetConnectionState() & 1) && MFrame)
            MFrame->RequestTickData(stock);
        TicksStale = 0;
        return;
    }
    OuterVolume = InnerVolume = NeutralVolume = 0;
    TickAmountSum = TickVolumeSum = 0;
    int count = 0;
    TDataIO::ReadTicks(TickBuf, stock, count, Serial);
    const int capacity = Capacity(TickBuf);
    if (count > capacity)
        count = capacity;
    const RealQuoteRecord &q = *v.Quote;
    if (count > 0) {
        TickRecord *t = TickBuf;
        // Repair against the quote and the previous deal: prices outside the
        // day's range, volumes that fall or pass the day's, amounts likewise in
        // securities markets; values that are no numbers count as broken.
        for (int i = 0; i < count; ++i) {
            TickRecord &r = t[i];
            if (r.Price == 0 || (q.High != 0 && r.Price > q.High) || (q.Low != 0 && r.Price < q.Low))
                r.Price = i > 0 ? t[i - 1].Price : (q.PrevClose != 0 ? q.PrevClose : uint32_t(v.Scale));
            const float prevVolume = i > 0 ? t[i - 1].Volume : 0.0f;
            if (!Finite(r.Volume) || (q.Volume > 1e-15f && r.Volume > q.Volume) || r.Volume < prevVolume)
                r.Volume = prevVolume;
            const float prevAmount = i > 0 ? t[i - 1].Amount : 0.0f;
            if (!Finite(r.Amount) || (v.Kind == 1 && (r.Amount > q.Amount || r.Amount < prevAmount)))
                r.Amount = prevAmount;
        }
        LastTickAmount = t[count - 1].Amount;
        if (t[count - 1].Volume < q.Volume && q.Last != 0 && count < capacity) {
            TickRecord &r = t[count];
            r = TickRecord{};
            r.Time = v.Market->Now;
            r.Price = q.Last;
            r.Volume = q.Volume;
            r.Amount = q.Amount;
            r.Side = 2;
            ++count;
        }
        TickCount = count;
        if (v.Kind != 1 && t[count - 1].Volume > 0) {
            // The average price of the day from the minute line; the scratch
            // holds every trading minute of the class.
            const int minutes = v.Market->TotalTradingMinutes(v.Static->Class) + 1;
            std::vector<KLineRecord> line(size_t(minutes > 0 ? minutes : 1));
            const int n = v.Market->BuildTrendFromTicks(stock, t, line.data(), count, int(line.size()));
            for (int k = 0; k < n && k < int(line.size()); ++k)
                if (line[k].Volume > 0) {
                    TickAmountSum += float(double(line[k].Close) * line[k].Volume / v.Scale);
                    TickVolumeSum += line[k].Volume;
                }
        }
        const double unit = double(v.Unit);
        auto addSide = [this](const TickRecord &r) {
            if (r.Side == 0)
                OuterVolume += r.Volume;
            else if (r.Side == 1)
                InnerVolume += r.Volume;
            else
                NeutralVolume += r.Volume;
        };
        for (int i = count - 1; i >= 1; --i) {
            TickRecord &r = t[i];
            r.Volume -= t[i - 1].Volume;
            r.Amount -= t[i - 1].Amount;
            if (std::fabs(double(r.Amount) * unit * 0.0001) > r.Volume)
                r.Amount = float((r.Amount > 0 ? 1.0 : -1.0) * (10000.0 / unit) * r.Volume);
            addSide(r);
        }
        addSide(t[0]);
        OuterVolume += NeutralVolume / 2;
        InnerVolume += NeutralVolume / 2;
        if (std::fabs(0.01 * t[0].Amount) > t[0].Volume + 99)
            t[0].Amount = 0;
    }
    if (BrokerMode == 1 && StockMarket(stock) == 2)
        RequestStockInfo(*v.Static);
    TicksStale = 0;
}

int TDrawView::Notify(int code, int a, int b, intptr_t c)
{
    const StockId id = StockId(uint32_t(a));
    const StockId own = Attr.Stock;
    if (code != 0 || StockMarket(id) != StockMarket(own) || (b != 1 && StockIndex(id) != StockIndex(own)))
        return 1;
    const uint32_t flags = uint32_t(c);
    const StockView v = Look();
    if (!v.Static)
        return 1;
    if (!v.IsIndex && TickTop >= MaxLiveTicks) {
        LoadTicks();
        return 1;
    }
    if (v.IsIndex) {
        TickCount = IndexTickCount(v.Class);
        return 1;
    }
    const int n = TickCount + TickTop;
    if (TickBuf && n >= 0 && n < Capacity(TickBuf)) {
        const RealQuoteRecord &q = *v.Quote;
        TickRecord &r = TickBuf[n];
        r.Time = v.Market->Now;
        if (flags & kNewDeal) {
            r.Price = q.Last;
            r.Volume = Finite(q.LastVolume) ? q.LastVolume : 0.0f;
            float amount = q.Amount - LastTickAmount;
            if (!Finite(amount))
                amount = 0;
            if (std::fabs(0.01 * amount) > r.Volume)
                amount = float((amount > 0 ? 100.0 : -100.0) * r.Volume);
            r.Amount = amount;
            LastTickAmount = q.Amount;
            if (n > 0 && r.Volume > 0) {
                if (flags & kOuterDeal) {
                    r.Side = 0;
                    OuterVolume += r.Volume;
                } else if (flags & kInnerDeal) {
                    r.Side = 1;
                    InnerVolume += r.Volume;
                } else {
                    r.Side = 2;
                    NeutralVolume += r.Volume;
                    OuterVolume += r.Volume / 2;
                    InnerVolume += r.Volume / 2;
                }
            }
            ++TickTop;
        }
    }
    if (StockMarket(own) == 2 && StringGrid1->Visible)
        RequestStockInfo(*v.Static);
    return 1;
}
