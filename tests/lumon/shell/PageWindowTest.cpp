// The page window: splitting, closing, maximising, dragging borders, replacing
// views with their history, and the frame's look-up of a pane's window.
#include <gtest/gtest.h>

#include "lumon/shell/MFrame.h"
#include "tests/lumon/shell/PageFixture.h"

using namespace pagetest;
using namespace win;

namespace {

LPARAM At(int x, int y) { return MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)); }

struct Rect {
    int left, top, width, height;
    bool operator==(const Rect &) const = default;
};
std::ostream &operator<<(std::ostream &o, const Rect &r)
{
    return o << "(" << r.left << "," << r.top << " " << r.width << "x" << r.height << ")";
}
Rect PaneRect(TMultiViewChild *p) { return {p->Left, p->Top, p->Width, p->Height}; }

class PageWindowTest : public PageTest {
protected:
    void Drag(int x0, int y0, int x1, int y1)
    {
        page->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(x0, y0));
        page->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(x0 + (x1 > x0) - (x1 < x0), y0 + (y1 > y0) - (y1 < y0)));
        page->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(x1, y1));
        page->Perform(WM_LBUTTONUP, 0, At(x1, y1));
        Pump(30);
    }
};

TEST_F(PageWindowTest, SplitsHalveThePaneAndRefuseSmallOnes)
{
    Open(PAGE_NEW);
    ASSERT_EQ(PaneCount(), 1);
    EXPECT_EQ(Pane(0)->Attr.ViewType, VIEW_EMPTY);
    EXPECT_EQ(page->ActivePane, Pane(0));
    EXPECT_EQ(PaneRect(Pane(0)), (Rect{2, 2, 796, 596}));

    Command(WM_PANE_SPLIT_H, Pane(0));
    ASSERT_EQ(PaneCount(), 2);
    EXPECT_EQ(PaneRect(Pane(0)), (Rect{2, 2, 396, 596}));
    EXPECT_EQ(PaneRect(Pane(1)), (Rect{402, 2, 396, 596}));
    EXPECT_EQ(page->ActivePane, Pane(1)) << "the new pane is activated";
    Command(WM_PANE_SPLIT_V, Pane(1));
    ASSERT_EQ(PaneCount(), 3);
    EXPECT_EQ(PaneRect(Pane(1)), (Rect{402, 2, 396, 296}));
    EXPECT_EQ(PaneRect(Pane(2)), (Rect{402, 302, 396, 296}));
    EXPECT_EQ(Pane(2)->Node->Kind, 4);
    EXPECT_EQ(Pane(1)->Node->Kind, 3);

    struct Case {
        int width, height;
        UINT command;
        bool splits;
    };
    for (const Case &c : {Case{199, 300, WM_PANE_SPLIT_H, false}, Case{200, 300, WM_PANE_SPLIT_H, true},
                          Case{400, 99, WM_PANE_SPLIT_V, false}, Case{400, 100, WM_PANE_SPLIT_V, true}}) {
        SCOPED_TRACE(c.width * 1000 + c.height);
        RecordMessageBoxes(true);
        Open(PAGE_NEW, "", c.width, c.height);
        Command(c.command, Pane(0));
        EXPECT_EQ(PaneCount(), c.splits ? 2 : 1);
        auto boxes = ShownMessageBoxes();
        ASSERT_EQ(boxes.size(), c.splits ? 0u : 1u);
        if (!c.splits) {
            EXPECT_EQ(boxes[0].text, "已有窗口太小, 无法切分.  ");
            EXPECT_EQ(boxes[0].caption, "提示");
            EXPECT_EQ(boxes[0].icon, UINT(MB_ICONERROR));
        }
    }
}

