#include "chatdesk/ui/UserListPane.h"

#include <algorithm>
#include <cstring>

#include "chatdesk/ui/ChatUiIds.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/gdi/Gdi.h"

using namespace win;

namespace chatui {

BEGIN_MESSAGE_MAP(CUserListPane, CDialog)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_SEARCH, OnSearch)
END_MESSAGE_MAP()

CUserListPane::CUserListPane() : m_white(kWhite) {}

BOOL CUserListPane::Create(CWnd *parent)
{
    return CDialog::Create(IDD_USERLIST, parent);
}

int CUserListPane::OnCreate(LPCREATESTRUCT)
{
    if (Default() == -1)
        return -1;
    return m_strip.Create(this, IDC_TAB_STRIP) ? 0 : -1;
}

BOOL CUserListPane::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_search.Attach(IDC_EDIT, this);
    m_searchButton.Attach(IDC_SEARCH, this, BS_PUSHBUTTON);
    m_searchButton.SetBitmap(IDB_SEARCH, false);
    if (!m_strip.m_hWnd)
        m_strip.Create(this, IDC_TAB_STRIP);
    m_strip.SetListFont(GetFont());
    m_search.SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(3, 3));
    m_search.LimitText(59);
    m_search.SetCueText("在此输入名称查找用户");
    m_search.SetCueColor(RGB(191, 191, 191));
    RECT r{};
    GetClientRect(&r);
    OnSize(0, r.right, r.bottom);
    return FALSE;
}

void CUserListPane::OnSize(UINT, int cx, int cy)
{
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    // The box's blue border is the pane's: the box sits one pixel inside it.
    if (m_search.m_hWnd)
        m_search.SetWindowPos(nullptr, 1, 1, std::max(cx - 24, 0), 18, flags);
    if (m_searchButton.m_hWnd)
        m_searchButton.SetWindowPos(nullptr, cx - 20, 0, 20, 20, flags);
    if (m_strip.m_hWnd)
        m_strip.SetWindowPos(nullptr, 0, 22, cx, std::max(cy - 22, 0), flags);
    Invalidate(TRUE);
}

BOOL CUserListPane::OnEraseBkgnd(CDC *dc)
{
    RECT r{};
    GetClientRect(&r);
    dc->FillSolidRect(&r, kPaneBlue);
    const RECT box{0, 0, std::max<LONG>(r.right - 22, 0), 20};
    dc->FillSolidRect(&box, kWhite);
    CBrush border(kBorderBlue);
    dc->FrameRect(&box, &border);
    return TRUE;
}

HBRUSH CUserListPane::OnCtlColor(CDC *dc, CWnd *wnd, UINT ctlColor)
{
    if (ctlColor == CTLCOLOR_EDIT || ctlColor == CTLCOLOR_STATIC) {
        dc->SetBkColor(kWhite);
        return static_cast<HBRUSH>(m_white.GetSafeHandle());
    }
    return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

void CUserListPane::OnSearch()
{
    if (m_strip.GetOpenList() == 1)
        m_strip.Toggle();
    char name[64] = {};
    m_search.GetWindowText(name, sizeof name);
    m_strip.Online().SelectName(name);
}

} // namespace chatui
