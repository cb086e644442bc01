// The transfer query page: a tab control with the bank-futures and the
// securities-futures tab, each listing the customer's transfers over a date
// range, filtered by processing status. Both tabs always show the same filter.
#pragma once

#include "consign/pages/TransferRecords.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"
#include "platform/appframe/CTabCtrl.h"

// What makes one tab: its controls, the right letter it needs, the transfer
// kinds it shows and its title.
struct TransferQueryTabIds {
    win::UINT serial, customer, start, end;
    win::UINT boxes[3]; // 未处理, 处理失败, 处理成功
    win::UINT query, list;
    char right;
    const char *const *kinds;
    const char *title;
};

// The two tabs' common behaviour.
class CTransferQueryTab : public win::CDialog {
public:
    // The session's transfer records of this tab's kind and checked statuses,
    // as the rows of the emptied list.
    void FillList();
    // Enables the tab's controls when the login's rights hold its letter (the
    // customer edit only outside client mode 7), else disables them.
    void ApplyRights();
    // The tab is shown: its title in the sheet's status button, the controls by
    // the rights, the customer edit with the own number in client mode 7 and
    // emptied otherwise.
    void Activate();
    // Takes another tab's filter and empties the list.
    void SetFilter(const win::CString &customer, const win::CString &serial, const win::CString &start,
                   const win::CString &end, const TransferStatusBoxes &boxes);
    // Checks the dates, copies the filter to the other tab and asks for the records.
    void OnQuery();
    TransferStatusBoxes Boxes() const;

    win::BOOL OnInitDialog() override;
    // Tab moves among the tab's own controls.
    win::BOOL PreTranslateMessage(win::MSG *pMsg) override;

    static constexpr int COLUMNS = TRANSFER_COLUMNS;
    win::CListCtrl m_List;
    // The other tab, which takes this one's filter at each query.
    CTransferQueryTab *m_pOther = nullptr;
    const TransferQueryTabIds &m_Ids;

protected:
    CTransferQueryTab(win::UINT idd, const TransferQueryTabIds &ids);
    void OnSize(win::UINT nType, int cx, int cy);
    void OnStatusBox();
    DECLARE_MESSAGE_MAP()

private:
    // The login's rights hold the tab's letter.
    bool Allowed() const;
};

class CCXYQZZDlg : public CTransferQueryTab {
public:
    enum { IDD = 191 };
    CCXYQZZDlg();

protected:
    DECLARE_MESSAGE_MAP()
};

class CCXZQZZDlg : public CTransferQueryTab {
public:
    enum { IDD = 192 };
    CCXZQZZDlg();

protected:
    DECLARE_MESSAGE_MAP()
};

class CCXZZPage : public win::CPropertyPage {
public:
    enum { IDD = 190, TAB_ID = 1253 };
    CCXZZPage();

    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;

    // Both tabs' lists from the session's transfer records.
    void FillList();
    // After a reconnection: both tabs take the rights again, the shown one is
    // activated and both lists are emptied.
    void Reset();
    // The shown tab.
    CTransferQueryTab &Current();

    win::CTabCtrl m_Tab;
    CCXYQZZDlg m_BankTab;
    CCXZQZZDlg m_SecuritiesTab;

protected:
    void OnSize(win::UINT nType, int cx, int cy);
    void OnSelChange(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()
};
