// The two owner-drawn lists of chat users: COnlineUserList (everyone the
// server announced, sorted by name and id) and CRecentContactList (who wrote
// since the connection was made, the latest first). Both keep ChatUser
// pointers as item data, decide the conversation partner by their selection,
// and drop their references to the users when emptied or destroyed.
#pragma once

#include <cstdint>

#include "chatdesk/ChatUser.h"
#include "platform/appframe/CListBox.h"

namespace chatui {

// The key the online list is given to insert or find a user: the name and the
// user (null for a search).
struct ChatUserKey {
    char name[64];
    ChatUser *user;
};

// The online list's order: by the names' bytes, then the smaller id first; a
// search key (no user) compares by its text alone.
int CompareChatUsers(const char *nameA, const ChatUser *a, const char *nameB, const ChatUser *b);

class COnlineUserList : public win::CListBox {
public:
    static constexpr int kItemHeight = 32;

    COnlineUserList();
    ~COnlineUserList() override;
    virtual win::BOOL Create(win::CWnd *parent, win::UINT id);

    // Inserts the user through the 68-byte key and sets the item's data; the
    // index or a negative value when the list refuses it.
    int AddUser(ChatUser *user);
    ChatUser *UserAt(int index) const;
    // Selects the first user of exactly that name and scrolls it to the top;
    // false when no name matches.
    bool SelectName(const char *name);

    // Makes the user (or none) the partner and shows his conversation.
    static void ReplayPartnerLog(ChatUser *user);

    void DrawItem(win::LPDRAWITEMSTRUCT item) override;
    void MeasureItem(win::LPMEASUREITEMSTRUCT item) override;
    int CompareItem(win::LPCOMPAREITEMSTRUCT item) override;

protected:
    // The icon of a user in this list, and where it goes from the item's corner.
    virtual win::WORD IconOf(const ChatUser &user) const;
    virtual win::POINT IconPlace(const ChatUser &user) const;
    // Every user whose moving flag is clear loses this list's reference.
    void ReleaseUsers();

    win::LRESULT OnSetSel(win::WPARAM wParam, win::LPARAM lParam);
    win::LRESULT OnResetContent(win::WPARAM wParam, win::LPARAM lParam);
    void OnDestroy();
    void OnLButtonDown(win::UINT flags, win::CPoint point);
    void OnLButtonDblClk(win::UINT flags, win::CPoint point);
    void OnKeyDown(win::UINT key, win::UINT repeat, win::UINT flags);
    void OnKeyUp(win::UINT key, win::UINT repeat, win::UINT flags);
    void OnContextMenu(win::CWnd *wnd, win::CPoint pos);
    void OnMouseMove(win::UINT flags, win::CPoint point);
    void OnMouseHover(win::UINT flags, win::CPoint point);
    void OnMouseLeave();
    DECLARE_MESSAGE_MAP()

    win::DWORD m_style;
    win::DWORD m_hoverTime = 500;
    bool m_tracking = false;
};

class CRecentContactList : public COnlineUserList {
public:
    CRecentContactList();
    // Advances the blink of the unread users that are in view.
    win::LRESULT OnBlink(win::WPARAM wParam, win::LPARAM lParam);

protected:
    win::WORD IconOf(const ChatUser &user) const override;
    win::POINT IconPlace(const ChatUser &user) const override;
    DECLARE_MESSAGE_MAP()
};

// Clears a user's unread flag; the tab strip hears when no unread user is left.
void ClearUnread(ChatUser &user);

} // namespace chatui
