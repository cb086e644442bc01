// The order entry page's two timed paths: an order from "发出委托" to its row in
// the page's order list, against the simulated gateway on loopback; and the
// list rebuilt from 10,000 orders, then sorted by a column.
// bench-deps: consign_pages Qt6::Widgets
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#define LUMO_GATEWAY LUMO_SOURCE_DIR "/tools/gateway.py"
#include "consign/pages/CConsignDlg.h"
#include "consign/pages/OrderListSort.h"
#include "consign/pages/OrderListUpdates.h"
#include "consign/session/ConsignState.h"
#include "consign/session/Des.h"
#include "platform/appframe/CWinApp.h"
#include "platform/win/CAsyncSocket.h"
#include "platform/win/MessageBox.h"
#include "bench/ConsignBench.h"
#include "tests/support/GatewayPeer.h"

using namespace win;

namespace {

void EnsureGui() { benchfix::EnsureConsignGui("bench_order_entry", "委托基准"); }

bool PumpUntil(const std::function<bool()> &done, int ms = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

// The settings file of the run, with the program's defaults.
void UseSettings()
{
    benchfix::UseBenchSettings("bench_order_entry.ini", "[Config]\r\nClearAllAfterOrder=0\r\n");
    ReadStartSettings(SettingsPath, StartSettings);
}

void BM_OrderToItsRowInTheList(benchmark::State &state)
{
    EnsureGui();
    UseSettings();
    DesInit(0);
    AfxSocketInit();
    ChildPeer gateway;
    if (!gateway.StartGateway({}, "/dev/null")) {
        state.SkipWithError("the simulated gateway did not start");
        return;
    }
    ClearRecordLists();
    ClientMode = 1;
    LoginAccount = "8001";
    CTradeSession &session = TheTradeSession();
    CString rights, number;
    session.Create();
    if (!session.Connect("127.0.0.1", static_cast<UINT>(gateway.Port()), nullptr, nullptr) ||
        !session.Login('*', 1, "8001", "123456", rights, number)) {
        state.SkipWithError("no login");
        return;
    }
    auto *sheet = new CConsignDlg("委托基准");
    session.m_pListener = sheet;
    sheet->Create(nullptr, WS_POPUP | WS_CAPTION | WS_VISIBLE);
    PumpUntil([] { return !ContractList.empty() && !ClientList.empty(); });
    COrderPage &page = sheet->m_OrderPage;
    page.SetDlgItemText(1011, "10000001");
    page.SetDlgItemText(1012, "m2601");
    page.OnContractKillFocus();
    // The answer's row: an accepted order's or a refused one's.
    auto answers = [] { return OrderList.size() + RejectedOrderList.size(); };
    for (auto _ : state) {
        const size_t before = answers();
        page.SetDlgItemText(1004, "1");
        page.SetDlgItemText(1005, "3300"); // rests in the book
        page.OnSendOrder();
        if (!PumpUntil([&] { return answers() > before; })) {
            state.SkipWithError("no answer");
            break;
        }
    }
    session.m_pListener = nullptr;
    session.Close();
    sheet->DestroyWindow();
    delete sheet;
}
BENCHMARK(BM_OrderToItsRowInTheList)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_RebuildTenThousandOrdersAndSort(benchmark::State &state)
{
    EnsureGui();
    UseSettings();
    ClearRecordLists();
    for (int i = 0; i < 10000; ++i) {
        COrderRecord o{};
        std::snprintf(o.customer, sizeof o.customer, "%08d", 10000000 + i % 50);
        std::snprintf(o.contract, sizeof o.contract, "cu25%02d", i % 12 + 1);
        std::snprintf(o.price, sizeof o.price, "%d", 60000 + i % 997);
        std::snprintf(o.tradeCode, sizeof o.tradeCode, "8100%04d", i % 50);
        o.orderNumber = i + 1;
        o.volume = i % 20 + 1;
        o.status = "anpf"[i % 4];
        o.flags = static_cast<BYTE>(i & 15);
        AddAcceptedOrder(o);
    }
    COrderPage page;
    CPropertySheet sheet("委托基准");
    sheet.AddPage(&page);
    sheet.Create(nullptr, WS_POPUP | WS_CAPTION | WS_VISIBLE);
    for (auto _ : state) {
        page.RefreshOrderList();
        OrderSortDirection = -OrderSortDirection;
        page.m_OrderList.SortItems(CompareOrderListItems, 2);
    }
    state.counters["rows"] = page.m_OrderList.GetItemCount();
    sheet.DestroyWindow();
}
BENCHMARK(BM_RebuildTenThousandOrdersAndSort)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
