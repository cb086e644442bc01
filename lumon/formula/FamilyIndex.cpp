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

const int32_t *TFamilyIndex::BeginCompute()
{
    if (!TIndex::Compute())
        return nullptr;
    return CurrentParams();
}

void TFamilyIndex::StylesFromParams(const int32_t *p)
{
    for (int k = 0; k < LineCount; ++k)
        Styles[k].Style = p[k] != 0 ? StyleLine : StyleNone;
}

const KLineRecord *TFamilyIndex::PriceRecords()
{
    if (EventMode() && AdjustRecordsToCopy(RecordCount, Weights, WeightCount))
        return RecordCopy;
    return Records;
}

void TFamilyIndex::ForceRefLine(int k, float level)
{
    RefShown[k] = 1;
    RefLevel[k] = level;
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

int TFamilyIndex::EventsReachedBy(int i) const
{
    int n = 0;
    while (Weights && n < WeightCount && ComparePackedDate(Weights[n].Date, Records[i].Time) <= 0)
        ++n;
    return n;
}

KLineRecord TFamilyIndex::AdjustedRecord(int i, int events) const
{
    KLineRecord r = Records[i];
    if (events > 0)
        AdjustRecordForward(r, Weights, events);
    return r;
}

bool TFamilyIndex::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    for (int k = 0; k < LineCount; ++k)
        DrawLineStyle(hdc, rect, k, 0);
    return true;
}

void TFamilyIndex::DrawRefusal(win::HDC hdc, const char *text, int font, int colour)
{
    SelectedObject f(hdc, CreateThemeFont(font));
    win::SetTextColor(hdc, ThemeColor(colour));
    win::TextOutA(hdc, PlotRect.left + 4, PlotRect.top + 5, text, int(std::strlen(text)));
}
