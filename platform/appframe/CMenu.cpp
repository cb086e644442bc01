#include "platform/appframe/CMenu.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/appframe/CCmdUI.h"
#include "platform/appframe/CWnd.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/Handle.h"
#include "platform/win/Hooks.h"
#include "platform/win/Text.h"
#include "platform/win/Time.h"

namespace win {

namespace {

struct MenuItemData {
    UINT flags = 0;
    UINT id = 0;
    std::string text;
    HMENU sub = 0;
};

struct MenuData {
    std::vector<MenuItemData> items;
};

std::unordered_map<HMENU, MenuData> &Menus()
{
    static auto *menus = new std::unordered_map<HMENU, MenuData>;
    return *menus;
}

struct MenuLine {
    int level;
    UINT flags;
    UINT id;
    std::string text;
};

std::map<UINT, std::vector<MenuLine>> &MenuResources()
{
    static auto *resources = new std::map<UINT, std::vector<MenuLine>>;
    return *resources;
}

std::unordered_map<HWND, HMENU> &SystemMenus()
{
    static auto *menus = new std::unordered_map<HWND, HMENU>;
    return *menus;
}

MenuData *Find(HMENU h)
{
    auto it = Menus().find(h);
    return it == Menus().end() ? nullptr : &it->second;
}

HMENU NewMenu()
{
    HMENU h = AllocateHandleNumber();
    Menus()[h] = MenuData{};
    return h;
}

void Destroy(HMENU h)
{
    MenuData *data = Find(h);
    if (!data)
        return;
    std::vector<HMENU> subs;
    for (const MenuItemData &item : data->items)
        if (item.sub)
            subs.push_back(item.sub);
    Menus().erase(h);
    for (HMENU sub : subs)
        Destroy(sub);
}

// The item by position, or by command anywhere in the menu and its submenus.
MenuItemData *FindItem(HMENU h, UINT which, UINT flags)
{
    MenuData *data = Find(h);
    if (!data)
        return nullptr;
    if (flags & MF_BYPOSITION)
        return which < data->items.size() ? &data->items[which] : nullptr;
    for (MenuItemData &item : data->items) {
        if (!item.sub && !(item.flags & MF_SEPARATOR) && item.id == which)
            return &item;
        if (item.sub)
            if (MenuItemData *inner = FindItem(item.sub, which, flags))
                return inner;
    }
    return nullptr;
}

// The menu holding the item, and its position there.
bool Locate(HMENU h, UINT which, UINT flags, HMENU &menu, size_t &pos)
{
    MenuData *data = Find(h);
    if (!data)
        return false;
    if (flags & MF_BYPOSITION) {
        menu = h;
        pos = which;
        return which < data->items.size();
    }
    for (size_t i = 0; i < data->items.size(); ++i) {
        const MenuItemData &item = data->items[i];
        if (!item.sub && !(item.flags & MF_SEPARATOR) && item.id == which) {
            menu = h;
            pos = i;
            return true;
        }
        if (item.sub && Locate(item.sub, which, flags, menu, pos))
            return true;
    }
    return false;
}

MenuItemData MakeItem(UINT flags, UINT_PTR idNew, LPCSTR text)
{
    MenuItemData item;
    item.flags = flags & ~MF_BYPOSITION;
    if (flags & MF_POPUP)
        item.sub = static_cast<HMENU>(idNew);
    else
        item.id = static_cast<UINT>(idNew);
    if (text && !(flags & MF_SEPARATOR))
        item.text = text;
    return item;
}

// The menu's items as form-library menu items (owned by `owner`); a chosen
// command lands in `chosen`.
void BuildItems(TMenuItem *parent, TComponent *owner, HMENU h, UINT &chosen)
{
    MenuData *data = Find(h);
    if (!data)
        return;
    for (const MenuItemData &item : data->items) {
        auto *mi = new TMenuItem(owner);
        if (item.flags & MF_SEPARATOR) {
            mi->Caption = "-";
        } else {
            mi->Caption = item.text.c_str();
            mi->Enabled = !(item.flags & (MF_GRAYED | MF_DISABLED));
            mi->Checked = (item.flags & MF_CHECKED) != 0;
            if (item.sub) {
                BuildItems(mi, owner, item.sub, chosen);
            } else {
                UINT id = item.id;
                mi->OnClick = [&chosen, id](TObject *) { chosen = id; };
            }
        }
        parent->Add(mi);
    }
}

HMENU StandardSystemMenu()
{
    HMENU h = NewMenu();
    CMenu *menu = CMenu::FromHandle(h);
    menu->AppendMenu(MF_STRING, SC_RESTORE, "还原(&R)");
    menu->AppendMenu(MF_STRING, SC_MINIMIZE, "最小化(&N)");
    menu->AppendMenu(MF_STRING, SC_MAXIMIZE, "最大化(&X)");
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, SC_CLOSE, "关闭(&C)\tAlt+F4");
    return h;
}

} // namespace

