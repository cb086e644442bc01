// The indicators of the price and volume panes: candles (CKline, KLine), OHLC
// bars (CZJline with open and close ticks, CBline with the close tick), the close
// line (CloseLine), each with moving averages of the close, and the volume and
// amount columns with their averages (CVolume, CAmount).
//
// Every built-in indicator follows the same pattern: the constructor sets the id
// and the fixed line count and initialises; Compute runs the base compute (data
// load), sets the styles from the parameters, fills the lines with none, refuses
// empty history, bad parameters or missing work arrays, then computes; Draw lets
// the base lay the pane out and paints with the painters.
#pragma once

#include "lumon/formula/TIndex.h"

// The candle and bar classes share one compute: line k is the p_k-bar average of
// the close, shown when p_k is non-zero.
class TCloseAverages : public TIndex {
public:
    bool Compute() override;

protected:
    TCloseAverages(StockId stock, int id, int lines);
};

class CKline : public TCloseAverages {
public:
    explicit CKline(StockId stock);
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

// Candles and marks only.
class KLine : public TCloseAverages {
public:
    explicit KLine(StockId stock);
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

class CZJline : public TCloseAverages {
public:
    explicit CZJline(StockId stock);
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

class CBline : public TCloseAverages {
public:
    explicit CBline(StockId stock);
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

// Line 0 the close, lines 1..6 its averages of p0..p5 bars.
class CloseLine : public TIndex {
public:
    explicit CloseLine(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

// Line 0 the columns of a record field, lines 1..6 its averages of p0..p5 bars.
class TFieldColumns : public TIndex {
public:
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

protected:
    TFieldColumns(StockId stock, int id, bool amount);

private:
    bool m_Amount;
};

class CVolume : public TFieldColumns {
public:
    explicit CVolume(StockId stock) : TFieldColumns(stock, 322, false) {}
};

class CAmount : public TFieldColumns {
public:
    explicit CAmount(StockId stock) : TFieldColumns(stock, 321, true) {}
};
