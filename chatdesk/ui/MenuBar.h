// The menu bar of the chat window: one button per top-level item of a menu
// resource, painted in the blue scheme, each opening its item's drop-down with
// the states the main window's update handlers give the commands. While a
// drop-down is open, one message filter of the thread (shared by every bar)
// lets Esc close it and the arrows and the mouse move to the neighbouring ones.
#pragma once

#include <string>
#include <vector>

#include "platform/appframe/CMenu.h"
#include "platform/appframe/CWnd.h"
#include "platform/win/Hooks.h"

namespace chatui {

// The item after (right) or before (left) `open` among `count`, wrapping.
int NextMenuItem(int open, int count, bool right);
// The first item whose text has '&' before the character (compared in upper
// case), or -1.
int MnemonicItem(const std::vector<std::string> &texts, unsigned char typed);

class CMenuBar : public win::CWnd {
public:
    CMenuBar();
    ~CMenuBar() override;

    win::BOOL Create(const win::RECT &rect, win::UINT menuId, win::CWnd *parent, win::UINT id);
    // A typed mnemonic: true when an item has it (its drop-down then opens).
    bool OnMenuChar(unsigned char typed);

    int GetItemCount() const { return static_cast<int>(m_texts.size()); }
    int GetOpenItem() const { return m_open; }
    int GetHotItem() const { return m_hot; }
    win::RECT ItemRect(int index) const;
    win::CMenu &Menu() { return m_menu; }

    // A message of the menu loop while this bar's drop-down is open: true when
    // the bar took it (Esc, the arrows, the mouse over another item).
    bool OnMenuInput(const win::MSG &msg);
    // The bars of the program, in order of creation, and whether the filter is in.
    static const std::vector<CMenuBar *> &Bars();
    static bool FilterInstalled();

protected:
    win::LRESULT OnOpen(win::WPARAM reason, win::LPARAM position);
    void OnPaint();
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    void OnMouseMove(win::UINT flags, win::CPoint point);
    void OnMouseLeave();
    void OnLButtonDown(win::UINT flags, win::CPoint point);
    void OnDestroy();
    win::BOOL OnCommand(win::WPARAM wParam, win::LPARAM lParam) override;
    int HitTest(win::CPoint point) const;
    // Closes the open drop-down (the menu loop ends when tracking returns).
    void CancelOpen();
    static win::LRESULT MenuFilter(int code, win::WPARAM wParam, win::LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    win::CMenu m_menu;
    std::vector<std::string> m_texts;
    std::vector<int> m_widths;
    int m_open = -1;
    int m_hot = -1;
    bool m_tracking = false;
    // True while a drop-down of this bar is being tracked.
    bool m_inMenuLoop = false;
    // A drop-down asked for while another is still being tracked, opened when
    // that tracking has returned: {reason, position}, position -1 for none.
    win::WPARAM m_pendingReason = 0;
    int m_pendingItem = -1;
    // The cursor when an arrow key switched drop-downs: a mouse still there does
    // not switch back.
    win::POINT m_arrowCursor{-32768, -32768};
};

} // namespace chatui
