#include "consign/session/RecordLists.h"

std::list<CClientRecord> ClientList;
std::list<CContractRecord> ContractList;
std::list<CDealRecord> DealList;
std::list<COrderQueryRecord> OrderList;
std::list<COldPositionRecord> OldPositionList;
std::list<CFundRecord> FundList;
std::list<CClientModeRecord> ClientModeList;
std::list<CPositionRecord> PositionList;
std::list<win::CString> BankAccountList;
std::list<win::CString> TransferRecordList;
std::vector<std::list<CBatchMemberRecord>> BatchGroupTable;
std::list<CBatchMemberRecord> BatchSendList;

void ClearRecordLists()
{
    ClientList.clear();
    ContractList.clear();
    DealList.clear();
    OrderList.clear();
    OldPositionList.clear();
    FundList.clear();
    ClientModeList.clear();
    PositionList.clear();
    BankAccountList.clear();
    TransferRecordList.clear();
    BatchGroupTable.clear();
    BatchSendList.clear();
}
