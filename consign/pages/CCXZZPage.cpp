#include "consign/pages/CCXZZPage.h"

#include <cstring>

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
#include "platform/win/CTime.h"

using namespace win;

namespace {

constexpr UINT Label = 0xFFFF;
constexpr DWORD TabStyle = WS_CHILD | DS_CONTROL | DS_SETFONT;
constexpr DWORD EditStyle = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD BoxStyle = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD ListStyle = LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP;
// The tab control's header above the tabs' dialogs, and the room the filter
// takes above a tab's list, in pixels.
constexpr int FilterHeight = 72;

const DialogItemTemplate PageItems[] = {
    {"SysTabControl32", CCXZZPage::TAB_ID, 0, 0, 286, 104, WS_TABSTOP, 0, ""},
};

#define QUERY_TAB_ITEMS(serial, customer, start, end, box1, box2, box3, query, list, caption)                          \
    {"Static", Label, 2, 6, 26, 8, SS_LEFT, 0, "流水号"},                                                             \
    {"Edit", serial, 30, 4, 56, 12, EditStyle, 0, ""},                                                                 \
    {"Static", Label, 92, 6, 26, 8, SS_LEFT, 0, "客户号"},                                                             \
    {"Edit", customer, 128, 4, 42, 12, EditStyle, 0, ""},                                                              \
    {"Button", query, 176, 3, 62, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, caption},                                         \
    {"Static", Label, 2, 22, 34, 8, SS_LEFT, 0, "开始日期"},                                                           \
    {"Edit", start, 38, 20, 48, 12, EditStyle, 0, ""},                                                                 \
    {"Static", Label, 92, 22, 34, 8, SS_LEFT, 0, "结束日期"},                                                          \
    {"Edit", end, 128, 20, 42, 12, EditStyle, 0, ""},                                                                  \
    {"Button", box1, 176, 21, 34, 10, BoxStyle, 0, "未处理"},                                                          \
    {"Button", box2, 212, 21, 40, 10, BoxStyle, 0, "处理失败"},                                                        \
    {"Button", box3, 254, 21, 40, 10, BoxStyle, 0, "处理成功"},                                                        \
    {"SysListView32", list, 2, 46, 292, 50, ListStyle, 0, ""}

const DialogItemTemplate BankTabItems[] = {
    QUERY_TAB_ITEMS(1255, 1256, 1257, 1004, 1258, 1259, 1260, 1261, 1254, "查询银期转帐"),
};
const DialogItemTemplate SecuritiesTabItems[] = {
    QUERY_TAB_ITEMS(1262, 1263, 1264, 1265, 1266, 1267, 1268, 1269, 1270, "查询证期转帐"),
};

const TransferQueryTabIds BankTabIds = {1255, 1256, 1257, 1004, {1258, 1259, 1260}, 1261, 1254,
                                        'C',  BankTransferKinds, "查询银期转帐"};
const TransferQueryTabIds SecuritiesTabIds = {1262, 1263, 1264, 1265, {1266, 1267, 1268}, 1269, 1270,
                                              'Q',  SecuritiesTransferKinds, "查询证期转帐"};

struct Column {
    const char *title;
    int format;
    int width;
};
const Column Columns[TRANSFER_COLUMNS] = {
    {"流水号", LVCFMT_LEFT, 100},    {"客户号", LVCFMT_LEFT, 60},     {"银行简称", LVCFMT_LEFT, 60},
    {"银行账号", LVCFMT_LEFT, 100},  {"操作员", LVCFMT_LEFT, 70},     {"操作日期", LVCFMT_CENTER, 60},
    {"操作时间", LVCFMT_CENTER, 60}, {"操作类别", LVCFMT_CENTER, 60}, {"金额", LVCFMT_RIGHT, 70},
    {"处理状态", LVCFMT_LEFT, 100},  {" 处理结果", LVCFMT_LEFT, 200},
};

void RegisterTemplates()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterPageTemplates();
    RegisterDialogResource(CCXZZPage::IDD, TableTemplate(TabStyle, 286, 104, "&A查询转帐", PageItems));
    RegisterDialogResource(CCXYQZZDlg::IDD, TableTemplate(TabStyle, 296, 98, "", BankTabItems));
    RegisterDialogResource(CCXZQZZDlg::IDD, TableTemplate(TabStyle, 296, 98, "", SecuritiesTabItems));
}

