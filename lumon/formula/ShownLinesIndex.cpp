#include "lumon/formula/ShownLinesIndex.h"

#include "lumon/formula/BuiltinSupport.h"

TShownLinesIndex::TShownLinesIndex(StockId stock, int id, int lines) : TIndex(stock)
{
    Id = uint16_t(id);
    LineCount = lines;
    Init();
}

bool TShownLinesIndex::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    DrawShownLines(*this, hdc, rect);
    return true;
}
