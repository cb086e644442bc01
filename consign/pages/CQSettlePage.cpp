#include "consign/pages/CQSettlePage.h"

#include <string>

#include "consign/pages/PageTemplates.h"
#include "consign/pages/SheetStatus.h"
#include "consign/pages/StatementFiles.h"
#include "consign/session/ConsignState.h"
#include "consign/session/Helpers.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CFileDialog.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/DialogTemplate.h"
#include "platform/win/Cursor.h"
#include "platform/win/File.h"
#include "platform/win/Profile.h"

using namespace win;

BEGIN_MESSAGE_MAP(CQSettlePage, cdxCSizingPropPage)
    ON_BN_CLICKED(1143, OnSaveToFile)
END_MESSAGE_MAP()

namespace {

constexpr UINT Label = 0xFFFF;

const DialogItemTemplate SettleItems[] = {
    {"Static", Label, 4, 6, 30, 8, SS_LEFT, 0, "客 户 号"},
    {"ComboBox", 1105, 36, 4, 56, 80, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 0, ""},
    {"Button", IDOK, 96, 3, 30, 13, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "查询"},
    {"Button", 1132, 128, 3, 30, 13, BS_PUSHBUTTON | WS_TABSTOP, 0, "预览"},
    {"Button", 1115, 160, 3, 30, 13, BS_PUSHBUTTON | WS_TABSTOP, 0, "打印"},
    {"Button", 1143, 192, 3, 44, 13, BS_PUSHBUTTON | WS_TABSTOP, 0, "输出到文件"},
    {"Static", Label, 238, 6, 28, 8, SS_LEFT, 0, "打印字号"},
    {"ComboBox", 1116, 266, 4, 30, 80, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 0, ""},
    {"RichEdit20A", 1106, 0, 20, 296, 84, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Static", 1149, 4, 20, 30, 8, SS_LEFT, 0, "查询日期", TRUE},
    {"SysDateTimePick32", 1148, 36, 18, 56, 12, WS_TABSTOP, 0, "", TRUE},
};

// The wait cursor while the gateway answers, the previous one after.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(0, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }

private:
    HCURSOR previous_;
};

} // namespace

CQSettlePage::CQSettlePage() : cdxCSizingPropPage(IDD)
{
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 296, 104, "&B查询帐单", SettleItems));
}

void CQSettlePage::DoDataExchange(CDataExchange *pDX)
{
    cdxCSizingPropPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1105, m_CustomerBox);
    DDX_Text(pDX, 1106, m_strStatement);
    DDX_CBString(pDX, 1116, m_strFontSize);
    DDX_DateTimeCtrl(pDX, 1148, m_Date);
}

BOOL CQSettlePage::OnInitDialog()
{
    m_Date = CTime::GetCurrentTime();
    cdxCSizingPropPage::OnInitDialog();
    CComboBox sizes;
    sizes.Attach(GetDlgItem(1116)->m_hWnd);
    for (int size = 8; size <= 16; ++size)
        sizes.AddString(std::to_string(size).c_str());
    sizes.Detach();
    m_Manager.AddControl(GetDlgItem(1106), cdxCSizingManager::MODE_STRETCH, cdxCSizingManager::MODE_STRETCH);
    UpdateData(FALSE);
    return TRUE;
}

BOOL CQSettlePage::OnSetActive()
{
    m_CustomerBox.ResetContent();
    for (CClientRecord &client : ClientList) {
        char *customer = client.customer;
        customer[sizeof client.customer - 1] = 0;
        TrimBoth(customer);
        m_CustomerBox.AddString(customer);
    }
    m_CustomerBox.SetCurSel(0);
    char size[80] = {};
    GetPrivateProfileStringA("Config", "Print Font Size", "8", size, sizeof size, SettingsPath);
    m_strFontSize = size;
    m_CustomerBox.EnableWindow(ClientMode != 7);
    ShowSheetStatus("本页可以查询帐单");
    const BOOL result = cdxCSizingPropPage::OnSetActive();
    SetDlgItemText(1116, m_strFontSize);
    return result;
}

BOOL CQSettlePage::OnKillActive()
{
    UpdateData(TRUE);
    WritePrivateProfileStringA("Config", "Print Font Size", m_strFontSize, SettingsPath);
    return cdxCSizingPropPage::OnKillActive();
}

bool CQSettlePage::FetchStatement()
{
    CString customer;
    GetDlgItemText(1105, customer);
    m_strStatement.Empty();
    SetDlgItemText(1106, "");
    // The customer names the statement's files: anything but a plain code is
    // refused before a request goes out or a path is built.
    if (!IsStatementCustomer(customer)) {
        m_strTextPath.Empty();
        AfxMessageBox("客户号不正确", MB_OK | MB_ICONERROR);
        return false;
    }
    const CString archive = StatementArchivePath(customer);
    m_strTextPath = StatementTextPath(customer);
    DeleteFileA(archive);
    DeleteFileA(m_strTextPath);
    UpdateData(TRUE);
    m_strStatement.Empty();
    CString date = m_Date.Format("%Y%m%d");
    if (date == CTime::GetCurrentTime().Format("%Y%m%d"))
        date.Empty();
    bool unpacked = false;
    {
        WaitCursor wait;
        ShowSheetStatus("");
        if (TheTradeSession().RequestSettlementStatement(customer, date)) {
            ShowSheetStatus("接收结帐单成功");
            unpacked = UnpackStatement(customer);
            std::string text;
            if (unpacked && ReadStatementFile(m_strTextPath, text)) {
                m_strStatement = CString(text.data(), static_cast<int>(text.size()));
                ConsignLog().WriteLine("查询结帐单成功", 1);
            }
        }
    }
    SetDlgItemText(1106, m_strStatement);
    DeleteFileA(archive);
    return unpacked;
}

void CQSettlePage::OnOK()
{
    FetchStatement();
    if (!m_strTextPath.IsEmpty())
        DeleteFileA(m_strTextPath);
}

void CQSettlePage::OnSaveToFile()
{
    FetchStatement();
    std::string text;
    if (m_strTextPath.IsEmpty() || !ReadStatementFile(m_strTextPath, text)) {
        MessageBox("您的对账单文件不存在", "错误", MB_ICONERROR);
        return;
    }
    UpdateData(TRUE);
    CString customer;
    GetDlgItemText(1105, customer);
    const CString suggestion = customer + "_" + m_Date.Format("%Y%m%d");
    char folder[201] = {};
    GetCurrentDirectoryA(sizeof folder - 1, folder);
    CFileDialog dialog(FALSE, "txt", suggestion, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "文本文件 (*.txt)|*.txt|全部文件 (*.*)|*.*||", this);
    if (dialog.DoModal() == IDOK) {
        SetCurrentDirectoryA(folder);
        const CString path = dialog.GetPathName();
        if (CopyFileA(m_strTextPath, path, FALSE)) {
            CString done;
            done.Format("输出到文件 %s 成功", static_cast<LPCSTR>(path));
            MessageBox(done, "信息", MB_ICONINFORMATION);
        } else {
            MessageBox("输出到文件失败", "错误", MB_ICONERROR);
        }
    }
    DeleteFileA(m_strTextPath);
}
