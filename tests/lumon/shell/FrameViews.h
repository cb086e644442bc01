// Small views derived from TChildView for the frame's tests and benchmarks, on a
// real page of the frame: each records the notifications and the frame's
// messages it gets and offers the stocks it was given.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "lumon/shell/Cview.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewCommands.h"
#include "lumon/shell/ViewFactory.h"

namespace framefixture {

class FrameTestView : public TChildView {
public:
    FrameTestView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TChildView(page, node, attr) {}

    int Notify(int code, int a, int b, intptr_t c) override
    {
        notes.push_back({code, a, b, int32_t(c)});
        if (onNotify)
            onNotify();
        return 0;
    }
    void AddRequestStocks(EArray<STKMS> *list) override
    {
        for (STKMS s : stocks) {
            bool held = false;
            for (int i = 0; i < list->GetCount() && !held; ++i)
                held = list->GetAt(i) == s;
            if (!held)
                list->Add(s);
        }
    }
    void SetColors() override
    {
        ++colorsSet;
        TChildView::SetColors();
    }
    void ReloadView() override { ++reloads; }
    int Command(int command, int arg) override
    {
        commands.push_back({command, arg});
        return command == VC_GET_EX_RIGHTS ? exRights : 0;
    }
    void PrintView() override { ++prints; }
    void WndProc(win::TMessage &m) override
    {
        if (m.Msg == WM_FRAME_ACTIVATED || m.Msg == WM_FRAME_DEACTIVATED || m.Msg == win::WM_NCMOUSEMOVE)
            frameMessages.push_back(m.Msg);
        if (m.Msg == win::WM_KEYDOWN)
            keys.push_back({m.WParam, m.LParam});
        TChildView::WndProc(m);
    }
    // The notifications of one code.
    std::vector<std::array<int32_t, 4>> Notes(int code) const
    {
        std::vector<std::array<int32_t, 4>> out;
        for (const auto &n : notes)
            if (n[0] == code)
                out.push_back(n);
        return out;
    }

    // A K-line view's overlaid stock; a quote list's visible rows without statistics.
    StockId second = 0;
    std::vector<STKMS> stocks, rows;
    std::vector<std::array<int32_t, 4>> notes;
    std::function<void()> onNotify;
    std::vector<win::UINT> frameMessages;
    // Keys that reached the view's window, and those the frame gave a K-line
    // chart's key handler (with Alt held or not).
    std::vector<std::pair<win::WPARAM, win::LPARAM>> keys;
    std::vector<std::pair<win::WORD, bool>> chartKeys;
    // A quote list's rows and grid row; a ranking's selected stock (0: none).
    std::vector<StockId> reportRows;
    int gridRow = 0;
    StockId selected = 0;
    int tickSwitches = 0;
    int colorsSet = 0, reloads = 0, prints = 0;
    // The view operations of the frame's commands (command, argument), and the
    // ex-rights mode a K-line view answers.
    std::vector<std::pair<int, int>> commands;
    int exRights = 0;
};

inline TMultiViewChild *MakeFrameTestView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new FrameTestView(page, node, attr);
}

// For its lifetime the test view stands for every view type, and the view hooks
// the frame calls read it.
struct TestViews {
    TestViews()
    {
        for (uint16_t type : {VIEW_TREND, VIEW_KLINE, VIEW_RANKING, VIEW_REPORT, VIEW_NEWS, VIEW_TEXT, VIEW_NOTES})
            RegisterViewMaker(type, MakeFrameTestView);
        ViewHooks.CollectVisibleStocks = [](TMultiViewChild *list, EArray<STKMS> *stats) {
            if (auto *view = dynamic_cast<FrameTestView *>(list))
                for (STKMS s : view->rows)
                    stats->Add(s);
        };
        ViewHooks.SecondStock = [](TMultiViewChild *chart) -> StockId {
            auto *view = dynamic_cast<FrameTestView *>(chart);
            return view ? view->second : 0;
        };
        ViewHooks.SwitchTickMode = [](TMultiViewChild *chart) {
            chart->Attr.Flags ^= VIEW_FLAG_TREND;
            if (auto *view = dynamic_cast<FrameTestView *>(chart))
                ++view->tickSwitches;
        };
        ViewHooks.KLineKeyDown = [](TMultiViewChild *chart, win::WORD key, bool alt) {
            if (auto *view = dynamic_cast<FrameTestView *>(chart))
                view->chartKeys.push_back({key, alt});
        };
        ViewHooks.ReportRows = [](TMultiViewChild *list, std::vector<StockId> &rows, int &gridRow) {
            if (auto *view = dynamic_cast<FrameTestView *>(list)) {
                rows = view->reportRows;
                gridRow = view->gridRow;
            }
        };
        ViewHooks.RankingSelection = [](TMultiViewChild *ranking, StockId &stock) {
            auto *view = dynamic_cast<FrameTestView *>(ranking);
            stock = view ? view->selected : 0;
            return stock != 0;
        };
    }
    ~TestViews()
    {
        ClearViewMakers();
        ViewHooks = TViewHooks();
    }
    TestViews(const TestViews &) = delete;
    TestViews &operator=(const TestViews &) = delete;
};

// Gives the frame a new page, as its FormShow opens one, holding one empty and
// active pane, in place of any page it shows.
inline TMultiViewMain *NewTestPage(TMFrame *frame)
{
    delete frame->CurrentPage;
    frame->CurrentPage = nullptr;
    auto *page = new TMultiViewMain(frame, PAGE_NEW, "");
    page->Align = win::alClient;
    page->AfterConstruction();
    page->Show();
    frame->CurrentPage = page;
    return page;
}

// Adds a view of the type showing the stock to the page, beside its last pane.
inline TMultiViewChild *AddView(TMultiViewMain *page, uint16_t type, StockId stock = 0)
{
    VIEW_ATTR attr;
    InitViewAttr(type, &attr);
    attr.Stock = stock;
    MVCS *node = page->Panes->GetAt(page->Panes->GetCount() - 1)->Node;
    TMultiViewChild *view = page->SplitPane(node, &attr, 0.5f, 2);
    page->LayoutPage();
    return view;
}

// The page's panes count as drawn: they post the frame no 2626 of their own
// when first shown, so that a test alone decides when the frame subscribes.
inline void MarkDrawn(TMultiViewMain *page)
{
    for (int i = 0; i < page->Panes->GetCount(); ++i)
        page->Panes->GetAt(i)->Drawn = 1;
}

inline FrameTestView *AddTestView(TMultiViewMain *page, uint16_t type = VIEW_REPORT, StockId stock = 0)
{
    return dynamic_cast<FrameTestView *>(AddView(page, type, stock));
}

} // namespace framefixture
