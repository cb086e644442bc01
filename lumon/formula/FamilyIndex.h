// The common frame of the built-in indicator families (averages, oscillators,
// breadth, chart types, market-relative): construction, the prices of the
// records as values (from the ex-rights adjusted copy in event mode), the work
// arrays, a refusal text and the plain drawing of every line. The compute
// prologue, event-mode records and forced reference lines come from
// BuiltinSupport.
#pragma once

#include "lumon/formula/BuiltinSupport.h"
#include "lumon/formula/TIndex.h"

class TFamilyIndex : public TIndex {
public:
    // The base draw, then every line with the line painter.
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

protected:
    TFamilyIndex(StockId stock, int id, int lines, bool priceScale = false);

    // The records the prices are taken from: the adjusted copy in event mode,
    // else the records themselves.
    const KLineRecord *PriceRecords();
    // A price over the price divisor.
    float Value(uint32_t price) const { return Scaled(*this, price); }
    // Whether the first `arrays` shared work arrays of set A exist and hold the
    // records.
    bool HasWork(int arrays) const;
    // The base draw, then in place of the lines a refusal text at the top left
    // of the plot in theme font and colour.
    bool DrawRefused(win::HDC hdc, const win::RECT *rect, const char *text, int font, int colour);
};
