// The common frame of the built-in indicator families (averages, oscillators,
// breadth, chart types, market-relative): the compute prologue, the prices of
// the records as values (from the ex-rights adjusted copy in event mode), forced
// reference lines and the plain drawing of every line.
#pragma once

#include "lumon/formula/TIndex.h"

class TFamilyIndex : public TIndex {
public:
    // The base draw, then every line with the line painter.
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

protected:
    TFamilyIndex(StockId stock, int id, int lines, bool priceScale = false);

    // The base compute (reference lines, data load); the parameter set of the
    // pane's period, or null when the load failed.
    const int32_t *BeginCompute();
    // Line styles: line k shown when p[k] is non-zero.
    void StylesFromParams(const int32_t *p);
    // The records the prices are taken from: the adjusted copy in event mode,
    // else the records themselves.
    const KLineRecord *PriceRecords();
    float Value(uint32_t price) const { return float(price) / PriceDivisor; }
    // Shows reference line k at a level, whatever the reference-line file said.
    void ForceRefLine(int k, float level);
    // Whether the first `arrays` shared work arrays of set A exist and hold the
    // records.
    bool HasWork(int arrays) const;
    // The number of ex-rights events dated on or before record i's day.
    int EventsReachedBy(int i) const;
    // A price record adjusted forward to the footing of `events` events.
    KLineRecord AdjustedRecord(int i, int events) const;
    // Writes a refusal text at the top left of the plot in theme font and colour.
    void DrawRefusal(win::HDC hdc, const char *text, int font, int colour);
};
