// The records the gateway's answers carry and the global lists that hold them:
// filled only by the answer dispatcher of the trade session, read by the pages.
// Wire records are byte-exact; their numbers are in host order once stored.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

#pragma pack(push, 1)
// The 132-byte order record: the body of the order, order-check and cancel
// requests, of order answers and reports, and the element of the pre-order list.
struct COrderRecord {
    char account[10];
    char customer[10];
    char contract[10];
    char systemNumber[10];
    int32_t volume;          // 40
    char price[8];           // 44
    int32_t orderNumber;     // 52
    int32_t dealtVolume;     // 56: the batch sequence number while a batch order is checked
    char localNumber[8];     // 60
    int32_t volume2;         // 68: the cancelled volume in cancel answers
    win::BYTE reserved1[2];
    char status;             // 74
    win::BYTE flags;         // 75: bit 0 buy, bit 1 open, bit 2 hedge, bit 3 close today
    char tradeCode[10];      // 76
    win::BYTE reserved2[18];
    char source[10];         // 104
    char batchName[10];      // 114
    win::BYTE reserved3[8];
};
static_assert(sizeof(COrderRecord) == 132);

// A customer of the customer list (answer 185): the 44-byte record and the 16-bit
// value after it, as they arrive.
struct CClientRecord {
    char code[10];
    char customer[10];       // 10
    char exchange;           // 20
    char tradeCode[15];      // 21
    char code2[8];           // 36
    win::WORD value;
};
static_assert(sizeof(CClientRecord) == 46);

// A contract (answer 186).
struct CContractRecord {
    char exchange;
    win::BYTE reserved1;
    int16_t units;           // 2
    win::BYTE data[132];     // code at 12, name at 22, last date at 50, margin rates at 86 and 96
};
static_assert(sizeof(CContractRecord) == 136);

// A deal (answer 187) and an order (answer 188), as the pages read them.
struct CDealRecord {
    win::BYTE data[108];
};
static_assert(sizeof(CDealRecord) == 108);
struct COrderQueryRecord {
    win::BYTE data[188];
};
static_assert(sizeof(COrderQueryRecord) == 188);

// A position of the older answer 190, kept only.
struct COldPositionRecord {
    win::BYTE data[76];
};
static_assert(sizeof(COldPositionRecord) == 76);

// A customer's funds (answer 191): the 168-byte record, the 16-bit value and the
// last byte.
struct CFundRecord {
    win::BYTE data[168];
    win::WORD value;
    win::BYTE last;
};
static_assert(sizeof(CFundRecord) == 171);

// A client-mode customer (answer 213 in the trader login): 28 bytes, the 16-bit
// value and the last byte.
struct CClientModeRecord {
    char text[28];
    win::WORD value;
    win::BYTE last;
};
static_assert(sizeof(CClientModeRecord) == 31);

// A member of a batch group (answer 214 and request 37).
struct CBatchMemberRecord {
    char trader[10];
    char customer[10];
    uint16_t priority;       // 20
    uint16_t quantity;       // 22
    uint16_t group;          // 24: 0-based group index
    win::BYTE spare[2];
};
static_assert(sizeof(CBatchMemberRecord) == 28);

// A position (procedure answer kind 38), built from the answer's 13 fields in
// their order: customer, contract, hedge, buy and sell volumes, buy and sell
// average prices, today's buy and sell volumes, floating profit, trade code,
// exchange letter and margin. A customer of "{合计}" marks the totals row.
struct CPositionRecord {
    char exchange;           // 0
    char customer[10];       // 1
    char contract[10];       // 11
    char hedge;              // 21: '0' speculation, '1' hedge
    win::BYTE reserved1[2];
    int32_t buyVolume;       // 24
    int32_t sellVolume;      // 28
    char buyPrice[8];        // 32
    char sellPrice[8];       // 40
    win::BYTE reserved2[8];
    char profit[16];         // 56
    char tradeCode[10];      // 72
    win::BYTE reserved3[2];
    int32_t todayBuy;        // 84
    int32_t todaySell;       // 88
    char margin[16];         // 92
};
#pragma pack(pop)
static_assert(sizeof(CPositionRecord) == 108);

// The lists, one per answer kind; elements keep their address while they are in
// a list, so a page may hold one between two dispatches.
extern std::list<CClientRecord> ClientList;
extern std::list<CContractRecord> ContractList;
extern std::list<CDealRecord> DealList;
extern std::list<COrderQueryRecord> OrderList;
extern std::list<COldPositionRecord> OldPositionList;
extern std::list<CFundRecord> FundList;
extern std::list<CClientModeRecord> ClientModeList;
extern std::list<CPositionRecord> PositionList;
// Bank accounts (6 fields) and transfer records (13 fields) of the procedure
// answers, each as its '|'-ended field text, read field by field with GetField.
extern std::list<win::CString> BankAccountList;
extern std::list<win::CString> TransferRecordList;
// The batch groups: group n (from 0) is the list of its members.
extern std::vector<std::list<CBatchMemberRecord>> BatchGroupTable;
// The members request 37 sends, filled by the batch settings page.
extern std::list<CBatchMemberRecord> BatchSendList;

// Empties every list (a new login starts with none).
void ClearRecordLists();
