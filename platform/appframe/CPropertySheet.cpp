#include "platform/appframe/CPropertySheet.h"

#include <algorithm>

#include "platform/appframe/StandardControls.h"
#include "platform/forms/WindowHost.h"
#include "platform/gdi/Gdi.h"

namespace win {

namespace {

constexpr int kMargin = 7;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr DWORD kModelessStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;

} // namespace

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd *pParentWnd, UINT iSelectPage)
    : caption_(pszCaption), parent_(pParentWnd)
{
    m_psh.dwSize = sizeof(m_psh);
    m_psh.pszCaption = pszCaption;
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage *pPage)
{
    if (!pPage || GetPageIndex(pPage) >= 0)
        return;
    pages_.push_back(pPage);
    m_psh.nPages = static_cast<UINT>(pages_.size());
    if (m_hWnd && tab_.m_hWnd)
        tab_.InsertItem(static_cast<int>(pages_.size()) - 1, pPage->GetCaption());
}

CPropertyPage *CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < static_cast<int>(pages_.size()) ? pages_[nPage] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage *pPage) const
{
    auto it = std::find(pages_.begin(), pages_.end(), pPage);
    return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

CPropertyPage *CPropertySheet::GetActivePage() const { return GetPage(active_); }

BOOL CPropertySheet::Create(CWnd *pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    m_bModeless = TRUE;
    m_psh.dwFlags |= PSH_MODELESS;
    if (dwStyle == static_cast<DWORD>(-1))
        dwStyle = kModelessStyle;
    return Build(pParentWnd ? pParentWnd : parent_, dwStyle, dwExStyle);
}

BOOL CPropertySheet::Build(CWnd *pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    if (m_hWnd)
        return FALSE;
    InitCommonControls();
    RegisterStandardControls();
    if (dwStyle & DS_SYSMODAL)
        dwExStyle |= WS_EX_TOPMOST;
    // The page area is the largest page template.
    int pageWidth = 100;
    int pageHeight = 50;
    for (CPropertyPage *page : pages_) {
        const DialogTemplate *t = FindDialogResource(page->GetTemplateID());
        if (!t)
            continue;
        HFONT font = CreateDialogFont(*t);
        RECT r = MapDialogUnits(RECT{0, 0, t->cx, t->cy}, DialogBaseUnits(font));
        DeleteObject(font);
        pageWidth = std::max(pageWidth, static_cast<int>(r.right - r.left));
        pageHeight = std::max(pageHeight, static_cast<int>(r.bottom - r.top));
    }
    HWND parent = pParentWnd ? pParentWnd->GetSafeHwnd() : 0;
    if (!CWnd::CreateEx(dwExStyle, nullptr, caption_, dwStyle & ~WS_VISIBLE, 0, 0, 100, 100, parent, 0))
        return FALSE;
    if (!tab_.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | TCS_MULTILINE,
                     CRect(kMargin, kMargin, kMargin + pageWidth, kMargin + pageHeight), this, AFX_IDC_TAB_CONTROL)) {
        DestroyWindow();
        return FALSE;
    }
    for (int i = 0; i < static_cast<int>(pages_.size()); ++i)
        tab_.InsertItem(i, pages_[i]->GetCaption());
    // The tab control around the page area: its width first, then the height
    // its rows of tabs need at that width.
    CRect area(0, 0, pageWidth, pageHeight);
    tab_.AdjustRect(TRUE, &area);
    int tabWidth = area.Width();
    tab_.MoveWindow(kMargin, kMargin, tabWidth, area.Height() + 200);
    area = CRect(0, 0, pageWidth, pageHeight);
    tab_.AdjustRect(TRUE, &area);
    tab_.MoveWindow(kMargin, kMargin, tabWidth, area.Height());
    int width = kMargin + tabWidth + kMargin;
    int buttonsTop = kMargin + area.Height() + kMargin;
    okButton_.CreateEx(0, "Button", "确定", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                       width - kMargin - 2 * kButtonWidth - kButtonGap, buttonsTop, kButtonWidth, kButtonHeight, m_hWnd,
                       IDOK);
    cancelButton_.CreateEx(0, "Button", "取消", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                           width - kMargin - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight, m_hWnd, IDCANCEL);
    stripHeight_ = kButtonHeight + kMargin;
    MoveWindow(0, 0, width, buttonsTop + stripHeight_, FALSE);
    CenterWindow(pParentWnd);
    active_ = -1;
    OnInitDialog();
    if (m_hWnd && (dwStyle & WS_VISIBLE))
        ShowWindow(SW_SHOW);
    return m_hWnd != 0;
}

BOOL CPropertySheet::OnInitDialog()
{
    if (m_bModeless && stripHeight_ > 0) {
        if (okButton_.GetSafeHwnd())
            okButton_.DestroyWindow();
        if (cancelButton_.GetSafeHwnd())
            cancelButton_.DestroyWindow();
        CRect r;
        GetWindowRect(&r);
        RECT client{};
        GetClientRect(&client);
        MoveWindow(r.left, r.top, client.right, client.bottom - stripHeight_, FALSE);
        stripHeight_ = 0;
    }
    if (!pages_.empty())
        ShowPage(std::clamp(static_cast<int>(m_psh.nStartPage), 0, static_cast<int>(pages_.size()) - 1));
    return TRUE;
}

