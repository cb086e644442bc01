#include "platform/forms/TStringGrid.h"

namespace win {

AnsiString TStringGrid::GetCell(int ACol, int ARow) const
{
    auto it = cells_.find({ACol, ARow});
    return it == cells_.end() ? AnsiString() : it->second;
}

void TStringGrid::SetCell(int ACol, int ARow, const AnsiString &text)
{
    if (ACol < 0 || ARow < 0)
        return;
    if (text.IsEmpty())
        cells_.erase({ACol, ARow});
    else
        cells_[{ACol, ARow}] = text;
    Invalidate();
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect &ARect, TGridDrawState AState)
{
    if (GetDefaultDrawing()) {
        TBrushStyle saved = Canvas->Brush->Style;
        Canvas->Brush->Style = bsClear;
        Canvas->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, GetCell(ACol, ARow));
        Canvas->Brush->Style = saved;
    }
    TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

} // namespace win
