#include "lumon/formula/WrapIndex.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "lumon/core/DataIO.h"

WRAP::WRAP(StockId stock, StockId stock2) : TIndex(stock), SecondStock(stock2)
{
    Id = IndexIdWrap;
    LineCount = 2;
    Init();
    Second = new (std::nothrow) TIndex(stock2);
    if (Second) {
        Second->Id = IndexIdWrap;
        Second->Init();
        // A plain series: it loads the second instrument's bars and carries no
        // lines of its own.
        Second->LineCount = 0;
    }
}

WRAP::~WRAP()
{
    delete Second;
}

void WRAP::SetOptions(int field, int mode, int separate)
{
    PriceField = uint8_t(field);
    Mode = uint8_t(mode);
    SeparateScales = uint8_t(separate);
}

bool WRAP::UpdateLastBar()
{
    return true;
}

float WRAP::FieldValue(const KLineRecord &r, float divisor) const
{
    const uint32_t price = PriceField == 0 ? r.Open : PriceField == 1 ? r.High : PriceField == 2 ? r.Low : r.Close;
    return float(price) / divisor;
}

bool WRAP::Compute()
{
    if (!Second)
        return false;
    Second->HistoryRequest = HistoryRequest + 4096;
    Second->ForceReload = ForceReload;
    Second->Id = Id;
    Second->Period = Period;
    Second->RefreshMode = 0;
    Computed = 0;
    Second->Computed = 0;
    if (!TIndex::Compute() || !Second->Compute())
        return false;

    // Mode 0 draws both series; the others one line.
    LineCount = Mode == 1 || Mode == 2 ? 1 : 2;
    const int32_t *params = CurrentParams();
    for (int k = 0; k < LineCount; ++k) {
        Styles[k].Style = StyleLine;
        if (params)
            Params.Set[Period][k] = 1;
    }
    if (Mode == 1) {
        std::memcpy(Definition.LineNames[0], "D1-D2", 6);
    } else if (Mode == 2) {
        std::memcpy(Definition.LineNames[0], "D1/D2", 6);
    } else {
        const char letter = "OHLC"[std::min<int>(PriceField, 3)];
        const StockId stocks[2] = {Stock, SecondStock};
        for (int k = 0; k < 2; ++k) {
            const StockStaticRecord *s = TDataIO::GetStock(stocks[k]);
            char code[8] = {};
            if (s)
                std::memcpy(code, s->Code, sizeof s->Code);
            const size_t n = strnlen(code, 7);
            char *name = Definition.LineNames[k];
            std::memset(name, 0, sizeof Definition.LineNames[k]);
            std::memcpy(name, code, n);
            if (n < 7)
                name[n] = letter;
        }
    }
    FillLinesNone();

    const KLineRecord *a = Records, *b = Second->Records;
    const int na = RecordCount, nb = Second->RecordCount;
    if (na > 0 && nb > 0 && a && b) {
        float matched = NoValue;
        int i = 0, j = 0;
        // Every step advances i or j, and j only while it has records left, so
        // the merge always ends.
        while (i < na) {
            int order = -1; // a second list used up counts as "pane record earlier"
            if (j < nb && Period < 8)
                order = ComparePackedDateTime(a[i].Time, b[j].Time);
            else if (j < nb)
                order = ComparePackedDate(a[i].Time, b[j].Time);
            if (order > 0) {
                ++j;
                continue;
            }
            const float p1 = FieldValue(a[i], PriceDivisor);
            if (order == 0) {
                matched = FieldValue(b[j], Second->PriceDivisor);
                ++j;
            }
            const float p2 = matched;
            if (Mode == 1 || Mode == 2) {
                const bool valid = !IsOutOfRangeValue(p1) && !IsOutOfRangeValue(p2) && (Mode == 1 || p2 != 0);
                if (valid)
                    Lines[0][i] = Mode == 1 ? p1 - p2 : p1 / p2;
            } else {
                Lines[0][i] = p1;
                Lines[1][i] = p2;
            }
            ++i;
        }
    }
    Computed = 1;
    Second->Computed = 1;
    return true;
}

bool WRAP::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!SeparateScales || LineCount < 2) {
        if (!TIndex::Draw(hdc, rect))
            return false;
        for (int k = 0; k < LineCount; ++k)
            DrawLineStyle(hdc, rect, k, 0);
        return true;
    }
    // The range and scale follow the pane's own series; the second series is
    // then drawn on its own scale.
    LineCount = 1;
    const bool drawn = TIndex::Draw(hdc, rect);
    if (drawn)
        DrawLineStyle(hdc, rect, 0, 0);
    const bool second = drawn && DrawSecondSeries(hdc, rect);
    LineCount = 2;
    return second;
}

bool WRAP::DrawSecondSeries(win::HDC hdc, const win::RECT *rect)
{
    if (!Second || !rect || LineCount < 1)
        return false;
    TIndex &s = *Second;
    // The second series borrows line 1 of the pane for this drawing only; its
    // own buffers and counts are put back on every path.
    float *own[2] = {s.Lines[0], s.Lines[1]};
    const LineStyle ownStyles[2] = {s.Styles[0], s.Styles[1]};
    const int ownLines = s.LineCount, ownRecords = s.RecordCount;
    s.Lines[0] = nullptr;
    s.Lines[1] = Lines[1];
    s.Styles[0] = {StyleNone, 0};
    s.Styles[1] = {StyleLine, 0};
    s.LineCount = 2;
    s.NoLines = 0;
    s.PriceScale = PriceScale;
    s.StackCount = StackCount;
    s.StackPos = StackPos;
    s.Selection = Selection;
    s.RecordCount = RecordCount;
    s.BarWidth = BarWidth;
    s.BarGap = BarGap;
    s.VisibleCount = VisibleCount;
    s.FirstVisible = FirstVisible;
    s.Capacity = Capacity;
    s.ScrollToEnd = 0;
    s.PlotRect = *rect;
    s.TitleBand = 0;
    if (s.PlotRect.bottom - s.PlotRect.top > 16) {
        s.TitleBand = 1;
        s.PlotRect.top += 16;
    }
    const bool computed = s.Computed != 0;
    if (computed) {
        s.Layout();
        s.DrawLineStyle(hdc, &s.PlotRect, 1, 0);
    }
    s.Lines[0] = own[0];
    s.Lines[1] = own[1];
    s.Styles[0] = ownStyles[0];
    s.Styles[1] = ownStyles[1];
    s.LineCount = ownLines;
    s.RecordCount = ownRecords;
    return computed;
}

TIndex *NewWrap(int, StockId stock, StockId stock2)
{
    return new (std::nothrow) WRAP(stock, stock2);
}
