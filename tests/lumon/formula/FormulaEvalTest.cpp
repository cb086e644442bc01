// The formula evaluator: every operator and scalar function, every series
// function on a small series with hand-worked values, one branch of IF, lines
// that keep their value, the guarded faults (negative REF, the smallest integer
// remainder by -1, values past record 10,000) and the carried sums and averages
// against a plain computation over the whole window.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "FormulaTestSupport.h"
#include "lumon/formula/SeriesStats.h"

namespace {

const std::vector<uint32_t> Closes = {10, 11, 13, 12, 15, 14};

std::vector<KLineRecord> Bars(const std::vector<uint32_t> &closes)
{
    std::vector<KLineRecord> bars;
    for (size_t i = 0; i < closes.size(); ++i)
        bars.push_back(EvalBar(closes[i], closes[i] - 1, float(100 * (i + 1))));
    return bars;
}

void ExpectValue(float actual, float expected, const std::string &what)
{
    if (expected == NoValue || expected == -NoValue)
        EXPECT_EQ(actual, expected) << what;
    else
        EXPECT_NEAR(actual, expected, 1e-4) << what;
}

TEST(FormulaEval, OperatorsAndScalarFunctions)
{
    struct Case {
        const char *expr;
        float value;
    } cases[] = {
        {"2 + 3 * 4", 14},
        {"A - B * C - D", 10},   // (20 - 2 x 3) - 4
        {"10 - 4 - 3", 3},
        {"8 / 2 / 2", 2},
        {"2 * 3 - 4 * 5 + 1", -13},
        {"5 / 0", NoValue},
        {"5 % 0", 0},
        {"5 % 0.5", 0},
        {"7.9 % 3", 1},
        {"(0 - 7) % 3", -1},
        {"(0 - 2147483648) % (0 - 1)", 0},
        {"(0 - 4294967296) % 7", -4},
        {"IF(3 > 2 && 1 > 2, 1, 2)", 2},
        {"IF(3 > 2 || 1 > 2, 1, 2)", 1},
        {"IF(3 > 2 ^ 1 > 0, 1, 2)", 2},
        {"IF(1 + 1 == 2, 1, 2)", 1},
        {"IF(1 != 1, 1, 2)", 2},
        {"IF(2 <= 2, 1, 2)", 1},
        {"IF(2 < 2, 1, 2)", 2},
        {"IF(2 >= 3, 1, 2)", 2},
        {"IF(!(2 > 3), 1, 2)", 1},
        {"IF(0.0000000000001, 1, 2)", 1},
        {"IF(0 * (0 - 5), 1, 2)", 2},
        {"(2 > 1) * 5", 5},
        {"!0 + !3", 1},
        {"ABS(0 - 3)", 3},
        {"MAX(2, 3)", 3},
        {"MIN(2, 3)", 2},
        {"SIGN(0 - 4)", -1},
        {"SIGN(0)", 0},
        {"REVERSE(4)", -4},
        {"EXP(0)", 1},
        {"LN(0)", -NoValue},
        {"LOG(0 - 1)", -NoValue},
        {"LOG(100)", 2},
        {"POW(2, 10)", 1024},
        {"SQRT(0 - 4)", 0},
        {"SQRT(16)", 4},
    };
    for (const Case &c : cases) {
        TCompiler compiler;
        auto lines = Evaluate(compiler, Formula(std::string("X = ") + c.expr), Bars({10}));
        ASSERT_EQ(lines.size(), 1u) << c.expr;
        ExpectValue(lines[0][0], c.value, c.expr);
    }
    // Beyond the float range the result is infinite, not undefined; also a sum
    // that plain float arithmetic would round back to the largest float.
    TCompiler compiler;
    auto lines = Evaluate(compiler, Formula("X = EXP(1000)"), Bars({10}));
    EXPECT_TRUE(std::isinf(lines[0][0]));
    lines = Evaluate(compiler,
                     Formula("X = 340282346638528859811704183484516925440 + 10141204801825835211973625643008"),
                     Bars({10}));
    EXPECT_TRUE(std::isinf(lines[0][0]));
}

TEST(FormulaEval, SeriesFunctions)
{
    const float N = NoValue;
    struct Case {
        const char *expr;
        std::vector<float> values; // records 0..5, closes 10 11 13 12 15 14
    } cases[] = {
        {"REF(CLOSE, 0)", {10, 11, 13, 12, 15, 14}},
        {"REF(CLOSE, 1)", {10, 10, 11, 13, 12, 15}},
        {"REF(CLOSE, 3)", {10, 10, 10, 10, 11, 13}},
        {"REF(CLOSE, 0 - 2)", {N, N, N, N, N, N}},
        {"REF(CLOSE, 100000000000)", {10, 10, 10, 10, 10, 10}},
        {"REF(RECPTR, 3)", {0, 1, 2, 3, 4, 5}},
        {"REF(OPEN, 0) + REF(HIGH, 0) / 100 + REF(LOW, 0) / 10000", {9.1505f, 10.1606f, 12.1808f, 11.1707f,
                                                                    14.2010f, 13.1909f}},
        {"SUM(CLOSE, 3)", {N, N, N, 36, 40, 41}},
        {"SUM(CLOSE, 0)", {0, 11, 24, 36, 51, 65}},
        {"SUM(VOLUME, 2)", {N, N, 500, 700, 900, 1100}},
        {"MA(CLOSE, 2)", {N, N, 12, 12.5f, 13.5f, 14.5f}},
        {"AVG(CLOSE, 0)", {0, 11, 12, 12, 12.75f, 13}},
        {"EMA(CLOSE, 2)", {N, N, 12, 12, 14, 14}},
        {"NMAX(CLOSE, 3)", {N, N, N, 13, 15, 15}},
        {"NMIN(CLOSE, 3)", {N, N, N, 11, 12, 12}},
        {"NMAX(CLOSE, 0)", {N, 11, 13, 13, 15, 15}},
        {"RSORDN(CLOSE, 1)", {0, 0, 1, 1, -1, 1}},
        {"RSORDN(CLOSE, 0 - 1)", {N, N, N, N, N, N}},
        {"AVGEX(CLOSE, 3)", {N, N, N, 2, 10.0f / 3, 10.0f / 3}},
        {"SQEX(CLOSE, 3)", {N, N, N, 2, 14.0f / 3, 14.0f / 3}},
        {"STDEX(CLOSE, 3)", {N, N, N, std::sqrt(2.0f), std::sqrt(14.0f / 3), std::sqrt(14.0f / 3)}},
        {"MA(CLOSE, 10000)", {N, N, N, N, N, N}},
    };
    for (const Case &c : cases) {
        TCompiler compiler;
        auto lines = Evaluate(compiler, Formula(std::string("X = ") + c.expr), Bars(Closes));
        ASSERT_EQ(lines.size(), 1u) << c.expr;
        for (size_t r = 0; r < Closes.size(); ++r)
            ExpectValue(lines[0][r], c.values[r], std::string(c.expr) + " at " + std::to_string(r));
    }
}

TEST(FormulaEval, DataFields)
{
    std::vector<KLineRecord> bars = Bars({1234});
    bars[0].Time = MakePackedDateTime(2006, 12, 8, 14, 25);
    struct Case {
        const char *field;
        float value;
    } cases[] = {{"CLOSE", 12.34f}, {"VOLUME", 100},  {"AMOUNT", 1000}, {"RAISE", 0},  {"DOWN", 0},
                 {"RECORDS", 0},    {"LOTS", NoValue}, {"DAY", 8},      {"MONTH", 12}, {"YEAR", 2006},
                 {"WEEKDAY", 5},    {"HOUR", 14},     {"MINUTE", 25}};
    for (const Case &c : cases) {
        TCompiler compiler;
        auto lines = Evaluate(compiler, Formula(std::string("X = REF(") + c.field + ", 0)"), bars, 100);
        ASSERT_EQ(lines.size(), 1u) << c.field;
        ExpectValue(lines[0][0], c.value, c.field);
    }
}

TEST(FormulaEval, IfEvaluatesOneBranchAndLinesKeepTheirValue)
{
    // Closes 10 11 13 12 15 14: rising at records 1, 2 and 4.
    TCompiler compiler;
    auto lines = Evaluate(compiler,
                          Formula("X = IF(REF(CLOSE, 0) > REF(CLOSE, 1), UP = UP + 1, NOTUP = NOTUP + 1)",
                                  "X LINE\r\nUP LINE\r\nNOTUP LINE"),
                          Bars(Closes));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], (std::vector<float>{0, 1, 2, 2, 3, 3}));
    EXPECT_EQ(lines[2], (std::vector<float>{1, 1, 1, 2, 2, 3}));
    EXPECT_EQ(lines[0], (std::vector<float>{1, 1, 2, 2, 3, 3}));

    // A line referring to its own earlier values, and to this pass's value.
    lines = Evaluate(compiler, Formula("X = REF(X, 1) + 1\r\nY = REF(X, 0) * 2", "X LINE\r\nY LINE"), Bars(Closes));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], (std::vector<float>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(lines[1], (std::vector<float>{2, 4, 6, 8, 10, 12}));
}

