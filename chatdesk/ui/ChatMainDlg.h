// The chat client's main window: a caption-less dialog that draws its own frame
// and handles moving, sizing, minimising, maximising and closing itself; holds
// the menu bar, the two splitters and the three panes; greets the terminal that
// started it, takes the credentials from it, connects, keeps the status line and
// title, and ends with it. The chat connection reports to it as CChatWindows.
#pragma once

#include <memory>

#include "chatdesk/ChatSocket.h"
#include "chatdesk/ChatTimerCounters.h"
#include "chatdesk/ChatWindows.h"
#include "chatdesk/ui/InputPane.h"
#include "chatdesk/ui/MenuBar.h"
#include "chatdesk/ui/PaneSplitter.h"
#include "chatdesk/ui/TranscriptPane.h"
#include "chatdesk/ui/UserListPane.h"
#include "platform/appframe/CDialog.h"

namespace chatui {

// The terminal's window as the command line names it: leading blanks, then
// decimal digits (as atoi reads them); 0 when there is no number, it is
// negative or it does not fit a window handle.
win::HWND ParseStarterHandle(const char *commandLine);

// The terminal's credentials block: accepted only from the starter, with code 0
// and 128 bytes; the name and password in use then end in a NUL at byte 63.
bool AcceptCredentials(win::HWND starter, win::HWND from, const win::COPYDATASTRUCT *data, char name[64],
                       char password[64]);

// The window's hit zones: 0 inside (the caption moves the window), 1 top, 2
// bottom, 3 left, 4 right, 5 top-left, 6 bottom-right, 7 bottom-left, 8
// top-right.
int FrameHitZone(int x, int y, int w, int h);

class CChatMainDlg : public win::CDialog, public CChatWindows {
public:
    // The command line names the terminal's window.
    explicit CChatMainDlg(const char *commandLine);
    ~CChatMainDlg() override;

    // Builds the window without running it modally (the program runs it with
    // DoModal).
    win::BOOL CreateModeless();

    win::HWND GetStarter() const { return m_starter; }
    bool IsNotifyOn() const { return m_notify; }
    CChatSocket &Socket() { return m_socket; }
    CMenuBar &MenuBar() { return m_menuBar; }
    CSideSplitter &OuterSplitter() { return m_outer; }
    CStackSplitter &InnerSplitter() { return m_inner; }
    CTranscriptPane &TranscriptPane() { return m_transcript; }
    CInputPane &InputPane() { return m_input; }
    CUserListPane &UserListPane() { return m_userList; }
    int GetHotButton() const { return m_hotButton; }
    int GetHitZone() const { return m_hitZone; }
    bool IsMaximized() const { return m_maximized; }
    // The system button (1 minimise, 2 maximise, 3 close) at a point, or 0.
    int SystemButtonAt(win::POINT point) const;

    void OnConnect();
    void OnToggleNotify();

    // CChatWindows.
    void AppendTranscript(const char *text, size_t length) override;
    void PostNetStatus(ChatNetStatus status) override;
    int AddOnlineUser(ChatUser *user) override;
    int GetOnlineCount() override;
    ChatUser *GetOnlineUser(int index) override;
    void DeleteOnlineUser(int index) override;
    int GetRecentCount() override;
    ChatUser *GetRecentUser(int index) override;
    bool IsRecentSelected(int index) override;
    void DeleteRecentUser(int index) override;
    int InsertRecentUser(int index, ChatUser *user) override;
    void SelectRecentUser(int index) override;
    void RepaintRecentList() override;
    void ResetUserLists() override;
    bool IsRecentListShown() override;
    void ToggleUserLists() override;
    void PostSelectFirstRecent() override;
    bool IsMessageNotifyOn() override { return m_notify; }
    bool RaiseMainWindow(bool raise) override;
    void PlayNotifySound() override;

protected:
    win::BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    int OnCreate(win::LPCREATESTRUCT cs);
    bool CreateChildren();
    void OnTimer(win::UINT_PTR id);
    win::LRESULT OnPlaceWindow(win::WPARAM wParam, win::LPARAM lParam);
    win::LRESULT OnNetStatus(win::WPARAM wParam, win::LPARAM lParam);
    win::LRESULT OnStarterMessage(win::WPARAM wParam, win::LPARAM lParam);
    win::BOOL OnCopyData(win::CWnd *wnd, win::COPYDATASTRUCT *data);
    void OnUpdateConnect(win::CCmdUI *ui);
    void OnUpdateNotify(win::CCmdUI *ui);

    // The frame.
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    void OnPaint();
    void OnSize(win::UINT type, int cx, int cy);
    void OnGetMinMaxInfo(win::MINMAXINFO *info);
    void OnSettingChange(win::UINT flags, win::LPCSTR section);
    void OnMouseMove(win::UINT flags, win::CPoint point);
    void OnLButtonDown(win::UINT flags, win::CPoint point);
    void OnLButtonUp(win::UINT flags, win::CPoint point);
    void OnLButtonDblClk(win::UINT flags, win::CPoint point);
    void OnMouseLeave();
    win::BOOL OnSetCursor(win::CWnd *wnd, win::UINT hitTest, win::UINT message);
    win::LRESULT OnMenuChar(win::UINT typed, win::UINT flags, win::CMenu *menu);
    void OnActivate(win::UINT state, win::CWnd *other, win::BOOL minimized);
    void OnSetFocus(win::CWnd *old);
    void SetHotButton(int button);
    void ToggleMaximize();
    void Maximize();
    void PaintFrame(win::CDC &dc);
    void UpdateTitle();
    DECLARE_MESSAGE_MAP()

    std::string m_commandLine;
    win::HWND m_starter = 0;
    bool m_notify = true;
    CChatSocket m_socket;
    CChatTimerCounters m_counters;
    CMenuBar m_menuBar;
    CSideSplitter m_outer;
    CStackSplitter m_inner;
    CTranscriptPane m_transcript;
    CInputPane m_input;
    CUserListPane m_userList;
    bool m_childrenMade = false;

    // The frame's state.
    int m_hotButton = 0;
    bool m_pressed = false;
    int m_hitZone = 0;
    win::POINT m_downAt{0, 0};
    bool m_leaveRequested = false;
    bool m_maximized = false;
    win::RECT m_restore{0, 0, 0, 0};
};

} // namespace chatui
