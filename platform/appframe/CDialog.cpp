#include "platform/appframe/CDialog.h"

#include <QEvent>
#include <QWidget>

#include <strings.h>

#include "platform/appframe/CWinApp.h"
#include "platform/appframe/CommCtrl.h"
#include "platform/appframe/StandardControls.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/WindowSurface.h"

namespace win {

namespace {

// The dialogs' window class, under the name Windows gives it.
const char kDialogClass[] = "#32770";

void RegisterDialogClass()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = AfxWndProc;
    wc.lpszClassName = kDialogClass;
    RegisterClassA(&wc);
}

bool IsButtonClass(LPCSTR name) { return name && strcasecmp(name, "Button") == 0; }

// Gives the control chosen by WM_INITDIALOG the focus once the dialog shows
// (a hidden window's controls cannot take it).
class InitialFocus : public QObject {
public:
    InitialFocus(QWidget *dialog, HWND control) : QObject(dialog), control_(control) { dialog->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Show || e->type() == QEvent::WindowActivate) {
            HWND focus = win::GetFocus();
            HWND dialog = WindowOfWidget(static_cast<QWidget *>(watched));
            bool inside = false;
            for (HWND h = focus; h; h = win::GetParent(h))
                inside = inside || h == dialog;
            if (IsWindow(control_) && !inside)
                win::SetFocus(control_);
            if (e->type() == QEvent::WindowActivate)
                deleteLater();
        }
        return false;
    }

private:
    HWND control_;
};

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd *pParentWnd) : m_pParentWnd(pParentWnd), m_nIDTemplate(nIDTemplate) {}

CDialog::~CDialog() = default;

BOOL CDialog::Build(const DialogTemplate &t, CWnd *pParentWnd, bool modal)
{
    if (m_hWnd)
        return FALSE;
    RegisterDialogClass();
    RegisterStandardControls();
    InitCommonControls();
    m_bModal = modal;
    ended_ = false;
    result_ = -1;
    defId_ = 0;
    initialFocus_ = 0;
    m_font.DeleteObject();
    m_font.Attach(CreateDialogFont(t));
    baseUnits_ = DialogBaseUnits(m_font.m_hObject);
    RECT client = MapDialogUnits(RECT{t.x, t.y, t.x + t.cx, t.y + t.cy}, baseUnits_);
    DWORD style = t.style & ~WS_VISIBLE;
    bool child = (style & WS_CHILD) != 0;
    HWND parent = pParentWnd ? pParentWnd->m_hWnd : 0;
    int x = client.left;
    int y = client.top;
    bool center = !child && ((t.style & DS_CENTER) || (t.x == 0 && t.y == 0));
    if (!child && !center && parent) {
        POINT origin{0, 0};
        win::ClientToScreen(parent, &origin);
        x += origin.x;
        y += origin.y;
    }
    if (!CreateEx(t.exStyle, kDialogClass, t.caption ? t.caption : "", style, x, y, client.right - client.left,
                  client.bottom - client.top, parent, 0, nullptr))
        return FALSE;
    SendMessage(WM_SETFONT, static_cast<WPARAM>(m_font.m_hObject), FALSE);
    for (int i = 0; i < t.count; ++i) {
        const DialogItemTemplate &item = t.items[i];
        RECT r = MapDialogUnits(RECT{item.x, item.y, item.x + item.cx, item.y + item.cy}, baseUnits_);
        HWND control = CreateFrameworkWindow(item.exStyle, item.className, item.text ? item.text : "",
                                             (item.style | WS_CHILD | (item.hidden ? 0 : WS_VISIBLE)), r.left, r.top, r.right - r.left,
                                             r.bottom - r.top, m_hWnd, item.id, nullptr);
        if (!control) {
            // A control of an unknown class fails the whole dialog, as on Windows.
            DestroyWindow();
            return FALSE;
        }
        SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(m_font.m_hObject), FALSE);
        if (!defId_ && IsButtonClass(item.className) && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            defId_ = item.id;
    }
    if (center)
        CenterWindow(pParentWnd);
    CWnd *first = GetNextDlgTabItem(nullptr);
    if (SendMessage(WM_INITDIALOG, first ? static_cast<WPARAM>(first->m_hWnd) : 0, 0) && first)
        initialFocus_ = first->m_hWnd;
    if (initialFocus_ && m_hWnd) {
        GotoDlgCtrl(CWnd::FromHandle(initialFocus_));
        if (QWidget *w = WindowWidget(m_hWnd))
            new InitialFocus(w, initialFocus_);
    }
    return m_hWnd != 0;
}

INT_PTR CDialog::DoModal()
{
    const DialogTemplate *t = FindDialogResource(m_nIDTemplate);
    if (!t || m_hWnd)
        return -1;
    CWnd *parent = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    if (parent && !parent->m_hWnd)
        parent = nullptr;
    if (!Build(*t, parent, true)) {
        m_bModal = FALSE;
        return -1;
    }
    if (!ended_) {
        if (QWidget *w = WindowWidget(m_hWnd))
            w->setWindowModality(Qt::ApplicationModal);
        ShowWindow(SW_SHOW);
        if (initialFocus_ && IsWindow(initialFocus_))
            GotoDlgCtrl(CWnd::FromHandle(initialFocus_));
        RunModalLoop();
    }
    INT_PTR result = ended_ ? result_ : -1;
    if (m_hWnd) {
        ShowWindow(SW_HIDE);
        DestroyWindow();
    }
    m_bModal = FALSE;
    return result;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd *pParentWnd)
{
    const DialogTemplate *t = FindDialogResource(nIDTemplate);
    if (!t)
        return FALSE;
    m_nIDTemplate = nIDTemplate;
    return CreateIndirect(*t, pParentWnd);
}

