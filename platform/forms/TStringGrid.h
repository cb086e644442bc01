// The grid that keeps a text per cell: Cells[col][row], drawn at the cell's
// left + 2, top + 2 when DefaultDrawing is on, before OnDrawCell.
#pragma once

#include <map>
#include <utility>

#include "platform/forms/TDrawGrid.h"

namespace win {

class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent *Owner) : TDrawGrid(Owner) {}
    AnsiString ClassName() const override { return "TStringGrid"; }

    AnsiString GetCell(int ACol, int ARow) const;
    // Keeps the text and redraws the grid.
    void SetCell(int ACol, int ARow, const AnsiString &text);

    // `grid->Cells[col][row] = "..."` and `AnsiString s = grid->Cells[col][row]`.
    class CellRef {
    public:
        CellRef(TStringGrid *grid, int col, int row) : grid_(grid), col_(col), row_(row) {}
        CellRef &operator=(const AnsiString &text)
        {
            grid_->SetCell(col_, row_, text);
            return *this;
        }
        operator AnsiString() const { return grid_->GetCell(col_, row_); }

    private:
        TStringGrid *grid_;
        int col_;
        int row_;
    };
    class Column {
    public:
        Column(TStringGrid *grid, int col) : grid_(grid), col_(col) {}
        CellRef operator[](int row) const { return CellRef(grid_, col_, row); }

    private:
        TStringGrid *grid_;
        int col_;
    };
    class CellTable {
    public:
        explicit CellTable(TStringGrid *grid) : grid_(grid) {}
        Column operator[](int col) const { return Column(grid_, col); }

    private:
        TStringGrid *grid_;
    };
    CellTable Cells{this};

protected:
    void DrawCell(int ACol, int ARow, const TRect &ARect, TGridDrawState AState) override;

private:
    std::map<std::pair<int, int>, AnsiString> cells_;
};

} // namespace win
