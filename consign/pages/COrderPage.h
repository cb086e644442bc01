// The order entry page, the first of the main sheet: the order's fields
// (customer, contract, trade code, direction, volume, price, open or close,
// speculation or hedge), the quote of the contract and the page's order list.
#pragma once

#include "consign/session/RecordLists.h"
#include "platform/appframe/CComboBox.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"

class COrderPage : public win::CPropertyPage {
public:
    enum { IDD = 102 };
    COrderPage();

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    // The customer's name in client mode (field 1014, shown in place of 1011).
    void ShowClientName(win::LPCSTR name);

    // The order being built; status 'n' and no flags when the page starts.
    COrderRecord m_Order{};

    win::CComboBox m_TradeCodeBox;  // 1055
    win::CComboBox m_DirectionBox;  // 1236
    win::CComboBox m_OpenCloseBox;  // 1237
    win::CComboBox m_HedgeBox;      // 1238
    win::CListCtrl m_OrderList;     // 1107
};
