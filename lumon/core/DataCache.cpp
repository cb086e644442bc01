#include "lumon/core/DataCache.h"

#include <algorithm>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/History.h"
#include "lumon/core/UtilData.h"

namespace {

char Fold(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool SameKey(const CacheEntry &e, int market, const char *code)
{
    if (e.Market != market)
        return false;
    size_t i = 0;
    for (; i < sizeof e.Code && e.Code[i] && code[i]; ++i)
        if (Fold(e.Code[i]) != Fold(code[i]))
            return false;
    return i < sizeof e.Code && e.Code[i] == 0 && code[i] == 0;
}

TMarketData *MarketAt(int m)
{
    return m >= 0 && m < MarketTable.Count && m < MaxMarkets ? MarketTable.Markets[m] : nullptr;
}

} // namespace

TDataCache::TDataCache(int kind, int capacity, int recordSize)
    : m_Kind(int16_t(kind)), m_RecordSize(recordSize > 0 ? recordSize : int32_t(sizeof(KLineRecord))),
      m_Capacity(capacity < 1 ? 1024 : capacity)
{
    Allocate();
}

TDataCache::~TDataCache()
{
    Release();
}

int TDataCache::Allocate()
{
    if (!m_Entries)
        m_Entries = static_cast<CacheEntry *>(EMemAlloc(size_t(m_Capacity) * sizeof(CacheEntry)));
    m_Ready = m_Entries ? 1 : 0;
    return m_Ready;
}

void TDataCache::Release()
{
    ClearAll();
    if (m_Entries)
        for (int i = 0; i < m_Capacity; ++i)
            EMemFree(m_Entries[i].Bars);
    EMemFree(m_Entries);
    m_Entries = nullptr;
    m_Ready = 0;
}

void TDataCache::ClearEntry(int i)
{
    if (!m_Entries || i < 0 || i >= m_Capacity)
        return;
    KLineRecord *bars = m_Entries[i].Bars;
    std::memset(static_cast<void *>(&m_Entries[i]), 0, sizeof(CacheEntry));
    m_Entries[i].Bars = bars;
}

int TDataCache::FindEntry(int market, const char *code) const
{
    if (!m_Entries || !code)
        return -1;
    for (int i = 0; i < m_Used; ++i)
        if (SameKey(m_Entries[i], market, code))
            return i;
    return -1;
}

void TDataCache::Invalidate(int market, const char *code)
{
    ClearEntry(FindEntry(market, code));
}

void TDataCache::ClearAll()
{
    for (int i = 0; i < m_Used; ++i)
        ClearEntry(i);
    m_Used = 0;
}

int TDataCache::LeastUsedIndex() const
{
    int least = 0;
    for (int i = 1; i < m_Used; ++i)
        if (m_Entries[i].UseCount < m_Entries[least].UseCount)
            least = i;
    return least;
}

CacheEntry *TDataCache::LeastUsedEntry()
{
    return m_Entries ? &m_Entries[LeastUsedIndex()] : nullptr;
}

CacheEntry *TDataCache::FindOrAllocEntry(int market, const char *code)
{
    if (!m_Ready || !code)
        return nullptr;
    int i = FindEntry(market, code);
    if (i >= 0)
        return &m_Entries[i];
    if (m_Used < m_Capacity)
        return &m_Entries[m_Used++];
    i = LeastUsedIndex();
    ClearEntry(i);
    return &m_Entries[i];
}

CacheEntry *TDataCache::LoadEntry(int market, const char *code, int force, int request)
{
    return FindOrAllocEntry(market, code);
}

const CacheEntry *TDataCache::Use(int market, const char *code, int force, int request)
{
    CacheEntry *entry = LoadEntry(market, code, force, request);
    if (!entry || entry->BarCount == 0 || !entry->Bars)
        return nullptr;
    if (TMarketData *md = MarketAt(market))
        entry->LastUse = PackedToYmd(md->Now);
    ++entry->UseCount;
    return entry;
}

int TDataCache::Fetch(int market, const char *code, KLineRecord *&bars, int &count, int force, int request)
{
    const CacheEntry *entry = Use(market, code, force, request);
    count = 0;
    if (!entry)
        return 0;
    int n = int(entry->BarCount);
    if (!bars) {
        bars = static_cast<KLineRecord *>(EMemAlloc(size_t(n + 1024) * size_t(m_RecordSize)));
        if (!bars)
            return 0;
    }
    size_t room = EMemSize(bars) / size_t(m_RecordSize);
    if (size_t(n) > room)
        n = int(room);
    std::memcpy(static_cast<void *>(bars), entry->Bars, size_t(n) * size_t(m_RecordSize));
    count = n;
    return 1;
}

CacheEntry *TDataCache::LoadBars(int market, const char *code, int force, int request, int period, int kind,
                                 bool intraday)
{
    CacheEntry *entry = FindOrAllocEntry(market, code);
    TMarketData *md = MarketAt(market);
    if (!entry || !md)
        return entry;
    int today = PackedToYmd(md->Now);
    bool open = md->IsTradingDayOpen();

    if (entry->LoadedFor < today || entry->BarCount == 0 || !entry->Bars || force) {
        if (!entry->Bars)
            entry->Bars = static_cast<KLineRecord *>(EMemAlloc(size_t(MaxDataRecords + 16) * sizeof(KLineRecord)));
        // The cache merges today itself below; the process-wide merge flag is
        // only lent for the read and given back to the other readers.
        int32_t merge = MergeRealTime;
        TDataIO::SetMergeRealTime(0);
        int count = 0;
        int ok = entry->Bars ? TDataIO::ReadBars(entry->Bars, market, code, count, period, MaxDataRecords, force,
                                                 request)
                             : 0;
        TDataIO::SetMergeRealTime(merge);
        if (ok) {
            entry->Market = uint16_t(market);
            std::memset(entry->Code, 0, sizeof entry->Code);
            std::strncpy(entry->Code, code, sizeof entry->Code - 1);
            entry->BarCount = uint32_t(count);
            entry->LoadedFor = entry->LoadDate = today;
            if (intraday)
                entry->RefreshMinute = md->ClockMinute;
        } else {
            entry->BarCount = 0;
        }
    }

    int stock = md->FindStockByCode(code);
    if (open && entry->Bars && stock >= 0 && (intraday || md->Quotes[stock].Last > 0)) {
        int count = int(entry->BarCount);
        if (md->MergeRealTimeBars(entry->Bars, code, count, kind)) {
            entry->BarCount = uint32_t(count);
            if (intraday)
                entry->RefreshMinute = md->ClockMinute;
        }
    }
    return entry;
}

CacheEntry *TDayDataCache::LoadEntry(int market, const char *code, int force, int request)
{
    return LoadBars(market, code, force, request, PeriodDay, 8, false);
}

CacheEntry *TMin1DataCache::LoadEntry(int market, const char *code, int force, int request)
{
    return LoadBars(market, code, force, request, PeriodMin1, 1, true);
}

CacheEntry *TMin5DataCache::LoadEntry(int market, const char *code, int force, int request)
{
    return LoadBars(market, code, force, request, PeriodMin5, 4, true);
}
