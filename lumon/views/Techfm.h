// The K-line chart: one stock in one period as a stack of up to six pane areas,
// each drawn by one or more indicator objects, with the price axis on their
// right, the time axis below, a quote block for one bar, an info grid of all
// bars, and the keys and mouse that scroll, zoom, step the period and the stock.
#pragma once

#include <cstdint>

#include <string>

#include "lumon/views/DrawnLines.h"
#include "lumon/views/Dview.h"
#include "platform/win/Cursor.h"

namespace win {
class TLabel;
class TDrawGrid;
} // namespace win

class TIndex;
class TLine;

// The indicator slots of a chart and its drawn lines.
constexpr int MaxChartObjects = 16;
constexpr int MaxChartLines = 128;
constexpr int MaxChartAreas = 6;
// The zoom levels 0..28 (16 at the start) and their bar widths and gaps, with
// three more zero entries that the zoom box scans into.
constexpr int MaxZoomLevel = 28;
constexpr int ResetZoomLevel = 16;
extern const float ZoomWidths[32];
extern const float ZoomGaps[32];
// The default indicator of each pane area.
extern const int32_t DefaultAreaIds[MaxChartAreas];
// Period names by code 0..12.
extern const char *const PeriodNames[13];
// The stock-market amount above which the quote block shows 亿.
constexpr double AmountYiThreshold = 1e12;

