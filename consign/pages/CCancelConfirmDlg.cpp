#include "consign/pages/CCancelConfirmDlg.h"

#include "consign/pages/PopupTemplates.h"
#include "platform/appframe/CDataExchange.h"

using namespace win;

CCancelConfirmDlg::CCancelConfirmDlg(CWnd *pParent) : CDialog(IDD, pParent) { RegisterPopupTemplates(); }

void CCancelConfirmDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, 1027, m_nOrderNumber);
}
