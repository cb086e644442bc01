// What the gateway's order traffic changes in the order lists that the order
// page and the orders page show: accepted orders join the order list, refused
// ones the rejected-order list with the gateway's text, and deal and status
// reports update the order they name.
#pragma once

#include <cstdint>
#include <list>

#include "consign/session/RecordLists.h"
#include "platform/win/WinTypes.h"

// A refused order: the order-query record's fields at their offsets, and the
// gateway's text (NUL-terminated) at 185.
struct CRejectedOrderRecord {
    win::BYTE data[444];
};
static_assert(sizeof(CRejectedOrderRecord) == 444);

// Offsets of the order-query record's fields (shared by the rejected orders).
namespace OrderQueryField {
constexpr int account = 0, number = 20, system = 24, contract = 35, status = 53, openClose = 54, hedge = 55,
              direction = 56, price = 57, volume = 68, remaining = 72, dealt = 84, customer = 105,
              closeToday = 115, tradeCode = 146, errorText = 185;
}

extern std::list<CRejectedOrderRecord> RejectedOrderList;

// Reads and writes a 32-bit number of a record in host order.
int32_t RecordNumber(const win::BYTE *record, int at);
void SetRecordNumber(win::BYTE *record, int at, int32_t value);

// The most recent order of that number in OrderList, or null.
const COrderQueryRecord *LatestOrder(int32_t number);

// An accepted order (answer 180) as an order-query record appended to OrderList:
// volume and remaining volume the order's, letters from its flag byte.
void AddAcceptedOrder(const COrderRecord &order);
// A refused order with the gateway's text, appended to RejectedOrderList.
void AddRejectedOrder(const COrderRecord &order, win::LPCSTR text);

// A deal report (the 128-byte record, numbers in host order): the first order
// of that number loses the dealt lots from its remaining volume (never below
// 0) and becomes 'c' when none remain, else 'p'; the letter is also written
// into the report at 112. The order, or null when there is none.
COrderQueryRecord *ApplyDealReport(win::BYTE *report);
// A status or cancel report: the first order of that number takes its status
// letter and system number. The order, or null.
COrderQueryRecord *ApplyCancelReport(const COrderRecord &report);
