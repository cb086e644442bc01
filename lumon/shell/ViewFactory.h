// The page's view factory: a table of makers by view type that the program fills
// at start (the views live in another library), and the hooks through which the
// shell reaches view operations that the pane base does not declare.
#pragma once

#include <cstdint>
#include <vector>

#include "lumon/core/EArray.h"
#include "lumon/core/MarketRecords.h"
#include "lumon/core/STKMS.h"
#include "platform/win/WinTypes.h"

struct MVCS;
struct NewsRecord;
struct VIEW_ATTR;
class TMultiViewMain;
class TMultiViewChild;
namespace win {
class TForm;
}

// Makes the view of `attr`'s type for the cell `node` of `page`.
using ViewMaker = TMultiViewChild *(*)(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);

void RegisterViewMaker(uint16_t viewType, ViewMaker maker);
// The maker of the type, or null.
ViewMaker FindViewMaker(uint16_t viewType);
void ClearViewMakers();
// The maker of the view for a type no view knows (a page file from elsewhere):
// it is given no attributes.
void RegisterFallbackViewMaker(ViewMaker maker);

// The view for `attr`: its type's maker, or else an empty pane that keeps the
// attributes (so that a page saved again loses nothing).
TMultiViewChild *CreateView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);

struct TViewHooks {
    // Switches an intraday chart between its tick and trend modes.
    void (*SwitchTickMode)(TMultiViewChild *chart) = nullptr;
    // A key press for a chart (Shift+Left, Shift+Right from its command box).
    void (*ChartKeyDown)(TMultiViewChild *chart, win::WORD key, bool shift) = nullptr;
    // A quote list appends the keys of its visible rows that have no day
    // statistics yet to the statistics list.
    void (*CollectVisibleStocks)(TMultiViewChild *list, EArray<STKMS> *stats) = nullptr;
    // A K-line chart's overlaid second stock, 0 when none.
    StockId (*SecondStock)(TMultiViewChild *chart) = nullptr;
    // A chart repaints its quote panel while the panel is shown (day statistics
    // arrived), or its broker grid while the grid is shown (stock information).
    void (*RepaintQuotePanel)(TMultiViewChild *chart) = nullptr;
    void (*RepaintBrokerGrid)(TMultiViewChild *chart) = nullptr;
    // A chart reloads its stock's data ("数据刷新"); false for a pane that is no chart.
    bool (*ReloadChartData)(TMultiViewChild *pane) = nullptr;
    // The K-line chart's drawing-tool box, made for the frame (a tool window
    // of its own that never takes the activation from the frame); the down
    // state of its button of a tool (0..18) set and read.
    win::TForm *(*MakeLineToolBox)(win::TForm *frame) = nullptr;
    void (*SetLineToolDown)(win::TForm *box, int tool, bool down) = nullptr;
    bool (*LineToolDown)(win::TForm *box, int tool) = nullptr;
    // The frame's keys for a K-line chart (its key handler), Alt held or not.
    void (*KLineKeyDown)(TMultiViewChild *chart, win::WORD key, bool alt) = nullptr;
    // The K-line chart's commands from the frame (period buttons, server data):
    // KLineSetPeriod with the period code, KLineRepaint with 1 for a first paint.
    void (*KLineCommand)(TMultiViewChild *chart, int command, int argument) = nullptr;
    // A quote list's rows in their order and its grid's current row (1 = the
    // first row under the heading).
    void (*ReportRows)(TMultiViewChild *list, std::vector<StockId> &rows, int &gridRow) = nullptr;
    // The stock of a ranking's selected row in its current table; false when no
    // row is selected.
    bool (*RankingSelection)(TMultiViewChild *ranking, StockId &stock) = nullptr;
    // The quote list's operations the frame calls by name: the active list's
    // fast-change request (2626), its fast-change column after an answer, the
    // tabs of a deleted block (2627), a repaint after new statistics (2624 type
    // 9), a block chosen in the block menus, and the column tables at close.
    void (*RankVisibleStocks)(TMultiViewChild *list) = nullptr;
    void (*RedrawFastChangeColumn)(TMultiViewChild *list) = nullptr;
    void (*RemoveBlockTab)(TMultiViewChild *list, int blockId) = nullptr;
    void (*RedrawGrid)(TMultiViewChild *list) = nullptr;
    void (*ShowBlockTab)(TMultiViewChild *list, int blockId) = nullptr;
    void (*WriteTableDefs)() = nullptr;
    // The text views' reloads when the data server's answers arrive: a news
    // pane's list (new titles; the pane makes its news index when it has none),
    // its article when it shows the text file `name`, a news flash at the top
    // of its list, the file name of the item a 1025 will open; a company text
    // pane's text; a notes pane's list of the kind, and its text when its
    // pending note is `name`.
    void (*RefreshNewsList)(TMultiViewChild *news) = nullptr;
    void (*ReloadNewsArticle)(TMultiViewChild *news, const char *name) = nullptr;
    void (*AddNewsFlash)(TMultiViewChild *news, const NewsRecord &record) = nullptr;
    void (*SetNewsArticleName)(TMultiViewChild *news, const char *name) = nullptr;
    void (*ReloadCompanyText)(TMultiViewChild *text) = nullptr;
    void (*ReloadNoteList)(TMultiViewChild *notes, int kind) = nullptr;
    void (*ShowPendingNote)(TMultiViewChild *notes, const char *name) = nullptr;
};
extern TViewHooks ViewHooks;

// The commands of TViewHooks::KLineCommand.
constexpr int KLineSetPeriod = 1;
constexpr int KLineRepaint = 2;
