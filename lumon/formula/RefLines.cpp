#include "lumon/formula/RefLines.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/DataPool.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/core/UtilData.h"

namespace {

constexpr int RecordSize = int(sizeof(RefLineRecord));

void RefLinePath(char (&path)[600])
{
    JoinInto(path, sizeof path, {DataRoot, "CFG\\refline.dat"});
}

// The stock's market and code; false for a stock that is not in the tables.
bool StockKey(StockId stock, uint16_t &market, char (&code)[8])
{
    const StockStaticRecord *s = TDataIO::GetStock(stock);
    if (!s)
        return false;
    market = s->Market;
    std::memcpy(code, s->Code, 7);
    code[7] = 0;
    return true;
}

// A record's code is compared within its 12 bytes, terminated or not.
bool Matches(const RefLineRecord &r, int indexId, uint16_t market, const char *code)
{
    return r.IndexId == indexId && r.Market == market && std::strncmp(r.Code, code, sizeof r.Code) == 0;
}

} // namespace

bool FindRefLines(StockId stock, int indexId, RefLineRecord &record)
{
    uint16_t market;
    char code[8], path[600];
    if (!StockKey(stock, market, code))
        return false;
    RefLinePath(path);
    // Every compute looks here; the data pool keeps the file while it is unchanged.
    std::shared_ptr<const std::string> bytes = ReadFileCached(path);
    if (!bytes)
        return false;
    size_t count = bytes->size() / RecordSize;
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(&record, bytes->data() + i * RecordSize, RecordSize);
        if (Matches(record, indexId, market, code))
            return true;
    }
    return false;
}

int SaveRefLines(int indexId, StockId stock, const uint8_t shown[4], const float level[4])
{
    uint16_t market;
    char code[8], path[600];
    if (!StockKey(stock, market, code) || !DeleteRefLines(stock, indexId))
        return 0;
    RefLineRecord r{};
    r.IndexId = uint16_t(indexId);
    r.Market = market & 0xFF;
    std::memcpy(r.Code, code, sizeof code);
    std::memcpy(r.Shown, shown, sizeof r.Shown);
    std::memcpy(r.Level, level, sizeof r.Level);
    RefLinePath(path);
    int h = FileOpen(path, "ab");
    if (h < 1)
        return 0;
    // The delete above rewrote the file in whole records, so the new record
    // starts on a record boundary.
    int ok = FileWrite(h, &r, RecordSize, 1) == RecordSize;
    FileClose(h);
    return ok ? 1 : 0;
}

int DeleteRefLines(StockId stock, int indexId)
{
    uint16_t market;
    char code[8], path[600];
    if (!StockKey(stock, market, code))
        return 0;
    RefLinePath(path);
    int h = FileOpen(path, "rb");
    if (h < 1)
        return 1;
    int count = FileGetSize(h) / RecordSize;
    auto *records = static_cast<RefLineRecord *>(EMemAlloc(size_t(count > 0 ? count : 1) * RecordSize));
    if (!records) {
        FileClose(h);
        return 0;
    }
    int read = count > 0 ? FileRead(h, records, RecordSize, count) / RecordSize : 0;
    FileClose(h);
    int kept = 0;
    for (int i = 0; i < read; ++i)
        if (!Matches(records[i], indexId, market, code))
            records[kept++] = records[i];

    int ok = 0;
    h = FileOpen(path, "wb");
    if (h >= 1) {
        // Kept records only move towards the start, so a write that stops early
        // leaves every record still in the file; the file is cut only after the
        // whole write.
        int bytes = kept * RecordSize;
        ok = (kept == 0 || FileWrite(h, records, RecordSize, kept) == bytes) && FileTruncate(h, bytes) == bytes;
        FileClose(h);
    }
    EMemFree(records);
    return ok ? 1 : 0;
}
