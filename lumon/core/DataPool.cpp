#include "lumon/core/DataPool.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_map>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/History.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"
#include "platform/win/Path.h"

TDayDataCache *DayDataCache;
TMin1DataCache *Min1DataCache;
TMin5DataCache *Min5DataCache;

namespace {

constexpr int IndexRecordSize = 232;
constexpr int IndexParamSize = 512;
constexpr int IndexTableRecords = 300;

TMarketData *MarketAt(int m)
{
    return m >= 0 && m < MarketTable.Count && m < MaxMarkets ? MarketTable.Markets[m] : nullptr;
}

// Opens a table for loading in the mode it has always been opened with (which
// creates a missing file); an installation whose configuration folder cannot be
// written still has its tables read.
int OpenTable(const char *name, const char *mode)
{
    int h = FileOpen(name, mode);
    return h >= 1 ? h : FileOpen(name, "rb");
}

// The kept small files by native path, with the stamp taken before each read.
struct KeptFile {
    win::FileStamp stamp;
    std::shared_ptr<const std::string> bytes;
};

constexpr size_t MaxKeptFiles = 64;

// What the last look at a path as the program gave it found (the file's bytes,
// or null for no file), with the working folder it was taken from and the file
// system's change count before the look: while the folder is watched and the
// count has not moved, nothing about the file can have changed.
struct Answer {
    uint64_t cwdDevice = 0, cwdInode = 0;
    uint64_t changes = 0;
    std::shared_ptr<const std::string> bytes;
};

// Paths looked up as the callers give them, without a string made for each look.
struct PathHash {
    using is_transparent = void;
    size_t operator()(std::string_view path) const { return std::hash<std::string_view>{}(path); }
};

struct FileCache {
    std::mutex lock;
    std::unordered_map<std::string, KeptFile> files;
    std::unordered_map<std::string, Answer, PathHash, std::equal_to<>> answers;
};

FileCache &KeptFiles()
{
    static auto *cache = new FileCache;
    return *cache;
}

std::shared_ptr<const std::string> ReadWhole(const char *path, int64_t size)
{
    using namespace win;
    if (size < 0 || size > 0x7FFFFFFF)
        return nullptr;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, 0);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    auto bytes = std::make_shared<std::string>(size_t(size), '\0');
    DWORD read = 0;
    BOOL ok = size == 0 || ReadFile(h, bytes->data(), DWORD(size), &read, nullptr);
    CloseHandle(h);
    if (!ok)
        return nullptr;
    bytes->resize(read);
    return bytes;
}

// Copies the last n (all when n is not within their number) of `fetched` bars
// into the caller's buffer, which is replaced when smaller than the largest class
// minutes + the bars + 16.
int CopyTail(KLineRecord *&bars, const TMarketData &md, const KLineRecord *from, int fetched, int n, int &count)
{
    size_t need = size_t(md.MaxTradingMinutes + fetched + 16) * sizeof(KLineRecord);
    if (EMemSize(bars) < need) {
        EMemFree(bars);
        bars = static_cast<KLineRecord *>(EMemAlloc(need));
        if (!bars)
            return 0;
    }
    int first = n > 0 && n < fetched ? fetched - n : 0;
    count = fetched - first;
    std::memcpy(static_cast<void *>(bars), from + first, size_t(count) * sizeof(KLineRecord));
    return count >= 1 ? 1 : 0;
}

} // namespace

namespace {

// The file at `path` by its stamp: the kept copy while the stamp is unchanged,
// else read again. Called with the cache locked.
std::shared_ptr<const std::string> LookAtFile(FileCache &cache, const char *path, std::string &native)
{
    win::FileStamp stamp;
    bool exists = win::GetFileStamp(path, stamp, &native) && !stamp.folder;
    auto it = native.empty() ? cache.files.end() : cache.files.find(native);
    if (!exists) {
        if (it != cache.files.end())
            cache.files.erase(it);
        return nullptr;
    }
    if (it != cache.files.end() && it->second.stamp.settled && it->second.stamp == stamp)
        return it->second.bytes;
    std::string gbk = win::NativeToWinPath(native);
    std::shared_ptr<const std::string> bytes = ReadWhole(gbk.c_str(), stamp.size);
    if (!bytes) {
        if (it != cache.files.end())
            cache.files.erase(it);
        return nullptr;
    }
    if (it == cache.files.end() && cache.files.size() >= MaxKeptFiles)
        cache.files.clear();
    cache.files[native] = KeptFile{stamp, bytes};
    return bytes;
}

} // namespace

std::shared_ptr<const std::string> ReadFileCached(const char *path)
{
    if (!path || !*path)
        return nullptr;
    // A relative path means another file in another working folder.
    uint64_t cwdDevice = 0, cwdInode = 0;
    if (path[0] != '\\' && path[0] != '/' && !win::GetWorkingFolderId(cwdDevice, cwdInode))
        cwdDevice = cwdInode = ~uint64_t(0);
    FileCache &cache = KeptFiles();
    std::lock_guard<std::mutex> guard(cache.lock);
    uint64_t changes = win::FileChangeCount();
    auto known = cache.answers.find(std::string_view(path));
    if (known != cache.answers.end() && known->second.changes == changes && known->second.cwdDevice == cwdDevice &&
        known->second.cwdInode == cwdInode)
        return known->second.bytes;
    std::string native;
    // Mapped once without the watch to learn the folder, watched, then looked at
    // for the answer kept (a change after the watch moves the count).
    win::FileStamp ignored;
    win::GetFileStamp(path, ignored, &native);
    bool watched = win::WatchFolderOf(native);
    changes = win::FileChangeCount();
    std::shared_ptr<const std::string> bytes = LookAtFile(cache, path, native);
    if (!watched) {
        if (known != cache.answers.end())
            cache.answers.erase(known);
        return bytes;
    }
    if (known == cache.answers.end() && cache.answers.size() >= MaxKeptFiles)
        cache.answers.clear();
    cache.answers[path] = Answer{cwdDevice, cwdInode, changes, bytes};
    return bytes;
}

