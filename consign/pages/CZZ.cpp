#include "consign/pages/CZZ.h"

#include "consign/pages/ChildDialogKeys.h"
#include "consign/pages/PageTemplates.h"
#include "consign/pages/SheetStatus.h"
#include "consign/pages/TwoTabs.h"
#include "consign/session/ConsignState.h"
#include "consign/session/Helpers.h"
#include "consign/session/RecordLists.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

namespace {

constexpr UINT Label = 0xFFFF;
constexpr DWORD ChildStyle = WS_CHILD | DS_CONTROL | DS_SETFONT;
constexpr DWORD EditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD PasswordStyle = EditStyle | ES_PASSWORD;
constexpr DWORD InfoStyle = WS_BORDER | WS_DISABLED | ES_AUTOHSCROLL;
constexpr DWORD KindStyle = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD ListStyle = LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_BORDER | WS_TABSTOP;
// The tab control's header above the dialogs, and the room the inputs take
// above a dialog's account list, in pixels.
constexpr int InputsHeight = 120;

const DialogItemTemplate PageItems[] = {
    {"SysTabControl32", CZZ::TAB_ID, 0, 0, 286, 104, WS_TABSTOP, 0, ""},
};

#define TRANSFER_ITEMS(customer, kind, passwordLabel, password, bankPassword, amount, list, send, local, infoLabel,     \
                       info, withdrawable, bankCode, bankAccount)                                                      \
    {"Static", Label, 2, 4, 34, 8, SS_LEFT, 0, "客户号"},                                                              \
    {"Edit", customer, 38, 2, 62, 11, EditStyle, 0, ""},                                                               \
    {"Static", Label, 2, 17, 34, 8, SS_LEFT, 0, "转帐类别"},                                                           \
    {"ComboBox", kind, 38, 15, 62, 60, KindStyle, 0, ""},                                                              \
    {"Static", passwordLabel, 2, 30, 34, 8, SS_LEFT, 0, "期货密码"},                                                   \
    {"Edit", password, 38, 28, 62, 11, PasswordStyle, 0, ""},                                                          \
    {"Static", Label, 2, 43, 34, 8, SS_LEFT, 0, "银行密码"},                                                           \
    {"Edit", bankPassword, 38, 41, 62, 11, PasswordStyle, 0, ""},                                                      \
    {"Static", Label, 2, 56, 34, 8, SS_LEFT, 0, "转帐金额"},                                                           \
    {"Edit", amount, 38, 54, 62, 11, EditStyle, 0, ""},                                                                \
    {"SysListView32", list, 2, 70, 296, 36, ListStyle, 0, ""},                                                         \
    {"Button", send, 140, 53, 50, 13, BS_PUSHBUTTON | WS_TABSTOP, 0, "发送"},                                          \
    {"Static", Label, 106, 4, 32, 8, SS_LEFT, 0, "本地信息"},                                                          \
    {"Edit", local, 140, 2, 158, 11, InfoStyle, 0, ""},                                                                \
    {"Static", Label, 106, 17, 32, 8, SS_LEFT, 0, infoLabel},                                                          \
    {"Edit", info, 140, 15, 158, 11, InfoStyle, 0, ""},                                                                \
    {"Static", Label, 106, 30, 32, 8, SS_LEFT, 0, "银行代码"},                                                         \
    {"Edit", bankCode, 140, 28, 36, 11, InfoStyle, 0, ""},                                                             \
    {"Static", Label, 182, 30, 32, 8, SS_LEFT, 0, "可提资金"},                                                         \
    {"Edit", withdrawable, 216, 28, 82, 11, InfoStyle, 0, ""},                                                         \
    {"Static", Label, 106, 43, 32, 8, SS_LEFT, 0, "银行帐号"},                                                         \
    {"Edit", bankAccount, 140, 41, 158, 11, InfoStyle, 0, ""}