// The series window gathered afresh at every record, as the definitions state:
// the values of the field (final ones for earlier records, this pass's for the
// current one), oldest first.
std::vector<float> Window(const std::vector<float> &finals, float current, int r, int n)
{
    std::vector<float> a;
    for (int k = n - 1; k >= 1; --k)
        a.push_back(finals[size_t(r - k)]);
    a.push_back(current);
    return a;
}

TEST(FormulaEval, CarriedSumsEqualFreshOnesPastRecord10000)
{
    std::vector<uint32_t> closes;
    unsigned seed = 11;
    uint32_t price = 1000;
    for (int i = 0; i < 12000; ++i) {
        seed = seed * 1103515245u + 12345u;
        price = std::max<uint32_t>(100, price + (seed >> 16) % 41 - 20);
        closes.push_back(price);
    }
    TCompiler compiler;
    auto lines = Evaluate(compiler,
                          Formula("X = SUM(CLOSE, 0)\r\nY = MA(CLOSE, 20)\r\nZ = EMA(CLOSE, 12)\r\n"
                                  "W = MA(Q, 3)\r\nQ = REF(CLOSE, 0) / 7\r\nE = EMA(Q, 5)\r\nM = MA(CLOSE, 10000)",
                                  "X\r\nY\r\nZ\r\nW\r\nQ\r\nE\r\nM"),
                          Bars(closes), 100);
    ASSERT_EQ(lines.size(), 7u);
    std::vector<float> c(closes.size());
    for (size_t i = 0; i < closes.size(); ++i)
        c[i] = float(closes[i]) / 100;
    const std::vector<float> &q = lines[4];
    int mismatches = 0;
    // The fresh computations cost a whole window each: every 61st record, and
    // the last ones.
    for (int r = 0; r < int(closes.size()); r += r < 11900 ? 61 : 1) {
        std::vector<float> all(c.begin() + 1, c.begin() + r + 1);
        float sum = SeriesSum(all.data(), r);
        float ma = r < 20 ? NoValue : SeriesMean(Window(c, c[size_t(r)], r, 20).data(), 20);
        float ema = r < 12 ? NoValue : SeriesEma(all.data(), 12, r);
        // W reads Q before this pass assigns it: Q's value of the record before.
        float qNow = r == 0 ? 0 : q[size_t(r - 1)];
        float w = r < 3 ? NoValue : SeriesMean(Window(q, qNow, r, 3).data(), 3);
        std::vector<float> qs(q.begin() + 1, q.begin() + r + 1);
        float e = r < 5 ? NoValue : SeriesEma(qs.data(), 5, r);
        mismatches += lines[0][size_t(r)] != sum;
        mismatches += lines[1][size_t(r)] != ma;
        mismatches += lines[2][size_t(r)] != ema;
        mismatches += lines[3][size_t(r)] != w;
        mismatches += lines[5][size_t(r)] != e;
    }
    EXPECT_EQ(mismatches, 0);
    // Values go on past record 10,000, also for a window of 10,000 records.
    EXPECT_NE(lines[2][11999], NoValue);
    EXPECT_EQ(lines[6][9999], NoValue);
    EXPECT_NEAR(lines[6][11999], SeriesMean(c.data() + 2000, 10000), 1e-3);
}

