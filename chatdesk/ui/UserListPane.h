// The right-hand pane of the chat window: the search box and its button above
// the tab strip with the online and recent-contacts lists.
#pragma once

#include "chatdesk/ui/CueEdit.h"
#include "chatdesk/ui/SkinButton.h"
#include "chatdesk/ui/UserTabStrip.h"
#include "platform/appframe/CDialog.h"

namespace chatui {

class CUserListPane : public win::CDialog {
public:
    CUserListPane();
    win::BOOL Create(win::CWnd *parent);

    CUserTabStrip &TabStrip() { return m_strip; }
    CCueEdit &SearchBox() { return m_search; }
    // The Search button: selects the first online user of the name typed.
    void OnSearch();

protected:
    win::BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    int OnCreate(win::LPCREATESTRUCT cs);
    void OnSize(win::UINT type, int cx, int cy);
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    win::HBRUSH OnCtlColor(win::CDC *dc, win::CWnd *wnd, win::UINT ctlColor);
    DECLARE_MESSAGE_MAP()

    CCueEdit m_search;
    CImageButton m_searchButton;
    CUserTabStrip m_strip;
    win::CBrush m_white;
};

} // namespace chatui
