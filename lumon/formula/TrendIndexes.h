// The trend indicators, which follow the close with averages and exponential
// smoothing: MACD, DMA, DMI1 (directional movement), EXPMA (five exponential
// averages over the candles) and TRIX (the triple-smoothed close). Each follows
// the built-in pattern of the price-pane indicators: parameters of the pane's
// period checked before anything is computed, one compute in 32-bit floats,
// drawing by the painters.
#pragma once

#include "lumon/formula/ShownLinesIndex.h"

// Line 0 DIF (the short exponential average of (H + L + 2C) / 4 minus the long
// one, the periods being p0 and p1), line 1 DEA (its p2 average), line 2 their
// difference as sticks; each parameter 1..100, p0 != p1.
class MACD : public TIndex {
public:
    explicit MACD(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

// Line 0 the difference of the p0 and p1 averages of the close divided by p0,
// line 1 its p2 average.
class DMA : public TShownLinesIndex {
public:
    explicit DMA(StockId stock) : TShownLinesIndex(stock, 42, 2) {}
    bool Compute() override;
};

// +DI, -DI, ADX and ADXR of period p0.
class DMI1 : public TShownLinesIndex {
public:
    explicit DMI1(StockId stock) : TShownLinesIndex(stock, 43, 4) {}
    bool Compute() override;
};

// Five exponential averages of the close, periods p0..p4, over candles.
class EXPMA : public TIndex {
public:
    explicit EXPMA(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

// Line 0 the close smoothed three times with period p0, line 1 its p1 average.
class TRIX : public TShownLinesIndex {
public:
    explicit TRIX(StockId stock) : TShownLinesIndex(stock, 48, 2) {}
    bool Compute() override;
};