// 3,000 day bars on a random walk; volumes either whole numbers, or spread over
// so many binary orders that their sums are not exact in double precision, with
// a few NaN among them.
std::vector<KLineRecord> WalkBars(bool wideVolumes)
{
    std::vector<KLineRecord> bars;
    unsigned seed = 5;
    uint32_t price = 1000;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        price = std::max<uint32_t>(100, price + (seed >> 16) % 41 - 20);
        float volume = float(100 + (seed >> 8) % 900);
        if (wideVolumes)
            volume = i % 97 == 5 ? std::nanf("") : i % 3 == 0 ? volume * 1e12f : volume / 4096;
        bars.push_back(EvalBar(price, price + 3, volume));
    }
    return bars;
}

uint32_t Bits(float x)
{
    return std::bit_cast<uint32_t>(x);
}

// A series function over a data field computes all records in one pass; over a
// result line holding the same values it runs record by record. Both give the
// same bits, whether the sums are exact in double precision or not.
TEST(FormulaEval, WholePassSeriesEqualRecordByRecordOnes)
{
    const char *const calls[] = {"SUM(@, 7)", "SUM(@, 0)", "MA(@, 5)",    "AVG(@, 0)", "EMA(@, 12)",
                                 "NMAX(@, 9)", "NMIN(@, 30)", "STDEX(@, 6)", "AVGEX(@, 4)", "SQEX(@, 3)"};
    for (bool wide : {false, true}) {
        std::vector<KLineRecord> bars = WalkBars(wide);
        for (const char *call : calls) {
            std::string field(call), line(call);
            field.replace(field.find('@'), 1, "VOLUME");
            line.replace(line.find('@'), 1, "R");
            TCompiler compiler;
            auto lines = Evaluate(compiler, Formula("R = REF(VOLUME, 0)\r\nX = " + field + "\r\nY = " + line,
                                                    "R\r\nX\r\nY"),
                                  bars);
            ASSERT_EQ(lines.size(), 3u) << call;
            int mismatches = 0;
            for (size_t r = 0; r < bars.size(); ++r)
                mismatches += Bits(lines[1][r]) != Bits(lines[2][r]);
            EXPECT_EQ(mismatches, 0) << call << (wide ? " over wide volumes" : "");
        }
    }
}