class TTechForm : public TDrawView {
public:
    TTechForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);
    ~TTechForm() override;

    // ---- pane contract (Techfm.cpp) ---------------------------------------------------
    void WndProc(win::TMessage &Message) override;
    int Notify(int code, int a, int b, intptr_t c) override;
    void ReloadView() override;
    void SetColors() override;
    void AddRequestStocks(EArray<STKMS> *list) override;
    void ReloadData() override;
    int Command(int command, int arg) override;
    void LayoutPanes() override;
    void DrawCrossHair(win::HDC dc, int x, int y, bool keepPrevious) override;

    // ---- model and loading ------------------------------------------------------------------
    void ReloadChart(bool keepPanes);
    void RebuildPanes();
    // Only 601 changes: without a second stock it becomes the area's default.
    bool ResolveIndicatorId(int32_t &id, int area);
    static int NextIndicatorId(int id, bool forward);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);
    void FormKeyUp(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void FormKeyPress(win::TObject *Sender, char &Key);
    // Resets the process-wide throttle of ReloadData.
    static void ResetReloadThrottle();

    // ---- layout and painting (TechfmPaint.cpp) --------------------------------------------
    void RepaintChart(win::TObject *Sender, bool firstPaint, win::HDC dc = 0);
    void DrawPaneFrames(win::HDC dc);
    void DrawTitle(win::HDC dc);
    // The title text of the chart ("技术分析--name(code)<period>" and eight blanks),
    // empty without a static record.
    std::string TitleText() const;
    void FormPaint(win::TObject *Sender);
    void FormResize(win::TObject *Sender);

    // ---- periods, indicators and menu commands (TechfmMenu.cpp) ----------------------------
    void SetPeriod(int code);
    void SyncPeriodButton();
    void ReplaceIndicator(int id);
    // The slot of the current pane's target object (the selected one of the area
    // when one is); -1 when no object lies in the area.
    int TargetObject() const;
    void N12Click(win::TObject *Sender);
    void N11Click(win::TObject *Sender);
    void N20Click(win::TObject *Sender);
    void N3Click(win::TObject *Sender);
    void N15Click(win::TObject *Sender);
    void EraseIdxClick(win::TObject *Sender);
    void N24Click(win::TObject *Sender);
    void N7Click(win::TObject *Sender);
    void N5Click(win::TObject *Sender);
    void N25Click(win::TObject *Sender);
    void N29Click(win::TObject *Sender);
    void NLineClick(win::TObject *Sender);
    void MinfmClick(win::TObject *Sender);
    void PopupMenu1Popup(win::TObject *Sender);
    // Overlays the indicator on the current pane (N20Click after the chooser).
    bool OverlayIndicator(int id);
    // The pane count command for 1..6 panes.
    void SetPaneCount(int count);
    // The minutes (code 3) or days (code 12) the number dialog asks for; 0 when
    // cancelled. Tests replace it.
    static int (*AskPeriodNumber)(int code);
    // The indicator chooser's choice; false when none was chosen. Tests replace it.
    static bool (*ChooseIndicator)(TTechForm *chart, int &id);

    // ---- quote block, info grid and tags (TechfmQuote.cpp) ----------------------------------
    void ShowQuoteBlock(int record);
    void DrawGrid1DrawCell(win::TObject *Sender, int ACol, int ARow, const win::TRect &Rect, win::TGridDrawState State);
    void DrawGrid1MouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void DrawCellText(win::TCanvas *canvas, const win::TRect &rect, const char *text, int alignment);
    bool FormatValueAt(int area, int decimals, int x, int y, std::string &valueText, std::string &dateText);
    // The grid cell text of record row - 1 and its colour; false for a blank cell.
    bool GridCellText(int col, int row, std::string &text, win::COLORREF &colour) const;

    // ---- keys (TechfmKeys.cpp) ---------------------------------------------------------------
    void FormKeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    // The period after (before) code by the keys' rules.
    static int StepPeriod(int code, bool forward);

    // ---- mouse (TechfmMouse.cpp) --------------------------------------------------------------
    void FormMouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void FormMouseMove(win::TObject *Sender, win::TShiftState Shift, int X, int Y);
    void FormMouseUp(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void SetMouseState(int state);

    // ---- drawn lines (the frame and the tool box call these) ------------------------------------
    // Stores the chart's lines in the drawn-line file (message 2525 too).
    void SaveDrawnLines();
    // Deletes every line object of the chart (the file is left alone).
    void FreeDrawnLines();
    // The tool the frame's tool index chooses: -1 none, 0..16 a line kind - 1,
    // 17 the eraser; -1 while the line tools are off.
    int ChosenTool() const;

    // ---- components ----------------------------------------------------------------------------
    win::TPanel *Panel2;
    win::TLabel *DateLabel;
    win::TLabel *Captions[9];
    win::TLabel *Values[9];
    win::TDrawGrid *DrawGrid1;
    win::TMenuItem *N29, *NLine, *EraseIdx, *N20, *N15, *N24, *N1, *NWeight, *N18, *N19;
    win::TMenuItem *PeriodItems[13] = {};   // by period code; 0 none
    win::TMenuItem *WeightItems[4] = {};    // N25 N26 N28 N27 by mode
    win::TMenuItem *CountItems[7] = {};     // by pane count; 0 none

    // ---- fields ----------------------------------------------------------------------------------
    int32_t CursorKind = 0;
    win::HCURSOR CrossCursor = 0, HandCursor = 0, Hand2Cursor = 0, DragCursor = 0, SizeNSCursor = 0,
                 RubberCursor = 0, ArrowCursor = 0, SizeWECursor = 0;
    win::HBITMAP BackBitmap = 0;
    int32_t ZoomLevel = ResetZoomLevel;
    int32_t AxisWidth = 61;
    int32_t DateAxisHeight = 16;
    uint8_t DefaultSplit = 1;
    uint8_t ReloadAtEnd = 0;
    int32_t DragSplitter = 0;
    int32_t SplitterY = 0;
    int32_t DragMode = 0;
    int32_t DragStartX = 0;
    int32_t HistoryArrivals = 0;
    int32_t PaneCount = 3;
    int32_t CurPane = 2;
    int32_t Period = 8;
    int32_t CursorBar = -1;
    TIndex *Panes[MaxChartObjects] = {};
    int32_t ChartLeft = 0, ChartTop = 0, ChartRight = 0, ChartBottom = 0;
    win::RECT PaneRects[MaxChartObjects] = {};
    win::RECT AxisRects[MaxChartObjects] = {};
    win::RECT DateAxisRect{};
    uint8_t ShowCursorDate = 0;
    StockId SecondStock = 0xFF;
    uint8_t WrapPriceField = 3;
    uint8_t WrapMode = 0;
    uint8_t WrapOption = 0;
    // The drawn lines of the stock, period and indicators, with the selected line
    // and the edit state.
    TDrawnLines LineStore;
    win::POINT HitPoint{0, 0};
    win::POINT ZoomBoxStart{0, 0};
    uint8_t ZoomBoxArmed = 0;
    uint8_t KeyCursor = 0;
    int32_t NewLinePane = 0;
    int32_t DrawTool = -1;
    int32_t MouseState = 0;
    // Which chart the need-older-data requests name.
    uint32_t RequesterKey = 0;

    // The pane contract's notification codes this chart reacts to.
    static constexpr int kRealTime = 0, kShowStock = 1, kReplace = 3, kStep = 8, kHistory = 12, kHistory2 = 13,
                         kZoom = 15;

    // The rectangle the cross-hair is kept in (the chart area).
    win::RECT ChartClip{};
    // Where the cross-hair's value and time tags were drawn.
    win::RECT ValueTagRect{};
    win::RECT TimeTagRect{};
    // The context RepaintChart paints into while it runs; the object BackDC
    // replaced in its context.
    win::HDC PaintingDC = 0;
    // Where the pointer is kept during a splitter drag.
    win::RECT SplitterClip{};
    win::HGDIOBJ BackOld = 0;

private:
    static int ThemeLineHeight();
    void BuildChartComponents();
    void BuildChartMenu();
    void LoadCursors();
    // Every object's set-up after CreateIndex: owner serial, the 601 options.
    void SetUpObject(TIndex *object, int id);
    // Sets every object's width and gap of the level, period, scroll-to-end and
    // recomputes.
    void ResetObjects(int period);
    bool SameStock(StockId a) const;
    bool LastBarInView() const;
    void PlaceQuoteBlock();
    // The HDC of BackBitmap in a new memory context (released by the caller
    // with ReleaseBackDC); 0 without a bitmap.
    win::HDC BackDC();
    void ReleaseBackDC(win::HDC dc);
    void BlitToWindow(win::HDC src, int x, int y, int w, int h);
    void SwitchKeyCursorOn();
    void MovePointerToBar();
    // Shows the chart's picture of the info grid instead of the chart.
    void ShowInfoGrid();
    // The splitter drag's XOR line at y across the dragged pane.
    void XorSplitter(int y);
    // Raises the chosen tool's buttons in the tool box and the frame's tool bar;
    // with `clear` the frame's tool index becomes -1 too.
    void ReleaseTool(bool clear);
    // Places, grabs, drops or erases a drawn line for a left press; false when
    // the press is none of these and the plain click goes on.
    bool LinePress(int X, int Y);
    // A grabbed line or one being placed follows the pointer.
    void LineMove(int X, int Y);
    // A grabbed line of kinds 1..3 whose anchor moved takes its parallel partner along.
    void CarryPartner(TLine *line, win::HDC dc);
};

// Registers the K-line chart for view type 0x1002 and fills its frame hooks.
void RegisterKLineChart();
// The chart of a pane, or null.
TTechForm *AsKLineChart(TMultiViewChild *pane);
