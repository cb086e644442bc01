#include "consign/pages/OrderListSort.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "consign/session/RecordLists.h"

using namespace win;

int OrderSortDirection = 1;

namespace {

// Offsets of the order-query record's fields that the columns show.
constexpr size_t OrderNumberAt = 20, SystemNumberAt = 24, ContractAt = 35, StatusAt = 53, OpenCloseAt = 54,
                 DirectionAt = 56, PriceAt = 57, VolumeAt = 68, CustomerAt = 105, CloseTodayAt = 115,
                 TradeCodeAt = 146;
constexpr size_t TradeCodeWidth = sizeof(COrderQueryRecord) - TradeCodeAt;

std::string_view Field(const BYTE *record, size_t at, size_t width)
{
    const char *text = reinterpret_cast<const char *>(record + at);
    return std::string_view(text, strnlen(text, width));
}

uint32_t Number(const BYTE *record, size_t at)
{
    uint32_t value;
    std::memcpy(&value, record + at, sizeof value);
    return value;
}

double Price(const BYTE *record)
{
    char text[9] = {};
    std::memcpy(text, record + PriceAt, 8);
    return std::atof(text);
}

// The texts the lists show for the status letter, direction and open/close; a
// value without a name shows as nothing.
std::string_view StatusName(char status)
{
    switch (status) {
    case 'a': return "已经报入";
    case 'c': return "全部成交";
    case 'd': return "已经撤销";
    case 'e': return "错误委托";
    case 'f': return "等待撤除";
    case 'm':
    case 'q': return "主机撤单";
    case 'n': return "等待报入";
    case 'p': return "部分成交";
    default: return "";
    }
}

std::string_view DirectionName(char direction)
{
    if (direction == '0')
        return "买";
    if (direction == '1')
        return "\xA3\xA0卖";
    return "";
}

std::string_view OpenCloseName(const BYTE *record)
{
    const char openClose = static_cast<char>(record[OpenCloseAt]);
    if (openClose == '0')
        return "开仓";
    if (record[CloseTodayAt] == '1')
        return "平今";
    if (openClose == '1')
        return "平仓";
    if (openClose == '3')
        return "平今";
    return "";
}

template <typename T> int Ordered(T a, T b, int d)
{
    if (a > b)
        return -d;
    if (a < b)
        return d;
    return 0;
}

int Texts(std::string_view a, std::string_view b, int d)
{
    // string_view compares char by char as unsigned bytes (char_traits<char>).
    const int c = a.compare(b);
    return c < 0 ? -d : c > 0 ? d : 0;
}

} // namespace

int CompareOrderListItems(LPARAM item1, LPARAM item2, LPARAM column)
{
    const int d = OrderSortDirection;
    const auto *a = reinterpret_cast<const BYTE *>(item1);
    const auto *b = reinterpret_cast<const BYTE *>(item2);
    if (!a && !b)
        return 0;
    if (!a)
        return -d;
    if (!b)
        return d;
    switch (column) {
    case 0: return Ordered(Number(a, OrderNumberAt), Number(b, OrderNumberAt), d);
    case 1: return Texts(Field(a, CustomerAt, 10), Field(b, CustomerAt, 10), d);
    case 2: return Texts(Field(a, ContractAt, 10), Field(b, ContractAt, 10), d);
    case 3: return Texts(StatusName(static_cast<char>(a[StatusAt])), StatusName(static_cast<char>(b[StatusAt])), d);
    case 4:
        return Texts(DirectionName(static_cast<char>(a[DirectionAt])),
                     DirectionName(static_cast<char>(b[DirectionAt])), d);
    case 5: return Texts(OpenCloseName(a), OpenCloseName(b), d);
    case 6: return Ordered(Number(a, VolumeAt), Number(b, VolumeAt), d);
    case 7: return Ordered(Price(a), Price(b), d);
    case 8: return Texts(Field(a, SystemNumberAt, 11), Field(b, SystemNumberAt, 11), d);
    case 9: return Texts(Field(a, TradeCodeAt, TradeCodeWidth), Field(b, TradeCodeAt, TradeCodeWidth), d);
    default: return 0;
    }
}
