#include "lumon/core/MarketData.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/UtilData.h"
#include "platform/win/File.h"
#include "platform/win/Profile.h"

using namespace win;

namespace {

constexpr int CodeLength = 7;

char Fold(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

size_t CodeLen(const char *code)
{
    return strnlen(code, CodeLength);
}

// `code` holds `codeLength` (at most CodeLength) characters, none of them NUL.
bool SameCode(const char *stored, const char *code, size_t codeLength)
{
    // A stored character equal to one of the code's is no NUL, so the stored
    // code is exactly as long when it ends right after them.
    for (size_t i = 0; i < codeLength; ++i)
        if (Fold(stored[i]) != Fold(code[i]))
            return false;
    return codeLength == CodeLength || stored[codeLength] == 0;
}

uint32_t HashCode(const char *code, size_t length)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < length; ++i)
        h = (h ^ uint8_t(Fold(code[i]))) * 16777619u;
    return h;
}

// A name that stays one folder or file name inside the data folder.
bool IsPlainName(const char *name, size_t size)
{
    size_t n = strnlen(name, size);
    if (n == 0 || n == size)
        return false;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (name[i] == '\\' || name[i] == '/' || name[i] == ':')
            return false;
    return true;
}

} // namespace

TMarketData::TMarketData(int index, const MarketInfoRecord &record)
    : Index(index >= 16 || index < 0 ? 0 : index), Capacity(record.Capacity), Info(record)
{
    // The description comes from a file: hold its counts and times to what the
    // record can hold, so that no lookup runs past a class or session array.
    Info.Name[sizeof Info.Name - 1] = 0;
    if (Info.ClassCount > 15)
        Info.ClassCount = 15;
    for (ClassRecord &c : Info.Classes) {
        if (c.SessionCount > 4)
            c.SessionCount = 4;
        for (int k = 0; k < 4; ++k) {
            if (c.SessionStart[k] > 1440)
                c.SessionStart[k] = 1440;
            if (c.SessionEnd[k] < c.SessionStart[k])
                c.SessionEnd[k] = c.SessionStart[k];
            if (c.SessionEnd[k] > 1440)
                c.SessionEnd[k] = 1440;
        }
    }
    if (!IsPlainName(Info.Dir, sizeof Info.Dir) || !IsPlainName(Info.Ext, sizeof Info.Ext)) {
        Status = MARKET_NO_ARRAYS;
        return;
    }

    char path[600];
    std::snprintf(path, sizeof path, "%sdata", DataRoot);
    CreateDirectoryA(path, nullptr);
    std::snprintf(path, sizeof path, "%sdata\\%s", DataRoot, Info.Dir);
    CreateDirectoryA(path, nullptr);

    size_t n = Capacity ? Capacity : 1;
    Statics = static_cast<StockStaticRecord *>(EMemAlloc(n * sizeof(StockStaticRecord)));
    Quotes = static_cast<RealQuoteRecord *>(EMemAlloc(n * sizeof(RealQuoteRecord)));
    Aux = static_cast<StockAuxRecord *>(EMemAlloc(n * sizeof(StockAuxRecord)));
    Infos = static_cast<StockInfoRecord *>(EMemAlloc(n * sizeof(StockInfoRecord)));
    if (!HasArrays()) {
        Status = MARKET_NO_ARRAYS;
        return;
    }

    for (int c = 0; c < Info.ClassCount; ++c) {
        Info.Classes[c].TotalMinutes = uint16_t(TotalTradingMinutes(c));
        if (Info.Classes[c].TotalMinutes > MaxTradingMinutes)
            MaxTradingMinutes = Info.Classes[c].TotalMinutes;
    }
    LocalTime = StartTime;
    ShiftSystemTimeByHours(LocalTime, Info.HourOffset);
    Now = MakePackedDateTime(LocalTime.wYear, LocalTime.wMonth, LocalTime.wDay, LocalTime.wHour,
                             LocalTime.wMinute);
    ClockMinute = uint16_t(LocalTime.wHour * 60 + LocalTime.wMinute);
    for (int c = 0; c < Info.ClassCount; ++c)
        Info.Classes[c].ElapsedMinutes = uint16_t(ElapsedTradingMinutes(ClockMinute, c));
}

