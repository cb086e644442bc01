// The contracts page: the contracts that can be traded. A double click takes a
// contract to the order entry page.
#pragma once

#include "consign/pages/QueryList.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"

class COrderPage;

class CQContractPage : public win::CPropertyPage {
public:
    enum { IDD = 136, COLUMNS = 7 };
    CQContractPage();

    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    void RefreshList();
    // The row's contract and its variety name go to the order entry page,
    // which becomes the sheet's page.
    void OnDblClick();

    win::CListCtrl m_List; // 1004
    QueryLayout m_Layout{};
    COrderPage *m_pOrderPage = nullptr;

protected:
    void OnSize(win::UINT nType, int cx, int cy);
    void OnClickList(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    void OnDblClkList(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()
};
