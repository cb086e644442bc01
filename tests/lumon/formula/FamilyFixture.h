// Helpers of the indicator-family tests: one indicator made by the factory with
// the definition and parameters a test gives, its lines as vectors, and a draw
// into a recording context.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>

#include "IndexFixture.h"
#include "lumon/formula/IndexFactory.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "tests/support/RecordedSegments.h"

// Defines `id` with `lines` lines and the parameter set `params`, then makes it
// through the factory for `stock`.
inline std::unique_ptr<TIndex> MakeIndex(IndexFixture &f, int id, int lines, std::vector<int> params,
                                         StockId stock = Sh600000, StockId stock2 = 0)
{
    std::vector<const char *> names(size_t(lines), "L");
    f.WriteDefinitions({Definition(id, "IDX", names)}, {Params(params)});
    TIndex *slot = nullptr;
    EXPECT_TRUE(CreateIndex(slot, id, stock, stock2)) << id;
    return std::unique_ptr<TIndex>(slot);
}

// The calls a draw into a 200 x 120 recording context made, polylines as their
// segments; `drawn` the result.
inline std::vector<std::string> DrawCalls(TIndex &index, bool &drawn, int width = 160, int height = 120)
{
    win::HDC dc = win::CreateRecordingDC(width + 60, height);
    win::RECT rect{0, 0, width, height};
    drawn = index.Draw(dc, &rect);
    std::vector<std::string> calls = AsSegments(win::RecordedCalls(dc));
    win::DeleteDC(dc);
    return calls;
}

inline int CountCalls(const std::vector<std::string> &calls, const std::string &prefix)
{
    return int(std::count_if(calls.begin(), calls.end(),
                             [&](const std::string &c) { return c.rfind(prefix, 0) == 0; }));
}

inline bool HasText(const std::vector<std::string> &calls, const std::string &text)
{
    return std::any_of(calls.begin(), calls.end(),
                       [&](const std::string &c) { return c.find("\"" + text + "\"") != std::string::npos; });
}

// Index of the first value of a line that is not none, -1 when there is none.
inline int FirstValue(const TIndex &index, int line)
{
    for (int i = 0; i < index.RecordCount; ++i)
        if (!IsOutOfRangeValue(index.Lines[line][i]))
            return i;
    return -1;
}

// Segments drawn (LineTo calls and polylines' segments) while the pen of theme
// colour n (0x0n0n0n + 1 in the fixture's theme) was selected.
inline int LinesWithPen(const std::vector<std::string> &calls, int n)
{
    char pen[32];
    std::snprintf(pen, sizeof pen, "SelectObject(pen(0,1,0x%06X))", unsigned(0x010101 * (n + 1)));
    int count = 0;
    bool on = false;
    for (const std::string &c : AsSegments(calls)) {
        if (c.rfind("SelectObject(pen(", 0) == 0)
            on = c == pen;
        else if (on && c.rfind("LineTo(", 0) == 0)
            ++count;
    }
    return count;
}

// The rows of a table of tests/lumon/formula/goldens, the leading bar index
// dropped ("-" reads as NaN).
inline std::vector<std::vector<double>> ReadTable(const std::string &name)
{
    std::vector<std::vector<double>> rows;
    std::ifstream in(std::string(LUMO_TEST_SOURCE_DIR) + "/goldens/" + name);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string word;
        std::vector<double> row;
        while (fields >> word)
            row.push_back(word == "-" ? std::nan("") : std::stod(word));
        rows.push_back(row);
    }
    return rows;
}

// The series of the TA-Lib goldens of this group (open, high, low, close,
// volume a row) as day bars of 600000; the TA-Lib columns SMA(C,5), SMA(C,10),
// SMA(H,10), SMA(L,10), MOM(C,12) and RSI(V,6) after the bar index.
inline std::vector<std::vector<double>> WriteTaLibSeries(IndexFixture &f)
{
    std::vector<KLineRecord> bars;
    PackedDateTime day = MakePackedDateTime(2006, 1, 1, 0, 0);
    for (const std::vector<double> &r : ReadTable("ind2_series.txt")) {
        KLineRecord b{};
        b.Time = day;
        b.Open = uint32_t(r[0]);
        b.High = uint32_t(r[1]);
        b.Low = uint32_t(r[2]);
        b.Close = uint32_t(r[3]);
        b.Volume = float(r[4]);
        bars.push_back(b);
        day = NextDay(day);
    }
    f.WriteRecords("sh/day/600000.day", bars);
    ClearDataCaches();
    std::vector<std::vector<double>> table = ReadTable("ind2_talib.txt");
    for (auto &row : table)
        row.erase(row.begin());
    EXPECT_EQ(bars.size(), 300u);
    EXPECT_EQ(table.size(), 300u);
    return table;
}

// Closes of a long series (9,000 bars, more than two of the stretches a long
// line is computed in) from 1.00 to a few thousand, with jumps: the sums of a
// window of them (as floats over the divisor) are exact in double, so every
// average equals the window mean summed afresh, to the bit.
inline std::vector<uint32_t> LongWalk()
{
    std::vector<uint32_t> closes;
    uint32_t c = 100;
    for (uint32_t i = 0; i < 9000; ++i) {
        c = i % 1500 == 0 ? 100 + i * 37 : c + (i * 7919 % 61) - 29 + (i % 97 == 0 ? 40000 : 0);
        closes.push_back(std::max<uint32_t>(c, 100));
    }
    return closes;
}

// The mean of v[i - n + 1 .. i] summed in double, as a float.
inline float WindowMean(const std::vector<float> &v, size_t i, int n)
{
    double sum = 0;
    for (size_t k = i + 1 - size_t(n); k <= i; ++k)
        sum += v[k];
    return float(sum / n);
}

// Compares a line with a TA-Lib column: the same first value and the same
// values within a float's rounding.
inline void ExpectColumn(const TIndex &index, int line, const std::vector<std::vector<double>> &table, int column,
                         double tolerance)
{
    for (size_t i = 0; i < table.size() && int(i) < index.RecordCount; ++i) {
        double want = table[i][size_t(column)];
        float got = index.Lines[line][i];
        if (std::isnan(want))
            EXPECT_TRUE(IsOutOfRangeValue(got)) << "line " << line << " bar " << i;
        else
            EXPECT_NEAR(got, want, tolerance) << "line " << line << " bar " << i;
    }
}
