// Test aids of the formula compiler: a formula text around one statement, a
// readable listing of the compiled items, and an indicator with bars held in
// memory that the evaluator runs over as the formula indicator does.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "lumon/core/EMemOp.h"
#include "lumon/formula/TCompiler.h"
#include "lumon/formula/TIndex.h"

// RESULT lines X (and any given), then BEGIN with the statements.
inline std::string Formula(const std::string &statements, const std::string &results = "X LINE")
{
    return "PARAM\r\nA 0 100 20\r\nB 0 100 2\r\nC 0 100 3\r\nD 0 100 4\r\nEND\r\nRESULT\r\n" + results +
           "\r\nEND\r\nVAR\r\nV\r\nEND\r\nBEGIN\r\n" + statements + "\r\nEND\r\n";
}

// Declared names by name, constants by value, other slots t1, t2 ... in order of
// appearance; calls show their argument block in brackets.
class Listing {
public:
    explicit Listing(const TCompiler &c) : m_C(c) {}

    std::string Block(const FormulaBlock &b)
    {
        static const char *const ops[] = {"(", ")", "!", "*", "/", "%", "+", "-", "<", "<=",
                                          ">", ">=", "==", "!=", "&&", "||", "^", "="};
        static const char *const scalars[] = {"IF", "ABS", "MAX", "MIN", "SIGN", "REVERSE",
                                              "EXP", "LN", "LOG", "POW", "SQRT"};
        static const char *const series[] = {"REF", "SUM", "AVG", "MA", "EMA", "NMAX",
                                             "NMIN", "RSORDN", "AVGEX", "SQEX", "STDEX"};
        std::string out;
        for (const FormulaItem &i : b.Items) {
            if (!out.empty())
                out += "; ";
            switch (i.Kind) {
            case ItemOperator:
                out += Slot(i.Ref[0]) + "=" + (i.Ref[1] >= 0 ? Slot(i.Ref[1]) : "") + ops[i.Sub] + Slot(i.Ref[2]);
                break;
            case ItemArgStore: out += "arg" + std::to_string(i.Ref[0]) + "=" + Slot(i.Ref[2]); break;
            case ItemBranch: out += "|"; break;
            case ItemScalarCall: out += std::string(scalars[i.Sub]) + "[" + Block(*m_C.Blocks[i.Ref[0]]) + "]"; break;
            case ItemSeriesCall: out += std::string(series[i.Sub]) + "[" + Block(*m_C.Blocks[i.Ref[0]]) + "]"; break;
            case ItemResultCopy: out += Slot(i.Ref[0]) + "=ret"; break;
            }
        }
        return out;
    }

private:
    std::string Slot(int s)
    {
        for (int i = 0; i < m_C.ParamCount; ++i)
            if (m_C.Params[i].Slot == s)
                return m_C.Params[i].Name;
        for (int i = 0; i < m_C.ResultCount; ++i)
            if (m_C.Results[i].Slot == s)
                return m_C.Results[i].Name;
        for (int i = 0; i < m_C.VarCount; ++i)
            if (m_C.Vars[i].Slot == s)
                return m_C.Vars[i].Name;
        if (m_C.Slots[size_t(s)].Type == SlotConstant) {
            char text[32];
            std::snprintf(text, sizeof text, "%g", double(std::bit_cast<float>(m_C.Slots[size_t(s)].Bits)));
            return text;
        }
        auto [it, added] = m_Temps.emplace(s, int(m_Temps.size()) + 1);
        return "t" + std::to_string(it->second);
    }

    const TCompiler &m_C;
    std::map<int, int> m_Temps;
};

// A day bar of the evaluator tests.
inline KLineRecord EvalBar(uint32_t close, uint32_t open = 0, float volume = 0)
{
    KLineRecord b{};
    b.Time = MakePackedDateTime(2006, 11, 1, 9, 35);
    b.Close = close;
    b.Open = open ? open : close;
    b.High = close + 5;
    b.Low = close - 5;
    b.Volume = volume;
    b.Amount = volume * 10;
    return b;
}

// An indicator whose bars and line buffers the test fills: the compiler reads
// its records and the lines of the earlier records.
struct MemoryIndicator : TIndex {
    MemoryIndicator(const std::vector<KLineRecord> &bars, int lines) : TIndex(0)
    {
        RecordCount = int(bars.size());
        Records = static_cast<KLineRecord *>(EMemAlloc(std::max<size_t>(bars.size(), 1) * sizeof(KLineRecord)));
        std::copy(bars.begin(), bars.end(), Records);
        LineCount = lines;
        LineCapacity = RecordCount;
        for (int k = 0; k < lines; ++k)
            Lines[k] = static_cast<float *>(EMemAlloc(std::max<size_t>(bars.size(), 1) * sizeof(float)));
    }
};

// Compiles the text and runs it over every bar as the formula indicator does;
// the result lines by record, or nothing when it did not compile.
inline std::vector<std::vector<float>> Evaluate(TCompiler &c, const std::string &text,
                                                const std::vector<KLineRecord> &bars, float divisor = 1)
{
    c.Reset();
    c.SetSource(text.c_str());
    c.Compile();
    if (c.Errors.ErrorCount)
        return {};
    MemoryIndicator ix(bars, c.ResultCount);
    ix.PriceDivisor = divisor;
    c.Bind(&ix);
    for (int i = 0; i < c.ParamCount; ++i)
        c.SetParam(c.ParamDescs[i].Default, i, 0);
    std::vector<std::vector<float>> lines(size_t(c.ResultCount), std::vector<float>(bars.size()));
    for (int r = 0; r < int(bars.size()); ++r) {
        c.SetRecordIndex(r);
        c.Run();
        for (int k = 0; k < c.ResultCount; ++k)
            lines[size_t(k)][size_t(r)] = ix.Lines[k][r] = c.GetValue(k, 1);
    }
    c.Bind(nullptr);
    return lines;
}
