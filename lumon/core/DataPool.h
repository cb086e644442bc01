// The data pool: the three process-wide bar caches with the fetches that the
// indicators read bars through, and the raw loaders of the indicator tables.
#pragma once

#include <memory>
#include <string>

#include "lumon/core/DataCache.h"

extern TDayDataCache *DayDataCache;
extern TMin1DataCache *Min1DataCache;
extern TMin5DataCache *Min5DataCache;

// Creates each missing cache with 5 entries and takes the two bar work buffers;
// true when all five exist.
bool CreateDataCaches();
// Empties every entry of the three caches.
void ClearDataCaches();
// Drops the stock's entry from the cache that serves the period: the day cache
// for 8 and above, the 1-minute cache below 4, the 5-minute cache otherwise.
// Period 3 is read through the 5-minute cache while its refresh replaces the
// 1-minute file, so it drops both.
void InvalidateCachedBars(int market, const char *code, int period);
// The period's bars of a stock through its cache, in bar work buffer 1 (the
// cache's raw bars pass through buffer 2); 1, or 0.
int FetchBarsCached(int market, const char *code, int &count, int period, int force, int request);
// As FetchBarsCached, copied into the caller's buffer (replaced when it is
// smaller than the largest class minutes + the bars + 16); the last n when n is
// above 0 and below their number. 1 when there is at least one bar. Periods
// that need no regrouping (1-minute, 5-minute, day) are copied once, straight
// from the cache's entry, and leave the work buffers alone.
int GetBarsCached(KLineRecord *&bars, int market, const char *code, int &count, int period, int n, int force,
                  int request);

// The whole of a small file that every compute reads (the reference lines, a
// stock's weights): read once and handed out again while the file's stamp (the
// same file, size and modification time, settled when read) is unchanged, so a
// repeated compute opens nothing. Every write, the program's own included, moves
// the stamp; a file the path mapping knows absent costs no system call on it.
// Null when the file does not exist or cannot be read.
std::shared_ptr<const std::string> ReadFileCached(const char *path);
// Drops every kept file (the caches of a closed installation).
void ClearFileCache();

class TDataPool {
public:
    TDataPool();
    TDataPool(const TDataPool &) = delete;
    TDataPool &operator=(const TDataPool &) = delete;
    ~TDataPool();

    // The indicator definitions of ..\CFG\INDEX.DAT (232-byte records, at most
    // 300) into a buffer of 300 records that is handed out even when the file
    // does not open (0).
    static int LoadIndexTable(void *&buffer, int &count);
    // The parameter blocks of ..\CFG\IDXPARA.TBL (512 bytes each, at most n and
    // 300) into a buffer of 300 blocks; a missing file is created empty. The
    // number of blocks read.
    static int LoadIndexParamTable(void *&buffer, int n);
};
