// The funds page: each customer's funds as the gateway reports them.
#pragma once

#include "consign/pages/QueryList.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"

// The process-wide sort direction of the funds page, and its comparison.
extern int FundSortDirection;
int CompareFundRows(win::LPARAM item1, win::LPARAM item2, win::LPARAM column);
// The risk column: the ratio as a percentage, "%4.2f%%".
win::CString RiskText(const char *ratio);

class CQFundPage : public win::CPropertyPage {
public:
    enum { IDD = 133, COLUMNS = 11 };
    CQFundPage();

    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    void RefreshList();

    win::CListCtrl m_List; // 1004
    QueryLayout m_Layout{};

protected:
    void OnSize(win::UINT nType, int cx, int cy);
    void OnColumnClick(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()
};
