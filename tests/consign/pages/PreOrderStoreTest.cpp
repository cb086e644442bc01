// The pre-orders kept in the settings file: loaded only on the day of the save
// and for the account that saved them, saved with a count that hides older
// sections, and bad values giving defined records.
#include <cstring>
#include <string>

#include "consign/pages/PreOrderStore.h"
#include "platform/win/Profile.h"
#include "tests/consign/pages/PagesFixture.h"

using namespace win;

namespace {

class PreOrderStoreTest : public pagestest::PagesFixture {};

COrderRecord Order(const char *contract, int volume, BYTE flags)
{
    COrderRecord o{};
    std::strncpy(o.customer, "10000001", sizeof o.customer);
    std::strncpy(o.contract, contract, sizeof o.contract);
    std::strncpy(o.price, "4567.5", sizeof o.price);
    std::strncpy(o.tradeCode, "TC01", sizeof o.tradeCode);
    o.volume = volume;
    o.flags = flags;
    return o;
}

std::string Field(const char *field, size_t width) { return std::string(field, strnlen(field, width)); }

TEST_F(PreOrderStoreTest, SavedTodayBySameAccountComesBack)
{
    SetDay(2025, 3, 14);
    SavePreOrderList(settings.c_str(), "8001", {Order("cu2505", 5, 3), Order("al2506", 2, 0)});
    std::list<COrderRecord> loaded;
    int number = 7;
    EXPECT_EQ(LoadPreOrderList(settings.c_str(), "8001", loaded, number), 2);
    ASSERT_EQ(loaded.size(), 2u);
    const COrderRecord &first = loaded.front();
    EXPECT_EQ(Field(first.contract, 10), "cu2505");
    EXPECT_EQ(Field(first.customer, 10), "10000001");
    EXPECT_EQ(Field(first.price, 8), "4567.5");
    EXPECT_EQ(Field(first.tradeCode, 10), "TC01");
    EXPECT_EQ(Field(first.account, 10), "8001");
    EXPECT_EQ(first.volume, 5);
    EXPECT_EQ(first.volume2, 5);
    EXPECT_EQ(first.flags, 3);
    EXPECT_EQ(Field(first.localNumber, 8), "0007");
    EXPECT_EQ(Field(loaded.back().localNumber, 8), "0008");
    EXPECT_EQ(number, 9);
    EXPECT_NE(pagestest::ReadFile(settings).find("LastDate=20250314"), std::string::npos);
}

TEST_F(PreOrderStoreTest, SavedYesterdayLoadsNoneAndResetsTheCount)
{
    SetDay(2025, 3, 13);
    SavePreOrderList(settings.c_str(), "8001", {Order("cu2505", 5, 3)});
    SetDay(2025, 3, 14);
    std::list<COrderRecord> loaded{Order("old", 1, 0)};
    int number = 1;
    EXPECT_EQ(LoadPreOrderList(settings.c_str(), "8001", loaded, number), 0);
    EXPECT_TRUE(loaded.empty());
    EXPECT_EQ(number, 1);
    char text[32];
    GetPrivateProfileStringA("Pre Order", "LastDate", "", text, sizeof text, settings.c_str());
    EXPECT_STREQ(text, "20250314");
    GetPrivateProfileStringA("Pre Order", "Count", "", text, sizeof text, settings.c_str());
    EXPECT_STREQ(text, "0");
}

TEST_F(PreOrderStoreTest, AnotherAccountLoadsNoneAndLeavesTheFile)
{
    SetDay(2025, 3, 14);
    SavePreOrderList(settings.c_str(), "8001", {Order("cu2505", 5, 3)});
    const std::string before = pagestest::ReadFile(settings);
    std::list<COrderRecord> loaded;
    int number = 1;
    EXPECT_EQ(LoadPreOrderList(settings.c_str(), "9001", loaded, number), 0);
    EXPECT_TRUE(loaded.empty());
    EXPECT_EQ(pagestest::ReadFile(settings), before);
}

TEST_F(PreOrderStoreTest, ShorterSaveLeavesOldSectionUnread)
{
    SetDay(2025, 3, 14);
    std::list<COrderRecord> orders{Order("cu2505", 1, 0), Order("al2506", 2, 0), Order("zn2507", 3, 0)};
    SavePreOrderList(settings.c_str(), "8001", orders);
    orders.erase(std::next(orders.begin()));
    SavePreOrderList(settings.c_str(), "8001", orders);
    EXPECT_EQ(GetPrivateProfileIntA("Pre Order", "Count", -1, settings.c_str()), 2u);
    char text[32];
    GetPrivateProfileStringA("Pre Order 2", "contr", "", text, sizeof text, settings.c_str());
    EXPECT_STREQ(text, "zn2507") << "the third section stays in the file";
    std::list<COrderRecord> loaded;
    int number = 1;
    ASSERT_EQ(LoadPreOrderList(settings.c_str(), "8001", loaded, number), 2);
    EXPECT_EQ(Field(loaded.back().contract, 10), "zn2507") << "the second entry is now the former third";
}

// Damaged files: counts, numbers and texts out of range give defined records.
TEST_F(PreOrderStoreTest, BadValuesGiveDefinedRecords)
{
    SetDay(2025, 3, 14);
    const std::string longText(100, 'x');
    struct Case {
        const char *name;
        std::string file;
        size_t expected;
    } cases[] = {
        {"huge count stops at the first missing entry",
         "[Pre Order]\r\nLastDate=20250314\r\nUser_no=8001\r\nCount=2000000000\r\n"
         "[Pre Order 0]\r\ncontr=cu2505\r\nvol=abc\r\nflag=300\r\n"
         "[Pre Order 1]\r\ncontr=" + longText + "\r\ncustid=" + longText + "\r\nprice=" + longText +
             "\r\nmap_no=" + longText + "\r\n",
         2},
        {"negative count", "[Pre Order]\r\nLastDate=20250314\r\nUser_no=8001\r\nCount=-5\r\n[Pre Order 0]\r\ncontr=a\r\n",
         0},
        {"count beyond a gap", "[Pre Order]\r\nLastDate=20250314\r\nUser_no=8001\r\nCount=3\r\n[Pre Order 0]\r\ncontr=a\r\n"
                               "[Pre Order 2]\r\ncontr=c\r\n",
         1},
    };
    for (const Case &c : cases) {
        pagestest::WriteFile(settings, c.file);
        std::list<COrderRecord> loaded;
        int number = 1;
        EXPECT_EQ(LoadPreOrderList(settings.c_str(), "8001", loaded, number), static_cast<int>(c.expected)) << c.name;
        ASSERT_EQ(loaded.size(), c.expected) << c.name;
        if (c.expected == 2) {
            EXPECT_EQ(loaded.front().volume, 0) << "a volume that is no number";
            EXPECT_EQ(loaded.front().flags, 300 & 0xFF) << "the flag byte keeps the low eight bits";
            const COrderRecord &cut = loaded.back();
            EXPECT_EQ(Field(cut.contract, 10), std::string(10, 'x'));
            EXPECT_EQ(Field(cut.price, 8), std::string(8, 'x'));
            EXPECT_EQ(Field(cut.customer, 10), std::string(10, 'x'));
            EXPECT_EQ(Field(cut.tradeCode, 10), std::string(10, 'x'));
            EXPECT_EQ(Field(cut.localNumber, 8), "0002");
        }
    }
}

} // namespace