const DialogItemTemplate BankItems[] = {
    TRANSFER_ITEMS(1272, 1273, Label, 1279, 1275, 1004, 1277, 1278, 1005, "银行信息", 1006, 1007, 1008, 1276),
};
const DialogItemTemplate SecuritiesItems[] = {
    TRANSFER_ITEMS(1281, 1282, 1292, 1283, 1280, 1284, 1290, 1291, 1285, "证券信息", 1286, 1287, 1288, 1289),
};

const char *const BankKinds[] = {"银行->期货", "期货->银行", "查银行余额", nullptr};
const char *const SecuritiesKinds[] = {"证券->期货", "期货->证券", nullptr};
// The direction codes of the kinds, in list order.
const char *const Directions[] = {"01", "02", "05"};
constexpr int BalanceKind = 2;

const TransferDialogIds BankIds = {1272, 1273, 1279, 1275, 1004, 1277, 1278, 1005, 1006, 1007, 1008, 1276,
                                   0,    BankKinds, BankTransferKinds, 'C', "银期转帐"};
const TransferDialogIds SecuritiesIds = {1281, 1282, 1283, 1280, 1284, 1290, 1291, 1285, 1286, 1287, 1288, 1289,
                                         1292, SecuritiesKinds, SecuritiesTransferKinds, 'Q', "证期转帐"};

struct Column {
    const char *title;
    int width;
};
const Column Columns[BANK_ACCOUNT_COLUMNS] = {{"客户号", 80}, {"银行代码", 80}, {"银行简称", 120}, {"银行账号", 200}};

void RegisterTemplates()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterPageTemplates();
    RegisterDialogResource(CZZ::IDD, TableTemplate(ChildStyle, 286, 104, "转帐", PageItems));
    RegisterDialogResource(CYQZZDlg::IDD, TableTemplate(ChildStyle, 300, 108, "", BankItems));
    RegisterDialogResource(CZQZZDlg::IDD, TableTemplate(ChildStyle, 300, 108, "", SecuritiesItems));
}

bool AmountCharacters(const CString &amount)
{
    for (int i = 0; i < amount.GetLength(); ++i)
        if ((amount[i] < '0' || amount[i] > '9') && amount[i] != '.')
            return false;
    return true;
}

} // namespace

BEGIN_MESSAGE_MAP(CTransferDialog, CDialog)
    ON_WM_SIZE()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CYQZZDlg, CTransferDialog)
    ON_CBN_SELCHANGE(1273, OnKindChange)
    ON_BN_CLICKED(1278, OnSend)
    ON_NOTIFY(NM_DBLCLK, 1277, OnAccountDoubleClick)
    ON_NOTIFY(LVN_ITEMCHANGED, 1277, OnAccountChanged)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CZQZZDlg, CTransferDialog)
    ON_CBN_SELCHANGE(1282, OnKindChange)
    ON_BN_CLICKED(1291, OnSend)
    ON_NOTIFY(NM_DBLCLK, 1290, OnAccountDoubleClick)
    ON_NOTIFY(LVN_ITEMCHANGED, 1290, OnAccountChanged)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CZZ, CPropertyPage)
    ON_NOTIFY(TCN_SELCHANGE, CZZ::TAB_ID, OnSelChange)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CTransferDialog::CTransferDialog(UINT idd, const TransferDialogIds &ids) : CDialog(idd), m_Ids(ids)
{
    RegisterTemplates();
}

CYQZZDlg::CYQZZDlg() : CTransferDialog(IDD, BankIds) {}

CZQZZDlg::CZQZZDlg() : CTransferDialog(IDD, SecuritiesIds) {}

void CTransferDialog::SetText(UINT id, LPCSTR text)
{
    SetDlgItemText(static_cast<int>(id), text);
    // A text wider than its field shows its beginning.
    if (CWnd *field = GetDlgItem(static_cast<int>(id)))
        field->SendMessage(EM_SETSEL, 0, 0);
}

