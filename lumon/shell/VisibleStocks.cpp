// The stocks the data server pushes quotes for: the two index entries, every
// stock with a pending alarm and every stock an open pane of the page shows,
// handed to the real-time client as the new entries first; and the day
// statistics the quote lists and charts still miss.
#include <algorithm>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/TRealDataClnt.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewFactory.h"

namespace {

constexpr int kMaxEntries = 256;

bool Holds(const EArray<STKMS> &list, STKMS entry)
{
    for (int i = list.GetCount(); i-- > 0;)
        if (list.GetAt(i) == entry)
            return true;
    return false;
}

// The stock's class index, or -1 for a stock that does not exist.
int ClassOf(int market, int index)
{
    if (market < 0 || market >= MarketTable.Count || market >= MaxMarkets || !MarketTable.Markets[market])
        return -1;
    const TMarketData &md = *MarketTable.Markets[market];
    if (index < 0 || index >= md.StockCount || !md.Statics)
        return -1;
    return md.GetStockClass(index);
}

} // namespace

void TMFrame::SubscribeVisibleStocks()
{
    if (!RequestClient || !RequestClient->IsConnected() || !RealTimeClient || !RealTimeClient->IsConnected() ||
        !CurrentPage)
        return;
    auto *list = new EArray<STKMS>(128);
    auto *stats = new EArray<STKMS>(128);
    list->Add(MakeSTKMS(0, 0));
    list->Add(MakeSTKMS(1, 0));

    if (Alarms) {
        Alarms->ListLock().Enter();
        const EArray<AlarmData> &pending = Alarms->Pending();
        for (int i = 0; i < pending.GetCount(); ++i) {
            const AlarmData alarm = pending.GetAt(i);
            // An entry holds stock indexes up to 4095 only.
            if (alarm.Market > 15 || alarm.Stock > 4095 || (alarm.Stock == 0 && alarm.Market <= 1))
                continue;
            const int cls = ClassOf(alarm.Market, alarm.Stock);
            if (cls < 0 || !HasMarketRight(alarm.Market, cls))
                continue;
            const STKMS entry = MakeSTKMS(alarm.Market, alarm.Stock);
            if (!Holds(*list, entry))
                list->Add(entry);
        }
        Alarms->ListLock().Leave();
    }

    const std::vector<TMultiViewChild *> panes = CurrentPage->PaneSnapshot();
    for (size_t i = panes.size(); i-- > 0;) {
        TMultiViewChild *pane = panes[i];
        pane->AddRequestStocks(list);
        const int view = pane->Attr.ViewType;
        if (view == VIEW_REPORT) {
            if (ViewHooks.CollectVisibleStocks)
                ViewHooks.CollectVisibleStocks(pane, stats);
        } else if (view == VIEW_KLINE || view == VIEW_TREND) {
            const StockId stock = pane->Attr.Stock;
            const int market = StockMarket(stock), index = StockIndex(stock);
            if (ClassOf(market, index) >= 0 && index <= 4095 &&
                MarketTable.Markets[market]->Aux && MarketTable.Markets[market]->Aux[index].RefFlag == 0) {
                const STKMS entry = MakeSTKMS(market, index);
                if (!Holds(*stats, entry))
                    stats->Add(entry);
            }
        }
        if (list->GetCount() > kMaxEntries) {
            list->SetCount(kMaxEntries);
            break;
        }
    }

    // Alarms alone may fill more than the frame's entry area.
    if (list->GetCount() > kMaxEntries)
        list->SetCount(kMaxEntries);
    const EArray<STKMS> *current = RealTimeClient->GetSubscription();
    const int n = list->GetCount();
    if (!current) {
        RealTimeClient->Subscribe(list, n, 1);
    } else {
        STKMS fresh[kMaxEntries], kept[kMaxEntries];
        int freshCount = 0, keptCount = 0;
        for (int i = 0; i < n; ++i) {
            const STKMS entry = list->GetAt(i);
            if (Holds(*current, entry))
                kept[keptCount++] = entry;
            else
                fresh[freshCount++] = entry;
        }
        if (freshCount == 0) {
            delete list;
        } else {
            std::copy(fresh, fresh + freshCount, list->GetData());
            std::copy(kept, kept + keptCount, list->GetData() + freshCount);
            RealTimeClient->Subscribe(list, freshCount, 1);
        }
    }

    if (stats->GetCount() == 0) {
        delete stats;
    } else {
        stats->SetCount(std::min(stats->GetCount(), kMaxEntries));
        RequestClient->RequestStockStats(stats);
    }
}