// An edit's text (at most 255 characters) without blanks and tabs at its ends.
CString TrimmedText(const CWnd &dialog, UINT id)
{
    char text[256] = {};
    dialog.GetDlgItemText(static_cast<int>(id), text, sizeof text);
    return TrimBoth(text);
}

bool AllDigits(const CString &text)
{
    for (int i = 0; i < text.GetLength(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

} // namespace

BEGIN_MESSAGE_MAP(CTransferQueryTab, CDialog)
    ON_WM_SIZE()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CCXYQZZDlg, CTransferQueryTab)
    ON_BN_CLICKED(1261, OnQuery)
    ON_BN_CLICKED(1258, OnStatusBox)
    ON_BN_CLICKED(1259, OnStatusBox)
    ON_BN_CLICKED(1260, OnStatusBox)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CCXZQZZDlg, CTransferQueryTab)
    ON_BN_CLICKED(1269, OnQuery)
    ON_BN_CLICKED(1266, OnStatusBox)
    ON_BN_CLICKED(1267, OnStatusBox)
    ON_BN_CLICKED(1268, OnStatusBox)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CCXZZPage, CPropertyPage)
    ON_NOTIFY(TCN_SELCHANGE, CCXZZPage::TAB_ID, OnSelChange)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CTransferQueryTab::CTransferQueryTab(UINT idd, const TransferQueryTabIds &ids) : CDialog(idd), m_Ids(ids)
{
    RegisterTemplates();
}

CCXYQZZDlg::CCXYQZZDlg() : CTransferQueryTab(IDD, BankTabIds) {}

CCXZQZZDlg::CCXZQZZDlg() : CTransferQueryTab(IDD, SecuritiesTabIds) {}

BOOL CTransferQueryTab::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_List.SubclassDlgItem(m_Ids.list, this);
    for (int i = 0; i < COLUMNS; ++i)
        m_List.InsertColumn(i, Columns[i].title, Columns[i].format, Columns[i].width);
    m_List.SetExtendedStyle(m_List.GetExtendedStyle() | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    const CString today = CTime::GetCurrentTime().Format("%Y%m%d");
    SetDlgItemText(static_cast<int>(m_Ids.start), today);
    SetDlgItemText(static_cast<int>(m_Ids.end), today);
    for (UINT box : m_Ids.boxes)
        CheckDlgButton(static_cast<int>(box), BST_CHECKED);
    ApplyRights();
    return TRUE;
}

