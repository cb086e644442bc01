#include "lumon/views/RankFile.h"

#include <cmath>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/STKMS.h"
#include "platform/win/Stdio.h"

namespace {

struct Record {
    STKMS Key;
    float A, B, C;
};

Record Take(const uint8_t *p, int size)
{
    Record r{};
    std::memcpy(&r.Key, p, 2);
    std::memcpy(&r.A, p + 2, 4);
    if (size >= 10)
        std::memcpy(&r.B, p + 6, 4);
    if (size >= 14)
        std::memcpy(&r.C, p + 10, 4);
    return r;
}

const TMarketData *MarketOf(int market)
{
    if (market < 0 || market >= MarketTable.Count || market >= MaxMarkets)
        return nullptr;
    return MarketTable.Markets[market];
}

// The static record of a row's stock, or null.
const StockStaticRecord *StaticOf(StockId id)
{
    const TMarketData *md = MarketOf(StockMarket(id));
    const int index = StockIndex(id);
    if (!md || !md->Statics || index >= md->StockCount)
        return nullptr;
    return &md->Statics[index];
}

} // namespace

int RankRecordSize(int field)
{
    switch (field) {
    case 0: case 1: case 9: case 22: case 23: case 30: case 31: case 32: case 33:
        return 0;
    case 10: case 11: case 13: case 14: case 20: case 21:
        return 10;
    case 12:
        return 14;
    default:
        return field >= 2 && field <= 29 ? 7 : 0;
    }
}

void RankKeysFromAnswer(const uint8_t *data, size_t size, int field, const BlockMember *rows, int count,
                        int descending, double *keys)
{
    const double fallback = DefaultRankKey(descending);
    const int recordSize = RankRecordSize(field);
    for (int i = 0; i < count; ++i)
        keys[i] = fallback;
    if (recordSize == 0 || count <= 0 || !data)
        return;
    size_t at = 0;
    // Field 14 answers lead with the market's first stock, matched to no row.
    if (field == 14)
        at = size_t(recordSize);
    // The change of the first row's market index, for field 14.
    double indexChange = 0.0;
    bool indexKnown = false;
    if (field == 14) {
        const TMarketData *md = MarketOf(StockMarket(rows[0].Id));
        if (md && md->Quotes && md->StockCount > 0 && md->Quotes[0].PrevClose != 0) {
            indexKnown = true;
            const RealQuoteRecord &q = md->Quotes[0];
            if (q.Last != 0)
                indexChange = (double(q.Last) - double(q.PrevClose)) * 100.0 / double(q.PrevClose);
        }
    }
    // Field 10's divisor: the first row's.
    double firstScale = 0.0;
    if (const StockStaticRecord *s = StaticOf(rows[0].Id))
        firstScale = s->ScaleDivisor;

    for (int i = 0; i < count && at + size_t(recordSize) <= size; ++i, at += size_t(recordSize)) {
        const Record r = Take(data + at, recordSize);
        const double a = r.A, b = r.B, c = r.C;
        double key = fallback;
        switch (field) {
        case 10:
            if (firstScale != 0.0)
                key = (a - b) / firstScale;
            break;
        case 11:
            if (b != 0.0)
                key = (a - b) * 100.0 / b;
            break;
        case 12:
            key = c != 0.0 ? (a - b) * 100.0 / c : 0.0;
            break;
        case 13: {
            key = 1.0;
            const StockStaticRecord *s = StaticOf(rows[i].Id);
            const TMarketData *md = s ? MarketOf(s->Market) : nullptr;
            if (md && s->Class < md->Info.ClassCount && s->Class < 15 && b > 0.01 && b < 1e8) {
                const ClassRecord &cls = md->Info.Classes[s->Class];
                key = (cls.TotalMinutes + 1.0) * a / b / (cls.ElapsedMinutes + 1.0);
            }
            break;
        }
        case 14:
            if (indexKnown && b != 0.0)
                key = (a - b) * 100.0 / b - indexChange;
            break;
        case 20:
            key = a + b > 0.0 ? (a - b) * 100.0 / (a + b) : 0.0;
            break;
        case 21: {
            key = b != 0.0 ? (a - b) * 100.0 / b : 0.0;
            if (!std::isfinite(key))
                key = 0.0;
            // The fast-change word of the stock the record names, when it exists.
            TMarketData *md = const_cast<TMarketData *>(MarketOf(STKMSMarket(r.Key)));
            const int index = STKMSIndex(r.Key);
            if (md && md->Quotes && index < md->StockCount)
                md->Quotes[index].FastChange = float(key);
            break;
        }
        default: {
            const StockStaticRecord *s = StaticOf(rows[i].Id);
            if (s && s->ScaleDivisor != 0)
                key = a / double(s->ScaleDivisor);
            break;
        }
        }
        keys[i] = std::isfinite(key) ? key : fallback;
    }
}

bool ReadRankFile(const char *path, int field, int count, std::vector<uint8_t> &bytes)
{
    bytes.clear();
    std::FILE *f = win::fopen(path, "rb");
    if (!f)
        return false;
    const int recordSize = RankRecordSize(field);
    const size_t wanted = count > 0 ? size_t(count + 1) * size_t(recordSize) : 0;
    bytes.resize(wanted);
    const size_t got = wanted ? std::fread(bytes.data(), 1, wanted, f) : 0;
    bytes.resize(got);
    std::fclose(f);
    return true;
}

std::string RankFilePath(int number) { return AnswerFileFolder() + std::to_string(number) + ".tmp"; }
