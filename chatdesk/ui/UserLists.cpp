#include "chatdesk/ui/UserLists.h"

#include <cstdio>
#include <cstring>

#include "chatdesk/ui/ChatGlobals.h"
#include "chatdesk/ui/ChatUiIds.h"
#include "chatdesk/ui/HintWnd.h"
#include "chatdesk/ui/TranscriptPane.h"
#include "chatdesk/ui/UserTabStrip.h"
#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"
#include "platform/win/MouseTracking.h"

using namespace win;

namespace chatui {

namespace {

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_MULTIPLESEL | LBS_OWNERDRAWFIXED |
                             LBS_NOINTEGRALHEIGHT;

// The name and user of one side of a comparison: an item of the list, or the
// key of one being inserted or looked for (index -1).
void Side(UINT index, ULONG_PTR data, const char *&name, const ChatUser *&user)
{
    if (index == static_cast<UINT>(-1)) {
        const auto *key = reinterpret_cast<const ChatUserKey *>(data);
        user = key ? key->user : nullptr;
        name = key ? key->name : "";
    } else {
        user = reinterpret_cast<const ChatUser *>(data);
        name = user ? user->name : "";
    }
}

} // namespace

int CompareChatUsers(const char *nameA, const ChatUser *a, const char *nameB, const ChatUser *b)
{
    const int byName = std::strncmp(nameA, nameB, 64);
    if (byName != 0 || !a || !b)
        return byName < 0 ? -1 : byName > 0 ? 1 : 0;
    if (a == b)
        return 0;
    return a->id < b->id || (a->id == b->id && a < b) ? -1 : 1;
}

void ClearUnread(ChatUser &user)
{
    if (!user.unread)
        return;
    if (UnreadUserCount > 0)
        --UnreadUserCount;
    user.unread = 0;
    user.blinkPhase = 0;
    if (UnreadUserCount == 0 && ChatGlobals().tabStrip && ChatGlobals().tabStrip->m_hWnd)
        ChatGlobals().tabStrip->SendMessage(WM_CHAT_BLINK);
}

BEGIN_MESSAGE_MAP(COnlineUserList, CListBox)
ON_MESSAGE(LB_SETSEL, OnSetSel)
ON_MESSAGE(LB_RESETCONTENT, OnResetContent)
ON_WM_DESTROY()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_CONTEXTMENU()
ON_WM_MOUSEMOVE()
ON_WM_MOUSEHOVER()
ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

COnlineUserList::COnlineUserList() : m_style(kListStyle | LBS_SORT) {}

COnlineUserList::~COnlineUserList()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL COnlineUserList::Create(CWnd *parent, UINT id)
{
    return CListBox::Create(m_style, RECT{0, 0, 10, 10}, parent, id);
}

int COnlineUserList::AddUser(ChatUser *user)
{
    ChatUserKey key{};
    std::memcpy(key.name, user->name, sizeof key.name);
    key.user = user;
    const int index = (m_style & LBS_SORT) ? AddString(reinterpret_cast<LPCSTR>(&key))
                                            : InsertString(0, reinterpret_cast<LPCSTR>(&key));
    if (index >= 0)
        SetItemDataPtr(index, user);
    return index;
}

ChatUser *COnlineUserList::UserAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return static_cast<ChatUser *>(GetItemDataPtr(index));
}

bool COnlineUserList::SelectName(const char *name)
{
    SetSel(-1, FALSE);
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        const ChatUser *user = UserAt(i);
        if (user && CompareChatUsers(name, nullptr, user->name, user) == 0) {
            SetSel(i, TRUE);
            SetTopIndex(i);
            return true;
        }
    }
    return false;
}

void COnlineUserList::ReplayPartnerLog(ChatUser *user)
{
    if (ChatGlobals().transcriptPane)
        ChatGlobals().transcriptPane->ShowConversation(user);
    else
        CurrentPartner = user;
}

void COnlineUserList::MeasureItem(LPMEASUREITEMSTRUCT item)
{
    item->itemHeight = kItemHeight;
}

