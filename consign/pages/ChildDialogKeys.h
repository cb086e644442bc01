// Tab and Shift+Tab inside a dialog that lives in a page's tab control: the
// sheet moves the focus only among the page's own controls, so such a dialog
// moves it among its controls itself.
#pragma once

#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CDialog.h"
#include "platform/forms/KeyState.h"

// True when the message was a Tab key for a control of `dialog`, which has then
// moved the focus.
inline bool TabThroughChildDialog(win::CDialog &dialog, const win::MSG *pMsg)
{
    if (pMsg->message != win::WM_KEYDOWN || pMsg->wParam != win::VK_TAB)
        return false;
    if (win::GetKeyState(win::VK_SHIFT) < 0)
        dialog.PrevDlgCtrl();
    else
        dialog.NextDlgCtrl();
    return true;
}
