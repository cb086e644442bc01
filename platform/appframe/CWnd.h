// The framework's window: a CWnd wraps an HWND (and the widget that hosts it),
// dispatches the window's messages through its message map (WindowProc,
// OnWndMsg, OnCommand, OnNotify, then DefWindowProc), lets PreTranslateMessage
// see queued input first, and offers the window calls as members.
#pragma once

#include "platform/appframe/AfxTypes.h"
#include "platform/appframe/CCmdTarget.h"
#include "platform/appframe/CDC.h"
#include "platform/win/CString.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Timers.h"

namespace win {

class CMenu;
class CDataExchange;
struct CCreateContext;

class CWnd : public CCmdTarget {
public:
    CWnd();
    // Destroys the window if it still exists.
    ~CWnd() override;

    HWND m_hWnd = 0;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The CWnd of a window: the object attached to it, or else a wrapper owned by
    // the framework (never deleted by the caller). Null for 0.
    static CWnd *FromHandle(HWND hwnd);
    // The object attached to the window, or null.
    static CWnd *FromHandlePermanent(HWND hwnd);
    // Attaches to a window without routing its messages (FALSE when attached
    // already or hwnd is 0 or attached to another object); Detach undoes it.
    BOOL Attach(HWND hwnd);
    HWND Detach();
    // Routes an existing window's messages through this object first (its own
    // procedure stays the default handling).
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT nID, CWnd *pParent);
    HWND UnsubclassWindow();

