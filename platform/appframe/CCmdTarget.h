// The root of the framework's objects that take commands: message maps (tables
// of handlers written with BEGIN_MESSAGE_MAP, the ON_* entries and
// END_MESSAGE_MAP, each class's table chained to its base class's) and the
// routing of commands and of their update handlers (OnCmdMsg).
#pragma once

#include "platform/appframe/AfxMessages.h"

namespace win {

class CCmdTarget;
class CCmdUI;

// A table entry's handler: it casts the target to the class of the table and
// calls the member the entry names, unpacking the message's parameters.
using AFX_PMSGTHUNK = LRESULT (*)(CCmdTarget *target, WPARAM wParam, LPARAM lParam, void *extra);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message; WM_COMMAND for commands, notifications and updates
    UINT nCode;    // notification code (CN_COMMAND, BN_CLICKED...), WM_NOTIFY code
    UINT nID;      // first control or command id (0 for window messages)
    UINT nLastID;  // last id of a range
    AFX_PMSGTHUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP *(*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY *lpEntries;
};

// What OnCmdMsg reports, instead of running the handler, when asked for one.
struct AFX_CMDHANDLERINFO {
    CCmdTarget *pTarget;
    const AFX_MSGMAP_ENTRY *pEntry;
};

// Command codes of OnCmdMsg besides the controls' notification codes.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget &) = delete;
    CCmdTarget &operator=(const CCmdTarget &) = delete;

    // Finds and runs the handler of command `nID` with notification `nCode`
    // (CN_COMMAND for a command; CN_UPDATE_COMMAND_UI with the CCmdUI in pExtra for
    // an update). With pHandlerInfo (an AFX_CMDHANDLERINFO) it only reports the
    // handler it would run. Derived classes route further (a frame to its view).
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void *pExtra, void *pHandlerInfo);

    virtual const AFX_MSGMAP *GetMessageMap() const;
    static const AFX_MSGMAP *GetThisMessageMap();

    // The wait cursor around a long operation (the application's DoWaitCursor):
    // nested operations keep it until the outermost one ends, which brings back
    // the cursor shown before. RestoreWaitCursor shows it again after something
    // else (a message box) changed the cursor meanwhile.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

protected:
    // The first entry of this object's tables (its class's first, then its
    // bases') for the message, code and id; null when none.
    const AFX_MSGMAP_ENTRY *FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
};

} // namespace win

// Inside a class declaration: the class has its own message map.
#define DECLARE_MESSAGE_MAP()                                                                                          \
public:                                                                                                                \
    static const ::win::AFX_MSGMAP *GetThisMessageMap();                                                               \
    const ::win::AFX_MSGMAP *GetMessageMap() const override;                                                           \
                                                                                                                       \
protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                         \
    const ::win::AFX_MSGMAP *theClass::GetMessageMap() const { return GetThisMessageMap(); }                           \
    const ::win::AFX_MSGMAP *theClass::GetThisMessageMap()                                                             \
    {                                                                                                                  \
        using ThisClass = theClass;                                                                                    \
        using TheBaseClass = baseClass;                                                                                \
        static const ::win::AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                                              \
    {0, 0, 0, 0, nullptr}                                                                                              \
    }                                                                                                                  \
    ;                                                                                                                  \
    static const ::win::AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};              \
    return &messageMap;                                                                                                \
    }

// The parameters of a thunk, for the entries below.
#define AFX_THUNK_ARGS ::win::CCmdTarget *_t, ::win::WPARAM _w, ::win::LPARAM _l, void *_x
#define AFX_THIS static_cast<ThisClass *>(_t)
#define AFX_UNUSED_ARGS ((void)_w, (void)_l, (void)_x)

