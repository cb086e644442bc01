// The base class of every chart indicator: one pane's indicator for one stock,
// period and indicator id. It owns the stock's bars of the period (adjusted for
// ex-rights events by the weight mode) and up to eight result lines, lays the
// pane out, draws the title band, value axis, date axis, candles, bars and lines,
// and maps between pixels and records for the mouse. Subclasses compute their
// lines (Compute) and paint them (Draw) and reuse the rest.
#pragma once

#include <cstdint>

#include "lumon/core/HistoryRecords.h"
#include "lumon/core/MarketRecords.h"
#include "lumon/formula/IndexDefs.h"
#include "platform/gdi/GdiTypes.h"

class TDataPool;

// A result value that means "no value".
constexpr float NoValue = 1e16f;

// True for the no-value marker and for anything else that cannot be drawn:
// beyond +-1e15, infinite or not a number.
inline bool IsOutOfRangeValue(float x)
{
    return !(x >= -1e15f && x < 1e15f);
}
inline bool IsNearZero(float x)
{
    return x > -1e-10f && x < 1e-10f;
}

// Line styles.
constexpr uint32_t StyleNone = 0;
constexpr uint32_t StyleLine = 1;
constexpr uint32_t StyleBar = 2;
constexpr uint32_t StyleTBar = 3;
constexpr uint32_t StyleCandle = 4;

// Weight modes, chosen by the chart.
constexpr int WeightNone = 0;
constexpr int WeightBreaks = 1;    // unadjusted, lines broken at ex-rights days
constexpr int WeightBackward = 2;
constexpr int WeightForward = 3;

// What HitTest finds under a point.
constexpr int HitNothing = 0;
constexpr int HitLine = 1;
constexpr int HitBar = 2;
constexpr int HitNameBox = 3;

#pragma pack(push, 1)
// One record of a stock's weight file: an ex-rights event.
struct ExRightsRecord {
    PackedDateTime Date;     // only the day counts
    uint32_t Bonus;          // bonus shares per 10 x 10000
    uint32_t Rights;         // rights shares per 10 x 10000
    uint32_t RightsPrice;    // price units
    uint32_t Dividend;       // cash per 10 shares, price units
    uint32_t Conversion;     // shares from reserves per 10 x 10000
    uint32_t Unused24[3];
};
static_assert(sizeof(ExRightsRecord) == 36);
#pragma pack(pop)

struct LineStyle {
    uint32_t Style;
    float TitleParam;        // printed before the line's name when above 0
};

// The price of an event's day from the price before it, and back.
uint32_t ExRightsPriceForward(uint32_t price, const ExRightsRecord &event);
uint32_t ExRightsPriceBackward(uint32_t price, const ExRightsRecord &event);

// dst[0 .. start-1] = none; from start on the period-bar simple average of src
// (none during its warm-up); with period <= 0 src is copied from start on.
void MovingAverage(float *dst, const float *src, int count, int period, int start);
// dst[t] = the average of src[t - period + 1 .. t] for 0 <= t < count, period >= 1:
// the part of MovingAverage after the warm-up, for a caller that gives src with
// the period - 1 values before it and computes a long line a stretch at a time.
// The values are MovingAverage's to the bit.
void MovingAverageSpan(float *dst, const float *src, int64_t count, int period);

class TIndex {
public:
    explicit TIndex(StockId stock);
    TIndex(const TIndex &) = delete;
    TIndex &operator=(const TIndex &) = delete;

    // The operations the chart views drive an indicator by, in slot order.
    virtual void DrawTitle(win::HDC hdc, const win::RECT *rect);
    // The bar file of the stock and period; false when the stock is unknown.
    virtual bool GetDataFileName(char *path, int size);
    virtual void DrawScale(win::HDC hdc, const win::RECT *rect);
    virtual ~TIndex();
    virtual bool Init();
    virtual bool LoadIntradayData();
    // Merges the stock's live quote into the last bar (or a new one).
    virtual bool UpdateLastBar();
    // Reference lines and the data load; the subclasses then compute their lines.
    virtual bool Compute();
    // Title band, margins, layout and value axis; false without a computation.
    virtual bool Draw(win::HDC hdc, const win::RECT *rect);
    virtual void DrawTimeAxis(win::HDC hdc, const win::RECT *rect);
    // The record under pane column x; with snap the nearest shown bar, x moved to
    // its centre; -1 without snap outside the shown bars.
    virtual int XToRecord(int &x, bool snap);
    virtual bool PointToValue(win::POINT point, int &record, PackedDateTime &dateTime, float &value);
    virtual void GetRecordInfo(int index, KLineRecord &record, float &change, float &changePercent,
                               float &reserved, uint32_t &prevClose);
    // The title band with the values of the record under column x; returns the
    // band drawn (empty when nothing was).
    virtual win::RECT DrawCursorTitle(win::HDC hdc, int x);
    virtual void RecordToPoint(int &x, int &y, int &index);
    virtual void DrawHighLowMarks(win::HDC hdc, const win::RECT *rect);
    virtual int HitTest(int x, int y);
    virtual void Layout();

    // Reads the stock's bars of the period through the data pool and adjusts
    // them by the weight mode.
    bool LoadData();
    void GetViewState(float &barWidth, float &gap, int &visibleCount, int &firstVisible) const;
    void SetViewState(float barWidth, float gap, int visibleCount, int firstVisible);
    // 1 when record i closes above record i - 1, -1 below, else 0.
    int CloseDirection(int i) const;

