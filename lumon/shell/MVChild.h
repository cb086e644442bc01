// The pane base: every pane of a page is a TMultiViewChild or a view derived
// from it. It keeps its place in the page's layout, what it shows (its view
// attributes) with the history of what it showed before, its command box and
// right-button menu, paints the hint of an empty pane and declares the
// operations through which the page and the main frame drive every view.
#pragma once

#include <cstdint>

#include "lumon/core/EArray.h"
#include "lumon/core/STKMS.h"
#include "lumon/shell/ViewAttr.h"
#include "platform/forms/TForm.h"

namespace win {
class TPopupMenu;
class TMenuItem;
} // namespace win

class TMultiViewMain;
class TMultiViewChild;
class TMVCmdBox;

// Commands that panes and their command boxes post to their page (lParam = the pane).
constexpr win::UINT WM_PANE_MAXIMIZE = 2534;
constexpr win::UINT WM_PANE_RESTORE = 2535;
constexpr win::UINT WM_PANE_SPLIT_H = 2536;  // side by side
constexpr win::UINT WM_PANE_SPLIT_V = 2537;  // one above the other
constexpr win::UINT WM_PANE_CLOSE = 2538;
constexpr win::UINT WM_PANE_REPORT = 2539;
constexpr win::UINT WM_PANE_TICK = 2540;
constexpr win::UINT WM_PANE_TREND = 2541;
constexpr win::UINT WM_PANE_KLINE = 2542;
constexpr win::UINT WM_PANE_TEXT = 2543;
constexpr win::UINT WM_PANE_NEWS = 2544;
constexpr win::UINT WM_PANE_BACK = 2545;
constexpr win::UINT WM_PANE_SCROLL_BACK = 2548;
constexpr win::UINT WM_PANE_SCROLL_FORWARD = 2549;
// From the page to a placed pane, until the pane has handled it once.
constexpr win::UINT WM_PANE_FIRST_SHOW = 2546;
// From the frame to the panes: the frame was activated or deactivated.
constexpr win::UINT WM_FRAME_ACTIVATED = 0xB000;
constexpr win::UINT WM_FRAME_DEACTIVATED = 0xB001;

// Layout node (cell) of a page: a split into two parts or a leaf holding a pane.
// The cell owns the history and the view state of the views it holds in turn.
struct MVCS {
    MVCS *Parent = nullptr;
    MVCS *First = nullptr;   // left or top part
    MVCS *Second = nullptr;  // right or bottom part
    TMultiViewChild *Pane = nullptr;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Kind = 1;        // 1 left, 2 right, 3 top, 4 bottom
    float Ratio = 1.0f;
    EArray<VIEW_ATTR> *History = nullptr;
    VIEW_STATE *State = nullptr;

    MVCS() = default;
    MVCS(const MVCS &) = delete;
    MVCS &operator=(const MVCS &) = delete;
    ~MVCS();
    bool IsEmptyLeaf() const { return !Pane && !First && !Second; }
};

class TMultiViewChild : public win::TForm {
public:
    // A pane of `page` in the cell `node`, showing `attr` (null: an empty pane).
    // The cell's history and view state are made when it has none yet.
    TMultiViewChild(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr = nullptr);
    ~TMultiViewChild() override;
    void WndProc(win::TMessage &Message) override;

    // The operations through which the page and the frame drive a view.
    virtual int Notify(int code, int a, int b, intptr_t c);
    virtual void PrintView();
    virtual void ReloadView();
    virtual void SetColors();
    virtual void AddRequestStocks(EArray<STKMS> *list);
    virtual void OnActivate();
    virtual void OnDeactivate();
    // Writes the view's own bytes of the cell's view state before a save; the
    // page has written the bytes it derives from the attributes.
    virtual void WriteViewState(VIEW_STATE &state) {}
    // A view operation that the frame's menu and tool-button commands call by
    // name (ViewCommands.h); the view's answer, 0 where the view has none.
    virtual int Command(int command, int arg) { return 0; }

    // Makes the pane the page's active pane and clears the frame's busy flag.
    void Activate();
    void FormPaint(win::TObject *Sender);
    void FormResize(win::TObject *Sender);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);
    // Places the command box at the pane's top-right corner.
    void PlaceCmdBox();
    // Posts a page command about this pane to the page window.
    void PostToPage(win::UINT msg);

    int32_t Serial = 0;
    uint8_t Active = 0;
    uint8_t Maximized = 0;
    MVCS *Node;
    TMultiViewMain *Page;
    TMVCmdBox *CmdBox = nullptr;
    VIEW_ATTR Attr{};
    uint8_t Link = 0;     // follows the stock chosen elsewhere (view state byte 196)
    uint8_t Drawn = 0;    // the first 2546 has been handled
    // Cleared when the pane is closed: a closed pane waits in the page's list
    // for its release and is notified of nothing meanwhile.
    uint8_t Open = 1;
    EArray<VIEW_ATTR> *History;
    VIEW_STATE *State;

    win::TPopupMenu *MVCPM1 = nullptr;
    win::TMenuItem *NMVCZoom = nullptr;

private:
    void BuildMenu();
};

// The hint an empty pane shows.
extern const char EmptyPaneHint[];
// The text rectangle of the hint in a pane of that client size.
win::RECT EmptyPaneTextRect(int width, int height);
// The colour of the theme key COLORnn (1-based, where the formula library's
// ThemeColor counts the table from 0).
win::COLORREF KeyColor(int n);
