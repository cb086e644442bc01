// dBASE tables: a table written by shapelib's tools, and headers that lie.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lumon/core/DbfTable.h"

namespace {

struct Field {
    std::string name;
    char type;
    int length;
};

// A table with the given fields and records (each record's values padded to
// their field lengths); the header's counts can be overridden to make it lie.
std::string MakeDbf(const std::vector<Field> &fields, const std::vector<std::vector<std::string>> &records,
                    int headerLength = -1, int recordLength = -1, int recordCount = -1)
{
    int natural = 1;
    for (const Field &f : fields)
        natural += f.length;
    if (headerLength < 0)
        headerLength = 33 + 32 * int(fields.size());
    if (recordLength < 0)
        recordLength = natural;
    if (recordCount < 0)
        recordCount = int(records.size());
    std::string out(32, '\0');
    out[0] = 3;
    for (int i = 0; i < 4; ++i)
        out[4 + i] = char(uint32_t(recordCount) >> (8 * i));
    out[8] = char(headerLength);
    out[9] = char(headerLength >> 8);
    out[10] = char(recordLength);
    out[11] = char(recordLength >> 8);
    for (const Field &f : fields) {
        std::string d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        d[16] = char(f.length);
        out += d;
    }
    out += '\r';
    out.resize(size_t(headerLength), '\0');
    for (const auto &r : records) {
        std::string rec = " ";
        for (size_t i = 0; i < fields.size(); ++i) {
            std::string v = i < r.size() ? r[i] : "";
            v.resize(size_t(fields[i].length), ' ');
            rec += v;
        }
        rec.resize(size_t(natural), ' ');
        out += rec;
    }
    return out;
}

// The bytes with the 16-bit header word at `offset` replaced.
std::string Patch16(std::string bytes, size_t offset, int value)
{
    bytes[offset] = char(value);
    bytes[offset + 1] = char(value >> 8);
    return bytes;
}

void Spit(const char *path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(DbfTable, ReadsATableWrittenByShapelib)
{
    // "国泰君安" as GBK bytes: the literal is compiled to GBK.
    std::string name = "国泰君安";
    std::string command = "/usr/bin/dbfcreate brokers -s BROKERNAME 20 -n BROKERNO 6 0 >/dev/null && "
                          "/usr/bin/dbfadd brokers '" + name + "' 1001 && "
                          "/usr/bin/dbfadd brokers Huatai 2002 && "
                          "/usr/bin/dbfadd brokers Citic 3003";
    ASSERT_EQ(std::system(command.c_str()), 0);

    TDbfTable table("Brokers.dbf");
    ASSERT_EQ(table.Open(), 1);
    EXPECT_EQ(table.Open(), 1); // already open
    EXPECT_EQ(table.GetFieldCount(), 2);
    EXPECT_EQ(table.GetRecordCount(), 3);
    EXPECT_EQ(table.GetRecordLength(), 27);
    EXPECT_EQ(table.FindField("brokerno"), 1);
    EXPECT_EQ(table.GetField(1)->Type, 'N');
    EXPECT_EQ(table.GetField(1)->Offset, 21);
    EXPECT_EQ(table.FindField("BROKER"), -1);

    EXPECT_EQ(std::string(table.GetFieldText("BrokerName")), name + std::string(20 - name.size(), ' '));
    EXPECT_EQ(table.GoToRecord(2), 1);
    EXPECT_EQ(std::string(table.GetFieldText("BROKERNAME")), "Citic" + std::string(15, ' '));
    EXPECT_EQ(std::atoi(table.GetFieldText("BROKERNO")), 3003);
    EXPECT_EQ(table.GetFieldText("NOSUCH"), nullptr);
    EXPECT_EQ(table.GoToRecord(3), 0);
    EXPECT_EQ(table.GoToRecord(-1), 0);

    // The record before the first one above the number.
    EXPECT_EQ(table.FindLastRecordNotAbove("BROKERNO", 2500), 1);
    EXPECT_EQ(table.GetCurrentRecord(), 2);
    EXPECT_EQ(table.FindLastRecordNotAbove("BROKERNO", 500), -1); // the first is above already
    table.GoToRecord(1);
    EXPECT_EQ(table.FindLastRecordNotAbove("BROKERNO", 9999), -1); // none above
    EXPECT_EQ(table.GetCurrentRecord(), 1);
    EXPECT_EQ(std::atoi(table.GetFieldText("BROKERNO")), 2002);
    EXPECT_EQ(table.FindLastRecordNotAbove("NOSUCH", 1), -1);

    table.Close();
    EXPECT_EQ(table.GetFieldText("BROKERNO"), nullptr);
    EXPECT_EQ(table.GetRecordCount(), 0);
}

TEST(DbfTable, HeaderLengthGivesTheFieldCount)
{
    std::vector<Field> two = {{"A", 'C', 3}, {"B", 'N', 4}};
    struct Case {
        int headerLength, fields;
    } cases[] = {{65, 1}, {97, 2}, {96, 1}, {129, 3}};
    for (const Case &c : cases) {
        Spit("h.dbf", MakeDbf(two, {{"abc", "12"}}, c.headerLength));
        TDbfTable table("h.dbf");
        ASSERT_EQ(table.Open(), 1) << c.headerLength;
        EXPECT_EQ(table.GetFieldCount(), c.fields) << c.headerLength;
    }
}

TEST(DbfTable, LyingHeadersGiveWhatIsThereOrFail)
{
    std::vector<Field> two = {{"CODE", 'C', 6}, {"NUM", 'N', 4}};
    std::vector<std::vector<std::string>> rows = {{"600000", "1"}, {"600001", "2"}, {"600002", "3"}};
    struct Case {
        const char *what;
        std::string bytes;
        int opened, fields, records;
    } cases[] = {
        {"count beyond the file", MakeDbf(two, rows, -1, -1, 1000), 1, 2, 3},
        {"count below the file", MakeDbf(two, rows, -1, -1, 2), 1, 2, 2},
        {"partial last record", MakeDbf(two, rows).substr(0, 97 + 11 * 2 + 5), 1, 2, 2},
        {"record length 0", MakeDbf(two, rows, -1, 0), 0, 0, 0},
        {"header length below 33", Patch16(MakeDbf(two, rows), 8, 32), 0, 0, 0},
        {"header length 0", Patch16(MakeDbf(two, rows), 8, 0), 0, 0, 0},
        {"header beyond the file", Patch16(MakeDbf(two, rows), 8, 60000), 1, 2, 0},
        {"fields longer than the record", MakeDbf({{"CODE", 'C', 6}, {"NAME", 'C', 200}}, rows, -1, 11), 1, 1, 3},
        {"only the header", MakeDbf(two, {}).substr(0, 20), 0, 0, 0},
        {"empty file", std::string(), 0, 0, 0},
    };
    for (const Case &c : cases) {
        Spit("lie.dbf", c.bytes);
        TDbfTable table("lie.dbf");
        EXPECT_EQ(table.Open(), c.opened) << c.what;
        EXPECT_EQ(table.GetFieldCount(), c.fields) << c.what;
        EXPECT_EQ(table.GetRecordCount(), c.records) << c.what;
        for (int r = 0; r < table.GetRecordCount(); ++r) {
            table.GoToRecord(r);
            for (int f = 0; f < table.GetFieldCount(); ++f)
                EXPECT_EQ(table.ReadField(f), 1);
        }
    }
}

TEST(DbfTable, ManyFieldsAreCappedAt256)
{
    std::vector<Field> many;
    for (int i = 0; i < 300; ++i)
        many.push_back({"F" + std::to_string(i), 'C', 1});
    Spit("wide.dbf", MakeDbf(many, {{"x"}}));
    TDbfTable table("wide.dbf");
    ASSERT_EQ(table.Open(), 1);
    EXPECT_EQ(table.GetFieldCount(), 256);
    EXPECT_EQ(table.FindField("F255"), 255);
    EXPECT_EQ(table.FindField("F256"), -1);
}

TEST(DbfTable, AMissingFileIsLeftEmptyAndFails)
{
    TDbfTable table("absent.dbf");
    EXPECT_EQ(table.Open(), 0);
    EXPECT_EQ(table.GetFieldText("X"), nullptr);
    std::error_code ec;
    EXPECT_EQ(std::filesystem::file_size("ABSENT.DBF", ec), 0u);
    EXPECT_FALSE(ec);
}

} // namespace