    // Ex-rights events.
    int LoadWeights();
    void AdjustRecordForward(KLineRecord &record, const ExRightsRecord *weights, int n) const;
    void AdjustRecordBackward(KLineRecord &record, const ExRightsRecord *weights, int n) const;
    void AdjustRecordsForward();
    void AdjustRecordsBackward();
    // The records adjusted backward by the events on or before each one's day,
    // into the shared record copy; false when there is none.
    bool AdjustRecordsToCopy(int count, const ExRightsRecord *weights, int n);
    void AdjustSeriesForExRights(float *dst, int count, int period, const ExRightsRecord *weights, int n);
    // True when an event falls on the day of `date`; `number` is its 1-based
    // position.
    bool FindExRightsAt(PackedDateTime date, int &number) const;
    // The 1-based number of the latest event that takes effect at this record:
    // dated after the previous record's day and on or before this one's; 0
    // when none does.
    int EventTakingEffectAt(int record) const;
    void DrawExRightsMarks(win::HDC hdc, const win::RECT *rect);
    // The note on the event under the point, at most size - 1 bytes; size
    // becomes its length.
    bool GetExRightsTextAt(char *text, int &size, win::POINT point);

    // Painters, used by the subclasses' Draw after the base laid the pane out.
    void DrawPriceBars(win::HDC hdc, const win::RECT *rect);
    void DrawOhlcBars(win::HDC hdc, const win::RECT *rect, bool tick);
    void DrawVolumeBars(win::HDC hdc, const win::RECT *rect, int line);
    void DrawLineStyle(win::HDC hdc, const win::RECT *rect, int line, int start);
    void DrawBarStyle(win::HDC hdc, const win::RECT *rect, int line, int start);
    void DrawTBarStyle(win::HDC hdc, const win::RECT *rect, int line, float base, int start);

    // The parameter set of the current period; null for a period outside 1..12.
    const int32_t *CurrentParams() const;
    // Weight mode 1 with at least one event loaded.
    bool EventMode() const { return WeightMode == WeightBreaks && WeightCount > 0 && Weights; }
    // Fills every line buffer with none for every record.
    void FillLinesNone();
    // The stock's decimals as the axis and the marks show prices (0..6).
    int PriceDecimals() const;

    // Process-wide, made by the first indicator and kept for the run.
    static int KLineMode;                 // non-zero: rising candles hollow
    static float *WorkA[4];
    static float *WorkB[4];
    static int WorkCapacity;              // floats in each work array
    static KLineRecord *RecordCopy;
    static int RecordCopyCapacity;
    static TDataPool *DataPool;

    uint8_t Initialised = 0;
    uint16_t Id = 3;
    uint16_t Period = 8;
    StockId Stock;
    IndexDefinition Definition{};
    IndexParamBlock Params{};
    uint8_t RefShown[4] = {};
    float RefLevel[4] = {};
    uint32_t PriceScale = 0;
    win::RECT PlotRect{};
    uint32_t HistoryRequest = 0;          // passed to every history read
    uint32_t ForceReload = 0;
    int32_t RecordCount = 0;
    int32_t LineCount = 0;
    int32_t ParamCount = 0;
    int32_t WeightCount = 0;
    uint8_t StackCount = 1;               // indicators sharing the title band
    uint8_t StackPos = 1;                 // this one's 1-based place among them
    uint8_t Selection = 0;                // bit 0 lines, bit 1 bars
    uint8_t SubPane = 0;
    uint8_t NoLines = 0;
    // The bars erased (删除指标 on a selected bar series): the bar painters draw
    // nothing; Init leaves it as the chart set it.
    uint8_t NoBars = 0;
    float BarWidth = 5.0f;
    float BarGap = 1.0f;
    int32_t VisibleCount = 0;
    int32_t FirstVisible = 0;
    int32_t Capacity = 0;
    double YScale = 0;
    double BarPitch = 1.0;
    float ValueMax = 0;
    float ValueMin = 0;
    float BaseValue = 0;
    float PriceDivisor = 1;
    uint8_t ScrollToEnd = 0;
    float *Lines[MaxIndexLines] = {};
    LineStyle Styles[MaxIndexLines] = {};
    KLineRecord *Records = nullptr;
    ExRightsRecord *Weights = nullptr;
    int32_t WeightMode = WeightNone;
    int32_t RefreshMode = 0;              // non-zero: Compute merges the live quote
    uint8_t BottomMargin = 0;
    uint8_t TitleBand = 0;
    uint8_t Computed = 0;

    // Kept for the chart views, which set and read them.
    int32_t OwnerSerial = 0;
    int32_t AreaIndex = 0;
    int32_t LineCapacity = 0;             // floats in each line buffer

protected:
    // The value of a line at a record, none when there is no such entry.
    float LineValue(int line, int record) const;
    // y of a value in the plot.
    int ValueToY(double value) const;
    // x of the centre of a shown record.
    int RecordCentreX(int record) const;
    double Pitch() const;
    // The columns of the plot: capacity, first and shown records and pitch;
    // scrolled to the end, the last 16th of the width is left free.
    void LayoutColumns();
    // The highest high and lowest low of the shown records over the price
    // divisor; max and min are left as they are when no record is shown.
    void VisiblePriceRange(float &max, float &min) const;
    // The title band's texts for record `record` (-1: none).
    void DrawTitleFor(win::HDC hdc, int record, bool blank);
    // Whether a line is broken before this record in weight mode 1.
    bool IsBreakAt(int record) const;
    // The first record a line of this indicator is drawn from.
    int LineStart(int line) const;
    bool HitLines(int x, int y) const;
    bool HitPriceBars(int x, int y) const;
    // The date a record shows: minute bars mapped into the market's zone.
    PackedDateTime ShownDate(PackedDateTime t) const;
    // The price-pane ids whose lines break at ex-rights days in weight mode 1.
    bool BreaksLinesAtEvents() const;
};