RECT CPropertySheet::PageRect()
{
    CRect r;
    tab_.GetWindowRect(&r);
    ScreenToClient(&r);
    tab_.AdjustRect(FALSE, &r);
    return r;
}

void CPropertySheet::ShowPage(int index)
{
    CPropertyPage *page = GetPage(index);
    if (!page)
        return;
    if (!page->GetSafeHwnd() && !page->CreatePage(this, PageRect()))
        return;
    CPropertyPage *old = GetActivePage();
    bool focusInOld = false;
    if (old && old != page && old->GetSafeHwnd()) {
        CWnd *focus = CWnd::GetFocus();
        focusInOld = focus && (focus == old || old->IsChild(focus));
        old->ShowWindow(SW_HIDE);
    }
    active_ = index;
    tab_.SetCurSel(index);
    page->OnSetActive();
    if (page->GetSafeHwnd())
        page->ShowWindow(SW_SHOW);
    if (focusInOld)
        tab_.SetFocus();
}

bool CPropertySheet::LeaveCurrent()
{
    CPropertyPage *page = GetActivePage();
    return !page || !page->GetSafeHwnd() || page->OnKillActive();
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= static_cast<int>(pages_.size()))
        return FALSE;
    if (!m_hWnd) {
        m_psh.nStartPage = static_cast<UINT>(nPage);
        return TRUE;
    }
    if (nPage == active_)
        return TRUE;
    if (!LeaveCurrent())
        return FALSE;
    ShowPage(nPage);
    return active_ == nPage;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage *pPage) { return SetActivePage(GetPageIndex(pPage)); }

void CPropertySheet::SetTitle(LPCSTR lpszText)
{
    caption_ = lpszText;
    if (m_hWnd)
        SetWindowText(lpszText);
}

BOOL CPropertySheet::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    auto *hdr = reinterpret_cast<NMHDR *>(lParam);
    if (hdr && tab_.GetSafeHwnd() && hdr->hwndFrom == tab_.GetSafeHwnd()) {
        if (hdr->code == TCN_SELCHANGING) {
            *pResult = LeaveCurrent() ? FALSE : TRUE;
            return TRUE;
        }
        if (hdr->code == TCN_SELCHANGE) {
            ShowPage(tab_.GetCurSel());
            *pResult = 0;
            return TRUE;
        }
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    WORD id = LOWORD(static_cast<DWORD>(wParam));
    if (HIWORD(static_cast<DWORD>(wParam)) != BN_CLICKED || (id != IDOK && id != IDCANCEL))
        return FALSE;
    // OK takes the current page's data and applies every built page; Cancel
    // resets them. The sheet stays: its owner closes it.
    if (id == IDOK) {
        if (!LeaveCurrent())
            return TRUE;
        for (CPropertyPage *page : pages_)
            if (page->GetSafeHwnd())
                page->OnApply();
    } else {
        for (CPropertyPage *page : pages_)
            if (page->GetSafeHwnd())
                page->OnReset();
    }
    return TRUE;
}

// The sheet's keys, before the control under the focus sees them: Ctrl+Tab,
// Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp change the page (wrapping
// around), Enter and Esc are OK and Cancel, Tab moves through the page's
// controls.
BOOL CPropertySheet::PreTranslateMessage(MSG *pMsg)
{
    if (!pMsg || !m_hWnd || pMsg->message != WM_KEYDOWN)
        return CWnd::PreTranslateMessage(pMsg);
    CWnd *target = CWnd::FromHandle(pMsg->hwnd);
    if (!target || (target != this && !IsChild(target)))
        return CWnd::PreTranslateMessage(pMsg);
    TShiftState shift = KeyboardShift();
    WPARAM key = pMsg->wParam;
    int count = static_cast<int>(pages_.size());
    if (shift.Contains(ssCtrl) && (key == VK_TAB || key == VK_NEXT || key == VK_PRIOR)) {
        if (count > 0) {
            bool back = key == VK_PRIOR || (key == VK_TAB && shift.Contains(ssShift));
            SetActivePage((std::max(active_, 0) + (back ? count - 1 : 1)) % count);
        }
        return TRUE;
    }
    LRESULT code = target != this ? target->SendMessage(WM_GETDLGCODE, key, 0) : 0;
    switch (key) {
    case VK_RETURN:
    case VK_ESCAPE:
        if (code & DLGC_WANTALLKEYS)
            return FALSE;
        SendMessage(WM_COMMAND, MAKELONG(static_cast<WORD>(key == VK_RETURN ? IDOK : IDCANCEL), BN_CLICKED), 0);
        return TRUE;
    case VK_TAB: {
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))
            return FALSE;
        CPropertyPage *page = GetActivePage();
        if (!page || !page->GetSafeHwnd())
            return FALSE;
        if (page->IsChild(target)) {
            if (shift.Contains(ssShift))
                page->PrevDlgCtrl();
            else
                page->NextDlgCtrl();
        } else if (CWnd *first = page->GetNextDlgTabItem(nullptr)) {
            page->GotoDlgCtrl(first);
        }
        return TRUE;
    }
    default:
        return CWnd::PreTranslateMessage(pMsg);
    }
}

} // namespace win