TMarketData::~TMarketData()
{
    // A market that never loaded keeps the snapshot it found.
    if (HasArrays() && StockCount > 0) {
        char path[600];
        DataFile(path, sizeof path, "real");
        int h = FileOpen(path, "wb");
        if (h >= 1) {
            int bytes = StockCount * int(sizeof(RealQuoteRecord));
            if (FileWrite(h, Quotes, sizeof(RealQuoteRecord), StockCount) == bytes)
                FileTruncate(h, bytes);
            FileClose(h);
        }
    }
    EMemFree(Statics);
    EMemFree(Quotes);
    EMemFree(Aux);
    EMemFree(Infos);
    EMemFree(m_CodeIndex);
}

void TMarketData::DataFile(char *path, int size, const char *file) const
{
    std::snprintf(path, size_t(size), "%sdata\\%s\\%s.%s", DataRoot, Info.Dir, file, Info.Ext);
}

int TMarketData::LinearFind(const char *code, size_t length) const
{
    for (int i = 0; i < StockCount; ++i)
        if (SameCode(Statics[i].Code, code, length))
            return i;
    return -1;
}

void TMarketData::RebuildCodeIndex()
{
    EMemFree(m_CodeIndex);
    m_CodeIndex = nullptr;
    m_CodeIndexSize = 0;
    m_IndexedCount = -1;
    if (!HasArrays() || StockCount <= 0)
        return;
    uint32_t size = 16;
    while (size < uint32_t(StockCount) * 2)
        size *= 2;
    m_CodeIndex = static_cast<CodeSlot *>(EMemAlloc(size * sizeof(CodeSlot)));
    if (!m_CodeIndex)
        return;
    for (uint32_t slot = 0; slot < size; ++slot)
        m_CodeIndex[slot] = {-1, 0};
    m_CodeIndexSize = size;
    for (int i = 0; i < StockCount; ++i) {
        const char *code = Statics[i].Code;
        size_t length = CodeLen(code);
        const uint32_t hash = HashCode(code, length);
        uint32_t slot = hash & (size - 1);
        // A code met before keeps its first position.
        for (; m_CodeIndex[slot].Stock >= 0; slot = (slot + 1) & (size - 1))
            if (m_CodeIndex[slot].Hash == hash && SameCode(Statics[m_CodeIndex[slot].Stock].Code, code, length))
                break;
        if (m_CodeIndex[slot].Stock < 0)
            m_CodeIndex[slot] = {i, hash};
    }
    m_IndexedCount = StockCount;
}

int TMarketData::FindStockByCode(const char *code) const
{
    if (!code)
        return -1;
    return FindStockByCode(code, std::strlen(code));
}

int TMarketData::FindStockByCode(const char *code, size_t length) const
{
    if (!code || !HasArrays() || length > CodeLength)
        return -1;
    // The index answers for the table it was built from; a table whose count
    // changed without a rebuild is searched in full.
    if (!m_CodeIndex || m_IndexedCount != StockCount)
        return LinearFind(code, length);
    uint32_t mask = m_CodeIndexSize - 1;
    const uint32_t hash = HashCode(code, length);
    for (uint32_t slot = hash & mask; m_CodeIndex[slot].Stock >= 0; slot = (slot + 1) & mask) {
        const CodeSlot &entry = m_CodeIndex[slot];
        if (entry.Hash == hash && SameCode(Statics[entry.Stock].Code, code, length))
            return entry.Stock;
    }
    return -1;
}

int TMarketData::GetStockClass(int stock) const
{
    int last = Info.ClassCount > 0 ? Info.ClassCount - 1 : 0;
    if (!Statics || stock < 0 || stock >= int(Capacity))
        return last;
    return Statics[stock].Class;
}

int TMarketData::RequestNameTable()
{
    return MFrame && MFrame->RequestNameTable(Index) ? 1 : 0;
}

void TMarketData::LoadNameTable()
{
    if (!HasArrays())
        return;
    char path[600];
    DataFile(path, sizeof path, "nametbl");
    int h = FileOpen(path, "rb");
    if (h < 1)
        return;
    int count = FileGetSize(h) / int(sizeof(StockStaticRecord));
    if (count > int(Capacity))
        count = int(Capacity);
    count = FileRead(h, Statics, sizeof(StockStaticRecord), count) / int(sizeof(StockStaticRecord));
    FileClose(h);
    int lastClass = Info.ClassCount > 0 ? Info.ClassCount - 1 : 0;
    for (int i = 0; i < count; ++i) {
        StockStaticRecord &s = Statics[i];
        s.Index = uint16_t(i);
        // The records belong to this market; a class beyond the market's would
        // index past its class records.
        s.Market = uint8_t(Index);
        if (s.Class > lastClass)
            s.Class = uint8_t(lastClass);
        for (char &c : s.Code)
            if (c == ' ')
                c = 0;
    }
    StockCount = count;
    RebuildCodeIndex();
}

