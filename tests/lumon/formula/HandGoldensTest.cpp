// The built-in indicators of the trend, oscillator, volume and band families
// against values worked by hand in 32-bit floats (tools/indicators/
// hand_goldens.py) on a small series with a flat stretch of bars whose high
// equals their low and one ex-rights event: without the event, and in weight
// mode 1, where the indicators carry earlier prices across it. Exactly equal.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "BuiltinFixture.h"

namespace {

struct HandLine {
    std::vector<float> values;
    std::vector<bool> none;
};

struct HandCase {
    std::vector<int> params;
    std::map<int, HandLine> lines;
};

// mode ("plain", "event") -> id -> case
std::map<std::string, std::map<int, HandCase>> ReadHand()
{
    std::map<std::string, std::map<int, HandCase>> cases;
    std::ifstream in(GoldenPath("hand.txt"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string first, mode, word;
        fields >> first;
        if (first == "params") {
            int id, p;
            fields >> mode >> id;
            while (fields >> p)
                cases[mode][id].params.push_back(p);
            continue;
        }
        int id, k;
        fields >> id >> k;
        HandLine &l = cases[first][id].lines[k];
        while (fields >> word) {
            l.none.push_back(word == "-");
            l.values.push_back(word == "-" ? NoValue : std::strtof(word.c_str(), nullptr));
        }
    }
    return cases;
}

struct HandSeries {
    std::vector<std::vector<uint32_t>> rows;
    std::vector<ExRightsRecord> events;
};

HandSeries ReadSeries()
{
    HandSeries s;
    std::ifstream in(GoldenPath("hand_series.txt"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        if (line.rfind("event", 0) == 0) {
            std::string word;
            uint32_t day;
            ExRightsRecord e{};
            fields >> word >> day >> e.Bonus >> e.Rights >> e.RightsPrice >> e.Dividend >> e.Conversion;
            PackedDateTime d = MakePackedDateTime(2006, 11, 1, 0, 0);
            for (uint32_t i = 0; i < day; ++i)
                d = NextDay(d);
            e.Date = d;
            s.events.push_back(e);
            continue;
        }
        uint32_t o, h, l, c;
        fields >> o >> h >> l >> c;
        s.rows.push_back({o, h, l, c});
    }
    return s;
}

TEST(HandGoldens, EveryIndicatorEqualsItsHandWorkedValues)
{
    auto cases = ReadHand();
    HandSeries series = ReadSeries();
    ASSERT_EQ(series.rows.size(), 24u);
    ASSERT_EQ(cases.size(), 2u);
    for (auto &[mode, byId] : cases) {
        ASSERT_EQ(byId.size(), 20u);
        for (auto &[id, c] : byId) {
            BuiltinFixture f;
            f.Define({{id, int(c.lines.size()), c.params}});
            f.Ohlc(series.rows);
            if (mode == "event")
                f.WriteRecords("sh/weight/600000.wgt", series.events);
            auto index = f.Make(id);
            ASSERT_TRUE(index) << id;
            index->WeightMode = mode == "event" ? WeightBreaks : WeightNone;
            ASSERT_TRUE(index->Compute()) << mode << " " << id;
            ASSERT_EQ(index->EventMode(), mode == "event");
            for (auto &[k, line] : c.lines) {
                for (size_t i = 0; i < line.values.size(); ++i) {
                    float v = index->Lines[k][i];
                    if (line.none[i])
                        EXPECT_EQ(v, NoValue) << mode << " id " << id << " line " << k << " bar " << i;
                    else
                        EXPECT_EQ(v, line.values[i]) << mode << " id " << id << " line " << k << " bar " << i;
                }
            }
        }
    }
}

} // namespace
