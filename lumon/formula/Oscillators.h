// The oscillators, which measure where the close stands against its own recent
// history: RSI, W%R (W_R), CCI, ROC, BIAS, PSY and SPOS. Each follows the
// built-in pattern (parameters of the pane's period checked before anything is
// computed, one compute in 32-bit floats, every shown line drawn as a polyline)
// and most show fixed reference levels whatever the reference-line file holds.
#pragma once

#include "lumon/formula/ShownLinesIndex.h"

// Relative strength of periods p0, p1, p2 (each 2..100); levels 20, 50, 80.
class RSI : public TShownLinesIndex {
public:
    explicit RSI(StockId stock) : TShownLinesIndex(stock, 87, 3) {}
    bool Compute() override;
};

// Williams %R of periods p0, p1 (0 at the highest high, 100 at the lowest low);
// levels 20, 50, 80.
class W_R : public TShownLinesIndex {
public:
    explicit W_R(StockId stock) : TShownLinesIndex(stock, 90, 2) {}
    bool Compute() override;
};

// Commodity channel index of period p0; levels -100, 0, 100.
class CCI : public TShownLinesIndex {
public:
    explicit CCI(StockId stock) : TShownLinesIndex(stock, 83, 1) {}
    bool Compute() override;
};

// Rate of change over p0 bars, its p1 average and (p2 non-zero) the p1 average
// of its absolute value; level 0.
class ROC : public TShownLinesIndex {
public:
    explicit ROC(StockId stock) : TShownLinesIndex(stock, 86, 3) {}
    bool Compute() override;
};

// Distance of the close from its p0, p1 and p2 averages in per cent, and the p3
// average of the first; level 0.
class BIAS : public TShownLinesIndex {
public:
    explicit BIAS(StockId stock) : TShownLinesIndex(stock, 81, 4) {}
    bool Compute() override;
};

// Share of rising closes over p0 bars and its p1 average; levels 75, 25.
class PSY : public TShownLinesIndex {
public:
    explicit PSY(StockId stock) : TShownLinesIndex(stock, 163, 2) {}
    bool Compute() override;
};

// The close's position within the bar, smoothed with period p0, and its p1
// average.
class SPOS : public TShownLinesIndex {
public:
    explicit SPOS(StockId stock) : TShownLinesIndex(stock, 362, 2) {}
    bool Compute() override;
};
