// The formula indicator: made by the factory for formula definitions, its
// averages equal to the price pane's, parameters from the formula, formulas with
// warnings or errors, two panes sharing the compiler, and what it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "IndexFixture.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/PriceIndexes.h"
#include "lumon/formula/TCompiler.h"
#include "lumon/formula/TScrIndex.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"
#include "tests/support/RecordedSegments.h"

namespace {

const std::vector<uint32_t> Closes = {1000, 1010, 1020, 1030, 1040, 1050, 1060, 1070, 1080, 1090, 1100, 1120};

const char *const MaDiff = "INDEXDEF\r\nNAME: MADIFF\r\nEND\r\n"
                           "PARAM\r\nN1 1 100 5\r\nN2 1 100 10\r\nN3\r\nN4 0 9 7\r\nEND\r\n"
                           "RESULT\r\nDIFF LINE\r\nEND\r\n"
                           "BEGIN\r\nDIFF = MA(CLOSE, N1) - MA(CLOSE, N2)\r\nEND\r\n";

IndexDefinition FormulaDefinition(int id, const char *file)
{
    IndexDefinition d = Definition(id, "F", {"L"}, IndexKindFormula);
    std::strncpy(d.FormulaFile, file, sizeof d.FormulaFile);
    return d;
}

struct FormulaFixture : IndexFixture {
    FormulaFixture()
    {
        WriteDefinitions({Definition(3, "KLINE", {"MA", "MA", "MA", "MA", "MA", "MA"}),
                          FormulaDefinition(500, "madiff.txt"), FormulaDefinition(501, "DOUBLE.TXT"),
                          FormulaDefinition(502, "NOEND.TXT"), FormulaDefinition(503, "BAD.TXT"),
                          FormulaDefinition(504, "STYLES.TXT"), FormulaDefinition(505, "MISSING.TXT")},
                         {Params({5, 10, 0, 0, 0, 0}), Params({}), Params({}), Params({}), Params({}), Params({}),
                          Params({})});
        inst.Write("CFG/MADIFF.TXT", MaDiff);
        inst.Write("CFG/DOUBLE.TXT", "RESULT\nTWICE BAR\nEND\nBEGIN\nTWICE = REF(CLOSE, 0) * 2\nEND\n");
        inst.Write("CFG/NOEND.TXT", "RESULT\nC1 TBAR\nEND\nBEGIN\nC1 = REF(CLOSE, 0) - 10\n");
        inst.Write("CFG/BAD.TXT", "RESULT\nC1\nEND\nBEGIN\nC1 = CLOSE\nEND\n");
        inst.Write("CFG/STYLES.TXT",
                   "RESULT\nA LINE\nB CANDLE\nC NONE\nEND\nBEGIN\nA = REF(CLOSE, 0)\nB = A\nC = A\nEND\n");
        DayBars(Closes);
    }

