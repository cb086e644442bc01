// The chart base view: what the K-line and the intraday chart share. The XOR
// cross-hair inside the chart rectangle, the quote panel on the right with the
// tick list or the broker queue below it, the day's ticks with their totals, the
// browse list a chart was opened from, the chart menu and printing.
#pragma once

#include <cstdint>

#include "lumon/core/HistoryRecords.h"
#include "lumon/core/MarketRecords.h"
#include "lumon/shell/Cview.h"
#include "platform/win/AnsiString.h"

namespace win {
class TCanvas;
class TPanel;
class TPaintBox;
class TStringGrid;
class TPopupMenu;
class TMenuItem;
class TPrintDialog;
class TGridDrawState;
struct TRect;
} // namespace win

class TMVCmdBox;
class TDbfTable;
class TMarketData;

// Tick list or broker queue below the quote panel: 1 broker queue (process-wide,
// SETTING.INI [TableDef] BrokerMode).
extern int32_t BrokerMode;
// The broker name table, loaded once and kept for the process; null until then.
extern TDbfTable *BrokerTable;

class TDrawView : public TChildView {
public:
    TDrawView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);
    ~TDrawView() override;

    // ---- operations the charts implement --------------------------------------
    // XOR cross-hair: takes the previous one off (unless keepPrevious), then
    // draws one at (x, y) when it lies inside ChartRect; dc 0 = the window.
    virtual void DrawCrossHair(win::HDC dc, int x, int y, bool keepPrevious);
    virtual void LayoutPanes() {}
    virtual void ReloadData() {}

    // ---- pane operations ---------------------------------------------------------
    // The real-time update of code 0: appends the deal to the ticks.
    int Notify(int code, int a, int b, intptr_t c) override;
    void PrintView() override;
    void ReloadView() override;
    void SetColors() override;
    void WndProc(win::TMessage &Message) override;
    void WriteViewState(VIEW_STATE &state) override;

    // ---- shared routines -----------------------------------------------------------
    static bool PointInRect(int x, int y, int left, int top, int right, int bottom);
    void SetCrossClip(win::RECT *r);
    void ClipCursorToRect(win::RECT *r);
    void EraseCrossHair(win::HDC dc);
    static win::COLORREF ChangeColorIndex(uint32_t value, uint32_t reference);
    // Gives up the browse list (one reference); the view then has none.
    void ReleaseBrowseList();

    // ---- form handlers ---------------------------------------------------------------
    void FormResize(win::TObject *Sender);
    void FormPaint(win::TObject *Sender);
    void FormMouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void FormMouseUp(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void FormMouseMove(win::TObject *Sender, win::TShiftState Shift, int X, int Y);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);
    void MsgPageMouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void MsgPageMouseMove(win::TObject *Sender, win::TShiftState Shift, int X, int Y);
    void Panel1Click(win::TObject *Sender);
    void N5Click(win::TObject *Sender);
    void PopupMenu1Popup(win::TObject *Sender);
    void AddBkItemClick(win::TObject *Sender);
    // 变更商品: the stock chooser; the chosen stock is shown.
    void N2Click(win::TObject *Sender);
    // 大单提取 (while the panel is shown): the big-order threshold of the tick list.
    void dadantiquClick(win::TObject *Sender);
    void NSyncClick(win::TObject *Sender);
    void showbrokerClick(win::TObject *Sender);
    void prtClick(win::TObject *Sender);

    // ---- quote panel (DviewPanel.cpp) -----------------------------------------------
    // Text and colour of panel field 0..38 of the view's stock.
    void FormatQuoteField(int field, win::AnsiString &text, int &colour);
    // The upper part of the panel on `canvas` (the paint box's when null) in a
    // paint box `height` pixels high (its own when negative); sets PanelHeight.
    void PaintQuotePanel(win::TCanvas *canvas = nullptr, int height = -1);
    void MsgPagePaint(win::TObject *Sender);
    // The tick list below PanelHeight on `canvas` (the paint box's when null),
    // in a paint box `height` pixels high (its own when negative).
    void PaintTickList(win::TCanvas *canvas = nullptr, int height = -1);

    // ---- ticks (DviewTicks.cpp) -------------------------------------------------------
    void LoadTicks();

    // ---- broker queue (DviewBroker.cpp) ---------------------------------------------------
    // Loads the broker name table unless it is loaded; false (after its box) when
    // the file is missing or unreadable.
    static bool LoadBrokerTable();
    void StringGrid1DrawCell(win::TObject *Sender, int ACol, int ARow, win::TRect Rect, win::TGridDrawState State);
    void StringGrid1MouseMove(win::TObject *Sender, win::TShiftState Shift, int X, int Y);
    win::AnsiString BrokerName(int col, int row);
    // The grid text of an entry (row >= 1) of column 0 (bids) or 1 (asks).
    win::AnsiString BrokerCellText(int col, int row);
    // Places and shows the broker grid below PanelHeight.
    void PlaceBrokerGrid();

    // ---- components --------------------------------------------------------------------
    win::TPanel *WatchPage;
    win::TPanel *Panel1;
    win::TPaintBox *MsgPage;
    win::TStringGrid *StringGrid1;
    win::TPopupMenu *PopupMenu1;
    win::TPrintDialog *PrintDialog1;
    win::TMenuItem *Back, *Changeform, *Repfm, *Tickfm, *Minfm, *Keckfm, *Newsfm, *Detailfm, *Barfm;
    win::TMenuItem *N2, *AddBk, *Nanaly, *N11, *N3, *N6, *N7, *N8, *N9, *N10, *N5, *dadantiqu, *showbroker, *NSync,
        *prt;

    // ---- fields ----------------------------------------------------------------------------
    win::RECT ChartRect{};
    // The view's own command box (the two scroll arrows); the pane's box is
    // TMultiViewChild::CmdBox.
    TMVCmdBox *CmdBox = nullptr;
    TickRecord *TickBuf = nullptr;
    float LastTickAmount = 0;
    float TickAmountSum = 0;
    float TickVolumeSum = 0;
    float InnerVolume = 0;
    float OuterVolume = 0;
    float NeutralVolume = 0;
    int32_t TickCount = 0;
    int32_t TickTop = 0;
    uint8_t TicksStale = 1;
    // The browse list's handle (BrowseList.h), 0 = none.
    uint32_t BrowseList = 0;
    int32_t BrowseIndex = 0;
    uint8_t BrowseMoved = 0;
    int32_t BigOrderVolume = 0;
    win::POINT CrossAt{0, 0};
    win::POINT MousePos{5, 5};
    int32_t TagWidth1 = 0;
    int32_t TagWidth2 = 0;
    win::HBITMAP TagSave1 = 0;
    win::HBITMAP TagSave2 = 0;
    int32_t PanelHeight = 0;
    uint8_t CrossMode = 0;
    uint8_t CrossShown = 0;
    uint8_t Painted = 0;
    uint8_t ClipSet = 0;
    win::RECT *ClipSource = nullptr;
    uint8_t LeftDown = 0;

    // Live deals appended since a load after which the next update rereads the file.
    static constexpr int MaxLiveTicks = 512;
    // Records the tick buffer holds at least.
    static constexpr int TickBufferRecords = 12800;