    // Creation. A null class name is the framework's default window class; the
    // standard control classes ("Edit", "Button", "Static", "ComboBox", "ListBox",
    // ...) make the control. The id is the child's control id.
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT &rect,
                        CWnd *pParentWnd, UINT nID, CCreateContext *pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, UINT nIDorHMenu, LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT &rect,
                  CWnd *pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT &cs);
    virtual BOOL DestroyWindow();

    // Message handling.
    virtual BOOL PreTranslateMessage(MSG *pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the message's handler from the message map; FALSE when there is none.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *pResult);
    // A message the parent passes back to this control (owner drawing, and
    // notifications the parent has no handler for); FALSE when not handled.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);
    // After the window is gone (WM_NCDESTROY); objects that own themselves delete
    // themselves here.
    virtual void PostNcDestroy();
    // The message being handled, and its default handling.
    static const MSG *GetCurrentMessage();
    LRESULT Default();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Sends the message to every child window (all descendants when bDeep; only
    // those with a CWnd attached when bOnlyPerm).
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE,
                                  BOOL bOnlyPerm = FALSE) const;

    // Windows and controls around this one.
    CWnd *GetParent() const;
    CWnd *GetOwner() const { return GetParent(); }
    CWnd *GetTopLevelParent() const;
    // GW_CHILD (first child), GW_HWNDNEXT / GW_HWNDPREV (siblings), GW_HWNDFIRST,
    // GW_HWNDLAST, in creation order.
    CWnd *GetWindow(UINT nCmd) const;
    BOOL IsChild(const CWnd *pWnd) const;
    CWnd *GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);
    void SetDlgItemText(int nID, LPCSTR text);
    int GetDlgItemText(int nID, LPSTR buffer, int size) const;
    int GetDlgItemText(int nID, CString &text) const;
    void SetDlgItemInt(int nID, UINT value, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL *pTranslated = nullptr, BOOL bSigned = TRUE) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void CheckDlgButton(int nID, UINT check);
    UINT IsDlgButtonChecked(int nID) const;
    void CheckRadioButton(int nFirst, int nLast, int nCheck);
    // The next (or previous) control with WS_TABSTOP among this window's
    // children, after `pCtl` (wrapping around).
    CWnd *GetNextDlgTabItem(CWnd *pCtl, BOOL bPrevious = FALSE) const;
    // The next (or previous) control of the group (WS_GROUP starts one) after
    // `pCtl`, wrapping within the group.
    CWnd *GetNextDlgGroupItem(CWnd *pCtl, BOOL bPrevious = FALSE) const;

    // Text.
    void SetWindowText(LPCSTR text);
    int GetWindowText(LPSTR buffer, int size) const;
    void GetWindowText(CString &text) const;
    int GetWindowTextLength() const;

    // State, placement and painting.
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL SetForegroundWindow();
    void BringWindowToTop();
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(const RECT *rect, BOOL bRepaint = TRUE);
    // HWND_TOPMOST / HWND_NOTOPMOST (or wndTopMost / wndNoTopMost) keep a top-level
    // window above the others or not.
    BOOL SetWindowPos(const CWnd *pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;
    void GetClientRect(RECT *rect) const;
    BOOL GetWindowPlacement(WINDOWPLACEMENT *placement) const;
    // In screen coordinates.
    void GetWindowRect(RECT *rect) const;
    void ClientToScreen(POINT *point) const;
    void ClientToScreen(RECT *rect) const;
    void ScreenToClient(POINT *point) const;
    void ScreenToClient(RECT *rect) const;
    // Centres the window over its parent (or the given window, or the screen).
    void CenterWindow(CWnd *pAlternateOwner = nullptr);
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(const RECT *rect, BOOL bErase = TRUE);
    void UpdateWindow();
    BOOL RedrawWindow(const RECT *rect = nullptr, CRgn *region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    // Shapes the window (and clips its painting) to the region, which the window
    // then owns; 0 removes the shape.
    int SetWindowRgn(HRGN hRgn, BOOL bRedraw);
    CDC *GetDC();
    int ReleaseDC(CDC *pDC);

    // Styles.
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

    // Font, icons, menus.
    void SetFont(CFont *pFont, BOOL bRedraw = TRUE);
    CFont *GetFont() const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;
    // The window's system menu (the items appended to it arrive as WM_SYSCOMMAND);
    // bRevert removes the appended items. Kept by CMenu (CMenu.cpp).
    CMenu *GetSystemMenu(BOOL bRevert) const;

    // Timers, focus and mouse capture.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);
    CWnd *SetFocus();
    static CWnd *GetFocus();
    CWnd *SetCapture();
    static CWnd *GetCapture();

    // Data exchange between the controls and the object's members: DoDataExchange
    // lists them (DDX_ and DDV_ calls); UpdateData(TRUE) reads and checks the
    // controls (FALSE after a refused value, the focus then on its control),
    // UpdateData(FALSE) fills them.
    virtual void DoDataExchange(CDataExchange *pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // A modal loop on this window: runs the messages until EndModalLoop or
    // ContinueModal answers FALSE (asked whenever the queue runs empty); returns
    // EndModalLoop's code (-1 when the program quits meanwhile).
    int RunModalLoop(DWORD dwFlags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int nResult);

    // Runs the update handlers of `pTarget` on this window's controls (CCmdUI with
    // m_pOther); without a handler a control is disabled when bDisableIfNoHndler
    // and the target has no command handler for it.
    void UpdateDialogControls(CCmdTarget *pTarget, BOOL bDisableIfNoHndler);

    // A message box owned by this window; the caption defaults to the program's
    // title.
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);

protected:
    // The default handlers of the message-map entries: each does the message's
    // default handling.
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    void OnNcDestroy();
    void OnClose();
    void OnPaint();
    BOOL OnEraseBkgnd(CDC *pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnMove(int x, int y);
    void OnTimer(UINT_PTR nIDEvent);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnActivate(UINT nState, CWnd *pWndOther, BOOL bMinimized);
    // The brush that paints a control's background (0: the default colours); the
    // text colour and background mode set on pDC apply to the control's text.
    HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    void OnSetFocus(CWnd *pOldWnd);
    void OnKillFocus(CWnd *pNewWnd);
    void OnEnable(BOOL bEnable);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnRButtonDblClk(UINT nFlags, CPoint point);
    void OnMButtonDown(UINT nFlags, CPoint point);
    void OnMButtonUp(UINT nFlags, CPoint point);
    void OnNcLButtonDown(UINT nHitTest, CPoint point);
    void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    void OnMouseLeave();
    void OnMouseHover(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    BOOL OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message);
    void OnGetMinMaxInfo(MINMAXINFO *lpMMI);
    // Owner drawing: the default passes the item to the control's own DrawItem /
    // MeasureItem (OnChildNotify).
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    void OnContextMenu(CWnd *pWnd, CPoint pos);
    void OnCaptureChanged(CWnd *pWnd);
    BOOL OnCopyData(CWnd *pWnd, COPYDATASTRUCT *pCopyDataStruct);
    void OnHotKey(UINT nHotKeyId, UINT nKey1, UINT nKey2);
    LRESULT OnNcHitTest(CPoint point);
    int OnMouseActivate(CWnd *pDesktopWnd, UINT nHitTest, UINT message);
    UINT OnGetDlgCode();
    HCURSOR OnQueryDragIcon();
    void OnSettingChange(UINT uFlags, LPCSTR lpszSection);
    void OnInitMenuPopup(CMenu *pPopupMenu, UINT nIndex, BOOL bSysMenu);
    LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu *pMenu);

    // The procedure of a window this object subclassed (0: the framework's own
    // window, whose default handling is DefWindowProcA).
    WNDPROC m_pfnSuper = nullptr;

private:
    friend LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void AttachPermanent(HWND hwnd);
    void DetachPermanent();
    // Owner-drawn items go back to the control that shows them.
    BOOL ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);

    HFONT font_ = 0;
    HICON bigIcon_ = 0;
    HICON smallIcon_ = 0;
    HRGN region_ = 0;
    void *modalLoop_ = nullptr;
    BOOL continueModal_ = FALSE;
    int modalResult_ = -1;

    // The insertion places wndTop, wndBottom, wndTopMost and wndNoTopMost.
    explicit CWnd(HWND place) : m_hWnd(place) {}
};

// The window procedure of the framework's windows: hands each message to the
// window's CWnd.
LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers (once) and names a window class of the framework's windows with the
// class style, cursor, background brush and icon given.
LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = 0, HBRUSH hbrBackground = 0, HICON hIcon = 0);

// The window that has the mouse captured (0: none), and its release.
HWND GetCapture();
BOOL ReleaseCapture();

} // namespace win