    std::unique_ptr<TIndex> Make(int id)
    {
        TIndex *index = nullptr;
        EXPECT_TRUE(CreateIndex(index, id, Sh600000, 0)) << id;
        return std::unique_ptr<TIndex>(index);
    }
};

TEST(ScrIndex, MovingAverageDifferenceMatchesThePricePane)
{
    FormulaFixture f;
    std::unique_ptr<TIndex> index = f.Make(500);
    auto *formula = dynamic_cast<TScrIndex *>(index.get());
    ASSERT_NE(formula, nullptr);
    EXPECT_TRUE(formula->Compiled);
    EXPECT_EQ(formula->LineCount, 1);
    EXPECT_EQ(formula->ParamCount, 4);
    EXPECT_EQ(formula->Styles[0].Style, StyleLine);
    // Parameters 1-4 from the formula, 5-8 the defaults no formula reads.
    EXPECT_EQ(formula->Descriptors[0].Value, 5);
    EXPECT_EQ(formula->Descriptors[1].Value, 10);
    EXPECT_EQ(formula->Descriptors[2].Min, 0);
    EXPECT_EQ(formula->Descriptors[2].Max, 10000);
    EXPECT_EQ(formula->Descriptors[2].Value, 5);
    EXPECT_EQ(formula->Descriptors[3].Max, 9);
    EXPECT_EQ(formula->Descriptors[3].Value, 7);
    EXPECT_EQ(formula->Descriptors[4].Value, 25);
    EXPECT_EQ(formula->Descriptors[7].Value, 40);
    ASSERT_TRUE(formula->Compute());

    CKline kline(Sh600000);
    ASSERT_TRUE(kline.Compute());
    // A formula average of n records has a value from record n on (record n - 1
    // in the price pane).
    for (int r = 10; r < int(Closes.size()); ++r)
        EXPECT_NEAR(formula->Lines[0][r], kline.Lines[0][r] - kline.Lines[1][r], 1e-4) << r;
    EXPECT_NEAR(formula->Lines[0][11], 10.92f - 10.66f, 1e-4);
    // During the warm-up both averages are the no-value marker: the difference
    // is 0 while both are, the marker while one is.
    EXPECT_EQ(formula->Lines[0][3], 0);
    EXPECT_EQ(formula->Lines[0][6], -NoValue);

    // A parameter written by the dialog reaches the next computation.
    formula->Descriptors[1].Value = 3;
    ASSERT_TRUE(formula->Compute());
    EXPECT_NEAR(formula->Lines[0][11], 10.92f - 11.03333f, 1e-4);
}

TEST(ScrIndex, TwoPanesKeepTheirOwnLines)
{
    FormulaFixture f;
    std::unique_ptr<TIndex> a = f.Make(500), b = f.Make(501);
    ASSERT_TRUE(a->Compute());
    ASSERT_TRUE(b->Compute());
    ASSERT_TRUE(a->Compute());
    EXPECT_NEAR(a->Lines[0][11], 0.26f, 1e-4);
    EXPECT_FLOAT_EQ(b->Lines[0][11], 22.4f);
    EXPECT_EQ(b->Styles[0].Style, StyleBar);
    EXPECT_EQ(a->Styles[0].Style, StyleLine);
}

TEST(ScrIndex, WarningsCompileErrorsLeaveItEmpty)
{
    FormulaFixture f;
    std::unique_ptr<TIndex> noEnd = f.Make(502);
    ASSERT_TRUE(noEnd->Compute());
    EXPECT_FLOAT_EQ(noEnd->Lines[0][0], 0.0f);
    EXPECT_EQ(TScrIndex::Compiler->Errors.WarningCount, 1);

    for (int id : {503, 505}) {
        std::unique_ptr<TIndex> bad = f.Make(id);
        EXPECT_FALSE(bad->Initialised) << id;
        EXPECT_EQ(bad->LineCount, 0) << id;
        EXPECT_FALSE(bad->Compute()) << id;
        EXPECT_EQ(TScrIndex::Compiler->Errors.ErrorCount, 1) << id;
        win::HDC dc = win::CreateRecordingDC(100, 100);
        win::RECT rect{0, 0, 100, 100};
        EXPECT_FALSE(bad->Draw(dc, &rect));
        EXPECT_TRUE(win::RecordedCalls(dc).empty());
        win::DeleteDC(dc);
    }
    // The error list of the last compilation stays in the shared compiler.
    EXPECT_EQ(TScrIndex::Compiler->Errors.Entries[0].Code, FormulaUnknownName);
}

TEST(ScrIndex, DrawsLineBarAndTBarButNotCandleOrNone)
{
    FormulaFixture f;
    std::unique_ptr<TIndex> styles = f.Make(504);
    ASSERT_EQ(styles->LineCount, 3);
    EXPECT_EQ(styles->Styles[1].Style, StyleCandle);
    ASSERT_TRUE(styles->Compute());
    EXPECT_FLOAT_EQ(styles->Lines[1][11], 11.2f); // computed though not drawn
    auto lineTos = [&](TIndex &index) {
        win::HDC dc = win::CreateRecordingDC(200, 120);
        win::RECT rect{0, 0, 120, 120};
        EXPECT_TRUE(index.Draw(dc, &rect));
        std::vector<std::string> calls = AsSegments(win::RecordedCalls(dc));
        win::DeleteDC(dc);
        return std::count_if(calls.begin(), calls.end(),
                             [](const std::string &c) { return c.rfind("Rectangle(", 0) == 0 || c.rfind("LineTo(", 0) == 0; });
    };
    auto drawn = lineTos(*styles);
    // The same pane with only the LINE line shown draws as much.
    styles->Styles[1].Style = StyleNone;
    EXPECT_EQ(lineTos(*styles), drawn);
    styles->Styles[1].Style = StyleLine;
    EXPECT_GT(lineTos(*styles), drawn);

    std::unique_ptr<TIndex> bars = f.Make(501), sticks = f.Make(502);
    ASSERT_TRUE(bars->Compute());
    ASSERT_TRUE(sticks->Compute());
    EXPECT_GT(lineTos(*bars), 0);
    EXPECT_GT(lineTos(*sticks), 0);
}

} // namespace
