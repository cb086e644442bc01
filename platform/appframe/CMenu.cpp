#include "platform/appframe/CMenu.h"

#include <QMenu>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/appframe/CCmdUI.h"
#include "platform/appframe/CWnd.h"
#include "platform/forms/TMenuItem.h"
#include "platform/win/Handle.h"

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

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd *pWnd, const RECT *)
{
    if (!Find(m_hMenu))
        return FALSE;
    if (pWnd && pWnd->m_hWnd) {
        pWnd->SendMessage(WM_INITMENUPOPUP, static_cast<WPARAM>(m_hMenu), 0);
        UpdateCommandUI(pWnd, FALSE);
    }
    UINT chosen = 0;
    {
        TMenuItem root(nullptr);
        BuildItems(&root, &root, m_hMenu, chosen);
        QMenu menu;
        root.FillQtMenu(&menu);
        QSize size = menu.sizeHint();
        if (nFlags & TPM_RIGHTALIGN)
            x -= size.width();
        else if (nFlags & TPM_CENTERALIGN)
            x -= size.width() / 2;
        if (nFlags & TPM_BOTTOMALIGN)
            y -= size.height();
        else if (nFlags & TPM_VCENTERALIGN)
            y -= size.height() / 2;
        menu.exec(QPoint(x, y));
    }
    if (nFlags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen && pWnd && pWnd->m_hWnd && !(nFlags & TPM_NONOTIFY))
        pWnd->PostMessage(WM_COMMAND, chosen, 0);
    return chosen != 0;
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
