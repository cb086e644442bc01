// The framework's menus: CMenu over an HMENU (items with command ids, text,
// enabled and checked states and submenus), menus loaded from the program's menu
// tables, pop-up menus tracked at a screen point (TrackPopupMenu, which can hand
// back the chosen command, and TrackPopupMenuEx, which keeps clear of a
// rectangle) and the windows' system menus. While a pop-up menu is tracked, its
// input is offered to the thread's message filters (MSGF_MENU) first, and
// WM_CANCELMODE to its owner ends it.
#pragma once

#include "platform/appframe/AfxTypes.h"
#include "platform/win/CString.h"
#include "platform/win/Window.h"

namespace win {

class CWnd;

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_RADIOCHECK = 0x0200;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_DEFAULT = 0x1000;

constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_HORIZONTAL = 0x0000;
constexpr UINT TPM_VERTICAL = 0x0040;
constexpr UINT TPM_RETURNCMD = 0x0100;

struct TPMPARAMS {
    UINT cbSize;
    RECT rcExclude; // screen coordinates
};
using LPTPMPARAMS = TPMPARAMS *;

// Where a pop-up menu of `size` asked for at (x, y) with the TPM_ flags opens on
// `screen`: aligned to the point as the flags say, opened to the other side of
// the point where it would pass the screen's right or bottom edge, kept on the
// screen, and then, when it covers part of `exclude`, moved beside it: below or
// above it first with TPM_VERTICAL, right or left of it first otherwise (the
// side the alignment asks for first).
POINT PopupMenuOrigin(int x, int y, SIZE size, UINT flags, const RECT *exclude, const RECT &screen);

// Shows the menu at the screen point for the window `hwnd` (its owner) and waits
// for a choice, keeping clear of tpm->rcExclude when tpm is given. With
// TPM_RETURNCMD it returns the chosen command (0: none); otherwise the choice is
// posted to the owner as WM_COMMAND (unless TPM_NONOTIFY) and the result is
// TRUE, also when the menu was closed with no choice. FALSE (0) for a handle
// that is no menu.
BOOL TrackPopupMenuEx(HMENU hMenu, UINT flags, int x, int y, HWND hwnd, LPTPMPARAMS tpm);

// One line of a menu table: the items of a menu in order, each item's submenu
// following it one level deeper. `flags` are MF_ values (MF_POPUP for an item
// that opens the deeper lines after it, MF_SEPARATOR for a line).
struct MenuTemplateItem {
    int level;
    UINT flags;
    UINT id;
    LPCSTR text;
};

// Enters the program's menu `id` for LoadMenu; FALSE for a table whose levels do
// not nest (a line more than one level deeper than the one before it).
BOOL RegisterMenuResource(UINT id, const MenuTemplateItem *items, int count);

class CMenu {
public:
    CMenu() = default;
    // Destroys the menu it holds (not a wrapper's).
    virtual ~CMenu();
    CMenu(const CMenu &) = delete;
    CMenu &operator=(const CMenu &) = delete;

    HMENU m_hMenu = 0;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // The program's menu table entered under `id`; FALSE when there is none.
    BOOL LoadMenu(UINT id);
    BOOL DestroyMenu();
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    // A wrapper of the menu that this object does not own; null for 0 or a
    // handle that is no menu.
    static CMenu *FromHandle(HMENU hMenu);

    int GetMenuItemCount() const;
    // The item's command id; -1 for a submenu or a position out of range.
    UINT GetMenuItemID(int nPos) const;
    // The submenu at the position, or null.
    CMenu *GetSubMenu(int nPos) const;
    // The item's flags (MF_GRAYED, MF_CHECKED, MF_POPUP, MF_SEPARATOR); -1 when
    // there is no such item.
    UINT GetMenuState(UINT nIDItem, UINT nFlags) const;
    int GetMenuString(UINT nIDItem, LPSTR buffer, int size, UINT nFlags) const;
    int GetMenuString(UINT nIDItem, CString &text, UINT nFlags) const;

    // nIDNewItem is the command id, or the HMENU of the submenu with MF_POPUP
    // (which this menu then owns).
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
    // Removes the item, destroying its submenu (DeleteMenu) or not (RemoveMenu).
    BOOL DeleteMenu(UINT nPosition, UINT nFlags);
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);
    // Return the previous state (MF_GRAYED / MF_CHECKED bits), or -1 when there
    // is no such item.
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
    BOOL CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags);

    // Shows the menu at the screen point and waits for a choice. The owner's
    // update handlers set the items' states first (after WM_INITMENUPOPUP). With
    // TPM_RETURNCMD it returns the chosen command (0: none); otherwise the choice
    // is posted to the owner as WM_COMMAND (unless TPM_NONOTIFY) and the result
    // is whether an item was chosen.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd *pWnd, const RECT *lpRect = nullptr);
    // TrackPopupMenuEx on this menu, the owner's update handlers first as above.
    BOOL TrackPopupMenuEx(UINT fuFlags, int x, int y, CWnd *pWnd, LPTPMPARAMS lptpm);

    // Runs the owner's ON_UPDATE_COMMAND_UI handlers on the items (and those of
    // the submenus).
    void UpdateCommandUI(CWnd *pOwner, BOOL bDisableIfNoHndler = FALSE);

    // Shows the window's system menu at the screen point; a choice is posted to
    // the window as WM_SYSCOMMAND.
    static void TrackSystemMenu(CWnd *pWnd, int x, int y);

private:
    bool owned_ = false;
};

} // namespace win
