// The spread chart of two instruments (id 601): one price field of a second
// instrument beside the pane's own, or their difference "D1-D2" or ratio
// "D1/D2", bar for bar on matching dates.
#pragma once

#include "lumon/formula/TIndex.h"

class WRAP : public TIndex {
public:
    WRAP(StockId stock, StockId stock2);
    ~WRAP() override;

    // field: 0 open, 1 high, 2 low, 3 close; mode: 0 both series, 1
    // difference, 2 ratio; separate: in mode 0 the second series keeps its own
    // value scale.
    void SetOptions(int field, int mode, int separate);
    // Live quotes do not change this chart.
    bool UpdateLastBar() override;
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
    // Line 1 on the second series' own value scale, in the pane's plot.
    bool DrawSecondSeries(win::HDC hdc, const win::RECT *rect);

    TIndex *Second = nullptr;
    StockId SecondStock;
    uint8_t PriceField = 3;
    uint8_t Mode = 0;
    uint8_t SeparateScales = 1;

private:
    float FieldValue(const KLineRecord &r, float divisor) const;
};

// The spread chart of the two stocks, for the factory (the id is always 601);
// null without memory.
TIndex *NewWrap(int id, StockId stock, StockId stock2);
