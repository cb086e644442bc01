// The framework's property page: a child dialog built from its template when
// its sheet first shows it, whose template caption is its tab's caption ('&'
// marks the mnemonic). The sheet asks it before it is left (OnKillActive, which
// may refuse) and tells it when it is shown (OnSetActive) and when the sheet's
// OK or Cancel ends the editing (OnOK, OnCancel).
#pragma once

#include "platform/appframe/CDialog.h"

namespace win {

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);

    // The page becomes the sheet's current one; the first time its controls are
    // already filled, later times they are filled again (UpdateData(FALSE)).
    virtual BOOL OnSetActive();
    // The page is about to be left: reads and checks its controls
    // (UpdateData(TRUE)); FALSE keeps the page.
    virtual BOOL OnKillActive();
    // The sheet's OK and Cancel: nothing by default (the page stays; its data
    // were taken when it was left).
    void OnOK() override;
    void OnCancel() override;
    virtual BOOL OnApply();
    virtual void OnReset();
    void SetModified(BOOL bChanged = TRUE) { modified_ = bChanged != FALSE; }

    // The page's tab text: the string resource nIDCaption when one was given
    // and exists, else the caption of the page's template.
    CString GetCaption() const;
    UINT GetTemplateID() const { return m_nIDTemplate; }

private:
    friend class CPropertySheet;
    // Builds the page as a child of the sheet at `rect`, hidden.
    BOOL CreatePage(CWnd *sheet, const RECT &rect);

    UINT captionId_ = 0;
    bool firstSetActive_ = true;
    bool modified_ = false;
};

} // namespace win
