// The oscillator family drawn under the K-lines: the stochastic group (KDJ, KD,
// LW_R, SLOWKD), the momentum group (MTM, MI, RCCD), the average difference
// B3612 and the volume strength VRSI.
#pragma once

#include "lumon/formula/FamilyIndex.h"

// KDJ, KD and LW_R: a raw value from the window's highest high and lowest low,
// smoothed into K and D (and J for KDJ).
class TStochastic : public TFamilyIndex {
public:
    bool Compute() override;

protected:
    // `williams`: the raw value measures the close from the high.
    TStochastic(StockId stock, int id, int lines, bool williams, int maxWindow, int maxSmoothing);

private:
    bool m_Williams;
    int m_MaxWindow;
    int m_MaxSmoothing;
};

class KDJ : public TStochastic {
public:
    explicit KDJ(StockId stock) : TStochastic(stock, 84, 3, false, 100, 40) {}
};

class KD : public TStochastic {
public:
    explicit KD(StockId stock) : TStochastic(stock, 91, 2, false, 100, 40) {}
};

class LW_R : public TStochastic {
public:
    explicit LW_R(StockId stock);
};

class SLOWKD : public TFamilyIndex {
public:
    explicit SLOWKD(StockId stock);
    bool Compute() override;
};

class MTM : public TFamilyIndex {
public:
    explicit MTM(StockId stock);
    bool Compute() override;
};

class MI : public TFamilyIndex {
public:
    explicit MI(StockId stock);
    bool Compute() override;
};

class RCCD : public TFamilyIndex {
public:
    explicit RCCD(StockId stock);
    bool Compute() override;
};

class B3612 : public TFamilyIndex {
public:
    explicit B3612(StockId stock);
    bool Compute() override;
};

class VRSI : public TFamilyIndex {
public:
    explicit VRSI(StockId stock);
    bool Compute() override;
};
