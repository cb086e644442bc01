// The owner-drawn grid: columns and rows of cells (fixed ones at the top and
// left that do not scroll), drawn through OnDrawCell in paint and, through the
// Canvas, at any other time; the current cell moved by keys and clicks (with
// OnSelectCell), the top-left cell scrolled (OnTopLeftChanged), and columns
// moved and sized by dragging in the fixed row (OnColumnMoved). Its scroll bars
// appear when the cells do not fit and take their room from the client area.
#pragma once

#include <functional>
#include <vector>

#include "platform/forms/ScrollStyle.h"
#include "platform/forms/TCustomControl.h"

class QScrollBar;

namespace win {

enum TGridDrawStateFlag { gdSelected, gdFocused, gdFixed };

class TGridDrawState {
public:
    constexpr TGridDrawState() = default;
    constexpr TGridDrawState &operator<<(TGridDrawStateFlag flag)
    {
        bits_ |= 1u << flag;
        return *this;
    }
    constexpr bool Contains(TGridDrawStateFlag flag) const { return (bits_ & (1u << flag)) != 0; }
    friend constexpr bool operator==(const TGridDrawState &a, const TGridDrawState &b) { return a.bits_ == b.bits_; }

private:
    unsigned bits_ = 0;
};

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};

class TGridOptions {
public:
    constexpr TGridOptions() = default;
    constexpr TGridOptions &operator<<(TGridOption option)
    {
        bits_ |= 1u << option;
        return *this;
    }
    constexpr TGridOptions &operator>>(TGridOption option)
    {
        bits_ &= ~(1u << option);
        return *this;
    }
    constexpr bool Contains(TGridOption option) const { return (bits_ & (1u << option)) != 0; }

private:
    unsigned bits_ = 0;
};

struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

class TDrawGrid;
using TDrawCellEvent =
    std::function<void(TObject *Sender, int ACol, int ARow, const TRect &Rect, TGridDrawState State)>;
using TMovedEvent = std::function<void(TObject *Sender, int FromIndex, int ToIndex)>;
using TSelectCellEvent = std::function<void(TObject *Sender, int ACol, int ARow, bool &CanSelect)>;

class TDrawGrid : public TCustomControl {
public:
    explicit TDrawGrid(TComponent *Owner);
    ~TDrawGrid() override;
    AnsiString ClassName() const override { return "TDrawGrid"; }
    void WndProc(TMessage &Message) override;