BOOL RegisterMenuResource(UINT id, const MenuTemplateItem *items, int count)
{
    if (!items || count < 0)
        return FALSE;
    std::vector<MenuLine> lines;
    int level = 0;
    for (int i = 0; i < count; ++i) {
        const MenuTemplateItem &t = items[i];
        if (t.level < 0 || t.level > level || (i == 0 && t.level != 0))
            return FALSE;
        lines.push_back(MenuLine{t.level, t.flags, t.id, t.text ? t.text : ""});
        level = (t.flags & MF_POPUP) ? t.level + 1 : t.level;
    }
    MenuResources()[id] = std::move(lines);
    return TRUE;
}

CMenu::~CMenu()
{
    if (owned_)
        DestroyMenu();
}

BOOL CMenu::CreateMenu()
{
    if (m_hMenu)
        return FALSE;
    m_hMenu = NewMenu();
    owned_ = true;
    return TRUE;
}

BOOL CMenu::CreatePopupMenu() { return CreateMenu(); }

BOOL CMenu::LoadMenu(UINT id)
{
    auto it = MenuResources().find(id);
    if (m_hMenu || it == MenuResources().end())
        return FALSE;
    CreateMenu();
    // The menu open at each level while the lines are read.
    std::vector<HMENU> open{m_hMenu};
    for (const MenuLine &line : it->second) {
        open.resize(static_cast<size_t>(line.level) + 1);
        MenuData *data = Find(open.back());
        MenuItemData item;
        item.flags = line.flags & ~MF_POPUP;
        item.id = line.id;
        item.text = line.text;
        if (line.flags & MF_POPUP) {
            item.flags |= MF_POPUP;
            item.id = 0;
            item.sub = NewMenu();
            data = Find(open.back());
            open.push_back(item.sub);
        }
        data->items.push_back(item);
    }
    return TRUE;
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    Destroy(m_hMenu);
    m_hMenu = 0;
    owned_ = false;
    return TRUE;
}

BOOL CMenu::Attach(HMENU hMenu)
{
    if (m_hMenu || !Find(hMenu))
        return FALSE;
    m_hMenu = hMenu;
    owned_ = true;
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU h = m_hMenu;
    m_hMenu = 0;
    owned_ = false;
    return h;
}

CMenu *CMenu::FromHandle(HMENU hMenu)
{
    if (!Find(hMenu))
        return nullptr;
    static auto *wrappers = new std::unordered_map<HMENU, std::unique_ptr<CMenu>>;
    auto &slot = (*wrappers)[hMenu];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_hMenu = hMenu;
    }
    return slot.get();
}

