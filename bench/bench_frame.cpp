// The main frame's per-quote and per-second work: one pushed quote through the
// message hub's OnDataChanged to 16 views of a real page, and the visible-stock
// subscription of 256 entries against a real-time client that already holds
// them all (what the one-second timer and every pane refresh cost when nothing
// changed). Both against the simulated data server on loopback, logged in as
// the demo user.
// bench-deps: lumon_shell Qt6::Widgets
#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/FrameSession.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/LSocketPool.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TApplication.h"
#include "platform/win/File.h"
#include "platform/win/Profile.h"
#include "platform/win/Registry.h"
#include "tests/lumon/shell/FrameViews.h"

namespace {

namespace fs = std::filesystem;

// A view that only counts its notifications.
class CountingView : public TChildView {
public:
    CountingView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr) : TChildView(page, node, attr) {}
    int Notify(int, int, int, intptr_t) override
    {
        ++count;
        return 0;
    }
    int64_t count = 0;
};

TMultiViewChild *MakeCountingView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    return new CountingView(page, node, attr);
}

using Session = benchfix::FrameSession;

Session &TheSession()
{
    static Session session("bench_frame");
    return session;
}

void BM_QuoteToSixteenPanes(benchmark::State &state)
{
    Session &s = TheSession();
    if (!s.ready) {
        state.SkipWithError(s.problem.c_str());
        return;
    }
    RegisterViewMaker(VIEW_REPORT, MakeCountingView);
    TMultiViewMain *page = framefixture::NewTestPage(s.frame);
    CountingView *first = nullptr;
    for (int i = 0; i < 16; ++i) {
        auto *view = static_cast<CountingView *>(framefixture::AddView(page, VIEW_REPORT));
        first = first ? first : view;
    }
    s.frame->O1->Checked = false;
    QuoteChangeEntry entry{};
    entry.Stock = MakeStockId(0, MarketTable.Markets[0]->GetStockClass(5), 5);
    entry.Flags = QUOTE_LAST | QUOTE_VOLUME;
    for (auto _ : state)
        s.frame->OnDataChanged(win::WPARAM(1 << 16 | 5), win::LPARAM(&entry));
    state.counters["notifications"] = benchmark::Counter(double(first->count * 16), benchmark::Counter::kIsRate);
    ClearViewMakers();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QuoteToSixteenPanes);

void BM_SubscribeFullList(benchmark::State &state)
{
    Session &s = TheSession();
    if (!s.ready) {
        state.SkipWithError(s.problem.c_str());
        return;
    }
    // 16 quote lists of 16 rows each less the two index entries: 256 in all.
    framefixture::TestViews views;
    TMultiViewMain *page = framefixture::NewTestPage(s.frame);
    int stock = 1;
    for (int k = 0; k < 16; ++k) {
        framefixture::FrameTestView *view = framefixture::AddTestView(page);
        for (int i = 0; i < 16 && 2 + (stock - 1) < 256; ++i)
            view->stocks.push_back(MakeSTKMS(0, stock++));
    }
    RealTimeClient->ClearSubscription();
    s.frame->SubscribeVisibleStocks();
    const EArray<STKMS> *current = RealTimeClient->GetSubscription();
    if (!current || current->GetCount() != 256) {
        state.SkipWithError("the first subscription did not take 256 entries");
        return;
    }
    for (auto _ : state)
        s.frame->SubscribeVisibleStocks();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SubscribeFullList);

} // namespace