    int GetColCount() const { return colCount_; }
    void SetColCount(int count);
    int GetRowCount() const { return rowCount_; }
    void SetRowCount(int count);
    int GetFixedCols() const { return fixedCols_; }
    // The first scrolled column becomes the left and current one.
    void SetFixedCols(int count);
    int GetFixedRows() const { return fixedRows_; }
    // The first scrolled row becomes the top and current one.
    void SetFixedRows(int count);
    int GetDefaultColWidth() const { return defaultColWidth_; }
    // Gives every column the width.
    void SetDefaultColWidth(int width);
    int GetDefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    int GetColWidth(int col) const;
    void SetColWidth(int col, int width);
    int GetGridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int width);
    TGridOptions GetOptions() const { return options_; }
    void SetOptions(TGridOptions options);
    TColor GetFixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    bool GetDefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool on);
    TScrollStyle GetScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    // The room left beside the scroll bars that are shown.
    int GetClientWidth() const override;
    int GetClientHeight() const override;

    int GetTopRow() const { return topRow_; }
    // Scrolls (within the rows) and fires OnTopLeftChanged when it moved.
    void SetTopRow(int row);
    int GetLeftCol() const { return leftCol_; }
    void SetLeftCol(int col);
    int GetRow() const { return row_; }
    // Moves the current cell (asking OnSelectCell) and scrolls it into view.
    void SetRow(int row);
    int GetCol() const { return col_; }
    void SetCol(int col);
    // Scrolled rows and columns wholly shown.
    int GetVisibleRowCount() const;
    int GetVisibleColCount() const;
    TGridRect GetSelection() const;

    // The cell's rectangle in the client area; empty when the cell is not shown.
    TRect CellRect(int ACol, int ARow) const;
    // The cell under a client point; -1, -1 outside the cells.
    void MouseToCell(int X, int Y, int &ACol, int &ARow) const;

    Property<TDrawGrid, int, &TDrawGrid::GetColCount, &TDrawGrid::SetColCount> ColCount{this};
    Property<TDrawGrid, int, &TDrawGrid::GetRowCount, &TDrawGrid::SetRowCount> RowCount{this};
    Property<TDrawGrid, int, &TDrawGrid::GetFixedCols, &TDrawGrid::SetFixedCols> FixedCols{this};
    Property<TDrawGrid, int, &TDrawGrid::GetFixedRows, &TDrawGrid::SetFixedRows> FixedRows{this};
    Property<TDrawGrid, int, &TDrawGrid::GetDefaultColWidth, &TDrawGrid::SetDefaultColWidth> DefaultColWidth{this};
    Property<TDrawGrid, int, &TDrawGrid::GetDefaultRowHeight, &TDrawGrid::SetDefaultRowHeight> DefaultRowHeight{
        this};
    Property<TDrawGrid, int, &TDrawGrid::GetGridLineWidth, &TDrawGrid::SetGridLineWidth> GridLineWidth{this};
    Property<TDrawGrid, TGridOptions, &TDrawGrid::GetOptions, &TDrawGrid::SetOptions> Options{this};
    Property<TDrawGrid, TColor, &TDrawGrid::GetFixedColor, &TDrawGrid::SetFixedColor> FixedColor{this};
    Property<TDrawGrid, bool, &TDrawGrid::GetDefaultDrawing, &TDrawGrid::SetDefaultDrawing> DefaultDrawing{this};
    Property<TDrawGrid, TScrollStyle, &TDrawGrid::GetScrollBars, &TDrawGrid::SetScrollBars> ScrollBars{this};
    Property<TDrawGrid, int, &TDrawGrid::GetTopRow, &TDrawGrid::SetTopRow> TopRow{this};
    Property<TDrawGrid, int, &TDrawGrid::GetLeftCol, &TDrawGrid::SetLeftCol> LeftCol{this};
    Property<TDrawGrid, int, &TDrawGrid::GetRow, &TDrawGrid::SetRow> Row{this};
    Property<TDrawGrid, int, &TDrawGrid::GetCol, &TDrawGrid::SetCol> Col{this};
    ReadOnlyProperty<TDrawGrid, int, &TDrawGrid::GetVisibleRowCount> VisibleRowCount{this};
    ReadOnlyProperty<TDrawGrid, int, &TDrawGrid::GetVisibleColCount> VisibleColCount{this};
    ReadOnlyProperty<TDrawGrid, TGridRect, &TDrawGrid::GetSelection> Selection{this};

    TDrawCellEvent OnDrawCell;
    TMovedEvent OnColumnMoved;
    TNotifyEvent OnTopLeftChanged;
    TSelectCellEvent OnSelectCell;

protected:
    void Paint() override;
    // Draws one cell (its background already filled when DefaultDrawing is on):
    // OnDrawCell.
    virtual void DrawCell(int ACol, int ARow, const TRect &ARect, TGridDrawState AState);
    virtual bool SelectCell(int ACol, int ARow);
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void TopLeftChanged();
    void KeyDown(WORD &Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Resize() override;

private:
    int LineWidth(bool vertical) const;
    int ColumnX(int col) const;
    int RowY(int row) const;
    int MaxTopRow() const;
    int MaxLeftCol() const;
    void MoveCurrent(int col, int row);
    void ScrollTo(int left, int top);
    void Changed();
    int SizingColumnAt(int x, int y) const;
    // Shows the scroll bars the cells need and sets their ranges and positions.
    void UpdateScrollBars();
    void CreateWnd() override;
    void PaintCells();

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    std::vector<int> colWidths_;
    int gridLineWidth_ = 1;
    TGridOptions options_;
    TColor fixedColor_ = clBtnFace;
    bool defaultDrawing_ = true;
    int topRow_ = 1;
    int leftCol_ = 1;
    int row_ = 1;
    int col_ = 1;
    int dragColumn_ = -1;
    int sizingColumn_ = -1;
    int sizingStart_ = 0;
    TScrollStyle scrollBars_ = ssBoth;
    bool vertShown_ = false;
    bool horzShown_ = false;
    QScrollBar *vertBar_ = nullptr;
    QScrollBar *horzBar_ = nullptr;
};

} // namespace win
