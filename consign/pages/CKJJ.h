// The hot-key page: the variety table of ten entries, each a contract-code
// prefix and the variety's name, kept in [Variety key] and [Variety name] of the
// settings file. A row is picked by a double click and written by "确认".
#pragma once

#include "platform/appframe/CEdit.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"

class CKJJ : public win::CPropertyPage {
public:
    enum { IDD = 196 };
    CKJJ();

    void DoDataExchange(win::CDataExchange *pDX) override;
    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    // Enter moves to the next control; the page stays.
    void OnOK() override;

    win::CListCtrl m_List;   // 1293
    win::CEdit m_NameEdit;   // 1296
    win::CEdit m_CodeEdit;   // 1295
    win::CEdit m_KeyEdit;    // 1294, shows the row being edited

protected:
    void OnDblClkList(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    void OnConfirm();
    void OnSize(win::UINT nType, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
