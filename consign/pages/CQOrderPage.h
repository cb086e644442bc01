// The orders page: today's orders of the customers, with their status. Its three
// filter boxes (已成交, 已撤单, 错误委托) also rule which orders the order entry
// page's list shows.
#pragma once

#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"

class COrderPage;

class CQOrderPage : public win::CPropertyPage {
public:
    enum { IDD = 130 };
    CQOrderPage();

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    // The boxes' states from [Config] OrderDealed, OrderDeleted and OrderError
    // (1 checked, anything else not), and their writing back at close.
    void LoadFilters();
    void SaveFilters() const;

    // 已成交: fully dealt orders are listed; 已撤单: cancelled ones; 错误委托:
    // the refused orders come first.
    int m_bShowDealt = 0;     // 1240
    int m_bShowCancelled = 0; // 1241
    int m_bShowErrors = 0;    // 1242

    win::CListCtrl m_List;    // 1004
    // The order entry page, whose list follows the boxes.
    COrderPage *m_pOrderPage = nullptr;

protected:
    void OnFilterClicked();
    void OnSize(win::UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
