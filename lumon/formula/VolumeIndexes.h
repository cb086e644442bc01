// The volume and energy indicators, which weigh price moves against volume,
// amount or the bar's range: BRAR, CR, VR, OBV, ASI and EMV. Each follows the
// built-in pattern (parameters of the pane's period checked before anything is
// computed, one compute in 32-bit floats, every shown line drawn as a
// polyline). CR also draws four of its averages displaced into the future and
// so lays out and draws its pane itself.
#pragma once

#include "lumon/formula/ShownLinesIndex.h"

// Line 0 BR, line 1 AR, both over p0 bars.
class BRAR : public TShownLinesIndex {
public:
    explicit BRAR(StockId stock) : TShownLinesIndex(stock, 161, 2) {}
    bool Compute() override;
};

// Line 0 CR over p0 bars; lines 1..4 its 10, 20, 40 and 62 averages, drawn 4, 9,
// 19 and 30 bars to the right.
class CR : public TIndex {
public:
    explicit CR(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
    void Layout() override;
    // One line over the shown bars and its displacement, within the capacity.
    void DrawShiftedLine(win::HDC hdc, int line, int start);

    // How far each line is drawn to the right of its record.
    static constexpr int Displacement[5] = {0, 4, 9, 19, 30};
    // The averages' periods, written into the parameter set on every compute.
    static constexpr int AveragePeriod[5] = {0, 10, 20, 40, 62};

private:
    float ShiftedValue(int line, int i) const;
};

// Line 0 VR over the amounts of p0 + 1 bars, line 1 its p1 average.
class VR : public TShownLinesIndex {
public:
    explicit VR(StockId stock) : TShownLinesIndex(stock, 164, 2) {}
    bool Compute() override;
};

// Line 0 the running sum of the amount in ten thousands, signed by the close's
// move; line 1 its p0 average.
class OBV : public TShownLinesIndex {
public:
    explicit OBV(StockId stock) : TShownLinesIndex(stock, 243, 2) {}
    bool Compute() override;
};

// Line 0 the accumulated swing index, line 1 its p0 average.
class ASI : public TShownLinesIndex {
public:
    explicit ASI(StockId stock) : TShownLinesIndex(stock, 241, 2) {}
    bool Compute() override;
};

// Line 0 the ease of movement averaged over p0 bars, line 1 its p1 average;
// level 0.
class EMV : public TShownLinesIndex {
public:
    explicit EMV(StockId stock) : TShownLinesIndex(stock, 242, 2) {}
    bool Compute() override;
};
