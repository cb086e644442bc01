#include "platform/forms/TDrawGrid.h"

#include <QScrollBar>

#include <algorithm>

namespace win {

namespace {

constexpr int kSizingMargin = 3;
// The width of a vertical (height of a horizontal) scroll bar.
constexpr int kScrollBarSize = 17;

} // namespace

TDrawGrid::TDrawGrid(TComponent *Owner) : TCustomControl(Owner), colWidths_(colCount_, defaultColWidth_)
{
    options_ << goFixedVertLine << goFixedHorzLine << goVertLine << goHorzLine << goRangeSelect;
    TControl::SetColor(clWindow);
    SetBounds(GetLeft(), GetTop(), 320, 120);
}

TDrawGrid::~TDrawGrid() = default;

void TDrawGrid::WndProc(TMessage &Message)
{
    TCustomControl::WndProc(Message);
    if (Message.Msg == WM_GETDLGCODE)
        Message.Result = DLGC_WANTARROWS;
}

void TDrawGrid::Changed()
{
    topRow_ = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
    leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, colCount_ - 1));
    row_ = std::clamp(row_, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
    col_ = std::clamp(col_, fixedCols_, std::max(fixedCols_, colCount_ - 1));
    UpdateScrollBars();
    Invalidate();
}

void TDrawGrid::SetScrollBars(TScrollStyle style)
{
    scrollBars_ = style;
    Changed();
}

int TDrawGrid::GetClientWidth() const { return std::max(0, GetWidth() - (vertShown_ ? kScrollBarSize : 0)); }

int TDrawGrid::GetClientHeight() const { return std::max(0, GetHeight() - (horzShown_ ? kScrollBarSize : 0)); }

void TDrawGrid::CreateWnd()
{
    TCustomControl::CreateWnd();
    vertBar_ = new QScrollBar(Qt::Vertical, Widget());
    horzBar_ = new QScrollBar(Qt::Horizontal, Widget());
    for (QScrollBar *bar : {vertBar_, horzBar_}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
    }
    QObject::connect(vertBar_, &QScrollBar::valueChanged, [this](int value) {
        if (value != topRow_)
            ScrollTo(leftCol_, value);
    });
    QObject::connect(horzBar_, &QScrollBar::valueChanged, [this](int value) {
        if (value != leftCol_)
            ScrollTo(value, topRow_);
    });
    UpdateScrollBars();
}

void TDrawGrid::UpdateScrollBars()
{
    bool wantVert = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    bool wantHorz = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    vertShown_ = horzShown_ = false;
    // A bar shown takes room from the other direction, which may then need its
    // bar too; three rounds settle it.
    for (int round = 0; round < 3; ++round) {
        vertShown_ = wantVert && MaxTopRow() > fixedRows_;
        horzShown_ = wantHorz && MaxLeftCol() > fixedCols_;
    }
    if (!vertBar_)
        return;
    bool tracking = options_.Contains(goThumbTracking);
    vertBar_->setGeometry(GetClientWidth(), 0, kScrollBarSize, GetClientHeight());
    vertBar_->setTracking(tracking);
    vertBar_->setRange(fixedRows_, MaxTopRow());
    vertBar_->setPageStep(std::max(1, GetVisibleRowCount()));
    vertBar_->setValue(topRow_);
    vertBar_->setVisible(vertShown_);
    horzBar_->setGeometry(0, GetClientHeight(), GetClientWidth(), kScrollBarSize);
    horzBar_->setTracking(tracking);
    horzBar_->setRange(fixedCols_, MaxLeftCol());
    horzBar_->setPageStep(std::max(1, GetVisibleColCount()));
    horzBar_->setValue(leftCol_);
    horzBar_->setVisible(horzShown_);
}

void TDrawGrid::SetColCount(int count)
{
    count = std::max(count, 1);
    colWidths_.resize(static_cast<size_t>(count), defaultColWidth_);
    colCount_ = count;
    fixedCols_ = std::min(fixedCols_, count - 1);
    Changed();
}

void TDrawGrid::SetRowCount(int count)
{
    rowCount_ = std::max(count, 1);
    fixedRows_ = std::min(fixedRows_, rowCount_ - 1);
    Changed();
}

void TDrawGrid::SetFixedCols(int count)
{
    fixedCols_ = std::clamp(count, 0, colCount_ - 1);
    leftCol_ = col_ = fixedCols_;
    Changed();
}

void TDrawGrid::SetFixedRows(int count)
{
    fixedRows_ = std::clamp(count, 0, rowCount_ - 1);
    topRow_ = row_ = fixedRows_;
    Changed();
}

void TDrawGrid::SetDefaultColWidth(int width)
{
    defaultColWidth_ = std::max(width, 0);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
    Changed();
}