CString CTransferDialog::Text(UINT id) const
{
    CString text;
    GetDlgItemText(static_cast<int>(id), text);
    return text;
}

bool CTransferDialog::Allowed() const { return RightsText.Find(m_Ids.right) >= 0; }

BOOL CTransferDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_List.SubclassDlgItem(m_Ids.list, this);
    m_KindBox.SubclassDlgItem(m_Ids.kind, this);
    for (int i = 0; i < COLUMNS; ++i)
        m_List.InsertColumn(i, Columns[i].title, LVCFMT_LEFT, Columns[i].width);
    m_List.SetExtendedStyle(m_List.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    for (const char *const *kind = m_Ids.kinds; *kind; ++kind)
        m_KindBox.AddString(*kind);
    m_KindBox.SetCurSel(0);
    // The transfer body's fields: the customer 10 characters, the passwords and
    // the amount 16; longer texts are never cut on the way.
    GetDlgItem(static_cast<int>(m_Ids.customer))->SendMessage(EM_LIMITTEXT, 10);
    for (UINT id : {m_Ids.password, m_Ids.bankPassword, m_Ids.amount})
        GetDlgItem(static_cast<int>(id))->SendMessage(EM_LIMITTEXT, 16);
    EnableByRights();
    OnKindChange();
    return TRUE;
}

BOOL CTransferDialog::PreTranslateMessage(MSG *pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        if (pMsg->wParam == VK_ESCAPE)
            return TRUE;
        if (pMsg->wParam == VK_RETURN) {
            OnOK();
            return TRUE;
        }
        if (TabThroughChildDialog(*this, pMsg))
            return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CTransferDialog::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (m_List.m_hWnd)
        m_List.MoveWindow(2, InputsHeight, cx - 4, cy - InputsHeight - 2);
}

void CTransferDialog::SetLocalInfoText(LPCSTR text)
{
    if (m_hWnd)
        SetText(m_Ids.localInfo, text);
}

void CTransferDialog::SetInfoText(LPCSTR text)
{
    if (m_hWnd)
        SetText(m_Ids.bankInfo, text);
}

void CTransferDialog::SetWithdrawableText(LPCSTR text)
{
    if (m_hWnd)
        SetText(m_Ids.withdrawable, text);
}

void CTransferDialog::EnableByRights()
{
    if (!m_hWnd)
        return;
    const bool allowed = Allowed();
    for (UINT id : {m_Ids.customer, m_Ids.amount, m_Ids.password, m_Ids.bankPassword, m_Ids.kind, m_Ids.list,
                    m_Ids.send})
        GetDlgItem(static_cast<int>(id))->EnableWindow(allowed);
    if (!allowed)
        return;
    if (ClientMode == 7)
        GetDlgItem(static_cast<int>(m_Ids.customer))->EnableWindow(FALSE);
    // The balance query takes no amount.
    OnKindChange();
}

void CTransferDialog::OnKindChange()
{
    const int kind = m_KindBox.GetCurSel();
    if (m_Ids.passwordLabel != 0) {
        SetText(m_Ids.passwordLabel, kind == 0 ? "证券密码" : "期货密码");
        return;
    }
    if (Allowed())
        GetDlgItem(static_cast<int>(m_Ids.amount))->EnableWindow(kind != BalanceKind);
}

void CTransferDialog::Activate()
{
    if (!m_hWnd)
        return;
    ShowSheetStatus(m_Ids.title);
    SetText(m_Ids.localInfo, "");
    SetText(m_Ids.bankInfo, "");
    if (!Allowed()) {
        EnableByRights();
        return;
    }
    if (ClientMode == 7) {
        SetText(m_Ids.customer, LoginAccount);
        GetDlgItem(static_cast<int>(m_Ids.customer))->EnableWindow(FALSE);
        TheTradeSession().QueryBankAccounts(LoginAccount);
    } else {
        SetText(m_Ids.customer, "");
        SetText(m_Ids.bankCode, "");
        SetText(m_Ids.bankAccount, "");
        m_List.DeleteAllItems();
        CWnd *customer = GetDlgItem(static_cast<int>(m_Ids.customer));
        customer->EnableWindow(TRUE);
        if (IsWindowVisible())
            GotoDlgCtrl(customer);
    }
    OnKindChange();
}

