#include "consign/pages/OrderListUpdates.h"

#include <cstring>

using namespace win;

std::list<CRejectedOrderRecord> RejectedOrderList;

namespace F = OrderQueryField;

const COrderQueryRecord *LatestOrder(int32_t number)
{
    for (auto it = OrderList.rbegin(); it != OrderList.rend(); ++it)
        if (RecordNumber(it->data, OrderQueryField::number) == number)
            return &*it;
    return nullptr;
}

int32_t RecordNumber(const BYTE *record, int at)
{
    int32_t value;
    std::memcpy(&value, record + at, sizeof value);
    return value;
}

void SetRecordNumber(BYTE *record, int at, int32_t value) { std::memcpy(record + at, &value, sizeof value); }

namespace {

// The fields an order answer gives an order-query record (the first 188 bytes
// of `record`).
void FillQueryFields(BYTE *record, const COrderRecord &order)
{
    std::memcpy(record + F::account, order.account, sizeof order.account);
    std::memcpy(record + F::customer, order.customer, sizeof order.customer);
    std::memcpy(record + F::contract, order.contract, sizeof order.contract);
    SetRecordNumber(record, F::number, order.orderNumber);
    std::memcpy(record + F::price, order.price, sizeof order.price);
    record[F::status] = static_cast<BYTE>(order.status);
    SetRecordNumber(record, F::volume, order.volume);
    SetRecordNumber(record, F::remaining, order.volume);
    std::memcpy(record + F::tradeCode, order.tradeCode, sizeof order.tradeCode);
    record[F::direction] = (order.flags & 1) ? '0' : '1';
    record[F::openClose] = (order.flags & 2) ? '0' : '1';
    record[F::hedge] = (order.flags & 4) ? '1' : '0';
    record[F::closeToday] = (order.flags & 8) ? '1' : 0;
}

COrderQueryRecord *FindOrder(int32_t number)
{
    for (COrderQueryRecord &r : OrderList)
        if (RecordNumber(r.data, F::number) == number)
            return &r;
    return nullptr;
}

} // namespace

void AddAcceptedOrder(const COrderRecord &order)
{
    COrderQueryRecord record{};
    FillQueryFields(record.data, order);
    OrderList.push_back(record);
}

void AddRejectedOrder(const COrderRecord &order, LPCSTR text)
{
    CRejectedOrderRecord record{};
    FillQueryFields(record.data, order);
    if (text) {
        const size_t room = sizeof record.data - F::errorText - 1;
        std::memcpy(record.data + F::errorText, text, strnlen(text, room));
    }
    RejectedOrderList.push_back(record);
}

COrderQueryRecord *ApplyDealReport(BYTE *report)
{
    COrderQueryRecord *order = FindOrder(RecordNumber(report, 68));
    if (!order)
        return nullptr;
    // A repeated or over-reported deal leaves nothing remaining, never less.
    int64_t remaining = static_cast<int64_t>(RecordNumber(order->data, F::remaining)) - RecordNumber(report, 72);
    if (remaining < 0)
        remaining = 0;
    SetRecordNumber(order->data, F::remaining, static_cast<int32_t>(remaining));
    const BYTE letter = remaining == 0 ? 'c' : 'p';
    order->data[F::status] = letter;
    report[112] = letter;
    return order;
}

COrderQueryRecord *ApplyCancelReport(const COrderRecord &report)
{
    COrderQueryRecord *order = FindOrder(report.orderNumber);
    if (!order)
        return nullptr;
    order->data[F::status] = static_cast<BYTE>(report.status);
    std::memcpy(order->data + F::system, report.systemNumber, sizeof report.systemNumber);
    order->data[F::system + 10] = 0;
    return order;
}
