// The reference lines file: lines saved, found, replaced and deleted per
// indicator and stock, and a file with a partial record mended on the next write.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../core/HistoryFixture.h"
#include "lumon/formula/RefLines.h"

namespace {

const uint8_t Shown[4] = {1, 0, 1, 0};
const float Levels[4] = {20, 50, 80, 0};

RefLineRecord Record(int id, int market, const char *code, float level)
{
    RefLineRecord r{};
    r.IndexId = uint16_t(id);
    r.Market = uint16_t(market);
    std::strncpy(r.Code, code, sizeof r.Code);
    r.Level[0] = level;
    return r;
}

// The file as it lies on disk (created under the upper-case name the flat files
// have always had).
std::string FileBytes(const HistoryMarkets &f)
{
    std::string bytes = f.inst.Read("CFG/REFLINE.DAT");
    return bytes.empty() ? f.inst.Read("CFG/refline.dat") : bytes;
}

std::vector<RefLineRecord> FileRecords(const HistoryMarkets &f)
{
    std::string bytes = FileBytes(f);
    std::vector<RefLineRecord> records(bytes.size() / sizeof(RefLineRecord));
    if (!records.empty())
        std::memcpy(records.data(), bytes.data(), records.size() * sizeof(RefLineRecord));
    return records;
}

TEST(RefLines, SavedFoundReplacedAndDeletedPerIndicatorAndStock)
{
    HistoryMarkets f;
    StockId shStock = MakeStockId(0, 1, 1);   // 600000 of market 0
    StockId futStock = MakeStockId(1, 0, 0);  // CU0612 of market 1
    f.Market(1).Statics[0] = f.Market(0).Statics[1]; // the same code in both markets
    f.Market(1).Statics[0].Market = 1;
    RefLineRecord r;
    EXPECT_FALSE(FindRefLines(shStock, 5, r)); // no file yet

    EXPECT_EQ(SaveRefLines(5, shStock, Shown, Levels), 1);
    EXPECT_EQ(SaveRefLines(6, shStock, Shown, Levels), 1);
    EXPECT_EQ(SaveRefLines(5, futStock, Shown, Levels), 1);
    const float other[4] = {1, 2, 3, 4};
    EXPECT_EQ(SaveRefLines(5, shStock, Shown, other), 1); // replaces, at the end
    std::vector<RefLineRecord> records = FileRecords(f);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].IndexId, 5);
    EXPECT_EQ(records[2].Market, 0);
    EXPECT_STREQ(records[2].Code, "600000");

    ASSERT_TRUE(FindRefLines(shStock, 5, r));
    EXPECT_FLOAT_EQ(r.Level[3], 4);
    EXPECT_EQ(r.Shown[2], 1);
    ASSERT_TRUE(FindRefLines(shStock, 6, r));
    EXPECT_FLOAT_EQ(r.Level[0], 20);
    EXPECT_FALSE(FindRefLines(shStock, 7, r)); // another indicator sees none
    ASSERT_TRUE(FindRefLines(futStock, 5, r));
    EXPECT_EQ(r.Market, 1);

    EXPECT_EQ(DeleteRefLines(futStock, 5), 1); // the other market's record stays
    EXPECT_FALSE(FindRefLines(futStock, 5, r));
    EXPECT_TRUE(FindRefLines(shStock, 5, r));
    EXPECT_EQ(FileRecords(f).size(), 2u);
    EXPECT_EQ(SaveRefLines(5, MakeStockId(0, 1, 99), Shown, Levels), 0); // not a stock
}

TEST(RefLines, PartialAndUnterminatedRecordsAreSafe)
{
    HistoryMarkets f;
    StockId stock = MakeStockId(0, 1, 1);
    RefLineRecord unterminated = Record(5, 0, "", 9);
    std::memset(unterminated.Code, '6', sizeof unterminated.Code);
    std::vector<RefLineRecord> records = {unterminated, Record(5, 0, "600001", 7), Record(5, 0, "600000", 8)};
    f.inst.Write("CFG/refline.dat",
                 std::string(reinterpret_cast<const char *>(records.data()), records.size() * 36) + "partial");
    RefLineRecord r;
    ASSERT_TRUE(FindRefLines(stock, 5, r));
    EXPECT_FLOAT_EQ(r.Level[0], 8);

    // The next write drops the partial tail and keeps every other record.
    EXPECT_EQ(DeleteRefLines(MakeStockId(0, 1, 6), 5), 1);
    EXPECT_EQ(FileBytes(f).size(), 3 * 36u);
    EXPECT_EQ(SaveRefLines(5, stock, Shown, Levels), 1);
    std::vector<RefLineRecord> after = FileRecords(f);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(std::memcmp(&after[0], &unterminated, 36), 0);
    EXPECT_FLOAT_EQ(after[2].Level[2], 80);
}

} // namespace