int CMenu::GetMenuItemCount() const
{
    MenuData *data = Find(m_hMenu);
    return data ? static_cast<int>(data->items.size()) : -1;
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    MenuItemData *item = nPos < 0 ? nullptr : FindItem(m_hMenu, static_cast<UINT>(nPos), MF_BYPOSITION);
    if (!item || item->sub)
        return static_cast<UINT>(-1);
    return (item->flags & MF_SEPARATOR) ? 0 : item->id;
}

CMenu *CMenu::GetSubMenu(int nPos) const
{
    MenuItemData *item = nPos < 0 ? nullptr : FindItem(m_hMenu, static_cast<UINT>(nPos), MF_BYPOSITION);
    return item && item->sub ? FromHandle(item->sub) : nullptr;
}

UINT CMenu::GetMenuState(UINT nIDItem, UINT nFlags) const
{
    MenuItemData *item = FindItem(m_hMenu, nIDItem, nFlags);
    if (!item)
        return static_cast<UINT>(-1);
    return item->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
}

int CMenu::GetMenuString(UINT nIDItem, LPSTR buffer, int size, UINT nFlags) const
{
    MenuItemData *item = FindItem(m_hMenu, nIDItem, nFlags);
    if (!buffer || size <= 0)
        return item ? static_cast<int>(item->text.size()) : 0;
    std::string text = item ? item->text : std::string();
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

int CMenu::GetMenuString(UINT nIDItem, CString &text, UINT nFlags) const
{
    MenuItemData *item = FindItem(m_hMenu, nIDItem, nFlags);
    text = item ? item->text.c_str() : "";
    return text.GetLength();
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem)
{
    MenuData *data = Find(m_hMenu);
    if (!data || ((nFlags & MF_POPUP) && !Find(static_cast<HMENU>(nIDNewItem))))
        return FALSE;
    data->items.push_back(MakeItem(nFlags, nIDNewItem, lpszNewItem));
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem)
{
    if ((nFlags & MF_POPUP) && !Find(static_cast<HMENU>(nIDNewItem)))
        return FALSE;
    HMENU menu = m_hMenu;
    size_t pos = 0;
    MenuData *data = Find(m_hMenu);
    if (!data)
        return FALSE;
    if ((nFlags & MF_BYPOSITION) && nPosition >= data->items.size()) {
        // A position past the end appends, as Windows does.
        pos = data->items.size();
    } else if (!Locate(m_hMenu, nPosition, nFlags, menu, pos)) {
        return FALSE;
    }
    MenuData *target = Find(menu);
    target->items.insert(target->items.begin() + static_cast<std::ptrdiff_t>(pos),
                         MakeItem(nFlags, nIDNewItem, lpszNewItem));
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem)
{
    MenuItemData *item = FindItem(m_hMenu, nPosition, nFlags);
    if (!item)
        return FALSE;
    HMENU oldSub = item->sub;
    *item = MakeItem(nFlags, nIDNewItem, lpszNewItem);
    if (oldSub && oldSub != item->sub)
        Destroy(oldSub);
    return TRUE;
}

BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags)
{
    MenuItemData *item = FindItem(m_hMenu, nPosition, nFlags);
    if (!item)
        return FALSE;
    HMENU sub = item->sub;
    RemoveMenu(nPosition, nFlags);
    if (sub)
        Destroy(sub);
    return TRUE;
}

BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags)
{
    HMENU menu = 0;
    size_t pos = 0;
    if (!Locate(m_hMenu, nPosition, nFlags, menu, pos))
        return FALSE;
    MenuData *data = Find(menu);
    data->items.erase(data->items.begin() + static_cast<std::ptrdiff_t>(pos));
    return TRUE;
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable)
{
    MenuItemData *item = FindItem(m_hMenu, nIDEnableItem, nEnable);
    if (!item)
        return static_cast<UINT>(-1);
    UINT previous = item->flags & (MF_GRAYED | MF_DISABLED);
    item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (nEnable & (MF_GRAYED | MF_DISABLED));
    return previous;
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck)
{
    MenuItemData *item = FindItem(m_hMenu, nIDCheckItem, nCheck);
    if (!item)
        return static_cast<UINT>(-1);
    UINT previous = item->flags & MF_CHECKED;
    item->flags = (item->flags & ~MF_CHECKED) | (nCheck & MF_CHECKED);
    return previous;
}