BOOL CDialog::CreateIndirect(const DialogTemplate &dialog, CWnd *pParentWnd)
{
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    if (!Build(dialog, m_pParentWnd, false))
        return FALSE;
    if ((dialog.style & WS_VISIBLE) && m_hWnd) {
        ShowWindow(SW_SHOW);
        if (initialFocus_ && IsWindow(initialFocus_))
            GotoDlgCtrl(CWnd::FromHandle(initialFocus_));
    }
    return m_hWnd != 0;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult)
{
    ended_ = true;
    result_ = nResult;
    if (m_bModal)
        EndModalLoop(nResult);
    else if (m_hWnd)
        ShowWindow(SW_HIDE);
}

CWnd *CDialog::FocusedControl() const
{
    HWND focus = win::GetFocus();
    // The dialog's own child that holds the focus.
    while (focus && win::GetParent(focus) != m_hWnd)
        focus = win::GetParent(focus);
    return focus ? CWnd::FromHandle(focus) : nullptr;
}

void CDialog::NextDlgCtrl() const
{
    if (CWnd *next = GetNextDlgTabItem(FocusedControl(), FALSE))
        const_cast<CDialog *>(this)->GotoDlgCtrl(next);
}

void CDialog::PrevDlgCtrl() const
{
    if (CWnd *previous = GetNextDlgTabItem(FocusedControl(), TRUE))
        const_cast<CDialog *>(this)->GotoDlgCtrl(previous);
}

void CDialog::GotoDlgCtrl(CWnd *pWndCtrl)
{
    if (!pWndCtrl || !pWndCtrl->m_hWnd)
        return;
    pWndCtrl->SetFocus();
    if (pWndCtrl->SendMessage(WM_GETDLGCODE) & DLGC_HASSETSEL)
        pWndCtrl->SendMessage(EM_SETSEL, 0, -1);
}

void CDialog::SetDefID(UINT nID) { SendMessage(DM_SETDEFID, nID, 0); }

DWORD CDialog::GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID, 0, 0)); }

void CDialog::MapDialogRect(RECT *rect) const
{
    if (rect)
        *rect = MapDialogUnits(*rect, baseUnits_);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE: {
        // Closing a dialog is its Cancel.
        CWnd *cancel = GetDlgItem(IDCANCEL);
        PostMessage(WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), cancel ? static_cast<LPARAM>(cancel->m_hWnd) : 0);
        return 0;
    }
    case DM_GETDEFID:
        return defId_ ? static_cast<LRESULT>(MAKELONG(static_cast<WORD>(defId_), DC_HASDEFID)) : 0;
    case DM_SETDEFID: {
        UINT previous = defId_;
        defId_ = static_cast<UINT>(wParam);
        if (CWnd *old = previous ? GetDlgItem(static_cast<int>(previous)) : nullptr)
            if ((old->GetStyle() & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                old->SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        if (CWnd *now = defId_ ? GetDlgItem(static_cast<int>(defId_)) : nullptr)
            if ((now->GetStyle() & BS_TYPEMASK) == BS_PUSHBUTTON)
                now->SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        return TRUE;
    }
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}

BOOL CDialog::PreTranslateMessage(MSG *pMsg)
{
    if (!pMsg || pMsg->message != WM_KEYDOWN || !m_hWnd || (GetStyle() & WS_CHILD))
        return FALSE;
    CWnd *target = CWnd::FromHandle(pMsg->hwnd);
    if (!target || (target != this && !IsChild(target)))
        return FALSE;
    LRESULT code = target != this ? target->SendMessage(WM_GETDLGCODE, pMsg->wParam, 0) : 0;
    switch (pMsg->wParam) {
    case VK_RETURN: {
        if (code & DLGC_WANTALLKEYS)
            return FALSE;
        // A push button with the focus presses itself.
        if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
            target->SendMessage(BM_CLICK);
            return TRUE;
        }
        DWORD def = GetDefID();
        UINT id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        CWnd *button = GetDlgItem(static_cast<int>(id));
        if (button && !button->IsWindowEnabled())
            return TRUE;
        SendMessage(WM_COMMAND, MAKELONG(static_cast<WORD>(id), BN_CLICKED),
                    button ? static_cast<LPARAM>(button->m_hWnd) : 0);
        return TRUE;
    }
    case VK_ESCAPE: {
        if (code & DLGC_WANTALLKEYS)
            return FALSE;
        CWnd *cancel = GetDlgItem(IDCANCEL);
        if (cancel && !cancel->IsWindowEnabled())
            return TRUE;
        SendMessage(WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), cancel ? static_cast<LPARAM>(cancel->m_hWnd) : 0);
        return TRUE;
    }
    case VK_TAB:
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))
            return FALSE;
        if (KeyboardShift().Contains(ssShift))
            PrevDlgCtrl();
        else
            NextDlgCtrl();
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace win
