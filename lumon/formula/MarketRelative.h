// Indicators measured against the market or drawn as a table: LON and SHT (long
// and short strength from the bar's position and volume, cumulated or not), RAD
// (the stock's cumulated change against its market's index), ADL (the advance-
// decline line of an index) and SSL (the support and resistance table: the
// visible price range cut into rows with the volume traded in each).
#pragma once

#include "lumon/formula/FamilyIndex.h"

// LON and SHT share one compute, cumulated for LON.
class TLonSht : public TFamilyIndex {
public:
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

protected:
    TLonSht(StockId stock, int id, bool cumulative);
    bool ComputeLonSht(bool cumulative);

private:
    bool m_Cumulative;
};

class LON : public TLonSht {
public:
    explicit LON(StockId stock) : TLonSht(stock, 361, true) {}
};

class SHT : public TLonSht {
public:
    explicit SHT(StockId stock) : TLonSht(stock, 364, false) {}
};

class RAD : public TFamilyIndex {
public:
    explicit RAD(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

private:
    bool m_Refused = false;
};

class ADL : public TFamilyIndex {
public:
    explicit ADL(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

private:
    bool m_Refused = false;
};

class SSL : public TFamilyIndex {
public:
    explicit SSL(StockId stock);
    bool Compute() override;
    // The table replaces the value axis: rows of price levels with their volume.
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
    // Rows of the last drawn table.
    int Rows = 0;
};

// Whether the stock's class is a class of indexes.
bool IsIndexStock(StockId stock);