BOOL CMenu::CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags)
{
    bool found = false;
    for (UINT i = nIDFirst; i <= nIDLast; ++i) {
        MenuItemData *item = FindItem(m_hMenu, i, nFlags);
        if (!item)
            continue;
        bool on = i == nIDItem;
        found = found || on;
        item->flags = on ? (item->flags | MF_CHECKED | MF_RADIOCHECK) : (item->flags & ~(MF_CHECKED | MF_RADIOCHECK));
    }
    return found;
}

void CMenu::UpdateCommandUI(CWnd *pOwner, BOOL bDisableIfNoHndler)
{
    MenuData *data = Find(m_hMenu);
    if (!data || !pOwner)
        return;
    size_t count = data->items.size();
    for (size_t i = 0; i < count && Find(m_hMenu); ++i) {
        const MenuItemData item = Find(m_hMenu)->items[i];
        if (item.sub) {
            if (CMenu *sub = FromHandle(item.sub))
                sub->UpdateCommandUI(pOwner, bDisableIfNoHndler);
            continue;
        }
        if ((item.flags & MF_SEPARATOR) || item.id == 0)
            continue;
        CCmdUI ui;
        ui.m_nID = item.id;
        ui.m_nIndex = static_cast<UINT>(i);
        ui.m_nIndexMax = static_cast<UINT>(count);
        ui.m_pMenu = this;
        ui.DoUpdate(pOwner, bDisableIfNoHndler);
    }
}

namespace {

bool Overlaps(int left, int top, SIZE size, const RECT &r)
{
    return left < r.right && r.left < left + size.cx && top < r.bottom && r.top < top + size.cy;
}

// A menu's input as the messages a Windows menu loop offers its filters: keys
// with their virtual-key codes (and the characters they type), the mouse in
// screen coordinates. `next` is called once per message.
template <typename Offer>
bool OfferAsMessages(HWND owner, QEvent *e, Offer next)
{
    QPoint cursor = QCursor::pos();
    MSG msg{owner, 0, 0, 0, GetTickCount(), {cursor.x(), cursor.y()}};
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *k = static_cast<QKeyEvent *>(e);
        const bool press = e->type() == QEvent::KeyPress;
        const bool alt = (k->modifiers() & Qt::AltModifier) != 0;
        const WORD vk = VirtualKeyOf(k->key(), (k->modifiers() & Qt::KeypadModifier) != 0);
        if (vk != 0) {
            msg.message = press ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
            msg.wParam = vk;
            LPARAM lp = 1 | (LPARAM(k->nativeScanCode() & 0xFF) << 16);
            if (alt)
                lp |= LPARAM(1) << 29;
            if (!press)
                lp |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
            msg.lParam = lp & 0xFFFFFFFF;
            if (next(msg))
                return true;
        }
        if (!press || k->text().isEmpty())
            return false;
        const QString text = k->text();
        const std::string bytes = Utf16ToGbk(
            std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<size_t>(text.size())));
        for (char c : bytes) {
            msg.message = alt ? WM_SYSCHAR : WM_CHAR;
            msg.wParam = static_cast<unsigned char>(c);
            msg.lParam = 1;
            if (next(msg))
                return true;
        }
        return false;
    }
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto *m = static_cast<QMouseEvent *>(e);
        const QPoint at = m->globalPosition().toPoint();
        const bool down = e->type() != QEvent::MouseButtonRelease;
        switch (e->type()) {
        case QEvent::MouseMove:
            msg.message = WM_MOUSEMOVE;
            break;
        default:
            switch (m->button()) {
            case Qt::LeftButton:
                msg.message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
                break;
            case Qt::RightButton:
                msg.message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
                break;
            case Qt::MiddleButton:
                msg.message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
                break;
            default:
                return false;
            }
        }
        WPARAM keys = 0;
        if (m->buttons() & Qt::LeftButton)
            keys |= MK_LBUTTON;
        if (m->buttons() & Qt::RightButton)
            keys |= MK_RBUTTON;
        if (m->buttons() & Qt::MiddleButton)
            keys |= MK_MBUTTON;
        if (m->modifiers() & Qt::ShiftModifier)
            keys |= MK_SHIFT;
        if (m->modifiers() & Qt::ControlModifier)
            keys |= MK_CONTROL;
        msg.wParam = keys;
        msg.lParam = static_cast<LPARAM>(MAKELONG(static_cast<WORD>(at.x()), static_cast<WORD>(at.y())));
        msg.pt = POINT{at.x(), at.y()};
        return next(msg);
    }
    default:
        return false;
    }
}

