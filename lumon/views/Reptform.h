// The quote list: a pane that shows the members of a block as rows and chosen
// quote fields as columns, redrawing a row's cells as its quotes change; block
// tabs below the grid, sorting by a column (locally or through the data
// server's ranking answers) and the user's commands on rows and blocks.
#pragma once

#include <cstdint>

#include "lumon/core/BlockGroup.h"
#include "lumon/shell/Cview.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TScrollBar.h"

namespace win {
class TPanel;
class TTabSet;
class TTimer;
class TPopupMenu;
class TMenuItem;
class TPrintDialog;
} // namespace win

struct TableDef;

// The grid-button-down flag: a button or a scroll key is held in a quote list's
// grid, and the top row's changes wait for its release.
extern uint8_t GridButtonDown;

class TReport : public TChildView {
public:
    static constexpr int kMaxRows = 4096;
    static constexpr int kMaxTabs = 16;

    TReport(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);
    ~TReport() override;
    void WndProc(win::TMessage &Message) override;

    int Notify(int code, int a, int b, intptr_t c) override;
    void ReloadView() override;
    void SetColors() override;
    void AddRequestStocks(EArray<STKMS> *list) override;
    void WriteViewState(VIEW_STATE &state) override;

    // On the frame's 2626: the field-21 ranking request of the visible rows, and
    // (with a list) the visible rows whose statistics are not loaded yet.
    void CollectVisibleStocks(EArray<STKMS> *list);
    // The visible rows whose statistics are not loaded yet, added to `list`.
    void AddStatsStocks(EArray<STKMS> *list);
    void RedrawFastChangeColumn();
    void RemoveBlockTab(int blockId);
    // Selects the block's tab, or appends one (replacing the last of 16).
    void ShowBlockTab(int blockId);
    void TabsChange(win::TObject *Sender, int NewTab, bool &AllowChange);
    void SortRows();
    void LoadSortKeys(const char *path);
    void DrawGrid1DrawCell(win::TObject *Sender, int ACol, int ARow, const win::TRect &Rect,
                           win::TGridDrawState State);
    void Timer1Timer(win::TObject *Sender);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);
    void FormResize(win::TObject *Sender);

    // Commands, keys and mouse.
    void DrawGrid1KeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void DrawGrid1KeyUp(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void DrawGrid1Click(win::TObject *Sender);
    void DrawGrid1DblClick(win::TObject *Sender);
    void DrawGrid1MouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void DrawGrid1MouseUp(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void DrawGrid1ColumnMoved(win::TObject *Sender, int FromIndex, int ToIndex);
    void DrawGrid1TopLeftChanged(win::TObject *Sender);
    void ScrollBar1Scroll(win::TObject *Sender, win::TScrollCode ScrollCode, int &ScrollPos);
    void ScrollBar2Scroll(win::TObject *Sender, win::TScrollCode ScrollCode, int &ScrollPos);
    void PopupMenu1Popup(win::TObject *Sender);
    // 添加板块: a block chosen in the block chooser gets its tab.
    void N1Click(win::TObject *Sender);
    void N3Click(win::TObject *Sender);
    // 编辑栏目: the column editor, then the block shown again.
    void N10Click(win::TObject *Sender);
    int Command(int command, int arg) override;
    // 打印: the list's picture on one page.
    void PrintView() override;
    void N9Click(win::TObject *Sender);
    void AddToBlockClick(win::TObject *Sender);

    // The sort field in force: the tab view's Mode, else the ranking field.
    int SortField() const;
    // The ranking block id of Flags bits 12-27; -1 in tab mode.
    int RankingBlock() const;
    void SetRankingBlock(int id);
    // The column table that the current block uses (1..7).
    int TableIndex() const;
    // Lays out the columns from the table in use.
    void LayoutColumns();
    void UpdateScrollBars();
    // Redraws every cell of grid row `row` that is in view, without painting
    // anything else.
    void RedrawRow(int row);

    win::TDrawGrid *DrawGrid1 = nullptr;
    win::TPanel *ToolPanel = nullptr;
    win::TTabSet *Tabs = nullptr;
    win::TPanel *Panel1 = nullptr;
    win::TScrollBar *ScrollBar1 = nullptr;
    win::TPanel *Panel2 = nullptr;
    win::TScrollBar *ScrollBar2 = nullptr;
    win::TPanel *Panel3 = nullptr;
    win::TPopupMenu *PopupMenu1 = nullptr;
    win::TMenuItem *NSync = nullptr, *N1 = nullptr, *N3 = nullptr, *A1 = nullptr, *N8 = nullptr, *N9 = nullptr,
                   *N12 = nullptr, *N10 = nullptr, *N4 = nullptr, *N11 = nullptr;
    win::TTimer *Timer1 = nullptr;
    win::TPrintDialog *PrintDialog1 = nullptr;

    uint16_t ViewStamp = 0;
    uint8_t SortDescending = 1;
    uint8_t ResetPosition = 0;
    int32_t TabCount = 0;
    int32_t TabIds[kMaxTabs] = {};
    uint8_t GridLines = 0;
    int32_t RankField = 11;
    int32_t SavedTab = 0;
    StockId SavedStock = 0;
    int32_t RowCount = 0;
    int32_t DragRow = -1;
    int32_t LastTab = 0;
    BlockMember *Rows = nullptr;
    double *SortKeys = nullptr;
    BlockRecord *CurrentBlock = nullptr;
    int32_t ColourMode = 0;
    win::HFONT NameFont = 0, NumberFont = 0, TitleFont = 0;
    int32_t ChangeCounter = 0;
    int32_t FontLevel = 0;

private:
    void BuildForm();
    void BuildMenu();
    void AddTab(int blockId);
    void SelectTabQuietly(int index);
    void PositionRows();
    void LoadRowsFromBlock();
    void RebuildFonts();
    // The field-21 request for the visible rows.
    void RequestFastChange();
    void OpenChart();
    win::TRect CellRectOf(int col, int row, int &left) const;
    int lastMouseX_ = 0, lastMouseY_ = 0;
};

// The quote list's view maker and hooks, registered with the page's view
// factory (also as the view of unknown types).
void RegisterQuoteList();
