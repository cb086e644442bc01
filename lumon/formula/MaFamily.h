// The moving-average family: MA (six averages of the close), PBX (six waterfall
// lines over the candles), BBI (the mean of four averages), BBIBOLL (BBI with
// bands over OHLC bars), CDP (pivot levels), DKX (the weighted 20-bar average)
// and RAIL (averages of highs and lows over the candles).
#pragma once

#include "lumon/formula/FamilyIndex.h"

class MA : public TFamilyIndex {
public:
    explicit MA(StockId stock);
    bool Compute() override;
};

class PBX : public TFamilyIndex {
public:
    explicit PBX(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

class BBI : public TFamilyIndex {
public:
    explicit BBI(StockId stock);
    bool Compute() override;
};

class BBIBOLL : public TFamilyIndex {
public:
    explicit BBIBOLL(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

class CDP : public TFamilyIndex {
public:
    explicit CDP(StockId stock);
    bool Compute() override;
};

class DKX : public TFamilyIndex {
public:
    explicit DKX(StockId stock);
    bool Compute() override;
};

class RAIL : public TFamilyIndex {
public:
    explicit RAIL(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};
