// The tab strip of the user-list pane: the headers "在线列表" and "最近联系"
// with the open list between them; a header click toggles the open list, and
// the recent header blinks while unread messages wait.
#pragma once

#include "chatdesk/ui/SkinButton.h"
#include "chatdesk/ui/UserLists.h"
#include "platform/appframe/CWnd.h"

namespace chatui {

class CUserTabStrip : public win::CWnd {
public:
    CUserTabStrip();
    ~CUserTabStrip() override;
    win::BOOL Create(win::CWnd *parent, win::UINT id);

    // 0 online, 1 recent.
    int GetOpenList() const { return m_open; }
    void Toggle();
    void Layout();
    void SetListFont(win::CFont *font);

    COnlineUserList &Online() { return m_online; }
    CRecentContactList &Recent() { return m_recent; }
    CSkinButton &OnlineHeader() { return m_onlineHeader; }
    CSkinButton &RecentHeader() { return m_recentHeader; }

protected:
    int OnCreate(win::LPCREATESTRUCT cs);
    void OnSize(win::UINT type, int cx, int cy);
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    void OnPaint();
    void OnHeader();
    win::LRESULT OnQueryTab(win::WPARAM wParam, win::LPARAM lParam);
    win::LRESULT OnBlink(win::WPARAM wParam, win::LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    CSkinButton m_onlineHeader;
    CSkinButton m_recentHeader;
    COnlineUserList m_online;
    CRecentContactList m_recent;
    int m_open = 0;
    win::HBITMAP m_unread[2] = {0, 0};
    int m_blinkStep = 0;
};

} // namespace chatui