int COnlineUserList::CompareItem(LPCOMPAREITEMSTRUCT item)
{
    const char *nameA, *nameB;
    const ChatUser *a, *b;
    Side(item->itemID1, item->itemData1, nameA, a);
    Side(item->itemID2, item->itemData2, nameB, b);
    return CompareChatUsers(nameA, a, nameB, b);
}

WORD COnlineUserList::IconOf(const ChatUser &user) const
{
    return user.role == 2 ? IDB_CLIENT : IDB_STAFF;
}

POINT COnlineUserList::IconPlace(const ChatUser &) const
{
    return POINT{4, 4};
}

void COnlineUserList::DrawItem(LPDRAWITEMSTRUCT item)
{
    if (item->itemID == static_cast<UINT>(-1))
        return;
    const ChatUser *user = reinterpret_cast<const ChatUser *>(item->itemData);
    const int w = item->rcItem.right - item->rcItem.left, h = item->rcItem.bottom - item->rcItem.top;
    if (w <= 0 || h <= 0)
        return;
    CDC *screen = CDC::FromHandle(item->hDC);
    CDC dc;
    dc.CreateCompatibleDC(screen);
    CBitmap canvas;
    canvas.CreateCompatibleBitmap(screen, w, h);
    CBitmap *oldCanvas = dc.SelectObject(&canvas);
    const RECT r{0, 0, w, h};
    CBrush frame(kSelectFrame);
    if (item->itemState & ODS_SELECTED) {
        dc.FillSolidRect(&r, kSelectFill);
        dc.FrameRect(&r, &frame);
    } else {
        dc.FillSolidRect(&r, GetSysColor(COLOR_WINDOW));
    }
    if (item->itemState & ODS_FOCUS)
        dc.FrameRect(&r, &frame);
    if (user) {
        if (HBITMAP icon = LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IconOf(*user)))) {
            CDC memory;
            memory.CreateCompatibleDC(&dc);
            HGDIOBJ old = SelectObject(memory.GetSafeHdc(), icon);
            const POINT at = IconPlace(*user);
            dc.TransparentBlt(at.x, at.y, 24, 24, &memory, 0, 0, 24, 24, kMagenta);
            SelectObject(memory.GetSafeHdc(), old);
            DeleteObject(icon);
        }
        char text[96];
        std::snprintf(text, sizeof text, "%.63s [%u]", user->name, unsigned(user->id));
        CFont *font = GetFont();
        CFont *oldFont = font ? dc.SelectObject(font) : nullptr;
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0, 0, 0));
        RECT textArea{31, 3, w - 3, h - 3};
        dc.DrawText(text, -1, &textArea, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        if (oldFont)
            dc.SelectObject(oldFont);
    }
    screen->BitBlt(item->rcItem.left, item->rcItem.top, w, h, &dc, 0, 0, SRCCOPY);
    dc.SelectObject(oldCanvas);
}

LRESULT COnlineUserList::OnSetSel(WPARAM wParam, LPARAM lParam)
{
    const int index = static_cast<int>(lParam);
    if (index == -1) {
        ReplayPartnerLog(nullptr);
    } else if (wParam) {
        SendMessage(LB_SETSEL, FALSE, -1);
        ChatUser *user = UserAt(index);
        if (user)
            ClearUnread(*user);
        ReplayPartnerLog(user);
    } else {
        ReplayPartnerLog(nullptr);
    }
    return Default();
}

void COnlineUserList::ReleaseUsers()
{
    const int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (ChatUser *user = UserAt(i))
            user->DropReference();
}

LRESULT COnlineUserList::OnResetContent(WPARAM, LPARAM)
{
    if (GetCount() > 0) {
        if (ChatGlobals().transcriptPane)
            ChatGlobals().transcriptPane->ClearCaption();
        ReleaseUsers();
    }
    return Default();
}

void COnlineUserList::OnDestroy()
{
    ReleaseUsers();
    // The items go with the window; nothing refers to the users any more.
    const int count = GetCount();
    for (int i = 0; i < count; ++i)
        SetItemData(i, 0);
    Default();
}

