// The built-in indicator tests' installation: definitions of the indicators of
// the trend, oscillator, volume and band families with parameters chosen by
// each test, bars of stock 600000 from the committed golden series, and the
// reading of golden value tables (one line per bar: index, then one value per
// column, "-" for none).
#pragma once

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "IndexFixture.h"
#include "lumon/formula/IndexFactory.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "tests/support/RecordedSegments.h"

struct BuiltinDef {
    int id;
    int lines;
    std::vector<int> params;
};

inline std::string GoldenPath(const std::string &name)
{
    return std::string(LUMO_TEST_SOURCE_DIR) + "/goldens/" + name;
}

// Rows of a golden table: row[i][k] is column k at bar i (NaN for "-").
inline std::vector<std::vector<double>> ReadGolden(const std::string &name)
{
    std::vector<std::vector<double>> rows;
    std::ifstream in(GoldenPath(name));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string word;
        fields >> word; // the bar index
        std::vector<double> row;
        while (fields >> word)
            row.push_back(word == "-" ? std::nan("") : std::stod(word));
        rows.push_back(row);
    }
    return rows;
}

struct BuiltinFixture : IndexFixture {
    void Define(const std::vector<BuiltinDef> &defs)
    {
        std::vector<IndexDefinition> d;
        std::vector<IndexParamBlock> p;
        for (const BuiltinDef &b : defs) {
            std::vector<const char *> names(size_t(b.lines), "L");
            d.push_back(Definition(b.id, "IDX", names));
            p.push_back(Params(b.params));
        }
        WriteDefinitions(d, p);
    }

    // Day bars from (open, high, low, close) rows, one a calendar day from
    // 2006-11-01, volume 100 x (i + 1) and amount from `amounts` (1000 x (i + 1)
    // where it has none).
    std::vector<KLineRecord> Ohlc(const std::vector<std::vector<uint32_t>> &rows,
                                  const std::vector<float> &amounts = {})
    {
        std::vector<KLineRecord> bars;
        PackedDateTime day = MakePackedDateTime(2006, 11, 1, 0, 0);
        for (size_t i = 0; i < rows.size(); ++i, day = NextDay(day)) {
            KLineRecord b{};
            b.Time = day;
            b.Open = rows[i][0];
            b.High = rows[i][1];
            b.Low = rows[i][2];
            b.Close = rows[i][3];
            b.Volume = float(100 * (i + 1));
            b.Amount = i < amounts.size() ? amounts[i] : float(1000 * (i + 1));
            bars.push_back(b);
        }
        WriteRecords("sh/day/600000.day", bars);
        ClearDataCaches();
        return bars;
    }

    // The bars of a TA-Lib golden series (open, high, low, close a line).
    std::vector<KLineRecord> GoldenSeries(const std::string &file = "series.txt")
    {
        std::vector<std::vector<uint32_t>> rows;
        std::ifstream in(GoldenPath(file));
        uint32_t o, h, l, c;
        while (in >> o >> h >> l >> c)
            rows.push_back({o, h, l, c});
        return Ohlc(rows);
    }

    std::unique_ptr<TIndex> Make(int id)
    {
        TIndex *index = nullptr;
        if (!CreateIndex(index, id, Sh600000, 0))
            return nullptr;
        return std::unique_ptr<TIndex>(index);
    }
};

// Draws an indicator into a K-line-sized pane of a recording context; the
// calls made, polylines as their segments.
inline std::vector<std::string> DrawRecorded(TIndex &index, bool &drawn)
{
    win::HDC dc = win::CreateRecordingDC(400, 200);
    win::RECT rect{0, 0, 320, 200};
    drawn = index.Draw(dc, &rect);
    std::vector<std::string> calls = AsSegments(win::RecordedCalls(dc));
    win::DeleteDC(dc);
    return calls;
}