void ClearFileCache()
{
    FileCache &cache = KeptFiles();
    std::lock_guard<std::mutex> guard(cache.lock);
    cache.files.clear();
    cache.answers.clear();
}

bool CreateDataCaches()
{
    if (!DayDataCache)
        DayDataCache = new TDayDataCache(5);
    if (!Min1DataCache)
        Min1DataCache = new TMin1DataCache(5);
    if (!Min5DataCache)
        Min5DataCache = new TMin5DataCache(5);
    void *work1 = TUtilData::GetBarBuffer();
    void *work2 = TUtilData::GetBarBuffer2();
    return work1 && work2;
}

void ClearDataCaches()
{
    ClearFileCache();
    if (DayDataCache)
        DayDataCache->ClearAll();
    if (Min1DataCache)
        Min1DataCache->ClearAll();
    if (Min5DataCache)
        Min5DataCache->ClearAll();
}

void InvalidateCachedBars(int market, const char *code, int period)
{
    if (period >= 8) {
        if (DayDataCache)
            DayDataCache->Invalidate(market, code);
        return;
    }
    if (period < 4 && Min1DataCache)
        Min1DataCache->Invalidate(market, code);
    if (period >= 3 && Min5DataCache)
        Min5DataCache->Invalidate(market, code);
}

int FetchBarsCached(int market, const char *code, int &count, int period, int force, int request)
{
    count = 0;
    if (!CreateDataCaches())
        return 0;
    TDataCache *cache = nullptr;
    if (period >= 8 && period <= 12)
        cache = DayDataCache;
    else if (period >= 3 && period <= 7)
        cache = Min5DataCache;
    else if (period >= 1 && period <= 2)
        cache = Min1DataCache;
    TMarketData *md = MarketAt(market);
    if (!cache || !md)
        return 0;
    auto *raw = static_cast<KLineRecord *>(TUtilData::GetBarBuffer2());
    auto *out = static_cast<KLineRecord *>(TUtilData::GetBarBuffer());
    int rawCount = 0;
    if (!cache->Fetch(market, code, raw, rawCount, force, request) || rawCount < 1)
        return 0;
    int room = int(EMemSize(out) / sizeof(KLineRecord));
    AggregateBars(period, raw, std::min(rawCount, room), out, count, md->Info.Type);
    return count > 0 ? 1 : 0;
}

int GetBarsCached(KLineRecord *&bars, int market, const char *code, int &count, int period, int n, int force,
                  int request)
{
    count = 0;
    if (period == 1 || period == 4 || period == 8) {
        TMarketData *md = MarketAt(market);
        if (!CreateDataCaches() || !md)
            return 0;
        TDataCache *cache = period == 8 ? static_cast<TDataCache *>(DayDataCache)
                            : period == 4 ? static_cast<TDataCache *>(Min5DataCache)
                                          : static_cast<TDataCache *>(Min1DataCache);
        const CacheEntry *entry = cache->Use(market, code, force, request);
        if (!entry)
            return 0;
        // As many as the work buffers would have passed on.
        int room = int(EMemSize(TUtilData::GetBarBuffer()) / sizeof(KLineRecord));
        return CopyTail(bars, *md, entry->Bars, std::min(int(entry->BarCount), room), n, count);
    }
    int fetched = 0;
    if (!FetchBarsCached(market, code, fetched, period, force, request))
        return 0;
    auto *out = static_cast<const KLineRecord *>(TUtilData::GetBarBuffer());
    return CopyTail(bars, *MarketAt(market), out, fetched, n, count);
}

TDataPool::TDataPool()
{
    CreateDataCaches();
    ClearDataCaches();
}

TDataPool::~TDataPool()
{
    delete DayDataCache;
    delete Min1DataCache;
    delete Min5DataCache;
    DayDataCache = nullptr;
    Min1DataCache = nullptr;
    Min5DataCache = nullptr;
}

int TDataPool::LoadIndexTable(void *&buffer, int &count)
{
    count = 0;
    buffer = EMemAlloc(size_t(IndexTableRecords) * IndexRecordSize);
    if (!buffer)
        return 0;
    int h = OpenTable("..\\CFG\\INDEX.DAT", "r+b");
    if (h < 1)
        return 0;
    int records = std::min(FileGetSize(h) / IndexRecordSize, IndexTableRecords);
    count = records > 0 ? FileRead(h, buffer, IndexRecordSize, records) / IndexRecordSize : 0;
    FileClose(h);
    return 1;
}

int TDataPool::LoadIndexParamTable(void *&buffer, int n)
{
    buffer = EMemAlloc(size_t(IndexTableRecords) * IndexParamSize);
    if (!buffer)
        return 0;
    int h = OpenTable("..\\CFG\\IDXPARA.TBL", "w+b");
    if (h < 1)
        return 0;
    int records = std::min({n, FileGetSize(h) / IndexParamSize, IndexTableRecords});
    int read = records > 0 ? FileRead(h, buffer, IndexParamSize, records) / IndexParamSize : 0;
    FileClose(h);
    return read;
}