void TDrawGrid::SetDefaultRowHeight(int height)
{
    defaultRowHeight_ = std::max(height, 1);
    Changed();
}

int TDrawGrid::GetColWidth(int col) const
{
    return col >= 0 && col < colCount_ ? colWidths_[static_cast<size_t>(col)] : 0;
}

void TDrawGrid::SetColWidth(int col, int width)
{
    if (col < 0 || col >= colCount_)
        return;
    colWidths_[static_cast<size_t>(col)] = std::max(width, 0);
    Changed();
}

void TDrawGrid::SetGridLineWidth(int width)
{
    gridLineWidth_ = std::max(width, 0);
    Changed();
}

void TDrawGrid::SetOptions(TGridOptions options)
{
    options_ = options;
    Changed();
}

void TDrawGrid::SetFixedColor(TColor color)
{
    fixedColor_ = color;
    Invalidate();
}

void TDrawGrid::SetDefaultDrawing(bool on)
{
    defaultDrawing_ = on;
    Invalidate();
}

int TDrawGrid::LineWidth(bool vertical) const
{
    bool on = vertical ? options_.Contains(goVertLine) || options_.Contains(goFixedVertLine)
                       : options_.Contains(goHorzLine) || options_.Contains(goFixedHorzLine);
    return on ? gridLineWidth_ : 0;
}

int TDrawGrid::ColumnX(int col) const
{
    int lw = LineWidth(true);
    int x = 0;
    for (int i = 0; i < fixedCols_; ++i) {
        if (i == col)
            return x;
        x += colWidths_[static_cast<size_t>(i)] + lw;
    }
    if (col < leftCol_ || col >= colCount_)
        return -1;
    for (int i = leftCol_; i < col; ++i)
        x += colWidths_[static_cast<size_t>(i)] + lw;
    return x;
}

int TDrawGrid::RowY(int row) const
{
    int step = defaultRowHeight_ + LineWidth(false);
    if (row >= 0 && row < fixedRows_)
        return row * step;
    if (row < topRow_ || row >= rowCount_)
        return -1;
    return (fixedRows_ + row - topRow_) * step;
}

TRect TDrawGrid::CellRect(int ACol, int ARow) const
{
    int x = ColumnX(ACol);
    int y = RowY(ARow);
    if (x < 0 || y < 0 || x >= GetClientWidth() || y >= GetClientHeight())
        return TRect();
    return TRect(x, y, x + colWidths_[static_cast<size_t>(ACol)], y + defaultRowHeight_);
}

void TDrawGrid::MouseToCell(int X, int Y, int &ACol, int &ARow) const
{
    ACol = ARow = -1;
    if (X < 0 || Y < 0 || X >= GetClientWidth() || Y >= GetClientHeight())
        return;
    int lw = LineWidth(true);
    int x = 0;
    for (int c = 0; c < colCount_ && x < GetClientWidth(); ++c) {
        if (c >= fixedCols_ && c < leftCol_)
            continue;
        int w = colWidths_[static_cast<size_t>(c)] + lw;
        if (X < x + w) {
            ACol = c;
            break;
        }
        x += w;
    }
    int step = defaultRowHeight_ + LineWidth(false);
    int slot = Y / step;
    int row = slot < fixedRows_ ? slot : topRow_ + slot - fixedRows_;
    if (ACol >= 0 && row < rowCount_)
        ARow = row;
    else
        ACol = -1;
}

int TDrawGrid::GetVisibleRowCount() const
{
    int step = defaultRowHeight_ + LineWidth(false);
    int room = GetClientHeight() - fixedRows_ * step;
    int fit = room >= defaultRowHeight_ ? (room + LineWidth(false)) / step : 0;
    return std::clamp(fit, 0, rowCount_ - topRow_);
}

int TDrawGrid::GetVisibleColCount() const
{
    int lw = LineWidth(true);
    int x = ColumnX(leftCol_);
    if (x < 0)
        return 0;
    int count = 0;
    for (int c = leftCol_; c < colCount_; ++c) {
        x += colWidths_[static_cast<size_t>(c)];
        if (x > GetClientWidth())
            break;
        x += lw;
        ++count;
    }
    return count;
}

int TDrawGrid::MaxTopRow() const
{
    int step = defaultRowHeight_ + LineWidth(false);
    int room = GetClientHeight() - fixedRows_ * step;
    int fit = std::max(1, (room + LineWidth(false)) / step);
    return std::max(fixedRows_, rowCount_ - fit);
}

