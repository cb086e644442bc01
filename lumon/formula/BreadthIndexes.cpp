#include "lumon/formula/BreadthIndexes.h"

#include <cmath>
#include <cstring>

WVAD::WVAD(StockId stock) : TFamilyIndex(stock, 244, 1) {}

bool WVAD::Compute()
{
    if (!BeginCompute(*this))
        return false;
    Styles[0].Style = StyleLine;
    FillLinesNone();
    if (RecordCount == 0)
        return false;
    const KLineRecord *r = PriceRecords();
    for (int i = 0; i < RecordCount; ++i) {
        // Differences of prices are signed.
        double range = double(r[i].High) - double(r[i].Low);
        if (std::fabs(range) > 1e-5)
            Lines[0][i] = float((double(r[i].Close) - double(r[i].Open)) / range * r[i].Volume);
    }
    Computed = 1;
    return true;
}

ADR::ADR(StockId stock) : TFamilyIndex(stock, 282, 0) {}

bool ADR::Compute()
{
    return false;
}

bool ADR::Draw(win::HDC, const win::RECT *)
{
    return false;
}

OBOS::OBOS(StockId stock) : TFamilyIndex(stock, 283, 2) {}

bool OBOS::Compute()
{
    m_Refused = false;
    const int32_t *p = BeginCompute(*this);
    if (!p)
        return false;
    FillLinesNone();
    if (StockClass(Stock) != 0) {
        ShowLines(*this, LineCount, false);
        m_Refused = true;
        Computed = 1;
        return true;
    }
    std::memcpy(Definition.LineNames[0], "OBOS", 5);
    std::memcpy(Definition.LineNames[1], "MA", 3);
    const int n = p[0], m = p[1];
    if (n < 1) {
        ShowLines(*this, LineCount, false);
        return false;
    }
    Styles[0].Style = StyleLine;
    Styles[1].Style = m != 0 ? StyleLine : StyleNone;
    Styles[1].TitleParam = m != 0 ? float(m) : 0.0f;
    if (RecordCount == 0)
        return false;
    if (n <= RecordCount) {
        int64_t advances = 0, declines = 0;
        for (int i = 0; i < n; ++i) {
            advances += Records[i].Advances;
            declines += Records[i].Declines;
        }
        Lines[0][n - 1] = float(advances - declines);
        for (int i = n; i < RecordCount; ++i) {
            advances += int64_t(Records[i].Advances) - Records[i - n].Advances;
            declines += int64_t(Records[i].Declines) - Records[i - n].Declines;
            Lines[0][i] = float(advances - declines);
        }
        if (m > 0)
            MovingAverage(Lines[1], Lines[0], RecordCount, m, n - 1);
    }
    Computed = 1;
    return true;
}

bool OBOS::Draw(win::HDC hdc, const win::RECT *rect)
{
    return m_Refused ? DrawRefused(hdc, rect, "个股无此指标!", 5, 12) : TFamilyIndex::Draw(hdc, rect);
}

OI::OI(StockId stock) : TFamilyIndex(stock, 323, 1) {}

bool OI::Compute()
{
    if (!BeginCompute(*this))
        return false;
    Styles[0].Style = StyleLine;
    FillLinesNone();
    if (RecordCount == 0)
        return false;
    for (int i = 0; i < RecordCount; ++i)
        Lines[0][i] = Records[i].Amount;
    Computed = 1;
    return true;
}
