// Indicators of volume, open interest and market breadth: WVAD (the volume
// weighted by the bar's body within its range), ADR (listed, draws nothing),
// OBOS (advances less declines over a window, for the index class only) and OI
// (the open-interest field).
#pragma once

#include "lumon/formula/FamilyIndex.h"

class WVAD : public TFamilyIndex {
public:
    explicit WVAD(StockId stock);
    bool Compute() override;
};

// Stands in the catalogue with an empty pane: nothing is computed or drawn.
class ADR : public TFamilyIndex {
public:
    explicit ADR(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
};

class OBOS : public TFamilyIndex {
public:
    explicit OBOS(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

private:
    bool m_Refused = false;
};

class OI : public TFamilyIndex {
public:
    explicit OI(StockId stock);
    bool Compute() override;
};