BOOL CTransferQueryTab::PreTranslateMessage(MSG *pMsg)
{
    if (TabThroughChildDialog(*this, pMsg))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CTransferQueryTab::OnSize(UINT nType, int cx, int cy)
{
    Default();
    if (m_List.m_hWnd)
        m_List.MoveWindow(2, FilterHeight, cx - 4, cy - FilterHeight - 4);
}

TransferStatusBoxes CTransferQueryTab::Boxes() const
{
    TransferStatusBoxes boxes;
    boxes.unprocessed = IsDlgButtonChecked(static_cast<int>(m_Ids.boxes[0])) == BST_CHECKED;
    boxes.failed = IsDlgButtonChecked(static_cast<int>(m_Ids.boxes[1])) == BST_CHECKED;
    boxes.succeeded = IsDlgButtonChecked(static_cast<int>(m_Ids.boxes[2])) == BST_CHECKED;
    return boxes;
}

void CTransferQueryTab::FillList()
{
    if (!m_List.m_hWnd)
        return;
    m_List.DeleteAllItems();
    const TransferStatusBoxes boxes = Boxes();
    CString columns[COLUMNS];
    for (const CString &record : TransferRecordList) {
        if (!TransferRecordRow(record, m_Ids.kinds, boxes, columns))
            continue;
        const int row = m_List.InsertItem(m_List.GetItemCount(), columns[0]);
        for (int column = 1; column < COLUMNS; ++column)
            m_List.SetItemText(row, column, columns[column]);
    }
}

void CTransferQueryTab::OnStatusBox() { FillList(); }

bool CTransferQueryTab::Allowed() const { return RightsText.Find(m_Ids.right) >= 0; }

void CTransferQueryTab::ApplyRights()
{
    if (!m_hWnd)
        return;
    const bool allowed = Allowed();
    for (CWnd *child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
        child->EnableWindow(allowed);
    if (allowed && ClientMode == 7)
        GetDlgItem(static_cast<int>(m_Ids.customer))->EnableWindow(FALSE);
}

void CTransferQueryTab::Activate()
{
    if (!m_hWnd)
        return;
    ShowSheetStatus(m_Ids.title);
    ApplyRights();
    if (!Allowed())
        return;
    SetDlgItemText(static_cast<int>(m_Ids.customer), ClientMode == 7 ? static_cast<LPCSTR>(LoginAccount) : "");
}

void CTransferQueryTab::SetFilter(const CString &customer, const CString &serial, const CString &start,
                                  const CString &end, const TransferStatusBoxes &boxes)
{
    if (!m_hWnd)
        return;
    SetDlgItemText(static_cast<int>(m_Ids.customer), customer);
    SetDlgItemText(static_cast<int>(m_Ids.serial), serial);
    SetDlgItemText(static_cast<int>(m_Ids.start), start);
    SetDlgItemText(static_cast<int>(m_Ids.end), end);
    const bool states[3] = {boxes.unprocessed, boxes.failed, boxes.succeeded};
    for (int i = 0; i < 3; ++i)
        CheckDlgButton(static_cast<int>(m_Ids.boxes[i]), states[i] ? BST_CHECKED : BST_UNCHECKED);
    m_List.DeleteAllItems();
}

void CTransferQueryTab::OnQuery()
{
    struct DateCheck {
        UINT id;
        const char *empty;
        const char *format;
    };
    const DateCheck checks[2] = {
        {m_Ids.start, "开始日期不能为空！", "开始日期格式错误！应为YYYYMMDD"},
        {m_Ids.end, "结束日期不能为空！", "结束日期格式错误！应为YYYYMMDD"},
    };
    CString dates[2];
    for (int i = 0; i < 2; ++i) {
        dates[i] = TrimmedText(*this, checks[i].id);
        const char *refusal = dates[i].IsEmpty() ? checks[i].empty
                              // Eight digits: the gateway compares the dates as texts.
                              : dates[i].GetLength() != 8 || !AllDigits(dates[i]) ? checks[i].format
                                                                                  : nullptr;
        if (refusal) {
            AfxMessageBox(refusal, MB_OK);
            GotoDlgCtrl(GetDlgItem(static_cast<int>(checks[i].id)));
            return;
        }
    }
    if (std::strcmp(dates[0], dates[1]) > 0) {
        AfxMessageBox("开始日期大于结束日期，请重新输入", MB_OK);
        GotoDlgCtrl(GetDlgItem(static_cast<int>(m_Ids.start)));
        return;
    }
    CString serial, customer;
    GetDlgItemText(static_cast<int>(m_Ids.serial), serial);
    GetDlgItemText(static_cast<int>(m_Ids.customer), customer);
    m_List.DeleteAllItems();
    if (m_pOther)
        m_pOther->SetFilter(customer, serial, dates[0], dates[1], Boxes());
    TheTradeSession().QueryTransferRecords(serial, customer, dates[0], dates[1]);
}

CCXZZPage::CCXZZPage() : CPropertyPage(IDD)
{
    RegisterTemplates();
    m_BankTab.m_pOther = &m_SecuritiesTab;
    m_SecuritiesTab.m_pOther = &m_BankTab;
}

BOOL CCXZZPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    twotabs::Open(*this, m_Tab, TAB_ID, "查询银期转帐", "查询证期转帐", m_BankTab, m_SecuritiesTab);
    return TRUE;
}

void CCXZZPage::OnSize(UINT nType, int cx, int cy)
{
    Default();
    twotabs::Resize(m_Tab, m_BankTab, m_SecuritiesTab, cx, cy);
}

CTransferQueryTab &CCXZZPage::Current()
{
    if (twotabs::SecondSelected(m_Tab))
        return m_SecuritiesTab;
    return m_BankTab;
}

void CCXZZPage::OnSelChange(NMHDR *, LRESULT *pResult)
{
    *pResult = 0;
    twotabs::ShowSelected(m_Tab, m_BankTab, m_SecuritiesTab);
    Current().Activate();
}

BOOL CCXZZPage::OnSetActive()
{
    Current().Activate();
    return CPropertyPage::OnSetActive();
}

void CCXZZPage::FillList()
{
    m_BankTab.FillList();
    m_SecuritiesTab.FillList();
}

void CCXZZPage::Reset()
{
    if (!m_hWnd)
        return;
    m_BankTab.ApplyRights();
    m_SecuritiesTab.ApplyRights();
    Current().Activate();
    m_BankTab.m_List.DeleteAllItems();
    m_SecuritiesTab.m_List.DeleteAllItems();
}
