#include "platform/appframe/CToolBarCtrl.h"

#include <vector>

#include "platform/appframe/ControlHelpers.h"

namespace win {

BOOL CToolBarCtrl::Create(DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    return CreateControlWindow(*this, 0, TOOLBARCLASSNAMEA, dwStyle, rect, pParentWnd ? pParentWnd->GetSafeHwnd() : 0,
                               nID);
}

void CToolBarCtrl::SetButtonStructSize(int nSize) { SendMessage(TB_BUTTONSTRUCTSIZE, static_cast<WPARAM>(nSize)); }

int CToolBarCtrl::AddStrings(LPCSTR lpszStrings)
{
    return static_cast<int>(SendMessage(TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(lpszStrings)));
}

BOOL CToolBarCtrl::AddButtons(int nNumButtons, LPTBBUTTON lpButtons)
{
    if (nNumButtons < 0)
        return FALSE;
    return static_cast<BOOL>(
        SendMessage(TB_ADDBUTTONSA, static_cast<WPARAM>(nNumButtons), reinterpret_cast<LPARAM>(lpButtons)));
}

BOOL CToolBarCtrl::DeleteButton(int nIndex)
{
    return static_cast<BOOL>(SendMessage(TB_DELETEBUTTON, static_cast<WPARAM>(nIndex)));
}

BOOL CToolBarCtrl::GetButton(int nIndex, LPTBBUTTON lpButton) const
{
    return static_cast<BOOL>(
        SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpButton)));
}

int CToolBarCtrl::GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }

int CToolBarCtrl::CommandToIndex(UINT nID) const { return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, nID)); }

BOOL CToolBarCtrl::GetItemRect(int nIndex, LPRECT lpRect) const
{
    return static_cast<BOOL>(
        SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect)));
}

int CToolBarCtrl::HitTest(LPPOINT ppt) const
{
    return static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(ppt)));
}

void CToolBarCtrl::AutoSize() { SendMessage(TB_AUTOSIZE); }

BOOL CToolBarCtrl::EnableButton(int nID, BOOL bEnable)
{
    return static_cast<BOOL>(SendMessage(TB_ENABLEBUTTON, static_cast<WPARAM>(nID), MAKELONG(bEnable ? 1 : 0, 0)));
}

BOOL CToolBarCtrl::CheckButton(int nID, BOOL bCheck)
{
    return static_cast<BOOL>(SendMessage(TB_CHECKBUTTON, static_cast<WPARAM>(nID), MAKELONG(bCheck ? 1 : 0, 0)));
}

BOOL CToolBarCtrl::PressButton(int nID, BOOL bPress)
{
    return static_cast<BOOL>(SendMessage(TB_PRESSBUTTON, static_cast<WPARAM>(nID), MAKELONG(bPress ? 1 : 0, 0)));
}

BOOL CToolBarCtrl::IsButtonPressed(int nID) const
{
    return static_cast<BOOL>(SendMessage(TB_ISBUTTONPRESSED, static_cast<WPARAM>(nID)));
}

BOOL CToolBarCtrl::SetState(int nID, UINT nState)
{
    return static_cast<BOOL>(
        SendMessage(TB_SETSTATE, static_cast<WPARAM>(nID), MAKELONG(static_cast<WORD>(nState), 0)));
}

int CToolBarCtrl::GetState(int nID) const
{
    return static_cast<int>(SendMessage(TB_GETSTATE, static_cast<WPARAM>(nID)));
}

int CToolBarCtrl::GetHotItem() const { return static_cast<int>(SendMessage(TB_GETHOTITEM)); }

int CToolBarCtrl::SetHotItem(int nHot)
{
    return static_cast<int>(SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(nHot)));
}

CString CToolBarCtrl::GetButtonText(int idButton) const
{
    int length = static_cast<int>(SendMessage(TB_GETBUTTONTEXTA, static_cast<WPARAM>(idButton)));
    if (length < 0)
        return CString();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    SendMessage(TB_GETBUTTONTEXTA, static_cast<WPARAM>(idButton), reinterpret_cast<LPARAM>(buffer.data()));
    return CString(buffer.data());
}

} // namespace win
