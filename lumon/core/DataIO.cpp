#include "lumon/core/DataIO.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "lumon/core/FlatFile.h"
#include "lumon/core/UtilData.h"
#include "platform/win/Messages.h"

using namespace win;

TMarketTable MarketTable;
MarketInfoRecord MarketInfo[MaxMarkets];
int32_t MarketInfoCount;
int32_t MergeRealTime;

namespace {

void Progress(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window)
        SendMessage(window, message, wParam, lParam);
}

void DestroyMarkets()
{
    for (TMarketData *&m : MarketTable.Markets) {
        delete m;
        m = nullptr;
    }
}

} // namespace

TDataIO::TDataIO(HWND progress)
{
    std::memset(MarketTable.Markets, 0, sizeof MarketTable.Markets);
    MarketTable.Count = 0;
    MarketTable.Status = 0;
    MarketTable.Loading = 1;
    if (!LoadMarkets(0, progress))
        MarketTable.Status = -1;
}

TDataIO::~TDataIO()
{
    DestroyMarkets();
    MarketTable.Count = 0;
}

int TDataIO::LoadMarketInfo()
{
    char path[600];
    std::snprintf(path, sizeof path, "%scfg\\mkinfo.cfg", DataRoot);
    int h = FileOpen(path, "rb");
    if (h < 1)
        return 0;
    // Only whole records count, and no more than the table has slots for.
    int count = FileGetSize(h) / int(sizeof(MarketInfoRecord));
    if (count > MaxMarkets)
        count = MaxMarkets;
    std::memset(static_cast<void *>(MarketInfo), 0, sizeof MarketInfo);
    count = FileRead(h, MarketInfo, sizeof(MarketInfoRecord), count) / int(sizeof(MarketInfoRecord));
    FileClose(h);
    MarketInfoCount = count;
    return 1;
}

int TDataIO::LoadMarkets(int destroyFirst, HWND progress)
{
    if (destroyFirst)
        DestroyMarkets();
    if (!LoadMarketInfo())
        return 0;
    MarketTable.Count = MarketInfoCount;
    for (int i = 0; i < MarketInfoCount; ++i) {
        delete MarketTable.Markets[i];
        TMarketData *market = new (std::nothrow) TMarketData(i, MarketInfo[i]);
        MarketTable.Markets[i] = market;
        if (!market) {
            Progress(progress, WM_MARKET_FAILED, 0, 0);
            return 0;
        }
        Progress(progress, WM_MARKET_LOADING, WPARAM(MarketTable.Count), LPARAM(i));
        if (!market->LoadRealData(1))
            Progress(progress, WM_MARKET_FAILED, 0, 0);
    }
    Progress(progress, WM_MARKETS_LOADED, 0, 0);
    MarketTable.Loading = 0;
    return 1;
}

StockStaticRecord *TDataIO::GetStock(StockId id)
{
    int m = StockMarket(id);
    if (m >= MarketTable.Count || m >= MaxMarkets)
        return nullptr;
    TMarketData *market = MarketTable.Markets[m];
    int i = StockIndex(id);
    if (!market || !market->Statics || i >= market->StockCount)
        return nullptr;
    return &market->Statics[i];
}

bool TDataIO::FindStockPos(const char *code, int &market, uint8_t &marketOut, uint8_t &classOut,
                           uint16_t &indexOut, bool searchAll)
{
    auto findIn = [&](int m) {
        if (m < 0 || m >= MarketTable.Count || m >= MaxMarkets || !MarketTable.Markets[m])
            return false;
        TMarketData *md = MarketTable.Markets[m];
        int i = md->FindStockByCode(code);
        if (i < 0)
            return false;
        marketOut = uint8_t(m);
        classOut = md->Statics[i].Class;
        // The position is what the stored index says after a sound load; a table
        // received from elsewhere may carry other numbers there.
        indexOut = uint16_t(i);
        return true;
    };
    if (findIn(market))
        return true;
    if (!searchAll)
        return false;
    for (int m = 0; m < MarketTable.Count && m < MaxMarkets; ++m) {
        if (m != market && findIn(m)) {
            market = m;
            return true;
        }
    }
    return false;
}

StockStaticRecord *TDataIO::FindStockId(const char *code, int &market, bool searchAll)
{
    uint8_t m, c;
    uint16_t i;
    if (!FindStockPos(code, market, m, c, i, searchAll))
        return nullptr;
    return GetStock(MakeStockId(m, c, i));
}

void TDataIO::SetMergeRealTime(int flag)
{
    MergeRealTime = flag;
}

bool TDataIO::NextToken(const char *&buffer, char *token, int tokenSize, int &left)
{
    while (left > 0 && (*buffer == ' ' || *buffer == 0)) {
        ++buffer;
        --left;
    }
    if (left <= 0)
        return false;
    int n = 0;
    while (left > 0 && *buffer) {
        if (n < tokenSize - 1)
            token[n++] = *buffer;
        ++buffer;
        --left;
    }
    if (tokenSize > 0)
        token[n] = 0;
    return true;
}
