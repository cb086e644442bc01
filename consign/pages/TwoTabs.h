#pragma once

// The transfer and transfer-query pages each hold a tab control with two
// child dialogs, one per tab: the tabs fill the page, the dialogs fill the
// tabs' area below their header, and the selected tab's dialog is shown.

#include "platform/appframe/CTabCtrl.h"
#include "platform/appframe/CWnd.h"

namespace twotabs {

using win::CRect;
using win::CTabCtrl;
using win::CWnd;

// The tabs' header, in pixels, above the dialogs.
constexpr int Header = 24;

// Takes the page's tab control and gives it its two tabs, filling the page.
inline void Make(CWnd &page, CTabCtrl &tab, int id, const char *first, const char *second)
{
    tab.SubclassDlgItem(id, &page);
    tab.InsertItem(0, first);
    tab.InsertItem(1, second);
    CRect client;
    page.GetClientRect(&client);
    tab.MoveWindow(0, 0, client.Width(), client.Height());
}

// The two dialogs over the tabs' area below the header.
inline void Place(CTabCtrl &tab, CWnd &first, CWnd &second)
{
    CRect area;
    tab.GetClientRect(&area);
    area.top += Header;
    for (CWnd *dialog : {&first, &second})
        if (dialog->m_hWnd)
            dialog->MoveWindow(area.left, area.top, area.Width(), area.Height());
}

// The page resized: the tabs fill it, the dialogs follow.
inline void Resize(CTabCtrl &tab, CWnd &first, CWnd &second, int cx, int cy)
{
    if (!tab.m_hWnd)
        return;
    tab.MoveWindow(0, 0, cx, cy);
    Place(tab, first, second);
}

// Shows the dialog of the selected tab and hides the other; true when the
// second tab is the selected one.
inline bool ShowSelected(CTabCtrl &tab, CWnd &first, CWnd &second)
{
    const bool onSecond = tab.m_hWnd && tab.GetCurSel() == 1;
    first.ShowWindow(onSecond ? win::SW_HIDE : win::SW_SHOW);
    second.ShowWindow(onSecond ? win::SW_SHOW : win::SW_HIDE);
    return onSecond;
}

} // namespace twotabs
