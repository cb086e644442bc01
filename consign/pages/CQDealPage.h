// The deals page: today's deals, each as it came or, with 成交合并, the deals of
// one order at one price as one row.
#pragma once

#include <list>

#include "consign/pages/QueryList.h"
#include "consign/session/RecordLists.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"

// Offsets of the deal record's fields.
namespace DealField {
constexpr int status = 11, contract = 12, bought = 24, sold = 28, price = 32, customer = 40, openClose = 50, hedge = 51,
              number = 68, system = 72, closeToday = 83, dealNumber = 84, tradeCode = 95;
}

// The deals of `deals` in order, those with the same customer, contract,
// direction, hedge, open/close, price text, order number, trade code and system
// number as one element with the summed volumes and "合并" as its deal and
// system numbers, at the place of the group's first deal. The totals row
// ("{合计}") never merges.
void MergeDeals(const std::list<CDealRecord> &deals, std::list<CDealRecord> &merged);

// The process-wide sort direction of the deals page, and its comparison.
extern int DealSortDirection;
int CompareDealRows(win::LPARAM item1, win::LPARAM item2, win::LPARAM column);

class CQDealPage : public win::CPropertyPage {
public:
    enum { IDD = 131, COLUMNS = 11 };
    CQDealPage();

    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    // The box 成交合并 from [Config] DealUnite, and its writing back at close.
    void LoadMerge();
    void SaveMerge() const;

    void RefreshList();
    // A deal report (after the orders page wrote the order's letter into it)
    // joins the deal list.
    void OnDealReport(const win::BYTE *report);

    int m_bMerge = 0;          // 1243
    win::CListCtrl m_List;     // 1004
    QueryLayout m_Layout{};
    // The merged copies the rows show while 成交合并 is checked.
    std::list<CDealRecord> m_Merged;

protected:
    void AddRow(const CDealRecord &deal);
    void OnMergeClicked();
    void OnSize(win::UINT nType, int cx, int cy);
    void OnColumnClick(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()
};