void CTransferDialog::FillBankAccounts()
{
    if (!m_hWnd)
        return;
    choosing_ = true;
    m_List.DeleteAllItems();
    CString columns[COLUMNS];
    for (const CString &record : BankAccountList) {
        if (!BankAccountRow(record, m_Ids.accountKinds, columns))
            continue;
        const int row = m_List.InsertItem(m_List.GetItemCount(), columns[0]);
        for (int column = 1; column < COLUMNS; ++column)
            m_List.SetItemText(row, column, columns[column]);
    }
    choosing_ = false;
    // The customer's only account is taken at once; one of several is chosen by
    // the user. A single record of the other dialog's kind leaves no row here.
    if (BankAccountList.size() == 1 && m_List.GetItemCount() == 1) {
        ChooseAccount(0);
        return;
    }
    SetText(m_Ids.bankCode, "");
    SetText(m_Ids.bankAccount, "");
    SetText(m_Ids.withdrawable, "");
}

void CTransferDialog::ChooseAccount(int row)
{
    if (row < 0 || row >= m_List.GetItemCount())
        return;
    const CString customer = m_List.GetItemText(row, 0);
    const CString bankCode = m_List.GetItemText(row, 1);
    SetText(m_Ids.bankCode, bankCode);
    SetText(m_Ids.bankAccount, m_List.GetItemText(row, 3));
    SetText(m_Ids.withdrawable, "");
    TheTradeSession().QueryCommonKtj(customer, customer, bankCode);
}

void CTransferDialog::MarkFirstRow()
{
    choosing_ = true;
    for (int row = m_List.GetItemCount() - 1; row > 0; --row)
        m_List.SetItemState(row, 0, LVIS_SELECTED | LVIS_FOCUSED);
    m_List.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    choosing_ = false;
}

void CTransferDialog::OnAccountChanged(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    const auto *change = reinterpret_cast<const NMLISTVIEW *>(pNMHDR);
    if (choosing_ || !(change->uNewState & LVIS_SELECTED) || (change->uOldState & LVIS_SELECTED))
        return;
    ChooseAccount(change->iItem);
}

void CTransferDialog::OnAccountDoubleClick(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    const int row = reinterpret_cast<const NMITEMACTIVATE *>(pNMHDR)->iItem;
    if (row < 0 || row >= m_List.GetItemCount())
        return;
    if (m_List.GetItemText(row, 0) == Text(m_Ids.customer))
        ChooseAccount(row);
}

void CTransferDialog::OnOK()
{
    CWnd *focus = CWnd::GetFocus();
    const UINT focusId = focus && IsChild(focus) ? static_cast<UINT>(focus->GetDlgCtrlID()) : 0;
    const int rows = m_List.GetItemCount();
    if (focusId == m_Ids.customer) {
        const CString customer = Text(m_Ids.customer);
        if (!CheckClientExists(customer)) {
            GotoDlgCtrl(GetDlgItem(static_cast<int>(m_Ids.customer)));
            return;
        }
        if (!customer.IsEmpty()) {
            SetText(m_Ids.bankCode, "");
            SetText(m_Ids.bankAccount, "");
            SetText(m_Ids.withdrawable, "");
            TheTradeSession().QueryBankAccounts(customer);
        }
    } else if (focusId == m_Ids.bankPassword && m_Ids.passwordLabel == 0 && m_KindBox.GetCurSel() == BalanceKind) {
        if (rows == 1) {
            NextDlgCtrl();
        } else if (rows > 1) {
            MarkFirstRow();
            ChooseAccount(0);
        }
    } else if (focusId == m_Ids.amount && rows > 0) {
        MarkFirstRow();
        ChooseAccount(0);
        if (rows == 1)
            NextDlgCtrl();
    }
    NextDlgCtrl();
}