// A section of operators and series calls over data fields runs for all records
// at once; with a REF among its statements it runs record by record. The lines
// are the same bit for bit.
TEST(FormulaEval, WholePassSectionEqualsRecordByRecordRun)
{
    const std::string statements = "X = MA(CLOSE, 5) - MA(CLOSE, 10)\r\n"
                                   "Y = X * 3 / (NMAX(HIGH, 9) - NMIN(LOW, A)) + STDEX(CLOSE, 20) % 7\r\n"
                                   "V = Y\r\nZ = V - SUM(VOLUME, 0) / 1000 + EMA(OPEN, B)\r\n"
                                   "W = (X > 0) + (Y < Z) * 2";
    std::vector<KLineRecord> bars = WalkBars(false);
    TCompiler whole, single;
    auto a = Evaluate(whole, Formula(statements, "X\r\nY\r\nZ\r\nW"), bars, 100);
    auto b = Evaluate(single, Formula("V = REF(CLOSE, 0)\r\n" + statements, "X\r\nY\r\nZ\r\nW"), bars, 100);
    ASSERT_EQ(a.size(), 4u);
    ASSERT_EQ(b.size(), 4u);
    int mismatches = 0;
    for (size_t k = 0; k < 4; ++k)
        for (size_t r = 0; r < bars.size(); ++r)
            mismatches += Bits(a[k][r]) != Bits(b[k][r]);
    EXPECT_EQ(mismatches, 0);
}

// A parameter changed between records is read from that record on.
TEST(FormulaEval, ParameterChangedDuringARunIsRead)
{
    std::vector<KLineRecord> bars = WalkBars(false);
    TCompiler compiler;
    auto ma = Evaluate(compiler, Formula("X = MA(CLOSE, 5)"), bars);
    ASSERT_EQ(ma.size(), 1u);
    const std::string text = Formula("X = MA(CLOSE, 5) + B");
    compiler.Reset();
    compiler.SetSource(text.c_str());
    compiler.Compile();
    MemoryIndicator ix(bars, 1);
    compiler.Bind(&ix);
    for (int i = 0; i < compiler.ParamCount; ++i)
        compiler.SetParam(compiler.ParamDescs[i].Default, i, 0);
    int mismatches = 0;
    for (int r = 0; r < int(bars.size()); ++r) {
        // B is 2 before record 1000 and 7 from it on.
        if (r == 1000)
            compiler.SetParam(7, 1, 0);
        compiler.SetRecordIndex(r);
        compiler.Run();
        mismatches += compiler.GetValue(0, 1) != ma[0][size_t(r)] + (r < 1000 ? 2.0f : 7.0f);
    }
    compiler.Bind(nullptr);
    EXPECT_EQ(mismatches, 0);
}

} // namespace