TEST_F(PageWindowTest, AClosedPanesSiblingTakesTheParentsPlace)
{
    Open(PAGE_NEW);
    Command(WM_PANE_SPLIT_H, Pane(0));
    TMultiViewChild *left = Pane(0), *right = Pane(1);
    Command(WM_PANE_SPLIT_V, right);
    TMultiViewChild *lower = Pane(2);
    MVCS *rightCell = right->Node->Parent;
    ASSERT_EQ(rightCell->Kind, 2);
    ASSERT_FLOAT_EQ(rightCell->Ratio, 0.5f);

    Command(WM_PANE_CLOSE, right);
    ASSERT_EQ(PaneCount(), 2);
    EXPECT_EQ(lower->Node, rightCell) << "the sibling moved into the parent's cell";
    EXPECT_EQ(lower->Node->Kind, 2);
    EXPECT_FLOAT_EQ(lower->Node->Ratio, 0.5f);
    EXPECT_EQ(PaneRect(lower), (Rect{402, 2, 396, 596}));
    EXPECT_EQ(page->ActivePane, lower);

    // A maximised pane and the last pane stay.
    Command(WM_PANE_MAXIMIZE, left);
    Command(WM_PANE_CLOSE, left);
    EXPECT_EQ(PaneCount(), 2);
    Command(WM_PANE_RESTORE, left);
    Command(WM_PANE_CLOSE, left);
    ASSERT_EQ(PaneCount(), 1);
    Command(WM_PANE_CLOSE, lower);
    EXPECT_EQ(PaneCount(), 1);
    EXPECT_EQ(PaneRect(lower), (Rect{2, 2, 796, 596}));
    // A command about a pane that has left the page is dropped.
    Command(WM_PANE_SPLIT_H, left);
    EXPECT_EQ(PaneCount(), 1);
}

TEST_F(PageWindowTest, MaximisingSwapsPanesWithoutShowingTheOthers)
{
    Open(PAGE_NEW);
    Command(WM_PANE_SPLIT_H, Pane(0));
    Command(WM_PANE_SPLIT_V, Pane(1));
    TMultiViewChild *a = Pane(0), *b = Pane(1), *c = Pane(2);
    frame.window->counts.clear();

    Command(WM_PANE_MAXIMIZE, a);
    EXPECT_EQ(page->MaximizedPane, a);
    EXPECT_EQ(PaneRect(a), (Rect{2, 2, 796, 596}));
    EXPECT_FALSE(b->Visible);
    EXPECT_FALSE(c->Visible);
    EXPECT_EQ(a->CmdBox->Kinds[0], 2) << "the maximise button became a restore button";
    EXPECT_EQ(page->ActivePane, a);

    Command(WM_PANE_MAXIMIZE, b);
    EXPECT_EQ(page->MaximizedPane, b);
    EXPECT_FALSE(a->Visible);
    EXPECT_FALSE(c->Visible);
    EXPECT_TRUE(b->Visible);
    EXPECT_EQ(a->Maximized, 0);
    EXPECT_EQ(a->CmdBox->Kinds[0], 1);
    EXPECT_EQ(b->CmdBox->Kinds[0], 2);

    Command(WM_PANE_RESTORE, b);
    EXPECT_EQ(page->MaximizedPane, nullptr);
    EXPECT_TRUE(a->Visible && b->Visible && c->Visible);
    EXPECT_EQ(PaneRect(b), (Rect{402, 2, 396, 296}));
    EXPECT_EQ(frame.window->counts[WM_SUBSCRIBE_VIEWS] >= 3, true);
}

