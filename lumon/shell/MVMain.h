// The page window: what the user sees inside the main frame, divided into panes
// by a tree of two-way splits. It places the panes, lets the user drag the
// borders between them (or a page border inward to add one), splits, closes,
// maximises, restores and replaces panes, keeps each pane's history of views and
// the active pane, and loads and saves itself as a page file.
#pragma once

#include <cstdint>
#include <vector>

#include "lumon/core/EArray.h"
#include "lumon/shell/MVChild.h"
#include "lumon/shell/PageFile.h"
#include "platform/forms/TForm.h"

class TTranspWnd;

// Page modes.
constexpr int PAGE_FILE = 0;     // a page file given by path, or the last page
constexpr int PAGE_NEW = 1;      // a new empty page
constexpr int PAGE_DEFAULT = 2;  // the default page

extern const char DefaultPagePath[];   // "..\CFG\Default.ppg"
extern const char LastPagePath[];      // "..\CFG\LASTPAGE.DAT"

class TMultiViewMain : public win::TForm {
public:
    TMultiViewMain(win::TComponent *Owner, int mode, const char *path);
    ~TMultiViewMain() override;

    void FormCreate(win::TObject *Sender);
    void FormResize(win::TObject *Sender);
    void FormPaint(win::TObject *Sender);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);
    void WndProc(win::TMessage &Message) override;

    void SetActivePane(TMultiViewChild *pane);
    TMultiViewChild *SplitPane(MVCS *node, const VIEW_ATTR *attr, float ratio, int mode);
    TMultiViewChild *ReplaceView(MVCS *node, const VIEW_ATTR *attr, int saveState);
    TMultiViewChild *FindPaneByType(int viewType, int any);
    bool ShowStockInLinkedPanes(int zoom, VIEW_ATTR *attr);
    // 0 save, 1 save as (asks for a name), 2 save on close (never asks).
    void SavePage(int mode);
    void ZoomPane(TMultiViewChild *pane, int maximize);
    void ClosePane(TMultiViewChild *pane);
    void FillViewState(TMultiViewChild *pane);

    // Lays the node out from its parent's rectangle; places its pane and makes
    // empty panes for new parts as the flags say.
    void LayoutNode(MVCS *node, bool place, bool create);
    // Lays the whole tree out for the client size, as on a resize.
    void LayoutPage();
    // The pane commands of the page's window procedure.
    void SplitCommand(TMultiViewChild *pane, int mode);
    void ChangeView(TMultiViewChild *pane, win::UINT command);
    void GoBack(TMultiViewChild *pane);
    // The pane list holds the pane (a command about a pane that has left the page
    // is dropped).
    bool HasPane(const TMultiViewChild *pane) const;
    // The panes as they are now, first to last: a walk that calls into panes
    // goes over this copy and skips the panes that have left meanwhile.
    std::vector<TMultiViewChild *> PaneSnapshot() const;
    // Draws the page and its panes into `dc` as the user sees them.
    void PaintPicture(win::HDC dc);

    // Border dragging, by client coordinates.
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp();
    // The node and edge (1 left, 2 right, 3 top, 4 bottom) under the point; edge 0 none.
    int HitTest(int x, int y, MVCS *&node);

    MVCS *Root;
    int Mode;
    uint8_t Dragging = 0;
    uint32_t DragPoint = 0;
    int DragEdge = 0;
    MVCS *DragNode = nullptr;
    EArray<TMultiViewChild *> *Panes;
    TMultiViewChild *ActivePane = nullptr;
    TMultiViewChild *MaximizedPane = nullptr;
    win::AnsiString Path;

    // The overlay shared by all pages.
    static TTranspWnd *Overlay;

private:
    // Builds the panes from a page file; false when it gave no page.
    bool LoadPage(const char *path, bool version3Only);
    MVCS *BuildNode(MVCS *parent, const PageFileData &data, int index);
    void CollectNodes(MVCS *node, std::vector<PageNode> &out);
    void FillDefaultPage(uint16_t viewType);
    void DeleteTree(MVCS *node);
    void DestroyPane(TMultiViewChild *pane);
    void PushHistory(EArray<VIEW_ATTR> *history, const VIEW_ATTR &old);
    int HitNode(MVCS *node, int x, int y, MVCS *&found);
    void DrawGuide(int at);
    void SetBoxKind(TMultiViewChild *pane, int from, int to);
    void PlaceMaximized();
    int MinimumSize(MVCS *node, bool across);
    void PostFirstShow(TMultiViewChild *pane);
};

// Reads "..\CFG\LASTPAGE.DAT": the path of the page shown last, or empty.
win::AnsiString ReadLastPagePath();
