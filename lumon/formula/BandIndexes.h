// The band indicators over the bars of the price pane: MIKE (support and
// resistance levels from the typical price and the range of the previous bars)
// and BOLL (an average of the close with deviation bands). Both follow the
// built-in pattern (parameters of the pane's period checked before anything is
// computed, one compute in 32-bit floats) and draw OHLC bars with the close
// tick, their lines and the high and low marks.
#pragma once

#include "lumon/formula/TIndex.h"

class TBandIndex : public TIndex {
public:
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

protected:
    TBandIndex(StockId stock, int id, int lines);
};

// Lines 0..5: weak resistance and support, middle resistance and support,
// strong resistance and support, from the p0-bar average of the typical price
// and the highest high and lowest low of the p0 bars before each bar.
class MIKE : public TBandIndex {
public:
    explicit MIKE(StockId stock) : TBandIndex(stock, 125, 6) {}
    bool Compute() override;
};

// Line 0 the p0-bar average of the close, lines 1 and 2 the upper and lower
// band: p1 = 0 gives 1.96 times the root mean square of each close's distance
// from its own average, p1 non-zero one standard deviation around the current
// average.
class BOLL : public TBandIndex {
public:
    explicit BOLL(StockId stock) : TBandIndex(stock, 122, 3) {}
    bool Compute() override;
};
