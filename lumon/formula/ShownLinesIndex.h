// The common frame of the built-in indicators that draw nothing but their
// shown lines (most oscillators, volume and trend indicators): construction by
// id and line count, and every line whose style is not NONE drawn as a polyline
// from record 0 after the base draw.
#pragma once

#include "lumon/formula/TIndex.h"

class TShownLinesIndex : public TIndex {
public:
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

protected:
    TShownLinesIndex(StockId stock, int id, int lines);
};