// Offers the input of the tracked menu (and its submenus) to the thread's
// message filters; what a filter takes, the menu never sees.
class MenuLoopFilter : public QObject {
public:
    explicit MenuLoopFilter(HWND owner) : owner_(owner) {}

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (!qobject_cast<QMenu *>(watched))
            return false;
        return OfferAsMessages(owner_, e, [](MSG &msg) { return CallMsgFilterA(&msg, MSGF_MENU) != FALSE; });
    }

private:
    HWND owner_;
};

// The menu loop: shows the menu and waits until it closes, by a choice, by the
// user or by the end of the menu mode. `chosen` is the chosen command (0: none).
bool Track(HMENU h, UINT flags, int x, int y, HWND owner, const RECT *exclude, UINT &chosen)
{
    chosen = 0;
    if (!Find(h))
        return false;
    TMenuItem root(nullptr);
    BuildItems(&root, &root, h, chosen);
    QMenu menu;
    root.FillQtMenu(&menu);
    const QSize hint = menu.sizeHint();
    QScreen *screen = QGuiApplication::screenAt(QPoint(x, y));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect g = screen ? screen->geometry() : QRect(x, y, hint.width(), hint.height());
    const RECT bounds{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    const POINT at = PopupMenuOrigin(x, y, SIZE{hint.width(), hint.height()}, flags, exclude, bounds);
    MenuMode mode(owner, [&menu] { menu.close(); });
    MenuLoopFilter filter(owner);
    qApp->installEventFilter(&filter);
    menu.exec(QPoint(at.x, at.y));
    qApp->removeEventFilter(&filter);
    return true;
}

} // namespace

POINT PopupMenuOrigin(int x, int y, SIZE size, UINT flags, const RECT *exclude, const RECT &screen)
{
    int left = x, top = y;
    if (flags & TPM_RIGHTALIGN)
        left = x - size.cx;
    else if (flags & TPM_CENTERALIGN)
        left = x - size.cx / 2;
    if (flags & TPM_BOTTOMALIGN)
        top = y - size.cy;
    else if (flags & TPM_VCENTERALIGN)
        top = y - size.cy / 2;
    // Past the right or bottom edge, the menu opens on the other side of the point.
    if (left + size.cx > screen.right)
        left = x - size.cx;
    if (top + size.cy > screen.bottom)
        top = y - size.cy;
    left = std::max(screen.left, std::min(left, screen.right - size.cx));
    top = std::max(screen.top, std::min(top, screen.bottom - size.cy));
    if (!exclude || !Overlaps(left, top, size, *exclude))
        return POINT{left, top};
    const RECT &r = *exclude;
    auto vertical = [&] {
        const int below = r.bottom, above = r.top - size.cy;
        const bool belowFits = below + size.cy <= screen.bottom, aboveFits = above >= screen.top;
        const bool aboveFirst = (flags & TPM_BOTTOMALIGN) != 0;
        if (aboveFirst ? aboveFits : belowFits) {
            top = aboveFirst ? above : below;
            return true;
        }
        if (aboveFirst ? belowFits : aboveFits) {
            top = aboveFirst ? below : above;
            return true;
        }
        return false;
    };
    auto horizontal = [&] {
        const int right = r.right, leftOf = r.left - size.cx;
        const bool rightFits = right + size.cx <= screen.right, leftFits = leftOf >= screen.left;
        const bool leftFirst = (flags & TPM_RIGHTALIGN) != 0;
        if (leftFirst ? leftFits : rightFits) {
            left = leftFirst ? leftOf : right;
            return true;
        }
        if (leftFirst ? rightFits : leftFits) {
            left = leftFirst ? right : leftOf;
            return true;
        }
        return false;
    };
    if (flags & TPM_VERTICAL) {
        if (!vertical())
            horizontal();
    } else if (!horizontal()) {
        vertical();
    }
    return POINT{left, top};
}