TEST_F(PageWindowTest, DraggedBordersStopAtTheMinimumOfTheShrinkingPart)
{
    struct Case {
        const char *what;
        UINT split, secondSplit;  // the second split divides the right or lower part
        int x0, y0, x1, y1;
        Rect first;
    };
    const Case cases[] = {
        {"one pane across", WM_PANE_SPLIT_H, 0, 399, 100, 950, 100, {2, 2, 696, 596}},
        {"two panes across", WM_PANE_SPLIT_H, WM_PANE_SPLIT_H, 399, 100, 950, 100, {2, 2, 596, 596}},
        {"two panes stacked", WM_PANE_SPLIT_H, WM_PANE_SPLIT_V, 399, 100, 950, 100, {2, 2, 696, 596}},
        {"one pane down", WM_PANE_SPLIT_V, 0, 100, 299, 100, 700, {2, 2, 796, 546}},
        {"to the left", WM_PANE_SPLIT_H, 0, 400, 100, -300, 100, {2, 2, 96, 596}},
        {"a small move", WM_PANE_SPLIT_H, 0, 399, 100, 449, 100, {2, 2, 446, 596}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Open(PAGE_NEW);
        Command(c.split, Pane(0));
        if (c.secondSplit)
            Command(c.secondSplit, Pane(1));
        Drag(c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(PaneRect(Pane(0)), c.first);
        EXPECT_EQ(page->Dragging, 0);
        EXPECT_FALSE(TMultiViewMain::Overlay->Visible);
    }
}

TEST_F(PageWindowTest, DraggingAPageBorderInwardAddsAPane)
{
    struct Case {
        int width, edgeX, toX, edgeY, toY;
        int panes;
        const char *what;
    };
    const Case cases[] = {
        {800, 0, 150, 300, 300, 2, "left border"},
        {800, 799, 700, 300, 300, 2, "right border"},
        {800, 400, 400, 0, 120, 2, "top border"},
        {1200, 0, 1, 300, 300, 1, "less than 1/1000 of the width"},
        {1200, 0, 2, 300, 300, 2, "2/1000 of the width"},
        {800, 0, 0, 300, 300, 1, "no move"},
        {800, 0, -20, 300, 300, 1, "outward"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Open(PAGE_NEW, "", c.width, 600);
        page->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(c.edgeX, c.edgeY));
        ASSERT_EQ(page->Dragging, 1);
        // The first move inserts the part, the next sizes it.
        int midX = c.edgeX + (c.toX > c.edgeX ? 1 : (c.toX < c.edgeX ? -1 : 0));
        int midY = c.edgeY + (c.toY > c.edgeY ? 1 : (c.toY < c.edgeY ? -1 : 0));
        page->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(midX, midY));
        page->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(c.toX, c.toY));
        page->Perform(WM_LBUTTONUP, 0, At(c.toX, c.toY));
        Pump(30);
        EXPECT_EQ(PaneCount(), c.panes);
    }
    Open(PAGE_NEW);
    Drag(0, 300, 150, 300);
    ASSERT_EQ(PaneCount(), 2);
    EXPECT_EQ(PaneRect(Pane(1)), (Rect{2, 2, 146, 596})) << "the new pane on the left";
    EXPECT_EQ(PaneRect(Pane(0)), (Rect{152, 2, 646, 596}));
}

TEST_F(PageWindowTest, HistoryKeepsTwentyViewsAndGoesBack)
{
    Open(PAGE_NEW);
    TMultiViewChild *pane = Pane(0);
    // Back on an empty history: a quote list once, then nothing.
    Command(WM_PANE_BACK, pane);
    ASSERT_EQ(PaneCount(), 1);
    pane = Pane(0);
    EXPECT_EQ(pane->Attr.ViewType, VIEW_REPORT);
    EXPECT_EQ(pane->History->GetCount(), 0);
    Command(WM_PANE_BACK, pane);
    EXPECT_EQ(Pane(0), pane);

    // Quote list -> K-line -> back: the quote list with its stock.
    pane->Attr.Stock = MakeStockId(1, 2, 30);
    const int serial = pane->Serial;
    Command(WM_PANE_KLINE, pane);
    TMultiViewChild *chart = Pane(0);
    EXPECT_EQ(chart->Attr.ViewType, VIEW_KLINE);
    EXPECT_EQ(uint32_t(chart->Attr.Stock), MakeStockId(1, 2, 30));
    EXPECT_EQ(chart->Serial, serial);
    ASSERT_EQ(chart->History->GetCount(), 1);
    chart->Attr.Stock = MakeStockId(1, 2, 44);
    Command(WM_PANE_BACK, chart);
    EXPECT_EQ(Pane(0)->Attr.ViewType, VIEW_REPORT);
    EXPECT_EQ(uint32_t(Pane(0)->Attr.Stock), MakeStockId(1, 2, 44)) << "same market: the current stock";
    EXPECT_EQ(Pane(0)->History->GetCount(), 0);

    // A full history drops its five oldest entries.
    EArray<VIEW_ATTR> *history = Pane(0)->History;
    for (int i = 0; i < 20; ++i) {
        VIEW_ATTR a{};
        a.ViewType = uint16_t(0x3000 + i);
        history->Add(a);
    }
    Command(WM_PANE_NEWS, Pane(0));
    ASSERT_EQ(history->GetCount(), 16);
    EXPECT_EQ(history->GetAt(0).ViewType, 0x3005);
    EXPECT_EQ(history->GetAt(15).ViewType, VIEW_REPORT);
    // The newest earlier entry of the same type leaves before the old view is added.
    Command(WM_PANE_REPORT, Pane(0));
    Command(WM_PANE_NEWS, Pane(0));
    int reports = 0;
    for (int i = 0; i < history->GetCount(); ++i)
        reports += history->GetAt(i).ViewType == VIEW_REPORT;
    EXPECT_EQ(reports, 1);
}

