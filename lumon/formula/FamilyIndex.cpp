#include "lumon/formula/FamilyIndex.h"

#include <cstring>

#include "lumon/formula/IndexSupport.h"
#include "platform/gdi/Gdi.h"

TFamilyIndex::TFamilyIndex(StockId stock, int id, int lines, bool priceScale) : TIndex(stock)
{
    Id = uint16_t(id);
    LineCount = lines;
    PriceScale = priceScale ? 1 : 0;
    Init();
}

const KLineRecord *TFamilyIndex::PriceRecords()
{
    if (EventMode() && AdjustRecordsToCopy(RecordCount, Weights, WeightCount))
        return RecordCopy;
    return Records;
}

bool TFamilyIndex::HasWork(int arrays) const
{
    if (RecordCount > WorkCapacity)
        return false;
    for (int k = 0; k < arrays; ++k)
        if (!WorkA[k])
            return false;
    return true;
}

bool TFamilyIndex::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    for (int k = 0; k < LineCount; ++k)
        DrawLineStyle(hdc, rect, k, 0);
    return true;
}

bool TFamilyIndex::DrawRefused(win::HDC hdc, const win::RECT *rect, const char *text, int font, int colour)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    SelectedObject f(hdc, CreateThemeFont(font));
    win::SetTextColor(hdc, ThemeColor(colour));
    win::TextOutA(hdc, PlotRect.left + 4, PlotRect.top + 5, text, int(std::strlen(text)));
    return true;
}