void COnlineUserList::OnLButtonDown(UINT, CPoint point)
{
    const int count = GetCount();
    if (count <= 0) {
        FocusInput();
        return;
    }
    RECT last{};
    GetItemRect(count - 1, &last);
    if (point.y < last.bottom) {
        BOOL outside = FALSE;
        const UINT index = ItemFromPoint(point, outside);
        if (static_cast<int>(index) < count)
            SetSel(static_cast<int>(index), GetSel(static_cast<int>(index)) > 0 ? FALSE : TRUE);
    } else {
        SetSel(-1, FALSE);
    }
}

void COnlineUserList::OnLButtonDblClk(UINT flags, CPoint point)
{
    OnLButtonDown(flags, point);
}

void COnlineUserList::OnKeyDown(UINT, UINT, UINT) {}

void COnlineUserList::OnKeyUp(UINT, UINT, UINT) {}

void COnlineUserList::OnContextMenu(CWnd *, CPoint) {}

void COnlineUserList::OnMouseMove(UINT, CPoint)
{
    if (m_tracking)
        return;
    m_tracking = true;
    TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, m_hoverTime};
    TrackMouseEvent(&tme);
}

void COnlineUserList::OnMouseHover(UINT, CPoint point)
{
    TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, m_hWnd, m_hoverTime};
    TrackMouseEvent(&tme);
    const int count = GetCount();
    RECT last{};
    if (count > 0)
        GetItemRect(count - 1, &last);
    if (count <= 0 || point.y >= last.bottom) {
        CHintWnd::Instance().Hide();
        return;
    }
    BOOL outside = FALSE;
    const ChatUser *user = UserAt(static_cast<int>(ItemFromPoint(point, outside)));
    if (!user)
        return;
    char text[256];
    std::snprintf(text, sizeof text, "%.63s ( %s )\r\n%.31s", user->name, (user->status & 2) ? "已下线" : "在线",
                  user->info);
    CHintWnd::Instance().ShowHint(text, AfxGetMainWnd());
}

void COnlineUserList::OnMouseLeave()
{
    m_tracking = false;
    CHintWnd::Instance().Hide();
}

BEGIN_MESSAGE_MAP(CRecentContactList, COnlineUserList)
ON_MESSAGE(WM_CHAT_BLINK, OnBlink)
END_MESSAGE_MAP()

CRecentContactList::CRecentContactList()
{
    m_style = kListStyle;
    m_hoverTime = 0;
}

WORD CRecentContactList::IconOf(const ChatUser &user) const
{
    const bool offline = (user.status & 2) != 0;
    if (user.role == 2)
        return offline ? IDB_CLIENT_OFFLINE : IDB_CLIENT;
    return offline ? IDB_STAFF_OFFLINE : IDB_STAFF;
}

POINT CRecentContactList::IconPlace(const ChatUser &user) const
{
    switch (user.blinkPhase & 3) {
    case 1:
        return POINT{6, 6};
    case 3:
        return POINT{2, 6};
    default:
        return POINT{4, 4};
    }
}

LRESULT CRecentContactList::OnBlink(WPARAM, LPARAM)
{
    RECT client{};
    GetClientRect(&client);
    const int count = GetCount();
    const int top = GetTopIndex();
    const int last = std::min(count, top + (client.bottom - client.top) / kItemHeight + 2);
    bool any = false;
    for (int i = top; i < last; ++i) {
        ChatUser *user = UserAt(i);
        if (!user || !user->unread)
            continue;
        user->blinkPhase = (user->blinkPhase + 1) & 3;
        RECT item{};
        GetItemRect(i, &item);
        const RECT icon{item.left + 2, item.top + 4, item.left + 30, item.top + 30};
        if (icon.top >= client.top && icon.bottom <= client.bottom) {
            InvalidateRect(&icon, FALSE);
            any = true;
        }
    }
    if (any)
        UpdateWindow();
    return 0;
}

} // namespace chatui
