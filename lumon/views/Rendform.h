// The intraday chart: one stock's trading day as a minute trend or a tick chart
// over one to three intraday indicator panes with a common time axis, an
// information column and the cross-hair tags; or, in its two other display
// modes, the day's trades as a grid with the futures open/close classification
// and the volume traded at each price as horizontal bars.
#pragma once

#include <cstdint>
#include <string>

#include "lumon/views/Dview.h"

namespace win {
class TLabel;
class TDrawGrid;
} // namespace win

class TDynIndex;
class TBarChart;

class TRendForm : public TDrawView {
public:
    TRendForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);
    ~TRendForm() override;

    // Flags of the attributes that travel with the pane.
    static constexpr uint32_t FlagTrend = 0x80000000u;   // minute trend (clear: tick chart)
    static constexpr uint32_t FlagBars = 0x40000000u;    // volume-at-price shown
    static constexpr uint32_t FlagGrid = 0x20000000u;    // trade-detail grid shown
    // Bar width of one tick by zoom index 0..15.
    static float ZoomWidth(int index);
    // The open/close classification of a trade: open-interest change, volume in
    // units and the side byte.
    static const char *TradeClass(float oiChange, float volume, uint8_t side);

    // ---- pane operations ---------------------------------------------------------
    int Notify(int code, int a, int b, intptr_t c) override;
    void ReloadView() override;
    void SetColors() override;
    void AddRequestStocks(EArray<STKMS> *list) override;
    void DrawCrossHair(win::HDC dc, int x, int y, bool keepPrevious) override;
    void LayoutPanes() override { CalcLayout(); }
    void ReloadData() override { RefreshData(); }

    void CalcLayout();
    // Deletes the tick file and loads the stock again, at most once in 2 s per stock.
    void RefreshData();
    void LoadStock(bool keepPanes);
    void RepaintChart(win::TObject *Sender, bool withBase);
    // "即时走势--" or "分时走势--", the name and "(code)"; empty without a stock.
    std::string TitleText() const;
    void UpdateInfoColumn(int index);
    void ShowPointInStatus(int pane, int x, int y);
    void FormatCursorTags(int pane, int decimals, int x, int y, char *valueText, char *timeText);
    // The pane under a point, -1 none.
    int PaneAt(int x, int y) const;

    void FormPaint(win::TObject *Sender);
    void FormResize(win::TObject *Sender);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);
    void PaintBox1Paint(win::TObject *) {}

    // ---- trade-detail grid and volume-at-price bars (RendDetail.cpp) -----------------
    void SetupDetailGrid();
    void BuildPriceVolume();
    void DrawGrid1DrawCell(win::TObject *Sender, int ACol, int ARow, const win::TRect &Rect,
                           win::TGridDrawState State);
    void DrawGrid1MouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void DrawCellText(const win::TRect &rect, const char *text, int align);
    void UpdateDetailCaption();
    // The grid follows the newest trade when its selection was on the last row.
    void UpdateGridRows();
    // The text and colour of a data cell (row >= 1).
    void DetailCellText(int col, int row, char *text, int size, win::COLORREF &colour);
    // Ticks of the day: those read and those that arrived since.
    int DayTickCount() const { return TickBuf ? TickCount + TickTop : 0; }

    // ---- keys, mouse and menus (RendKeys.cpp) -----------------------------------------
    void FormKeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void FormKeyUp(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void FormMouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void FormMouseMove(win::TObject *Sender, win::TShiftState Shift, int X, int Y);
    void FormMouseUp(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void N16Click(win::TObject *Sender);
    void N7Click(win::TObject *Sender);
    void N13Click(win::TObject *Sender);
    void N14Click(win::TObject *Sender);
    void N5Click(win::TObject *Sender);
    int Command(int command, int arg) override;
    void PopupMenu1Popup(win::TObject *Sender);
    void WatchPageMouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);

    // ---- components ----------------------------------------------------------------------
    win::TLabel *Labels[13] = {};   // Label1 .. Label13
    win::TMenuItem *N1 = nullptr, *N12 = nullptr, *N13 = nullptr, *N14 = nullptr;
    win::TPanel *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr, *Panel5 = nullptr;
    win::TDrawGrid *DrawGrid1 = nullptr;
    win::TPaintBox *PaintBox1 = nullptr;

    // ---- fields ----------------------------------------------------------------------------
    win::HDC BackDC = 0;
    win::HBITMAP BackBitmap = 0;
    uint8_t MoreHistory = 1;
    uint8_t TickMode = 1;
    int32_t ZoomIndex = 7;
    int32_t AxisHeight = 16;
    uint8_t UseDefaultRatios = 0;
    int32_t Splitter = 0;
    int32_t DragStartX = 0;
    int32_t DragEndX = 0;
    int32_t DragKind = 0;
    int32_t PaneCount = 2;
    int32_t DisplayMode = 0;
    int32_t CursorIndex = -1;
    uint8_t KeyCursor = 0;
    TDynIndex *Panes[4] = {};
    TBarChart *Bars = nullptr;
    win::RECT Chart{};
    win::RECT PaneRect[4] = {};
    win::RECT AxisRect{};
    // Set while PgUp or PgDn is held: the key-up asks the frame for the new
    // stock's request lists once.
    uint8_t PageKeyHeld = 0;
    // y of the splitter guide line while a border is dragged.
    int32_t SplitY = 0;
    // Where the value and time tags of the cross-hair were drawn.
    win::RECT ValueTag{}, TimeTag{};

    // The reload throttle: the stock last reloaded and when (GetTickCount).
    static StockId LastReloadStock;
    static uint32_t LastReloadTime;
    static bool ReloadedOnce;

protected:
    bool IsIndexStock() const { return Look().IsIndex; }
    // Lays out, draws and shows the bars into the back buffer.
    void PaintBars();
    // The grid host shown (mode 1) or hidden.
    void ShowGrid(bool shown);
    // Back from the grid or the bars to the chart.
    void BackToChart();
    // Moves the key cursor to a record and the pointer onto its point.
    void PlaceKeyCursor(int index);
    // The earlier ticks of the history file for every pane; the view then
    // shows `step` records before the ticks it showed first.
    void LoadEarlier(int step);
    void ToggleWatchPage();
    void EraseSplitLine();

private:
    void BuildRendComponents();
    void DeletePanes();
    void ReleaseBackBuffer();
};

// Registers the intraday chart for view type 0x1001 and its hooks for the frame.
void RegisterIntradayChart();
