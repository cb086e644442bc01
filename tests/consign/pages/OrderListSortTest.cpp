// The shared comparison of the order lists: each column's field and kind, the
// named texts of status, direction and open/close, missing items, and the
// direction that every header click reverses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "consign/pages/OrderListSort.h"
#include "consign/session/RecordLists.h"

using namespace win;

namespace {

struct Fields {
    uint32_t number = 0;
    const char *customer = "";
    const char *contract = "";
    char status = 0;
    char direction = 0;
    char openClose = 0;
    char closeToday = 0;
    uint32_t volume = 0;
    const char *price = "";
    const char *system = "";
    const char *tradeCode = "";
};

COrderQueryRecord Make(const Fields &f)
{
    COrderQueryRecord r{};
    std::memcpy(r.data + 20, &f.number, 4);
    std::memcpy(r.data + 105, f.customer, std::strlen(f.customer));
    std::memcpy(r.data + 35, f.contract, std::strlen(f.contract));
    r.data[53] = static_cast<BYTE>(f.status);
    r.data[54] = static_cast<BYTE>(f.openClose);
    r.data[56] = static_cast<BYTE>(f.direction);
    r.data[115] = static_cast<BYTE>(f.closeToday);
    std::memcpy(r.data + 68, &f.volume, 4);
    std::memcpy(r.data + 57, f.price, std::strlen(f.price));
    std::memcpy(r.data + 24, f.system, std::strlen(f.system));
    std::memcpy(r.data + 146, f.tradeCode, std::strlen(f.tradeCode));
    return r;
}

LPARAM Item(const COrderQueryRecord &r) { return reinterpret_cast<LPARAM>(&r); }

class OrderListSortTest : public ::testing::Test {
protected:
    void TearDown() override { OrderSortDirection = 1; }
};

// With the starting direction (+1): a is the first record, b the second;
// the result is the sign of compare(a, b).
TEST_F(OrderListSortTest, EachColumnComparesItsField)
{
    struct Case {
        const char *name;
        int column;
        Fields a, b;
        int expected;
    } cases[] = {
        {"order number, larger first", 0, {.number = 9}, {.number = 10}, 1},
        {"order number unsigned", 0, {.number = 0x80000000u}, {.number = 1}, -1},
        {"customer bytes ascending", 1, {.customer = "10000001"}, {.customer = "10000002"}, -1},
        {"contract bytes ascending", 2, {.contract = "cu2505"}, {.contract = "al2505"}, 1},
        // 部 (B2BF) sorts before 已 (D2D1) in GBK byte order.
        {"status by its name", 3, {.status = 'p'}, {.status = 'a'}, -1},
        {"m and q share one name", 3, {.status = 'm'}, {.status = 'q'}, 0},
        {"a status without a name is empty", 3, {.status = 'z'}, {.status = 'a'}, -1},
        // 买 is D0 C2, the sell text starts with the full-width blank A3 A0.
        {"direction by its name", 4, {.direction = '0'}, {.direction = '1'}, 1},
        {"open before close", 5, {.openClose = '0'}, {.openClose = '1'}, -1},
        {"close-today flag names close today", 5, {.openClose = '1', .closeToday = '1'}, {.openClose = '3'}, 0},
        {"close and close today", 5, {.openClose = '1'}, {.openClose = '3'}, -1},
        {"volume, larger first", 6, {.volume = 5}, {.volume = 50}, 1},
        {"price by its value", 7, {.price = "9.5"}, {.price = "10"}, 1},
        {"price equal in value", 7, {.price = "10"}, {.price = "10.00"}, 0},
        {"system number bytes", 8, {.system = "S2"}, {.system = "S10"}, 1},
        {"trade code bytes", 9, {.tradeCode = "A"}, {.tradeCode = "B"}, -1},
        {"a column without a field", 10, {.number = 1}, {.number = 2}, 0},
    };
    for (const Case &c : cases) {
        const COrderQueryRecord a = Make(c.a), b = Make(c.b);
        EXPECT_EQ(CompareOrderListItems(Item(a), Item(b), c.column), c.expected) << c.name;
        EXPECT_EQ(CompareOrderListItems(Item(b), Item(a), c.column), -c.expected) << c.name << " (swapped)";
        OrderSortDirection = -1;
        EXPECT_EQ(CompareOrderListItems(Item(a), Item(b), c.column), -c.expected) << c.name << " (reversed)";
        OrderSortDirection = 1;
    }
}

TEST_F(OrderListSortTest, MissingItems)
{
    const COrderQueryRecord a = Make({.number = 1});
    for (int d : {1, -1}) {
        OrderSortDirection = d;
        EXPECT_EQ(CompareOrderListItems(0, 0, 0), 0);
        EXPECT_EQ(CompareOrderListItems(0, Item(a), 0), -d);
        EXPECT_EQ(CompareOrderListItems(Item(a), 0, 0), d);
    }
}

// The first header click negates the direction: numbers then run ascending and
// texts in descending byte order.
TEST_F(OrderListSortTest, FirstClickSortsNumbersUpAndTextsDown)
{
    std::vector<COrderQueryRecord> records = {Make({.number = 30, .contract = "al"}),
                                              Make({.number = 10, .contract = "zn"}),
                                              Make({.number = 20, .contract = "cu"})};
    std::vector<const COrderQueryRecord *> rows;
    for (const auto &r : records)
        rows.push_back(&r);
    auto sortBy = [&](int column) {
        std::stable_sort(rows.begin(), rows.end(), [column](const auto *x, const auto *y) {
            return CompareOrderListItems(Item(*x), Item(*y), column) < 0;
        });
    };
    auto numbers = [&] {
        std::vector<uint32_t> n;
        for (const auto *r : rows) {
            uint32_t v;
            std::memcpy(&v, r->data + 20, 4);
            n.push_back(v);
        }
        return n;
    };
    OrderSortDirection = -OrderSortDirection;
    sortBy(0);
    EXPECT_EQ(numbers(), (std::vector<uint32_t>{10, 20, 30}));
    sortBy(2);
    EXPECT_EQ(numbers(), (std::vector<uint32_t>{10, 20, 30})) << "zn, cu, al";
    OrderSortDirection = -OrderSortDirection;
    sortBy(0);
    EXPECT_EQ(numbers(), (std::vector<uint32_t>{30, 20, 10}));
}

} // namespace
