#include "consign/pages/CAboutDlg.h"

#include "consign/pages/PopupTemplates.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/gdi/Resources.h"

using namespace win;

CAboutDlg::CAboutDlg(LPCSTR programName, CWnd *pParent)
    : CDialog(IDD, pParent), m_strProgramName(programName ? programName : "")
{
    RegisterPopupTemplates();
}

void CAboutDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, 1144, m_strProgramName);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The picture is the program's bitmap 144; without it the place stays empty.
    if (picture_.LoadBitmap(IDB_ABOUT))
        SendDlgItemMessage(1143, STM_SETIMAGE, IMAGE_BITMAP, static_cast<LPARAM>(picture_.GetSafeHandle()));
    return TRUE;
}
