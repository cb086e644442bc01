// The fund transfer page: a tab control with the bank-futures and the
// securities-futures dialog. Each collects the customer, the direction, the
// passwords and the amount, picks the account from the gateway's list and hands
// the transfer to the session, which shows its progress in the dialog's
// information fields.
#pragma once

#include "consign/pages/TransferRecords.h"
#include "platform/appframe/CComboBox.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/CListCtrl.h"
#include "platform/appframe/CPropertyPage.h"
#include "platform/appframe/CTabCtrl.h"

// What makes one dialog: its controls, its transfer kinds, the account kinds it
// lists, the right letter it needs and its title.
struct TransferDialogIds {
    win::UINT customer, kind, password, bankPassword, amount, list, send;
    win::UINT localInfo, bankInfo, withdrawable, bankCode, bankAccount;
    win::UINT passwordLabel; // 0: a fixed label
    const char *const *kinds; // the kind list's texts, ended by null
    const char *const *accountKinds;
    char right;
    const char *title;
};

// The two dialogs' common behaviour.
class CTransferDialog : public win::CDialog {
public:
    // The dialog is shown: the sheet's status text, the information fields
    // emptied, the inputs by the rights and the customer field by the mode.
    void Activate();
    // The account list from the session's bank-account records.
    void FillBankAccounts();
    // The inputs enabled when the rights hold the dialog's letter (the customer
    // field only outside client mode 7), else disabled.
    void EnableByRights();
    void SetLocalInfoText(win::LPCSTR text);
    // 银行信息 of the bank dialog, 证券信息 of the securities dialog.
    void SetInfoText(win::LPCSTR text);
    void SetWithdrawableText(win::LPCSTR text);

    // Enter: by the control with the focus, then on to the next control.
    void OnOK() override;
    // Escape never reaches the dialog; Enter runs OnOK; Tab moves among the
    // dialog's own controls.
    win::BOOL PreTranslateMessage(win::MSG *pMsg) override;
    win::BOOL OnInitDialog() override;

    static constexpr int COLUMNS = BANK_ACCOUNT_COLUMNS;
    win::CListCtrl m_List;
    win::CComboBox m_KindBox;
    const TransferDialogIds &m_Ids;

protected:
    CTransferDialog(win::UINT idd, const TransferDialogIds &ids);
    void OnSize(win::UINT nType, int cx, int cy);
    void OnKindChange();
    void OnSend();
    void OnAccountDoubleClick(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    void OnAccountChanged(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()

private:
    // The row's bank code and account into their fields, the withdrawable funds
    // emptied and asked for.
    void ChooseAccount(int row);
    // Selects and focuses row 0 of the list.
    void MarkFirstRow();
    void SetText(win::UINT id, win::LPCSTR text);
    win::CString Text(win::UINT id) const;
    bool Allowed() const;
    // Set while the dialog itself selects a row and chooses its account.
    bool choosing_ = false;
};

class CYQZZDlg : public CTransferDialog {
public:
    enum { IDD = 194 };
    CYQZZDlg();

protected:
    DECLARE_MESSAGE_MAP()
};

class CZQZZDlg : public CTransferDialog {
public:
    enum { IDD = 195 };
    CZQZZDlg();

protected:
    DECLARE_MESSAGE_MAP()
};

class CZZ : public win::CPropertyPage {
public:
    enum { IDD = 193, TAB_ID = 1252 };
    CZZ();

    win::BOOL OnInitDialog() override;
    win::BOOL OnSetActive() override;
    // Enter on the page outside the dialogs does nothing.
    void OnOK() override {}

    // What the session tells both dialogs.
    void FillBankAccounts();
    void SetLocalInfoText(win::LPCSTR text);
    void SetInfoText(win::LPCSTR text);
    void SetWithdrawableText(win::LPCSTR text);
    // After a reconnection: both dialogs by the rights, the shown one activated,
    // both account lists refilled.
    void Reset();
    CTransferDialog &Current();

    win::CTabCtrl m_Tab;
    CYQZZDlg m_BankDlg;
    CZQZZDlg m_SecuritiesDlg;

protected:
    void OnSize(win::UINT nType, int cx, int cy);
    void OnSelChange(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()
};
