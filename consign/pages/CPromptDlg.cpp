#include "consign/pages/CPromptDlg.h"

#include "consign/pages/PopupTemplates.h"
#include "consign/session/ConsignState.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/win/Profile.h"

using namespace win;

BEGIN_MESSAGE_MAP(CPromptDlg, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CPromptDlg::CPromptDlg(LPCSTR text, CWnd *pParent) : CDialog(IDD, pParent), m_strText(text ? text : ""), parent_(pParent)
{
    RegisterPopupTemplates();
}

void CPromptDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, 1104, m_strText);
}

void CPromptDlg::ShowText(LPCSTR text)
{
    if (text)
        m_strText = text;
    if (!Create(IDD, parent_)) {
        delete this;
        return;
    }
    ShowWindow(SW_SHOW);
}

BOOL CPromptDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    const UINT warn = GetPrivateProfileIntA("Config", "Warn", 6000, SettingsPath);
    SetTimer(1, warn, nullptr);
    CenterWindow();
    return TRUE;
}

// The button only hides the prompt; its timer destroys it.
void CPromptDlg::OnOK() { EndDialog(IDOK); }
void CPromptDlg::OnCancel() { EndDialog(IDCANCEL); }

void CPromptDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == 1)
        DestroyWindow();
    else
        Default();
}

void CPromptDlg::PostNcDestroy() { delete this; }
