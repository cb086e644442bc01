// TIndex: ex-rights events of securities: the weight file, the two price
// formulas, the adjustment of records and of the close average, and the marks
// and notes under the candles.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TIndex.h"
#include "platform/gdi/Gdi.h"

using namespace win;

namespace {

// A price computed in double, cut toward zero into the price field's range.
uint32_t ToPrice(double v)
{
    if (!(v > 0))
        return 0;
    if (v >= 4294967295.0)
        return 4294967295u;
    return uint32_t(v);
}

double Shares(const ExRightsRecord &e)
{
    return 0.0001 * (double(e.Bonus) + double(e.Rights) + double(e.Conversion));
}

} // namespace

uint32_t ExRightsPriceForward(uint32_t price, const ExRightsRecord &e)
{
    double v = (10.0 * price + 0.0001 * double(e.Rights) * double(e.RightsPrice) - double(e.Dividend)) /
               (10.0 + Shares(e));
    return ToPrice(v);
}

uint32_t ExRightsPriceBackward(uint32_t price, const ExRightsRecord &e)
{
    double v = ((10.0 + Shares(e)) * price - 0.0001 * double(e.Rights) * double(e.RightsPrice) +
                double(e.Dividend)) *
               0.1;
    return ToPrice(v);
}

int TIndex::LoadWeights()
{
    TMarketData *md = nullptr;
    char code[8];
    EMemFree(Weights);
    Weights = nullptr;
    WeightCount = 0;
    if (!StockMarketAndCode(Stock, md, code) || md->Info.Type != 1)
        return 0;
    if (ForceReload && MFrame)
        MFrame->RequestWeightFile(Stock);
    char path[600];
    JoinInto(path, sizeof path, {DataRoot, "data\\", md->Info.Dir, "\\weight\\", code, ".wgt"});
    // Every compute looks here; the data pool keeps the file while it is unchanged.
    std::shared_ptr<const std::string> bytes = ReadFileCached(path);
    if (!bytes)
        return 0;
    int count = int(bytes->size() / sizeof(ExRightsRecord));
    Weights = static_cast<ExRightsRecord *>(EMemAlloc(size_t(count + 16) * sizeof(ExRightsRecord)));
    if (Weights && count > 0)
        std::memcpy(static_cast<void *>(Weights), bytes->data(), size_t(count) * sizeof(ExRightsRecord));
    return Weights ? count : 0;
}

void TIndex::AdjustRecordForward(KLineRecord &record, const ExRightsRecord *weights, int n) const
{
    if (!weights)
        return;
    // The events after the record, applied oldest first: the price before the
    // first of them is carried across each in turn to the level after event n.
    int first = n;
    while (first > 0 && ComparePackedDate(record.Time, weights[first - 1].Date) < 0)
        --first;
    for (int k = first; k < n; ++k) {
        const ExRightsRecord &e = weights[k];
        record.Open = ExRightsPriceForward(record.Open, e);
        record.High = ExRightsPriceForward(record.High, e);
        record.Low = ExRightsPriceForward(record.Low, e);
        record.Close = ExRightsPriceForward(record.Close, e);
    }
}

void TIndex::AdjustRecordBackward(KLineRecord &record, const ExRightsRecord *weights, int n) const
{
    if (!weights)
        return;
    for (; n > 0 && ComparePackedDate(record.Time, weights[n - 1].Date) >= 0; --n) {
        const ExRightsRecord &e = weights[n - 1];
        record.Open = ExRightsPriceBackward(record.Open, e);
        record.High = ExRightsPriceBackward(record.High, e);
        record.Low = ExRightsPriceBackward(record.Low, e);
        record.Close = ExRightsPriceBackward(record.Close, e);
    }
}

void TIndex::AdjustRecordsForward()
{
    if (!Records || !Weights)
        return;
    for (int i = 0; i < RecordCount; ++i)
        AdjustRecordForward(Records[i], Weights, WeightCount);
}

void TIndex::AdjustRecordsBackward()
{
    if (!Records || !Weights)
        return;
    int n = 0;
    for (int i = 0; i < RecordCount; ++i) {
        while (n < WeightCount && ComparePackedDate(Weights[n].Date, Records[i].Time) <= 0)
            ++n;
        AdjustRecordBackward(Records[i], Weights, n);
    }
}

bool TIndex::AdjustRecordsToCopy(int count, const ExRightsRecord *weights, int n)
{
    if (!RecordCopy || !Records || count > RecordCopyCapacity || count > RecordCount)
        return false;
    // Each record counts the events on or before its day, also those that fell
    // on a day without a bar.
    int seen = 0;
    for (int i = 0; i < count; ++i) {
        while (weights && seen < n && ComparePackedDate(weights[seen].Date, Records[i].Time) <= 0)
            ++seen;
        RecordCopy[i] = Records[i];
        AdjustRecordBackward(RecordCopy[i], weights, seen);
    }
    return true;
}

