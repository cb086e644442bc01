// The fill-in dialog of a pre-order that lacks its volume or price: shows the
// pre-order and takes the two values for the copy that is about to be sent.
#pragma once

#include "consign/session/RecordLists.h"
#include "platform/appframe/CDialog.h"

class CPreOrderFillDlg : public win::CDialog {
public:
    enum { IDD = 212 };
    // Works on `order`, a copy of the pre-order: on OK its volume and price
    // text take the typed values.
    explicit CPreOrderFillDlg(COrderRecord &order, win::CWnd *pParent = nullptr);

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;
    win::BOOL PreTranslateMessage(win::MSG *pMsg) override;
    void OnOK() override;

    COrderRecord &m_Order;
    win::CString m_strVolume;
    int m_nPrice = 0;
};
