// The state of one command's user interface (a menu item or a control) that an
// ON_UPDATE_COMMAND_UI handler sets: enabled, checked, radio mark and text.
#pragma once

#include "platform/appframe/CCmdTarget.h"

namespace win {

class CMenu;
class CWnd;

class CCmdUI {
public:
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    // The item's position in m_pMenu.
    UINT m_nIndex = 0;
    UINT m_nIndexMax = 0;
    CMenu *m_pMenu = nullptr;
    CMenu *m_pSubMenu = nullptr;
    // The control that shows the command, when it is not a menu item.
    CWnd *m_pOther = nullptr;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;

    virtual void Enable(BOOL bOn = TRUE);
    // 0 unchecked, 1 checked, 2 indeterminate.
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCSTR lpszText);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Runs the target's update handler for m_nID; without one, and when
    // bDisableIfNoHndler, the item is enabled only if the target handles the
    // command itself. Returns whether an update handler ran.
    BOOL DoUpdate(CCmdTarget *pTarget, BOOL bDisableIfNoHndler);
};

} // namespace win
