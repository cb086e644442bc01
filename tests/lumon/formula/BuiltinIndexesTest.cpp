// The built-in indicators of the trend, oscillator, volume and band families:
// refused parameters and empty history, parameters that would reach past the
// buffers, the forced reference levels, CR's fixed averages drawn into the
// future, and drawing into a K-line pane.
#include <gtest/gtest.h>

#include <climits>

#include "BuiltinFixture.h"

namespace {

// id, line count, parameters that compute.
const BuiltinDef Sound[] = {
    {45, 3, {12, 26, 9}}, {42, 2, {5, 10, 4}}, {43, 4, {4}},       {44, 5, {3, 5, 8, 0, 0}},
    {48, 2, {3, 4}},      {87, 3, {6, 12, 24}}, {90, 2, {10, 6}},   {83, 1, {5}},
    {86, 3, {5, 3, 1}},   {81, 4, {3, 6, 12, 4}}, {163, 2, {5, 3}}, {362, 2, {4, 3}},
    {161, 2, {5}},        {162, 5, {5}},        {164, 2, {5, 3}},   {243, 2, {3}},
    {241, 2, {3}},        {242, 2, {3, 2}},     {125, 6, {4}},      {122, 3, {5, 0}},
};

std::vector<std::vector<uint32_t>> Walk(int count)
{
    std::vector<std::vector<uint32_t>> rows;
    uint32_t price = 1000;
    for (int i = 0; i < count; ++i) {
        uint32_t open = price;
        price = uint32_t(int(price) + (i * 37 % 41) - 20);
        rows.push_back({open, std::max(open, price) + uint32_t(i % 5), std::min(open, price) - uint32_t(i % 3), price});
    }
    return rows;
}

int Count(const std::vector<std::string> &calls, const std::string &prefix)
{
    return int(std::count_if(calls.begin(), calls.end(),
                             [&](const std::string &c) { return c.rfind(prefix, 0) == 0; }));
}

TEST(BuiltinIndexes, RefusedParametersAndEmptyHistoryComputeAndDrawNothing)
{
    struct Case {
        int id, lines;
        std::vector<int> params;
    } refused[] = {
        {45, 3, {12, 12, 9}},  {45, 3, {0, 26, 9}},  {45, 3, {12, 26, 0}}, {45, 3, {12, 101, 9}},
        {42, 2, {10, 5, 4}},   {42, 2, {0, 10, 4}},  {42, 2, {5, 40, 4}}, // p1 beyond the 30 bars
        {43, 4, {0}},          {43, 4, {30}},        {48, 2, {0, 4}},     {48, 2, {3, 0}},
        {87, 3, {1, 12, 24}},  {87, 3, {6, 101, 24}}, {87, 3, {6, 12, 0}}, {90, 2, {0, 6}},
        {83, 1, {0}},          {86, 3, {0, 3, 1}},   {163, 2, {0, 3}},    {362, 2, {0, 3}},
        {161, 2, {0}},         {162, 5, {0}},        {164, 2, {0, 3}},    {242, 2, {0, 2}},
        {242, 2, {3, 0}},      {122, 3, {0, 0}},
    };
    for (const Case &c : refused) {
        BuiltinFixture f;
        f.Define({{c.id, c.lines, c.params}});
        f.Ohlc(Walk(30));
        auto index = f.Make(c.id);
        ASSERT_TRUE(index) << c.id;
        EXPECT_FALSE(index->Compute()) << c.id << " " << c.params[0];
        EXPECT_FALSE(index->Computed);
        bool drawn = true;
        EXPECT_EQ(DrawRecorded(*index, drawn).size(), 0u) << c.id;
        EXPECT_FALSE(drawn);
    }
    for (const BuiltinDef &d : Sound) {
        BuiltinFixture f;
        f.Define({d});
        auto index = f.Make(d.id);
        ASSERT_TRUE(index) << d.id;
        EXPECT_FALSE(index->Compute()) << "empty history " << d.id;
        bool drawn = true;
        EXPECT_EQ(DrawRecorded(*index, drawn).size(), 0u) << d.id;
    }
}

// Parameters from a damaged or hostile parameter table never reach past a
// buffer (the sanitizer build watches) and leave the lines without values.
TEST(BuiltinIndexes, ExtremeParametersStayInsideTheBuffers)
{
    const int extremes[] = {INT_MAX, INT_MIN, -1000000, 1000000, -1};
    BuiltinFixture f;
    f.Ohlc(Walk(20));
    for (const BuiltinDef &d : Sound) {
        for (int x : extremes) {
            for (size_t k = 0; k < d.params.size(); ++k) {
                std::vector<int> params = d.params;
                params[k] = x;
                f.Define({{d.id, d.lines, params}});
                auto index = f.Make(d.id);
                ASSERT_TRUE(index);
                if (!index->Compute())
                    continue;
                bool drawn = false;
                DrawRecorded(*index, drawn);
                EXPECT_TRUE(drawn) << d.id;
            }
        }
    }
}

TEST(BuiltinIndexes, ForcedReferenceLevels)
{
    struct Case {
        int id;
        std::vector<float> levels;
    } cases[] = {
        {87, {20, 50, 80}}, {90, {20, 50, 80}}, {83, {-100, 0, 100}}, {86, {0}},
        {81, {0}},          {163, {75, 25}},    {45, {0}},             {242, {0}},
    };
    for (const Case &c : cases) {
        BuiltinFixture f;
        const BuiltinDef *d = std::find_if(std::begin(Sound), std::end(Sound),
                                           [&](const BuiltinDef &s) { return s.id == c.id; });
        f.Define({*d});
        f.Ohlc(Walk(30));
        // A reference-line record for the slots would be overridden.
        auto index = f.Make(c.id);
        ASSERT_TRUE(index && index->Compute()) << c.id;
        for (size_t k = 0; k < c.levels.size(); ++k) {
            EXPECT_EQ(index->RefShown[k], 1) << c.id;
            EXPECT_EQ(index->RefLevel[k], c.levels[k]) << c.id;
        }
    }
}

TEST(BuiltinIndexes, CrAveragesAreFixedAndDrawnIntoTheFuture)
{
    BuiltinFixture f;
    f.Define({{162, 5, {3, 1, 2, 3, 4}}});
    f.Ohlc(Walk(80));
    auto index = f.Make(162);
    ASSERT_TRUE(index && index->Compute());
    const int32_t *p = index->CurrentParams();
    EXPECT_EQ(std::vector<int>(p + 1, p + 5), (std::vector<int>{10, 20, 40, 62}));
    // The 10-bar average of the last 10 CR values sits 4 bars after the last.
    double sum = 0;
    for (int i = 70; i < 80; ++i)
        sum += index->Lines[0][i];
    EXPECT_NEAR(index->Lines[1][79 + 4], sum / 10, 1e-3);
    EXPECT_EQ(index->Lines[1][3 + 10 - 1 + 4 - 1], NoValue);
    EXPECT_NE(index->Lines[1][3 + 10 - 1 + 4], NoValue);
    EXPECT_NE(index->Lines[4][79 + 30], NoValue);

    // 53 bars fit; with the last 53 shown, the value range covers values that
    // exist only after the last record.
    index->Lines[4][79 + 30] = 1e6f;
    index->SetViewState(5, 1, 53, 27);
    bool drawn = false;
    auto calls = DrawRecorded(*index, drawn);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(index->Capacity, 53);
    EXPECT_EQ(index->VisibleCount, 53 + 30);
    EXPECT_EQ(index->ValueMax, 1e6f);
    EXPECT_GT(Count(calls, "LineTo("), 0);
}

TEST(BuiltinIndexes, EachDrawsIntoAPane)
{
    for (const BuiltinDef &d : Sound) {
        BuiltinFixture f;
        f.Define({d});
        f.Ohlc(Walk(60));
        auto index = f.Make(d.id);
        ASSERT_TRUE(index && index->Compute()) << d.id;
        EXPECT_EQ(index->SubPane, d.id != 44 && d.id != 122 && d.id != 125) << d.id;
        index->SetViewState(3, 1, 60, 0);
        bool drawn = false;
        auto calls = DrawRecorded(*index, drawn);
        EXPECT_TRUE(drawn) << d.id;
        EXPECT_GT(Count(calls, "LineTo("), 20) << d.id;
        if (d.id == 45) { // the MACD sticks around zero
            EXPECT_GT(Count(calls, "MoveToEx("), 40);
        }
    }
}

} // namespace
