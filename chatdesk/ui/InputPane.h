// The input pane below the transcript: the edit box the user writes in, the
// send button (and Ctrl+Enter) that turns the text into one chat message to the
// conversation partner, and the status bar.
#pragma once

#include "chatdesk/ui/ChatStatusBar.h"
#include "chatdesk/ui/SkinButton.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/CEdit.h"

namespace chatui {

class CInputPane : public win::CDialog {
public:
    static constexpr int kInputLimit = 3990;

    CInputPane();
    ~CInputPane() override;
    win::BOOL Create(win::CWnd *parent);

    void OnSend();
    CChatStatusBar &StatusBar() { return m_status; }
    win::CEdit &Input() { return m_input; }
    CSkinButton &SendButton() { return m_send; }

protected:
    win::BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    win::BOOL PreTranslateMessage(win::MSG *msg) override;
    int OnCreate(win::LPCREATESTRUCT cs);
    void OnSize(win::UINT type, int cx, int cy);
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    win::HBRUSH OnCtlColor(win::CDC *dc, win::CWnd *wnd, win::UINT ctlColor);
    // The burst limit: false (with its line) when this send comes too soon.
    bool BurstAllows();
    DECLARE_MESSAGE_MAP()

    win::CEdit m_input;
    CSkinButton m_send;
    CChatStatusBar m_status;
    win::RECT m_inputArea{0, 0, 0, 0};
    int m_burstCount = 0;
    win::DWORD m_burstTick = 0;
    win::CBrush m_white;
};

} // namespace chatui