int TDrawGrid::MaxLeftCol() const
{
    int lw = LineWidth(true);
    int room = GetClientWidth();
    for (int i = 0; i < fixedCols_; ++i)
        room -= colWidths_[static_cast<size_t>(i)] + lw;
    int left = colCount_ - 1;
    int used = colWidths_[static_cast<size_t>(left)];
    while (left > fixedCols_ && used + lw + colWidths_[static_cast<size_t>(left - 1)] <= room) {
        --left;
        used += lw + colWidths_[static_cast<size_t>(left)];
    }
    return std::max(fixedCols_, left);
}

TGridRect TDrawGrid::GetSelection() const
{
    if (options_.Contains(goRowSelect))
        return TGridRect{fixedCols_, row_, colCount_ - 1, row_};
    return TGridRect{col_, row_, col_, row_};
}

void TDrawGrid::SetTopRow(int row) { ScrollTo(leftCol_, row); }

void TDrawGrid::SetLeftCol(int col) { ScrollTo(col, topRow_); }

void TDrawGrid::SetRow(int row) { MoveCurrent(col_, row); }

void TDrawGrid::SetCol(int col) { MoveCurrent(col, row_); }

void TDrawGrid::ScrollTo(int left, int top)
{
    left = std::clamp(left, fixedCols_, MaxLeftCol());
    top = std::clamp(top, fixedRows_, MaxTopRow());
    if (left == leftCol_ && top == topRow_)
        return;
    leftCol_ = left;
    topRow_ = top;
    UpdateScrollBars();
    Invalidate();
    TopLeftChanged();
}

