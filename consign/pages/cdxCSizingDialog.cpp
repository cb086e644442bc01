#include "consign/pages/cdxCSizingDialog.h"

using namespace win;

BEGIN_MESSAGE_MAP(cdxCSizingDialog, CDialog)
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
END_MESSAGE_MAP()

cdxCSizingDialog::cdxCSizingDialog(UINT nIDTemplate, CWnd *pParentWnd, bool grip)
    : CDialog(nIDTemplate, pParentWnd), m_Manager(cdxCSizingManager::GROW_X | cdxCSizingManager::GROW_Y, grip)
{
    m_Manager.SetWindow(this);
}

BOOL cdxCSizingDialog::OnInitDialog() { return OnInitDialog(10); }

BOOL cdxCSizingDialog::OnInitDialog(int growPercent)
{
    const BOOL result = CDialog::OnInitDialog();
    m_Manager.Init(growPercent);
    return result;
}

BOOL cdxCSizingDialog::DestroyWindow()
{
    m_Manager.RemoveAll();
    return CDialog::DestroyWindow();
}

void cdxCSizingDialog::OnSize(UINT nType, int cx, int cy)
{
    m_Manager.OnSize(nType, cx, cy);
    Default();
}

void cdxCSizingDialog::OnGetMinMaxInfo(MINMAXINFO *lpMMI)
{
    Default();
    m_Manager.GetMinMaxInfo(lpMMI);
}
