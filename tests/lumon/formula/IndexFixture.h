// The indicator tests' installation: the two markets of the history tests, a
// theme with distinct colours and 12-pixel fonts, indicator definitions and
// parameters written by the tests, and bar files of stock 600000.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "../core/HistoryFixture.h"
#include "lumon/core/DataPool.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/TIndex.h"

inline IndexDefinition Definition(int id, const char *name, std::vector<const char *> lines, int kind = 1)
{
    IndexDefinition d{};
    d.Id = uint16_t(id);
    d.Kind = uint16_t(kind);
    d.LineCount = uint16_t(lines.size());
    std::strncpy(d.Name, name, sizeof d.Name - 1);
    for (size_t k = 0; k < lines.size() && k < 8; ++k)
        std::strncpy(d.LineNames[k], lines[k], sizeof d.LineNames[k]);
    return d;
}

// A parameter block with the same set for every period.
inline IndexParamBlock Params(std::vector<int> set)
{
    IndexParamBlock b{};
    for (auto &s : b.Set)
        for (size_t k = 0; k < set.size() && k < 8; ++k)
            s[k] = set[k];
    return b;
}

// Stock 600000 of market 0 (price divisor 100) and CU0612 of the futures market.
inline const StockId Sh600000 = MakeStockId(0, 1, 1);
inline const StockId FutCu = MakeStockId(1, 0, 0);

struct IndexFixture : HistoryMarkets {
    IndexFixture()
    {
        ClearDataCaches();
        for (int i = 0; i < 64; ++i)
            ColorTable[i] = 0x010101 * (i + 1);
        for (auto &f : FontTable) {
            f.Size = 12;
            std::strcpy(f.Face, "宋体");
        }
        WriteDefinitions({Definition(3, "KLINE", {"MA", "MA", "MA", "MA", "MA", "MA"}),
                          Definition(9, "K线", {}),
                          Definition(8, "OHLC", {"MA", "MA", "MA", "MA", "MA", "MA"}),
                          Definition(1, "BAR", {"MA", "MA", "MA", "MA", "MA", "MA"}),
                          Definition(2, "CLOSE", {"C", "MA", "MA", "MA", "MA", "MA", "MA"}),
                          Definition(322, "VOL", {"VOL", "MA", "MA", "MA", "MA", "MA", "MA"}),
                          Definition(321, "AMO", {"AMO", "MA", "MA", "MA", "MA", "MA", "MA"})},
                         {Params({5, 10, 0, 0, 0, 0}), Params({}), Params({5, 10, 0, 0, 0, 0}),
                          Params({5, 10, 0, 0, 0, 0}), Params({5, 10, 0, 0, 0, 0}), Params({3, 0, 0, 0, 0, 0}),
                          Params({3, 0, 0, 0, 0, 0})});
    }
    ~IndexFixture()
    {
        ClearDataCaches();
        FreeIndexDefinitions();
    }

    void WriteDefinitions(const std::vector<IndexDefinition> &defs, const std::vector<IndexParamBlock> &params)
    {
        inst.Write("CFG/INDEX.DAT", Bytes(defs));
        inst.Write("CFG/IDXPARA.TBL", Bytes(params));
        LoadIndexDefinitions("Guest");
    }

    // Day bars of 600000 from `closes`, one a calendar day from 2006-11-01 on,
    // open = close - 10 on even days and close + 10 on odd ones, high and low 20
    // around, volume 100 x (i + 1), amount 1000 x (i + 1).
    std::vector<KLineRecord> DayBars(const std::vector<uint32_t> &closes)
    {
        std::vector<KLineRecord> bars;
        PackedDateTime day = MakePackedDateTime(2006, 11, 1, 0, 0);
        for (size_t i = 0; i < closes.size(); ++i, day = NextDay(day)) {
            uint32_t c = closes[i];
            KLineRecord b = Bar(20061101, 0, c, i % 2 ? c + 10 : c - 10, c + 20, c - 20, float(100 * (i + 1)),
                                float(1000 * (i + 1)));
            b.Time = day;
            bars.push_back(b);
        }
        WriteRecords("sh/day/600000.day", bars);
        ClearDataCaches();
        return bars;
    }
};