void TDrawGrid::MoveCurrent(int col, int row)
{
    col = std::clamp(col, fixedCols_, std::max(fixedCols_, colCount_ - 1));
    row = std::clamp(row, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
    if ((col != col_ || row != row_) && !SelectCell(col, row))
        return;
    col_ = col;
    row_ = row;
    int top = topRow_;
    int rows = std::max(GetVisibleRowCount(), 1);
    if (row_ < top)
        top = row_;
    else if (row_ >= top + rows)
        top = row_ - rows + 1;
    int left = leftCol_;
    if (!options_.Contains(goRowSelect)) {
        int cols = std::max(GetVisibleColCount(), 1);
        if (col_ < left)
            left = col_;
        else if (col_ >= left + cols)
            left = col_ - cols + 1;
    }
    ScrollTo(left, top);
    Invalidate();
}

bool TDrawGrid::SelectCell(int ACol, int ARow)
{
    bool can = true;
    if (OnSelectCell)
        OnSelectCell(this, ACol, ARow, can);
    return can;
}

void TDrawGrid::ColumnMoved(int FromIndex, int ToIndex)
{
    if (OnColumnMoved)
        OnColumnMoved(this, FromIndex, ToIndex);
}

void TDrawGrid::TopLeftChanged()
{
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

void TDrawGrid::DrawCell(int ACol, int ARow, const TRect &ARect, TGridDrawState AState)
{
    if (OnDrawCell)
        OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TDrawGrid::Paint()
{
    PaintCells();
    // Cells cut by the bars were drawn whole; the bars cover them, the corner
    // between the bars is filled here.
    if (vertShown_ && horzShown_) {
        Canvas->Brush->Style = bsSolid;
        Canvas->Brush->Color = clBtnFace;
        Canvas->FillRect(TRect(GetClientWidth(), GetClientHeight(), GetWidth(), GetHeight()));
    }
}

void TDrawGrid::PaintCells()
{
    int width = GetClientWidth();
    int height = GetClientHeight();
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = GetColor();
    Canvas->FillRect(TRect(0, 0, width, height));
    Canvas->Font = Font;
    bool focused = Focused();
    TGridRect sel = GetSelection();
    int vlw = LineWidth(true);
    int hlw = LineWidth(false);
    std::vector<int> rows;
    for (int r = 0; r < fixedRows_; ++r)
        rows.push_back(r);
    for (int r = topRow_; r < rowCount_ && RowY(r) < height; ++r)
        rows.push_back(r);
    std::vector<int> cols;
    for (int c = 0; c < fixedCols_; ++c)
        cols.push_back(c);
    for (int c = leftCol_; c < colCount_ && ColumnX(c) < width; ++c)
        cols.push_back(c);
    for (int r : rows) {
        for (int c : cols) {
            TGridDrawState state;
            bool fixed = r < fixedRows_ || c < fixedCols_;
            if (fixed)
                state << gdFixed;
            else if (c >= sel.Left && c <= sel.Right && r >= sel.Top && r <= sel.Bottom)
                state << gdSelected;
            if (!fixed && focused && c == col_ && r == row_)
                state << gdFocused;
            TRect rect = CellRect(c, r);
            if (defaultDrawing_) {
                bool highlight = state.Contains(gdSelected) && !state.Contains(gdFocused);
                Canvas->Brush->Style = bsSolid;
                Canvas->Brush->Color = fixed ? fixedColor_ : highlight ? clHighlight : GetColor();
                Canvas->Font->Color = highlight ? clHighlightText : Font->Color;
                Canvas->FillRect(rect);
            }
            DrawCell(c, r, rect, state);
        }
    }
    if (rows.empty() || cols.empty())
        return;
    // The cells' handler may have left the brush hollow; the lines are solid.
    Canvas->Brush->Style = bsSolid;
    int bottom = RowY(rows.back()) + defaultRowHeight_ + hlw;
    int right = ColumnX(cols.back()) + colWidths_[static_cast<size_t>(cols.back())] + vlw;
    for (int c : cols) {
        if (vlw == 0)
            break;
        int x = ColumnX(c) + colWidths_[static_cast<size_t>(c)];
        Canvas->Brush->Color = c < fixedCols_ ? clBlack : clSilver;
        Canvas->FillRect(TRect(x, 0, x + vlw, std::min(bottom, height)));
    }
    for (int r : rows) {
        if (hlw == 0)
            break;
        int y = RowY(r) + defaultRowHeight_;
        Canvas->Brush->Color = r < fixedRows_ ? clBlack : clSilver;
        Canvas->FillRect(TRect(0, y, std::min(right, width), y + hlw));
    }
}

void TDrawGrid::KeyDown(WORD &Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    bool rowSelect = options_.Contains(goRowSelect);
    int page = std::max(GetVisibleRowCount(), 1);
    switch (Key) {
    case VK_UP:
        MoveCurrent(col_, row_ - 1);
        break;
    case VK_DOWN:
        MoveCurrent(col_, row_ + 1);
        break;
    case VK_LEFT:
        if (rowSelect)
            ScrollTo(leftCol_ - 1, topRow_);
        else
            MoveCurrent(col_ - 1, row_);
        break;
    case VK_RIGHT:
        if (rowSelect)
            ScrollTo(leftCol_ + 1, topRow_);
        else
            MoveCurrent(col_ + 1, row_);
        break;
    case VK_PRIOR:
        ScrollTo(leftCol_, topRow_ - page);
        MoveCurrent(col_, row_ - page);
        break;
    case VK_NEXT:
        ScrollTo(leftCol_, topRow_ + page);
        MoveCurrent(col_, row_ + page);
        break;
    case VK_HOME:
        if (rowSelect || Shift.Contains(ssCtrl))
            MoveCurrent(col_, fixedRows_);
        else
            MoveCurrent(fixedCols_, row_);
        break;
    case VK_END:
        if (rowSelect || Shift.Contains(ssCtrl))
            MoveCurrent(col_, rowCount_ - 1);
        else
            MoveCurrent(colCount_ - 1, row_);
        break;
    default:
        break;
    }
}

int TDrawGrid::SizingColumnAt(int x, int y) const
{
    if (!options_.Contains(goColSizing) || y >= fixedRows_ * (defaultRowHeight_ + LineWidth(false)))
        return -1;
    for (int c = 0; c < colCount_; ++c) {
        int left = ColumnX(c);
        if (left < 0)
            continue;
        int edge = left + colWidths_[static_cast<size_t>(c)];
        if (x >= edge - kSizingMargin && x <= edge + kSizingMargin)
            return c;
    }
    return -1;
}

void TDrawGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        if (CanFocus() && !Focused())
            SetFocus();
        int col = -1;
        int row = -1;
        MouseToCell(X, Y, col, row);
        int sizing = SizingColumnAt(X, Y);
        if (sizing >= 0) {
            sizingColumn_ = sizing;
            sizingStart_ = ColumnX(sizing);
        } else if (row >= 0 && row < fixedRows_ && col >= fixedCols_) {
            if (options_.Contains(goColMoving))
                dragColumn_ = col;
        } else if (row >= fixedRows_ && col >= fixedCols_) {
            MoveCurrent(col, row);
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TDrawGrid::MouseMove(TShiftState Shift, int X, int Y)
{
    if (sizingColumn_ >= 0)
        SetColWidth(sizingColumn_, X - sizingStart_);
    TCustomControl::MouseMove(Shift, X, Y);
}

void TDrawGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        sizingColumn_ = -1;
        if (dragColumn_ >= 0) {
            int from = dragColumn_;
            dragColumn_ = -1;
            int col = -1;
            int row = -1;
            MouseToCell(X, Y, col, row);
            if (col >= fixedCols_ && col != from) {
                int width = colWidths_[static_cast<size_t>(from)];
                colWidths_.erase(colWidths_.begin() + from);
                colWidths_.insert(colWidths_.begin() + col, width);
                Invalidate();
                ColumnMoved(from, col);
            }
        }
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TDrawGrid::Resize()
{
    TCustomControl::Resize();
    UpdateScrollBars();
    Invalidate();
}

} // namespace win
