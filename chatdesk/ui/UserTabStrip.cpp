#include "chatdesk/ui/UserTabStrip.h"

#include <algorithm>

#include "chatdesk/ChatUser.h"
#include "chatdesk/ui/ChatGlobals.h"
#include "chatdesk/ui/ChatUiIds.h"
#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"

using namespace win;

namespace chatui {

BEGIN_MESSAGE_MAP(CUserTabStrip, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_COMMAND(IDC_ONLINE_HEADER, OnHeader)
ON_COMMAND(IDC_RECENT_HEADER, OnHeader)
ON_MESSAGE(WM_CHAT_QUERYTAB, OnQueryTab)
ON_MESSAGE(WM_CHAT_BLINK, OnBlink)
END_MESSAGE_MAP()

CUserTabStrip::CUserTabStrip() = default;

CUserTabStrip::~CUserTabStrip()
{
    if (ChatGlobals().tabStrip == this)
        ChatGlobals().tabStrip = nullptr;
    if (ChatGlobals().onlineList == &m_online)
        ChatGlobals().onlineList = nullptr;
    if (ChatGlobals().recentList == &m_recent)
        ChatGlobals().recentList = nullptr;
    if (m_hWnd)
        DestroyWindow();
    for (HBITMAP b : m_unread)
        if (b)
            DeleteObject(b);
}

BOOL CUserTabStrip::Create(CWnd *parent, UINT id)
{
    RECT area{};
    parent->GetClientRect(&area);
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, area, parent, id);
}

int CUserTabStrip::OnCreate(LPCREATESTRUCT)
{
    const RECT none{0, 0, 10, 10};
    if (!m_onlineHeader.Create("在线列表", none, this, IDC_ONLINE_HEADER) ||
        !m_recentHeader.Create("最近联系", none, this, IDC_RECENT_HEADER) || !m_online.Create(this, IDC_ONLINE_LIST) ||
        !m_recent.Create(this, IDC_RECENT_LIST))
        return -1;
    ChatGlobals().tabStrip = this;
    ChatGlobals().onlineList = &m_online;
    ChatGlobals().recentList = &m_recent;
    return 0;
}

void CUserTabStrip::SetListFont(CFont *font)
{
    for (CWnd *w : {static_cast<CWnd *>(&m_onlineHeader), static_cast<CWnd *>(&m_recentHeader),
                    static_cast<CWnd *>(&m_online), static_cast<CWnd *>(&m_recent)})
        w->SetFont(font);
    SetFont(font);
    // The lists measure their items again with the new font; they stay 32 high.
    m_online.SetItemHeight(0, COnlineUserList::kItemHeight);
    m_recent.SetItemHeight(0, COnlineUserList::kItemHeight);
}

void CUserTabStrip::Layout()
{
    RECT r{};
    GetClientRect(&r);
    const int cx = r.right, cy = r.bottom;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW;
    m_onlineHeader.SetWindowPos(nullptr, 0, 0, cx, 22, flags);
    if (m_open == 0) {
        m_online.SetWindowPos(nullptr, 1, 23, std::max(cx - 2, 0), std::max(cy - 46, 0), flags);
        m_recentHeader.SetWindowPos(nullptr, 0, cy - 22, cx, 22, flags);
        m_recent.SetWindowPos(nullptr, 1, cy, std::max(cx - 2, 0), 0, flags);
    } else {
        m_online.SetWindowPos(nullptr, 1, 23, std::max(cx - 2, 0), 0, flags);
        m_recentHeader.SetWindowPos(nullptr, 0, 23, cx, 22, flags);
        m_recent.SetWindowPos(nullptr, 1, 46, std::max(cx - 2, 0), std::max(cy - 47, 0), flags);
    }
    m_online.SetSel(-1, FALSE);
    m_recent.SetSel(-1, FALSE);
}

void CUserTabStrip::Toggle()
{
    m_open = m_open == 0 ? 1 : 0;
    Layout();
}

void CUserTabStrip::OnHeader()
{
    Toggle();
}

void CUserTabStrip::OnSize(UINT, int, int)
{
    Layout();
}

BOOL CUserTabStrip::OnEraseBkgnd(CDC *dc)
{
    RECT r{};
    GetClientRect(&r);
    dc->FillSolidRect(&r, kWhite);
    CBrush frame(kBorderBlue);
    dc->FrameRect(&r, &frame);
    return TRUE;
}

void CUserTabStrip::OnPaint()
{
    CPaintDC dc(this);
}

LRESULT CUserTabStrip::OnQueryTab(WPARAM, LPARAM)
{
    return m_open;
}

LRESULT CUserTabStrip::OnBlink(WPARAM, LPARAM)
{
    if (UnreadUserCount != 0) {
        for (int i = 0; i < 2; ++i)
            if (!m_unread[i])
                m_unread[i] = LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(WORD(IDB_UNREAD_A + i)));
        m_blinkStep ^= 1;
        m_recentHeader.SetIcon(m_unread[m_blinkStep]);
    } else if (m_recentHeader.GetIcon()) {
        m_recentHeader.SetIcon(0);
    }
    return 0;
}

} // namespace chatui
