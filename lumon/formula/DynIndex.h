// The intraday chart's indicator: the day's price line with its average-price
// line, the volume sticks or the open-interest line, one point per trading
// minute (the minute trend) or one per deal (the tick chart), laid out on the
// trading minutes of the stock's class, with live updates and earlier days.
#pragma once

#include "lumon/formula/TIndex.h"

class TMarketData;
struct TickRecord;

class TDynIndex : public TIndex {
public:
    // mode: 0 price and average price, 1 volume, 2 open interest.
    TDynIndex(StockId stock, int mode);
    ~TDynIndex() override;

    void DrawScale(win::HDC hdc, const win::RECT *rect) override;
    bool Init() override;
    // Today's ticks and the quote (or an earlier day), cleaned into points.
    bool LoadIntradayData() override;
    // Appends the live quote as a tick and recomputes; false when the value
    // range or the minute count outgrew the last layout.
    bool UpdateLastBar() override;
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
    void DrawTimeAxis(win::HDC hdc, const win::RECT *rect) override;
    int XToRecord(int &x, bool snap) override;
    bool PointToValue(win::POINT point, int &record, PackedDateTime &dateTime, float &value) override;
    // The intraday chart shows no cursor title: an empty rectangle.
    win::RECT DrawCursorTitle(win::HDC hdc, int x) override;
    void RecordToPoint(int &x, int &y, int &index) override;
    void Layout() override;

    // Cleans the ticks (prices outside the day's range, falling volumes and
    // amounts) and turns them into today's points after the history points.
    void BuildPoints();
    // Points of an earlier day (minute trend) or earlier days' ticks (tick
    // chart) in front of today's; their number.
    int LoadHistory();
    bool RangeChanged();
    void DrawLine(win::HDC hdc, int line, int colour);
    void DrawSticks(win::HDC hdc, int line, int colour);

    // All points: history then today's.
    int PointTotal() const { return HistoryCount + RecordCount; }
    // The most ticks the buffer is ever grown to by live updates; beyond it the
    // oldest give way.
    static inline int MaxTickBuffer = 262144;

    int32_t PaneMode = 0;
    uint8_t TickMode = 1;
    uint8_t LeftAxis = 0;
    uint8_t RightAxis = 0;
    uint8_t Refresh = 0;
    uint8_t HistoryWanted = 0;
    int32_t HistoryDayOffset = 0;
    int32_t AverageWanted = 0;
    int32_t RequestMissingTicks = 0;
    int32_t MarketType = 0;
    int32_t TradingDate = 0;
    int32_t Decimals = 0;
    int32_t BasePriceInteger = 0;
    int32_t ClassMinutes = 0;
    int32_t ClassElapsed = 0;
    int32_t TickCount = 0;
    int32_t HistoryCount = 0;
    int32_t PointCapacity = 0;   // C: 20000 points, 30000 for market types 3 and 5
    TickRecord *Ticks = nullptr;

private:
    TMarketData *Market() const;
    int ClassOf(const TMarketData &md) const;
    const RealQuoteRecord *Quote() const;
    int TickRoom() const;
    // Appends a tick, growing the buffer up to MaxTickBuffer and then letting
    // the oldest tick go.
    bool AppendTick(const TickRecord &tick);
    // A line's value at a point of the history or of today, none beyond.
    float PointValue(int line, int index) const;
    int PointX(int index) const;
    double ValueY(double value) const;
};
