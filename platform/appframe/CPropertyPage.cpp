#include "platform/appframe/CPropertyPage.h"

namespace win {

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) : CDialog(nIDTemplate), captionId_(nIDCaption) {}

BOOL CPropertyPage::OnSetActive()
{
    if (firstSetActive_)
        firstSetActive_ = false;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

void CPropertyPage::OnOK() { modified_ = false; }

void CPropertyPage::OnCancel() {}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }

CString CPropertyPage::GetCaption() const
{
    CString caption;
    if (captionId_ && caption.LoadString(captionId_))
        return caption;
    const DialogTemplate *t = FindDialogResource(m_nIDTemplate);
    return CString(t && t->caption ? t->caption : "");
}

BOOL CPropertyPage::CreatePage(CWnd *sheet, const RECT &rect)
{
    const DialogTemplate *t = FindDialogResource(m_nIDTemplate);
    if (!t || !sheet || m_hWnd)
        return FALSE;
    // The page lives inside the sheet whatever its template says of frames.
    DialogTemplate page = *t;
    page.style = (t->style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE | DS_MODALFRAME |
                               DS_SYSMODAL | DS_CENTER)) |
                 WS_CHILD;
    page.exStyle = t->exStyle | WS_EX_CONTROLPARENT;
    page.x = 0;
    page.y = 0;
    if (!CreateIndirect(page, sheet))
        return FALSE;
    MoveWindow(&rect, FALSE);
    return TRUE;
}

} // namespace win