TEST_F(PageWindowTest, LinkedPanesShowTheStockAndTheSearchPrefersTheActivePane)
{
    Open(PAGE_NEW);
    Command(WM_PANE_SPLIT_H, Pane(0));
    // A replacing view joins the pane list at its end.
    MVCS *left = Pane(0)->Node, *right = Pane(1)->Node;
    Command(WM_PANE_KLINE, left->Pane);
    Command(WM_PANE_TEXT, right->Pane);
    auto *chart = dynamic_cast<TestView *>(left->Pane);
    auto *text = dynamic_cast<TestView *>(right->Pane);
    ASSERT_TRUE(chart && text);
    ASSERT_EQ(Pane(0), chart);
    VIEW_ATTR attr;
    InitViewAttr(VIEW_KLINE, &attr);
    attr.Stock = MakeStockId(0, 1, 5);
    EXPECT_FALSE(page->ShowStockInLinkedPanes(0, &attr)) << "no linked pane";
    chart->Link = 1;
    EXPECT_TRUE(page->ShowStockInLinkedPanes(0, &attr));
    text->Link = 1;
    EXPECT_FALSE(page->ShowStockInLinkedPanes(0, &attr)) << "the last notified pane is a company text";
    ASSERT_EQ(chart->notified.size(), 2u);
    EXPECT_EQ(chart->notified[0], std::make_pair(1, int(attr.Stock)));

    EXPECT_EQ(page->FindPaneByType(VIEW_KLINE, 1), chart);
    chart->Link = 0;
    EXPECT_EQ(page->FindPaneByType(VIEW_KLINE, 0), nullptr);
    EXPECT_EQ(page->FindPaneByType(VIEW_TEXT, 0), text);
}

TEST_F(PageWindowTest, APaneHandlesItsFirstShowOnce)
{
    Open(PAGE_NEW);
    Command(WM_PANE_REPORT, Pane(0));
    auto *view = static_cast<TestView *>(Pane(0));
    PumpUntil([&] { return view->Drawn != 0; });
    Pump(50);
    frame.window->counts.clear();
    PostMessageA(view->Handle, WM_PANE_FIRST_SHOW, 0, 0);
    PostMessageA(view->Handle, WM_PANE_FIRST_SHOW, 0, 0);
    Pump(50);
    EXPECT_EQ(view->reloads, 1);
    EXPECT_EQ(frame.window->counts[WM_SUBSCRIBE_VIEWS], 0) << "a shown pane answers no further 2546";

    // A fresh pane: two 2546 (the page's and one more) give one reload and one 2626.
    frame.window->counts.clear();
    Command(WM_PANE_NEWS, view);
    auto *news = static_cast<TestView *>(Pane(0));
    PostMessageA(news->Handle, WM_PANE_FIRST_SHOW, 0, 0);
    PumpUntil([&] { return news->reloads >= 1 && frame.window->counts[WM_SUBSCRIBE_VIEWS] >= 1; });
    Pump(50);
    EXPECT_EQ(news->reloads, 1);
    EXPECT_EQ(frame.window->counts[WM_SUBSCRIBE_VIEWS], 1);
}

TEST_F(PageWindowTest, TheFrameFindsTheWindowOfTheRequestingPane)
{
    auto *mainFrame = new TMFrame(nullptr);
    mainFrame->StartAborted = 1;
    mainFrame->SetBounds(0, 0, 800, 600);
    auto *p = new TMultiViewMain(mainFrame, PAGE_NEW, "");
    p->SetBounds(0, 0, 800, 600);
    p->AfterConstruction();
    mainFrame->CurrentPage = p;
    TMultiViewChild *first = p->Panes->GetAt(0);
    p->Perform(WM_PANE_SPLIT_H, 0, reinterpret_cast<LPARAM>(first));
    ASSERT_EQ(p->Panes->GetCount(), 2);
    TMultiViewChild *second = p->Panes->GetAt(1);
    EXPECT_EQ(mainFrame->FindPaneWindow(second), second->Handle);
    EXPECT_EQ(mainFrame->FindPaneWindow(first), first->Handle);
    EXPECT_EQ(mainFrame->FindPaneWindow(&frame), HWND(0));
    p->ClosePane(second);
    EXPECT_EQ(mainFrame->FindPaneWindow(second), HWND(0)) << "the pane has left the page";
    delete mainFrame;
    MFrame = &frame;
}

} // namespace