void TIndex::AdjustSeriesForExRights(float *dst, int count, int period, const ExRightsRecord *weights, int n)
{
    if (!dst || !Records)
        return;
    count = std::min(count, RecordCount);
    const float divisor = PriceDivisor;
    if (period <= 0) {
        for (int i = 0; i < count; ++i)
            dst[i] = float(Records[i].Close) / divisor;
        return;
    }
    auto adjusted = [&](int j, int matched) {
        KLineRecord copy = Records[j];
        if (matched > 0)
            AdjustRecordForward(copy, weights, matched);
        return float(copy.Close) / divisor;
    };
    int matched = 0;
    double sum = 0; // as MovingAverage's: exact for prices
    for (int i = 0; i < count; ++i) {
        dst[i] = NoValue;
        // An event is matched to the first record on or after its day.
        bool hit = false;
        while (weights && matched < n && ComparePackedDate(weights[matched].Date, Records[i].Time) <= 0) {
            ++matched;
            hit = true;
        }
        if (hit) {
            sum = 0;
            for (int64_t j = std::max<int64_t>(0, int64_t(i) - period + 1); j < i; ++j)
                sum += adjusted(int(j), matched);
        }
        sum += float(Records[i].Close) / divisor;
        if (i >= int64_t(period) - 1) {
            dst[i] = float(sum / period);
            sum -= adjusted(i - period + 1, matched);
        }
    }
}

bool TIndex::FindExRightsAt(PackedDateTime date, int &number) const
{
    for (int k = 0; Weights && k < WeightCount; ++k) {
        if (ComparePackedDate(Weights[k].Date, date) == 0) {
            number = k + 1;
            return true;
        }
    }
    return false;
}

int TIndex::EventTakingEffectAt(int record) const
{
    if (!Weights || !Records || record < 1 || record >= RecordCount)
        return 0;
    for (int k = WeightCount; k > 0; --k) {
        const ExRightsRecord &e = Weights[k - 1];
        if (ComparePackedDate(e.Date, Records[record].Time) <= 0)
            return ComparePackedDate(Records[record - 1].Time, e.Date) < 0 ? k : 0;
    }
    return 0;
}

void TIndex::DrawExRightsMarks(HDC hdc, const RECT *rect)
{
    if (!PriceScale || SubPane || WeightCount < 1 || !Weights || !Records || !rect ||
        PlotRect.bottom - PlotRect.top < 4)
        return;
    SelectedObject pen(hdc, CreatePen(PS_SOLID, 1, ThemeColor(13)));
    int bottom = rect->bottom;
    for (int i = std::max(FirstVisible, 1); i < FirstVisible + VisibleCount; ++i) {
        if (!EventTakingEffectAt(i))
            continue;
        int centre = RecordCentreX(i);
        MoveToEx(hdc, centre, bottom - 4, nullptr);
        LineTo(hdc, centre - 4, bottom);
        LineTo(hdc, centre + 4, bottom);
        LineTo(hdc, centre, bottom - 4);
    }
}

bool TIndex::GetExRightsTextAt(char *text, int &size, POINT point)
{
    if (!text || size < 1 || SubPane || WeightCount < 1 || !Weights || !PriceScale || !Records ||
        point.y < PlotRect.bottom - 10)
        return false;
    double pitch = Pitch();
    int from = FirstVisible + TruncToInt((point.x - PlotRect.left) / pitch);
    int to = FirstVisible + TruncToInt((point.x + 4 - PlotRect.left) / pitch);
    from = std::max({from, FirstVisible, 1});
    to = std::min(to, RecordCount - 1);
    int number = 0;
    for (int i = from; i <= to && !number; ++i)
        number = EventTakingEffectAt(i);
    if (!number)
        return false;
    const ExRightsRecord &e = Weights[number - 1];
    PackedDateTime date = ShownDate(e.Date);
    int d = PriceDecimals();
    std::string note;
    char piece[96], format[48];
    std::snprintf(piece, sizeof piece, "除权日  %02d-%02d-%02d", PackedYear(date) % 100, PackedMonth(date),
                  PackedDay(date));
    bool fits = true;
    auto add = [&](const char *s) {
        if (fits && note.size() + std::strlen(s) < size_t(size))
            note += s;
        else
            fits = false;
    };
    add(piece);
    if (e.Bonus) {
        std::snprintf(piece, sizeof piece, "\r\n每10股送%.3f股", e.Bonus * 0.0001);
        add(piece);
    }
    if (e.Rights) {
        std::snprintf(piece, sizeof piece, "\r\n每10股配%.3f股", e.Rights * 0.0001);
        add(piece);
    }
    if (e.RightsPrice) {
        std::snprintf(format, sizeof format, "%s配股价%%-.%df元", e.Rights ? "" : "\r\n", d);
        std::snprintf(piece, sizeof piece, format, e.RightsPrice / double(PriceDivisor));
        add(piece);
    }
    if (e.Dividend) {
        std::snprintf(format, sizeof format, "\r\n每10股送红利%%-.%df元", d);
        std::snprintf(piece, sizeof piece, format, e.Dividend / double(PriceDivisor));
        add(piece);
    }
    if (e.Conversion) {
        std::snprintf(piece, sizeof piece, "\r\n每10股转增%.3f股", e.Conversion * 0.0001);
        add(piece);
    }
    if (note.empty())
        return false;
    std::memcpy(text, note.data(), note.size());
    text[note.size()] = 0;
    size = int(note.size());
    return true;
}
