// The framework's dialog: a window built from the program's dialog template
// (DialogTemplate.h) with its controls placed in dialog units of the template's
// font; modal (DoModal runs a loop until EndDialog and returns its code) or
// modeless (Create). Enter and Esc become the default button's command and
// IDCANCEL, which reach OnOK and OnCancel; Tab moves through the controls.
#pragma once

#include "platform/appframe/CWnd.h"
#include "platform/appframe/DialogTemplate.h"

namespace win {

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd *pParentWnd = nullptr);
    ~CDialog() override;

    // Builds the dialog, runs it modally and returns the code given to
    // EndDialog; -1 when it cannot be built.
    virtual INT_PTR DoModal();
    // A modeless dialog of the template (shown when the template's style has
    // WS_VISIBLE).
    virtual BOOL Create(UINT nIDTemplate, CWnd *pParentWnd = nullptr);
    BOOL CreateIndirect(const DialogTemplate &dialog, CWnd *pParentWnd = nullptr);

    // After the controls exist: fills them (UpdateData(FALSE)); TRUE lets the
    // first tab stop take the focus.
    virtual BOOL OnInitDialog();
    // The Enter key's default: reads the controls (UpdateData(TRUE)) and ends
    // with IDOK; stays open when a value is refused.
    virtual void OnOK();
    virtual void OnCancel();
    // Ends a modal dialog's loop with the code; hides a modeless one.
    void EndDialog(int nResult);

    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    // Gives the control the focus (an edit box with its text selected).
    void GotoDlgCtrl(CWnd *pWndCtrl);
    // The default button (the one Enter presses).
    void SetDefID(UINT nID);
    DWORD GetDefID() const;
    // Dialog units to pixels with this dialog's font.
    void MapDialogRect(RECT *rect) const;

    BOOL PreTranslateMessage(MSG *pMsg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDHelp = 0;
    CWnd *m_pParentWnd = nullptr;

protected:
    UINT m_nIDTemplate = 0;
    BOOL m_bModal = FALSE;
    // The dialog's font (from the template).
    CFont m_font;

    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    BOOL Build(const DialogTemplate &dialog, CWnd *pParentWnd, bool modal);
    // The focus window inside this dialog, or null.
    CWnd *FocusedControl() const;

    SIZE baseUnits_{8, 16};
    UINT defId_ = 0;
    // EndDialog was called (also before the modal loop started) with this code.
    bool ended_ = false;
    int result_ = -1;
    // The control to take the focus once the dialog shows.
    HWND initialFocus_ = 0;
};

} // namespace win