// Commands, control notifications and updates.
#define ON_COMMAND(id, memberFxn)                                                                                      \
    {::win::WM_COMMAND, 0u, static_cast<::win::UINT>(id), static_cast<::win::UINT>(id),                                \
     [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                                                            \
         AFX_UNUSED_ARGS;                                                                                              \
         AFX_THIS->memberFxn();                                                                                        \
         return 1;                                                                                                     \
     }},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                                        \
    {::win::WM_COMMAND, 0u, static_cast<::win::UINT>(id), static_cast<::win::UINT>(idLast),                            \
     [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                                                            \
         AFX_UNUSED_ARGS;                                                                                              \
         AFX_THIS->memberFxn(static_cast<::win::UINT>(_w));                                                            \
         return 1;                                                                                                     \
     }},
#define ON_CONTROL(code, id, memberFxn)                                                                                \
    {::win::WM_COMMAND, static_cast<::win::UINT>(code), static_cast<::win::UINT>(id), static_cast<::win::UINT>(id),    \
     [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                                                            \
         AFX_UNUSED_ARGS;                                                                                              \
         AFX_THIS->memberFxn();                                                                                        \
         return 1;                                                                                                     \
     }},
#define ON_CONTROL_RANGE(code, id, idLast, memberFxn)                                                                  \
    {::win::WM_COMMAND, static_cast<::win::UINT>(code), static_cast<::win::UINT>(id),                                  \
     static_cast<::win::UINT>(idLast), [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                          \
         AFX_UNUSED_ARGS;                                                                                              \
         AFX_THIS->memberFxn(static_cast<::win::UINT>(_w));                                                            \
         return 1;                                                                                                     \
     }},
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                                            \
    {::win::WM_COMMAND, static_cast<::win::UINT>(::win::CN_UPDATE_COMMAND_UI), static_cast<::win::UINT>(id),           \
     static_cast<::win::UINT>(id), [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                              \
         AFX_UNUSED_ARGS;                                                                                              \
         AFX_THIS->memberFxn(static_cast<::win::CCmdUI *>(_x));                                                        \
         return 1;                                                                                                     \
     }},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn)                                                              \
    {::win::WM_COMMAND, static_cast<::win::UINT>(::win::CN_UPDATE_COMMAND_UI), static_cast<::win::UINT>(id),           \
     static_cast<::win::UINT>(idLast), [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                          \
         AFX_UNUSED_ARGS;                                                                                              \
         AFX_THIS->memberFxn(static_cast<::win::CCmdUI *>(_x));                                                        \
         return 1;                                                                                                     \
     }},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(::win::BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(::win::BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(::win::EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(::win::EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(::win::EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(::win::EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(::win::EN_MAXTEXT, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(::win::CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(::win::CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(::win::CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(::win::CBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(::win::CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(::win::CBN_CLOSEUP, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(::win::LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(::win::LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(::win::LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(::win::LBN_KILLFOCUS, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(::win::STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(::win::STN_DBLCLK, id, memberFxn)

// WM_NOTIFY: memberFxn(NMHDR *pNMHDR, LRESULT *pResult).
#define ON_NOTIFY(code, id, memberFxn)                                                                                 \
    {::win::WM_NOTIFY, static_cast<::win::UINT>(code), static_cast<::win::UINT>(id), static_cast<::win::UINT>(id),     \
     [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                                                            \
         AFX_UNUSED_ARGS;                                                                                              \
         AFX_THIS->memberFxn(reinterpret_cast<::win::NMHDR *>(_l), static_cast<::win::LRESULT *>(_x));                 \
         return 1;                                                                                                     \
     }},
#define ON_NOTIFY_RANGE(code, id, idLast, memberFxn)                                                                   \
    {::win::WM_NOTIFY, static_cast<::win::UINT>(code), static_cast<::win::UINT>(id),                                   \
     static_cast<::win::UINT>(idLast), [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                          \
         AFX_UNUSED_ARGS;                                                                                              \
         AFX_THIS->memberFxn(static_cast<::win::UINT>(_w), reinterpret_cast<::win::NMHDR *>(_l),                       \
                             static_cast<::win::LRESULT *>(_x));                                                       \
         return 1;                                                                                                     \
     }},

// Any message: LRESULT memberFxn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                                                 \
    {static_cast<::win::UINT>(message), 0u, 0u, 0u, [](AFX_THUNK_ARGS) -> ::win::LRESULT {                             \
         (void)_x;                                                                                                     \
         return AFX_THIS->memberFxn(_w, _l);                                                                           \
     }},

// A window message entry whose handler runs `call`; `result` is what the message
// answers.
#define AFX_WM_ENTRY(message, call, result)                                                                            \
    {::win::message, 0u, 0u, 0u, [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                                \
         AFX_UNUSED_ARGS;                                                                                              \
         call;                                                                                                         \
         return result;                                                                                                \
     }},
#define AFX_WM_RESULT(message, expr)                                                                                   \
    {::win::message, 0u, 0u, 0u, [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                                \
         AFX_UNUSED_ARGS;                                                                                              \
         return static_cast<::win::LRESULT>(expr);                                                                     \
     }},
#define AFX_LO(v) static_cast<int>(static_cast<short>(::win::LOWORD(static_cast<::win::DWORD>(v))))
#define AFX_HI(v) static_cast<int>(static_cast<short>(::win::HIWORD(static_cast<::win::DWORD>(v))))
#define AFX_POINT(v) ::win::CPoint(static_cast<::win::DWORD>(v))
#define AFX_WND(h) ::win::CWnd::FromHandle(static_cast<::win::HWND>(h))

#define ON_WM_CREATE() AFX_WM_RESULT(WM_CREATE, AFX_THIS->OnCreate(reinterpret_cast<::win::LPCREATESTRUCT>(_l)))
#define ON_WM_DESTROY() AFX_WM_ENTRY(WM_DESTROY, AFX_THIS->OnDestroy(), 0)
#define ON_WM_NCDESTROY() AFX_WM_ENTRY(WM_NCDESTROY, AFX_THIS->OnNcDestroy(), 0)
#define ON_WM_CLOSE() AFX_WM_ENTRY(WM_CLOSE, AFX_THIS->OnClose(), 0)
#define ON_WM_PAINT() AFX_WM_ENTRY(WM_PAINT, AFX_THIS->OnPaint(), 0)
#define ON_WM_ERASEBKGND()                                                                                             \
    AFX_WM_RESULT(WM_ERASEBKGND, AFX_THIS->OnEraseBkgnd(::win::CDC::FromHandle(static_cast<::win::HDC>(_w))))
#define ON_WM_SIZE() AFX_WM_ENTRY(WM_SIZE, AFX_THIS->OnSize(static_cast<::win::UINT>(_w), AFX_LO(_l), AFX_HI(_l)), 0)
#define ON_WM_MOVE() AFX_WM_ENTRY(WM_MOVE, AFX_THIS->OnMove(AFX_LO(_l), AFX_HI(_l)), 0)
#define ON_WM_TIMER() AFX_WM_ENTRY(WM_TIMER, AFX_THIS->OnTimer(static_cast<::win::UINT_PTR>(_w)), 0)
#define ON_WM_SYSCOMMAND() AFX_WM_ENTRY(WM_SYSCOMMAND, AFX_THIS->OnSysCommand(static_cast<::win::UINT>(_w), _l), 0)
#define ON_WM_SHOWWINDOW()                                                                                             \
    AFX_WM_ENTRY(WM_SHOWWINDOW, AFX_THIS->OnShowWindow(static_cast<::win::BOOL>(_w), static_cast<::win::UINT>(_l)), 0)
#define ON_WM_ACTIVATE()                                                                                               \
    AFX_WM_ENTRY(WM_ACTIVATE,                                                                                          \
                 AFX_THIS->OnActivate(::win::LOWORD(static_cast<::win::DWORD>(_w)), AFX_WND(_l),                       \
                                      ::win::HIWORD(static_cast<::win::DWORD>(_w)) != 0),                              \
                 0)
// HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor) for every WM_CTLCOLOR*.
#define ON_WM_CTLCOLOR()                                                                                               \
    {::win::WM_CTLCOLOR, 0u, 0u, 0u, [](AFX_THUNK_ARGS) -> ::win::LRESULT {                                            \
         return static_cast<::win::LRESULT>(AFX_THIS->OnCtlColor(::win::CDC::FromHandle(static_cast<::win::HDC>(_w)),  \
                                                                 AFX_WND(_l), static_cast<::win::UINT>(                \
                                                                                  reinterpret_cast<uintptr_t>(_x))));  \
     }},
#define ON_WM_SETFOCUS() AFX_WM_ENTRY(WM_SETFOCUS, AFX_THIS->OnSetFocus(AFX_WND(_w)), 0)
#define ON_WM_KILLFOCUS() AFX_WM_ENTRY(WM_KILLFOCUS, AFX_THIS->OnKillFocus(AFX_WND(_w)), 0)
#define ON_WM_ENABLE() AFX_WM_ENTRY(WM_ENABLE, AFX_THIS->OnEnable(static_cast<::win::BOOL>(_w)), 0)
#define AFX_MOUSE_ENTRY(message, fn)                                                                                   \
    AFX_WM_ENTRY(message, AFX_THIS->fn(static_cast<::win::UINT>(_w), AFX_POINT(_l)), 0)
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_RBUTTONDBLCLK, OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() AFX_MOUSE_ENTRY(WM_MBUTTONDOWN, OnMButtonDown)
#define ON_WM_MBUTTONUP() AFX_MOUSE_ENTRY(WM_MBUTTONUP, OnMButtonUp)
#define ON_WM_NCLBUTTONDOWN()                                                                                          \
    AFX_WM_ENTRY(WM_NCLBUTTONDOWN, AFX_THIS->OnNcLButtonDown(static_cast<::win::UINT>(_w), AFX_POINT(_l)), 0)
#define ON_WM_NCLBUTTONDBLCLK()                                                                                        \
    AFX_WM_ENTRY(WM_NCLBUTTONDBLCLK, AFX_THIS->OnNcLButtonDblClk(static_cast<::win::UINT>(_w), AFX_POINT(_l)), 0)
#define ON_WM_MOUSEWHEEL()                                                                                             \
    AFX_WM_RESULT(WM_MOUSEWHEEL, AFX_THIS->OnMouseWheel(::win::LOWORD(static_cast<::win::DWORD>(_w)),                  \
                                                        static_cast<short>(::win::HIWORD(static_cast<::win::DWORD>(_w))), \
                                                        AFX_POINT(_l)))
#define ON_WM_MOUSELEAVE() AFX_WM_ENTRY(WM_MOUSELEAVE, AFX_THIS->OnMouseLeave(), 0)
#define ON_WM_MOUSEHOVER() AFX_WM_ENTRY(WM_MOUSEHOVER, AFX_THIS->OnMouseHover(static_cast<::win::UINT>(_w), AFX_POINT(_l)), 0)
#define AFX_KEY_ENTRY(message, fn)                                                                                     \
    AFX_WM_ENTRY(message,                                                                                              \
                 AFX_THIS->fn(static_cast<::win::UINT>(_w), ::win::LOWORD(static_cast<::win::DWORD>(_l)),             \
                              ::win::HIWORD(static_cast<::win::DWORD>(_l))),                                           \
                 0)
#define ON_WM_KEYDOWN() AFX_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() AFX_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_SYSKEYDOWN() AFX_KEY_ENTRY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_CHAR() AFX_KEY_ENTRY(WM_CHAR, OnChar)
#define ON_WM_SETCURSOR()                                                                                              \
    AFX_WM_RESULT(WM_SETCURSOR, AFX_THIS->OnSetCursor(AFX_WND(_w), ::win::LOWORD(static_cast<::win::DWORD>(_l)),       \
                                                      ::win::HIWORD(static_cast<::win::DWORD>(_l))))
#define ON_WM_GETMINMAXINFO()                                                                                          \
    AFX_WM_ENTRY(WM_GETMINMAXINFO, AFX_THIS->OnGetMinMaxInfo(reinterpret_cast<::win::MINMAXINFO *>(_l)), 0)
#define ON_WM_DRAWITEM()                                                                                               \
    AFX_WM_ENTRY(WM_DRAWITEM,                                                                                          \
                 AFX_THIS->OnDrawItem(static_cast<int>(_w), reinterpret_cast<::win::LPDRAWITEMSTRUCT>(_l)), 1)
#define ON_WM_MEASUREITEM()                                                                                            \
    AFX_WM_ENTRY(WM_MEASUREITEM,                                                                                       \
                 AFX_THIS->OnMeasureItem(static_cast<int>(_w), reinterpret_cast<::win::LPMEASUREITEMSTRUCT>(_l)), 1)
#define ON_WM_CONTEXTMENU() AFX_WM_ENTRY(WM_CONTEXTMENU, AFX_THIS->OnContextMenu(AFX_WND(_w), AFX_POINT(_l)), 0)
#define ON_WM_CAPTURECHANGED() AFX_WM_ENTRY(WM_CAPTURECHANGED, AFX_THIS->OnCaptureChanged(AFX_WND(_l)), 0)
#define ON_WM_COPYDATA()                                                                                               \
    AFX_WM_RESULT(WM_COPYDATA, AFX_THIS->OnCopyData(AFX_WND(_w), reinterpret_cast<::win::COPYDATASTRUCT *>(_l)))
#define ON_WM_HOTKEY()                                                                                                 \
    AFX_WM_ENTRY(WM_HOTKEY,                                                                                            \
                 AFX_THIS->OnHotKey(static_cast<::win::UINT>(_w), ::win::LOWORD(static_cast<::win::DWORD>(_l)),       \
                                    ::win::HIWORD(static_cast<::win::DWORD>(_l))),                                     \
                 0)
#define ON_WM_NCHITTEST() AFX_WM_RESULT(WM_NCHITTEST, AFX_THIS->OnNcHitTest(AFX_POINT(_l)))
#define ON_WM_MOUSEACTIVATE()                                                                                          \
    AFX_WM_RESULT(WM_MOUSEACTIVATE, AFX_THIS->OnMouseActivate(AFX_WND(_w), ::win::LOWORD(static_cast<::win::DWORD>(_l)), \
                                                              ::win::HIWORD(static_cast<::win::DWORD>(_l))))
#define ON_WM_GETDLGCODE() AFX_WM_RESULT(WM_GETDLGCODE, AFX_THIS->OnGetDlgCode())
#define ON_WM_QUERYDRAGICON() AFX_WM_RESULT(WM_QUERYDRAGICON, AFX_THIS->OnQueryDragIcon())
#define ON_WM_SETTINGCHANGE()                                                                                          \
    AFX_WM_ENTRY(WM_SETTINGCHANGE, AFX_THIS->OnSettingChange(static_cast<::win::UINT>(_w),                             \
                                                             reinterpret_cast<const char *>(_l)),                      \
                 0)
#define ON_WM_MENUCHAR()                                                                                               \
    AFX_WM_RESULT(WM_MENUCHAR, AFX_THIS->OnMenuChar(::win::LOWORD(static_cast<::win::DWORD>(_w)),                      \
                                                    ::win::HIWORD(static_cast<::win::DWORD>(_w)),                      \
                                                    ::win::CMenu::FromHandle(static_cast<::win::HMENU>(_l))))
#define ON_WM_INITMENUPOPUP()                                                                                          \
    AFX_WM_ENTRY(WM_INITMENUPOPUP,                                                                                     \
                 AFX_THIS->OnInitMenuPopup(::win::CMenu::FromHandle(static_cast<::win::HMENU>(_w)),                    \
                                           ::win::LOWORD(static_cast<::win::DWORD>(_l)),                               \
                                           ::win::HIWORD(static_cast<::win::DWORD>(_l)) != 0),                         \
                 0)
