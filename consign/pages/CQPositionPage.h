// The positions page: the open positions of the customers. A double click on a
// volume cell fills the order entry page with the order that closes it.
#pragma once

#include "consign/pages/CBalloonTipWnd.h"
#include "consign/pages/QueryList.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"

class COrderPage;

// The process-wide sort direction of the positions page, and its comparison.
extern int PositionSortDirection;
int ComparePositionRows(win::LPARAM item1, win::LPARAM item2, win::LPARAM column);

class CQPositionPage : public win::CPropertyPage {
public:
    enum { IDD = 132, COLUMNS = 11 };
    CQPositionPage();

    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    win::BOOL PreTranslateMessage(win::MSG *pMsg) override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    void RefreshList();
    // A double click on the volume in `column` of `row`: the closing order on
    // the order entry page, which becomes the sheet's page. Nothing for the
    // totals row, other columns or a volume of 0.
    void MakeClosingOrder(int row, int column);

    win::CListCtrl m_List; // 1004
    QueryLayout m_Layout{};
    CBalloonTipWnd m_Balloon;
    COrderPage *m_pOrderPage = nullptr;

protected:
    void OnSize(win::UINT nType, int cx, int cy);
    void OnDblClkList(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    void OnColumnClick(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()
};