void CTransferDialog::OnSend()
{
    const int kind = m_KindBox.GetCurSel();
    if (kind < 0)
        return;
    const char *direction = Directions[kind];
    const bool balance = m_Ids.passwordLabel == 0 && kind == BalanceKind;
    const CString amount = balance ? CString("0.00") : Text(m_Ids.amount);
    CWnd *amountField = GetDlgItem(static_cast<int>(m_Ids.amount));
    if (amount.IsEmpty()) {
        AfxMessageBox("转账金额不能为空！", MB_OK);
        GotoDlgCtrl(amountField);
        return;
    }
    if (!AmountCharacters(amount)) {
        AfxMessageBox("转账金额不能为0或者格式不对！", MB_OK);
        GotoDlgCtrl(amountField);
        return;
    }
    const CString bankCode = Text(m_Ids.bankCode);
    if (bankCode.IsEmpty()) {
        AfxMessageBox("银行代码不能为空！", MB_OK);
        GotoDlgCtrl(&m_List);
        return;
    }
    const CString bankAccount = Text(m_Ids.bankAccount);
    if (bankAccount.IsEmpty()) {
        AfxMessageBox("银行帐号不能为空！", MB_OK);
        GotoDlgCtrl(&m_List);
        return;
    }
    TheTradeSession().SubmitBankTransfer(Text(m_Ids.customer), bankCode[0], bankAccount, Text(m_Ids.password),
                                         Text(m_Ids.bankPassword), amount, direction);
    SetText(m_Ids.amount, "");
    SetText(m_Ids.password, "");
    SetText(m_Ids.bankPassword, "");
    GotoDlgCtrl(GetDlgItem(static_cast<int>(ClientMode == 7 ? m_Ids.kind : m_Ids.customer)));
}

CZZ::CZZ() : CPropertyPage(IDD) { RegisterTemplates(); }

BOOL CZZ::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    twotabs::Open(*this, m_Tab, TAB_ID, "银期转帐", "证期转帐", m_BankDlg, m_SecuritiesDlg);
    return TRUE;
}

void CZZ::OnSize(UINT nType, int cx, int cy)
{
    Default();
    twotabs::Resize(m_Tab, m_BankDlg, m_SecuritiesDlg, cx, cy);
}

CTransferDialog &CZZ::Current()
{
    if (twotabs::SecondSelected(m_Tab))
        return m_SecuritiesDlg;
    return m_BankDlg;
}

void CZZ::OnSelChange(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    twotabs::ShowSelected(m_Tab, m_BankDlg, m_SecuritiesDlg);
    Current().Activate();
}

BOOL CZZ::OnSetActive()
{
    Current().Activate();
    return CPropertyPage::OnSetActive();
}

void CZZ::FillBankAccounts()
{
    m_BankDlg.FillBankAccounts();
    m_SecuritiesDlg.FillBankAccounts();
}

void CZZ::SetLocalInfoText(LPCSTR text)
{
    m_BankDlg.SetLocalInfoText(text);
    m_SecuritiesDlg.SetLocalInfoText(text);
}

void CZZ::SetInfoText(LPCSTR text)
{
    m_BankDlg.SetInfoText(text);
    m_SecuritiesDlg.SetInfoText(text);
}

void CZZ::SetWithdrawableText(LPCSTR text)
{
    m_BankDlg.SetWithdrawableText(text);
    m_SecuritiesDlg.SetWithdrawableText(text);
}

void CZZ::Reset()
{
    if (!m_hWnd)
        return;
    m_BankDlg.EnableByRights();
    m_SecuritiesDlg.EnableByRights();
    Current().Activate();
    FillBankAccounts();
}
