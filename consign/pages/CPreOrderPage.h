// The pre-order page: the orders prepared on the order page and kept to be sent
// later, one by one, the selected ones or all of them; it also deletes them.
#pragma once

#include "consign/pages/cdxCSizingPropPage.h"
#include "consign/session/RecordLists.h"
#include "platform/appframe/CListCtrl.h"

class CPreOrderPage : public cdxCSizingPropPage {
public:
    enum { IDD = 135 };
    CPreOrderPage();

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;
    win::BOOL OnSetActive() override;
    void OnOK() override {}
    void OnCancel() override {}

    // Rebuilds the list from PreOrderList, with the row of `select` (an entry
    // of that list) selected and focused; none for no selection.
    void RefreshList(const COrderRecord *select);

    void OnSendSelected();
    void OnDelete();
    void OnClear();
    void OnSendAll();

    win::CListCtrl m_List; // 1004

    // The number of columns; their layout is kept under "PreOrder".
    static constexpr int COLUMNS = 8;

protected:
    void OnDblClkList(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()

private:
    // Opens the fill-in dialog for a copy that lacks volume or price; false
    // when it was cancelled.
    bool Complete(COrderRecord &copy);
};
