#include "consign/pages/cdxCSizingPropPage.h"

using namespace win;

BEGIN_MESSAGE_MAP(cdxCSizingPropPage, CPropertyPage)
    ON_WM_SIZE()
END_MESSAGE_MAP()

cdxCSizingPropPage::cdxCSizingPropPage(UINT nIDTemplate, UINT nIDCaption) : CPropertyPage(nIDTemplate, nIDCaption)
{
    m_Manager.SetWindow(this);
}

BOOL cdxCSizingPropPage::OnInitDialog()
{
    const BOOL result = CPropertyPage::OnInitDialog();
    m_Manager.Init(0);
    return result;
}

BOOL cdxCSizingPropPage::OnSetActive()
{
    const BOOL result = CPropertyPage::OnSetActive();
    if (m_pSheetManager && m_pSheet && m_pSheetManager->RepositionToClient())
        m_pSheet->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    if (m_Manager.RepositionToClient())
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return result;
}

BOOL cdxCSizingPropPage::DestroyWindow()
{
    m_Manager.RemoveAll();
    return CPropertyPage::DestroyWindow();
}

void cdxCSizingPropPage::OnSize(UINT nType, int cx, int cy)
{
    m_Manager.OnSize(nType, cx, cy);
    Default();
}
