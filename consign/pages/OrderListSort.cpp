#include "consign/pages/OrderListSort.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "consign/pages/OrderWords.h"
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

std::string_view OpenCloseName(const BYTE *record)
{
    return OpenCloseLetterWord(static_cast<char>(record[OpenCloseAt]), static_cast<char>(record[CloseTodayAt]));
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
    case 3: return Texts(StatusWord(static_cast<char>(a[StatusAt]), 0, 0), StatusWord(static_cast<char>(b[StatusAt]), 0, 0), d);
    case 4:
        return Texts(DirectionLetterWord(static_cast<char>(a[DirectionAt])),
                     DirectionLetterWord(static_cast<char>(b[DirectionAt])), d);
    case 5: return Texts(OpenCloseName(a), OpenCloseName(b), d);
    case 6: return Ordered(Number(a, VolumeAt), Number(b, VolumeAt), d);
    case 7: return Ordered(Price(a), Price(b), d);
    case 8: return Texts(Field(a, SystemNumberAt, 11), Field(b, SystemNumberAt, 11), d);
    case 9: return Texts(Field(a, TradeCodeAt, TradeCodeWidth), Field(b, TradeCodeAt, TradeCodeWidth), d);
    default: return 0;
    }
}
