// The bar caches: the day, 1-minute and 5-minute bars of the last few stocks read,
// so that the indicator panes of a chart read each file once; today's bars are
// refreshed from the quote and the ticks on every fetch while the market trades.
#pragma once

#include <cstdint>

#include "lumon/core/HistoryRecords.h"

// One cached stock. The bar buffer belongs to the entry and outlives its
// clearing, so that reloads and evictions reuse it.
struct CacheEntry {
    uint16_t Market;
    char Code[10];           // NUL-terminated
    int32_t LoadedFor;       // yyyymmdd: the market's date when the bars were read
    int32_t LastUse;         // yyyymmdd
    uint32_t UseCount;
    uint32_t BarCount;
    int32_t LoadDate;        // yyyymmdd, equal to LoadedFor
    int32_t RefreshMinute;   // clock minute of the last refresh (intraday caches)
    KLineRecord *Bars;       // (MaxDataRecords + 16) bars
};

class TDataCache {
public:
    // kind 0 day, 1 1-minute, 2 5-minute; 1024 entries when capacity is below 1;
    // records of 32 bytes unless recordSize is given.
    TDataCache(int kind, int capacity, int recordSize = 0);
    TDataCache(const TDataCache &) = delete;
    TDataCache &operator=(const TDataCache &) = delete;
    virtual ~TDataCache();

    // Loads the stock's entry (by the cache's own load operation) and copies its
    // bars into `bars` (allocated with room for 1024 more when null; a buffer
    // handed in gets what fits); 1, or 0 when there are none.
    virtual int Fetch(int market, const char *code, KLineRecord *&bars, int &count, int force, int request);
    // Loads the stock's entry as Fetch does and counts the use; the entry itself,
    // so that a caller copies its bars once, or null when it has none.
    const CacheEntry *Use(int market, const char *code, int force, int request);
    // The base finds or makes the stock's entry; the caches replace it by their
    // load operation.
    virtual CacheEntry *LoadEntry(int market, const char *code, int force, int request);

    int Allocate();
    void Release();
    void ClearEntry(int i);
    int FindEntry(int market, const char *code) const;
    void Invalidate(int market, const char *code);
    void ClearAll();
    int LeastUsedIndex() const;
    CacheEntry *LeastUsedEntry();
    // The entry of the key, else the next unused one, else the least-used one,
    // cleared.
    CacheEntry *FindOrAllocEntry(int market, const char *code);

    int GetKind() const { return m_Kind; }
    int GetUsed() const { return m_Used; }
    const CacheEntry *GetEntry(int i) const { return i >= 0 && i < m_Used ? &m_Entries[i] : nullptr; }

protected:
    // The load operation shared by the three caches: reload when the entry is
    // from an earlier market date, empty or forced; then rebuild today's part
    // while the market trades.
    CacheEntry *LoadBars(int market, const char *code, int force, int request, int period, int kind,
                         bool intraday);

private:
    int16_t m_Kind;
    int32_t m_RecordSize;
    int32_t m_Ready = 0;
    int32_t m_Used = 0;
    int32_t m_Capacity;
    CacheEntry *m_Entries = nullptr;
};

class TDayDataCache : public TDataCache {
public:
    explicit TDayDataCache(int capacity) : TDataCache(0, capacity) {}
    CacheEntry *LoadEntry(int market, const char *code, int force, int request) override;
};

class TMin1DataCache : public TDataCache {
public:
    explicit TMin1DataCache(int capacity) : TDataCache(1, capacity) {}
    CacheEntry *LoadEntry(int market, const char *code, int force, int request) override;
};

class TMin5DataCache : public TDataCache {
public:
    explicit TMin5DataCache(int capacity) : TDataCache(2, capacity) {}
    CacheEntry *LoadEntry(int market, const char *code, int force, int request) override;
};