BOOL TrackPopupMenuEx(HMENU hMenu, UINT flags, int x, int y, HWND hwnd, LPTPMPARAMS tpm)
{
    UINT chosen = 0;
    if (!Track(hMenu, flags, x, y, hwnd, tpm ? &tpm->rcExclude : nullptr, chosen)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen && hwnd && IsWindow(hwnd) && !(flags & TPM_NONOTIFY))
        PostMessageA(hwnd, WM_COMMAND, chosen, 0);
    return TRUE;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd *pWnd, const RECT *)
{
    if (!Find(m_hMenu))
        return FALSE;
    const HWND owner = pWnd ? pWnd->m_hWnd : 0;
    if (owner) {
        pWnd->SendMessage(WM_INITMENUPOPUP, static_cast<WPARAM>(m_hMenu), 0);
        UpdateCommandUI(pWnd, FALSE);
    }
    UINT chosen = 0;
    Track(m_hMenu, nFlags, x, y, owner, nullptr, chosen);
    if (nFlags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen && pWnd && pWnd->m_hWnd && !(nFlags & TPM_NONOTIFY))
        pWnd->PostMessage(WM_COMMAND, chosen, 0);
    return chosen != 0;
}

BOOL CMenu::TrackPopupMenuEx(UINT fuFlags, int x, int y, CWnd *pWnd, LPTPMPARAMS lptpm)
{
    if (!Find(m_hMenu))
        return FALSE;
    if (pWnd && pWnd->m_hWnd) {
        pWnd->SendMessage(WM_INITMENUPOPUP, static_cast<WPARAM>(m_hMenu), 0);
        UpdateCommandUI(pWnd, FALSE);
    }
    return win::TrackPopupMenuEx(m_hMenu, fuFlags, x, y, pWnd ? pWnd->m_hWnd : 0, lptpm);
}

void CMenu::TrackSystemMenu(CWnd *pWnd, int x, int y)
{
    if (!pWnd || !pWnd->m_hWnd)
        return;
    CMenu *menu = pWnd->GetSystemMenu(FALSE);
    if (!menu)
        return;
    UINT chosen = static_cast<UINT>(menu->TrackPopupMenu(TPM_RETURNCMD, x, y, nullptr));
    if (chosen)
        pWnd->PostMessage(WM_SYSCOMMAND, chosen, 0);
}

// The system menu belongs to the menus; its items are chosen through
// TrackSystemMenu.
CMenu *CWnd::GetSystemMenu(BOOL bRevert) const
{
    if (!m_hWnd)
        return nullptr;
    HMENU &h = SystemMenus()[m_hWnd];
    if (bRevert) {
        if (h)
            Destroy(h);
        h = StandardSystemMenu();
        return nullptr;
    }
    if (!h || !Find(h))
        h = StandardSystemMenu();
    return CMenu::FromHandle(h);
}

} // namespace win