protected:
    // The view's stock and what the market tables hold of it; null pointers
    // when the tables do not know the stock.
    struct StockView {
        TMarketData *Market = nullptr;
        const StockStaticRecord *Static = nullptr;
        RealQuoteRecord *Quote = nullptr;
        const StockInfoRecord *Info = nullptr;
        const ClassRecord *Class = nullptr;
        int Kind = 0;        // market kind byte
        bool IsIndex = false;
        float Scale = 1;     // price scale, 0 read as 1
        uint32_t Unit = 1;   // volume unit, 0 read as 1
        int Decimals = 0;    // clamped to 0..6
    };
    StockView Look() const;

private:
    void BuildComponents();
    void BuildMenu();
    void PlaceViewCmdBox();
    void SetBrokerCaption();
    void PaintPanelBody(win::TCanvas *c);
    // What both panel painters start with: the paint box's canvas and height
    // for the ones not given, the stock, a clear brush and the panel's number
    // font with the width of its digit; false when the tables do not know the
    // stock (nothing is painted then).
    bool BeginPanelPaint(win::TCanvas *&c, int &height, StockView &v, int &digitWidth);
};

// A chart view's quote panel and broker grid as the frame repaints them on
// server data, and its data reload (数据刷新): the hooks the frame calls.
void InstallDrawViewHooks();