int TMarketData::LoadRealData(int askServer)
{
    if (!HasArrays())
        return 0;
    char path[600];
    if (askServer && !RequestNameTable()) {
        DataFile(path, sizeof path, "nametbl");
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            return 0;
        LoadNameTable();
    } else if (askServer) {
        RebuildCodeIndex();
    }
    DataFile(path, sizeof path, "real");
    int h = FileOpen(path, "rb");
    if (h >= 1) {
        int count = FileGetSize(h) / int(sizeof(RealQuoteRecord));
        if (count > StockCount)
            count = StockCount;
        FileRead(h, Quotes, sizeof(RealQuoteRecord), count);
        FileClose(h);
    } else {
        std::memset(static_cast<void *>(Quotes), 0, Capacity * sizeof(RealQuoteRecord));
    }
    ClearAuxRecords();
    if (UtilMode > 1)
        return 1;
    char ini[600], key[16];
    std::snprintf(ini, sizeof ini, "%sdata\\realdata.ini", DataRoot);
    std::snprintf(key, sizeof key, "DYNDATE%02d", Index);
    int ymd = int(GetPrivateProfileIntA("DATA", key, 0, ini));
    TradingDate = YmdHmToPacked(ymd, 0);
    return 1;
}

int TMarketData::ResetRealData()
{
    if (!HasArrays())
        return 0;
    std::memset(static_cast<void *>(Quotes), 0, Capacity * sizeof(RealQuoteRecord));
    char path[600];
    DataFile(path, sizeof path, "real");
    int h = FileOpen(path, "w+");
    if (h < 1)
        return 0;
    int bytes = int(Capacity * sizeof(RealQuoteRecord));
    bool ok = FileWrite(h, Quotes, sizeof(RealQuoteRecord), int(Capacity)) == bytes &&
              FileTruncate(h, bytes) == bytes;
    FileClose(h);
    return ok ? 1 : 0;
}

void TMarketData::ClearAuxRecords()
{
    if (Aux && StockCount > 0)
        std::memset(static_cast<void *>(Aux), 0, size_t(StockCount) * sizeof(StockAuxRecord));
}

void TMarketData::SetClock(const SYSTEMTIME &utc)
{
    LocalTime = utc;
    ShiftSystemTimeByHours(LocalTime, Info.HourOffset);
    const SYSTEMTIME &t = LocalTime;
    Now = MakePackedDateTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    TradingDate = Now;
    ClockMinute = uint16_t(t.wHour * 60 + t.wMinute);
    for (int c = 0; c < Info.ClassCount; ++c)
        Info.Classes[c].ElapsedMinutes = uint16_t(ElapsedTradingMinutes(ClockMinute, c));
}

int TMarketData::TotalTradingMinutes(int cls) const
{
    if (cls < 0 || cls >= Info.ClassCount)
        return 0;
    const ClassRecord &c = Info.Classes[cls];
    int total = 1;
    for (int k = 0; k < c.SessionCount; ++k)
        total += c.SessionEnd[k] - c.SessionStart[k];
    return total;
}

int TMarketData::ElapsedTradingMinutes(int t, int cls) const
{
    if (cls < 0 || cls >= Info.ClassCount || Info.Classes[cls].SessionCount == 0)
        return 0;
    const ClassRecord &c = Info.Classes[cls];
    int n = c.SessionCount;
    if (t <= c.SessionStart[0])
        return 0;
    if (t >= c.SessionEnd[n - 1])
        return TotalTradingMinutes(cls) - 1;
    int elapsed = 0;
    for (int k = 0; k < n && t > c.SessionStart[k]; ++k) {
        if (t < c.SessionEnd[k]) {
            elapsed += t - c.SessionStart[k];
            break;
        }
        elapsed += c.SessionEnd[k] - c.SessionStart[k];
    }
    return elapsed;
}

int TMarketData::TradingMinuteToClock(int m, int cls) const
{
    if (cls < 0 || cls >= Info.ClassCount || Info.Classes[cls].SessionCount == 0)
        return 0;
    const ClassRecord &c = Info.Classes[cls];
    for (int k = 0; k < c.SessionCount; ++k) {
        int length = c.SessionEnd[k] - c.SessionStart[k];
        if (length >= m)
            return c.SessionStart[k] + m;
        m -= length;
    }
    return c.SessionEnd[c.SessionCount - 1];
}
