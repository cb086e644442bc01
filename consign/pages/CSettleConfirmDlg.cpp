#include "consign/pages/CSettleConfirmDlg.h"

#include "consign/session/ConsignState.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/DialogTemplate.h"

using namespace win;

BEGIN_MESSAGE_MAP(CSettleConfirmDlg, cdxCSizingDialog)
    ON_BN_CLICKED(1111, OnChoice)
    ON_BN_CLICKED(1112, OnChoice)
END_MESSAGE_MAP()

namespace {

constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | DS_SETFONT;

const DialogItemTemplate ConfirmItems[] = {
    {"Edit", 1150, 6, 6, 288, 150,
     ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Static", 1113, 40, 164, 96, 9, SS_LEFT, 0, "对于以上结帐单的内容我"},
    {"Button", 1111, 140, 163, 40, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, "认可"},
    {"Button", 1112, 184, 163, 44, 10, BS_AUTORADIOBUTTON, 0, "不认可"},
    {"Static", 1114, 6, 178, 288, 1, SS_ETCHEDFRAME, 0, ""},
    {"Button", IDOK, 94, 184, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, "确认"},
    {"Button", IDCANCEL, 156, 184, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, "取消"},
};

} // namespace

CString JoinStatementLines(const char *text, size_t length)
{
    CString joined;
    size_t start = 0;
    for (size_t at = 0; at < length; ++at)
        if (text[at] == '\n') {
            joined += CString(text + start, static_cast<int>(at - start));
            joined += "\r\n";
            start = at + 1;
        }
    joined += CString(text + start, static_cast<int>(length - start));
    return joined;
}

CSettleConfirmDlg::CSettleConfirmDlg(CWnd *pParent) : cdxCSizingDialog(IDD, pParent)
{
    RegisterDialogResource(IDD, TableTemplate(DialogStyle, 300, 204, "结帐单确认", ConfirmItems));
}

void CSettleConfirmDlg::DoDataExchange(CDataExchange *pDX)
{
    cdxCSizingDialog::DoDataExchange(pDX);
    DDX_Text(pDX, 1150, m_strStatement);
    DDX_Radio(pDX, 1111, m_nChoice);
}

BOOL CSettleConfirmDlg::OnInitDialog()
{
    cdxCSizingDialog::OnInitDialog(0);
    if (CWinApp *app = AfxGetApp())
        if (HICON icon = app->LoadIcon(128)) {
            SetIcon(icon, TRUE);
            SetIcon(icon, FALSE);
        }
    using M = cdxCSizingManager;
    m_Manager.AddControl(GetDlgItem(1150), M::MODE_STRETCH, M::MODE_STRETCH);
    for (int id : {1113, 1111, 1112})
        m_Manager.AddControl(GetDlgItem(id), 0, M::MODE_MOVE);
    m_Manager.AddControl(GetDlgItem(1114), M::MODE_STRETCH, M::MODE_MOVE);
    for (int id : {IDOK, IDCANCEL})
        m_Manager.AddControl(GetDlgItem(id), M::MODE_CENTER, M::MODE_MOVE);
    switch (TheTradeSession().m_SettleFlag) {
    case '1':
        for (int id : {1113, 1111, 1112})
            GetDlgItem(id)->ShowWindow(SW_HIDE);
        break;
    case '2':
        m_nChoice = 1;
        UpdateData(FALSE);
        GetDlgItem(IDOK)->EnableWindow(FALSE);
        break;
    default:
        break;
    }
    return TRUE;
}

void CSettleConfirmDlg::OnChoice()
{
    UpdateData(TRUE);
    GetDlgItem(IDOK)->EnableWindow(m_nChoice == 0);
}
