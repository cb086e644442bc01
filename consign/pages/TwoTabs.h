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

// True when the second tab is the selected one.
inline bool SecondSelected(const CTabCtrl &tab) { return tab.m_hWnd && tab.GetCurSel() == 1; }

// Shows the dialog of the selected tab and hides the other.
inline void ShowSelected(CTabCtrl &tab, CWnd &first, CWnd &second)
{
    const bool onSecond = SecondSelected(tab);
    first.ShowWindow(onSecond ? win::SW_HIDE : win::SW_SHOW);
    second.ShowWindow(onSecond ? win::SW_SHOW : win::SW_HIDE);
}

// The page's start: takes its tab control, gives it its two tabs and lets it
// fill the page, creates the two dialogs (by their classes' templates) over the
// tabs' area and shows the selected tab's dialog.
template <class First, class Second>
void Open(CWnd &page, CTabCtrl &tab, int id, const char *firstTitle, const char *secondTitle, First &first,
          Second &second)
{
    tab.SubclassDlgItem(id, &page);
    tab.InsertItem(0, firstTitle);
    tab.InsertItem(1, secondTitle);
    CRect client;
    page.GetClientRect(&client);
    tab.MoveWindow(0, 0, client.Width(), client.Height());
    first.Create(First::IDD, &tab);
    second.Create(Second::IDD, &tab);
    Place(tab, first, second);
    ShowSelected(tab, first, second);
}

} // namespace twotabs
