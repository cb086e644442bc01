#include "consign/pages/cdxCSizingManager.h"

#include <algorithm>

#include "platform/gdi/Resources.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

CRect NormalRect(HWND hwnd)
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(hwnd, &wp))
        return CRect(0, 0, 0, 0);
    return CRect(wp.rcNormalPosition);
}

} // namespace

cdxCSizingPlacement::cdxCSizingPlacement(cdxCSizingManager &owner, HWND control, BYTE left, BYTE right, BYTE top,
                                         BYTE bottom, const RECT &initial)
    : m_Owner(owner), m_hControl(control), m_Left(left), m_Right(right), m_Top(top), m_Bottom(bottom),
      m_InitialRect(initial)
{
    m_pNext = owner.m_pFirst;
    if (m_pNext)
        m_pNext->m_pPrev = this;
    owner.m_pFirst = this;
}

cdxCSizingPlacement::~cdxCSizingPlacement()
{
    if (m_pPrev)
        m_pPrev->m_pNext = m_pNext;
    else
        m_Owner.m_pFirst = m_pNext;
    if (m_pNext)
        m_pNext->m_pPrev = m_pPrev;
}

CRect cdxCSizingPlacement::PlacedRect(int dx, int dy) const
{
    return CRect(m_InitialRect.left + dx * m_Left / 100, m_InitialRect.top + dy * m_Top / 100,
                 m_InitialRect.right + dx * m_Right / 100, m_InitialRect.bottom + dy * m_Bottom / 100);
}

void cdxCSizingPlacement::Place(int dx, int dy) const
{
    if (!IsWindow(m_hControl))
        return;
    const CRect r = PlacedRect(dx, dy);
    SetWindowPos(m_hControl, HWND_TOP, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOREDRAW);
}

cdxCSizingManager::cdxCSizingManager(int flags, bool grip) : m_Flags(flags), m_bGrip(grip) {}

cdxCSizingManager::~cdxCSizingManager()
{
    RemoveAll();
    m_GripBitmap.DeleteObject();
    if (m_Grip.m_hWnd)
        m_Grip.DestroyWindow();
}

void cdxCSizingManager::RemoveAll()
{
    while (m_pFirst)
        delete m_pFirst;
}

BOOL cdxCSizingManager::Init(int growPercent)
{
    if (!m_pWnd || !IsWindow(m_pWnd->m_hWnd))
        return FALSE;
    CRect client;
    m_pWnd->GetClientRect(&client);
    m_InitialClientWidth = client.Width();
    m_InitialClientHeight = client.Height();
    const CRect normal = NormalRect(m_pWnd->m_hWnd);
    m_InitialWindowWidth = normal.Width();
    m_InitialWindowHeight = normal.Height();
    if (m_bGrip && !CreateGrip()) {
        m_bGrip = false;
        m_GripBitmap.DeleteObject();
        if (m_Grip.m_hWnd)
            m_Grip.DestroyWindow();
    }
    if (growPercent != 0)
        GrowWindow(growPercent);
    return TRUE;
}

bool cdxCSizingManager::CreateGrip()
{
    if (!m_GripBitmap.LoadOEMBitmap(OBM_SIZE))
        return false;
    const CRect corner(m_InitialClientWidth - 24, m_InitialClientHeight - 24, m_InitialClientWidth,
                       m_InitialClientHeight);
    if (!m_Grip.Create(nullptr, WS_CHILD | SS_BITMAP, corner, m_pWnd, 0xFFFF))
        return false;
    m_Grip.ModifyStyleEx(0, WS_EX_TRANSPARENT);
    m_Grip.SetBitmap(static_cast<HBITMAP>(m_GripBitmap.GetSafeHandle()));
    // The static takes the bitmap's size: keep its bottom-right corner at the
    // client's.
    const CRect placed = NormalRect(m_Grip.m_hWnd);
    m_Grip.MoveWindow(m_InitialClientWidth - placed.Width(), m_InitialClientHeight - placed.Height(),
                      placed.Width(), placed.Height(), FALSE);
    if (!AddControl(&m_Grip, MODE_MOVE, MODE_MOVE))
        return false;
    m_Grip.ShowWindow(SW_SHOW);
    return true;
}

cdxCSizingPlacement *cdxCSizingManager::AddControl(CWnd *control, int horizontal, int vertical)
{
    auto edges = [](int mode, BYTE &first, BYTE &second) {
        switch (mode) {
        case MODE_STRETCH: first = 0, second = 100; break;
        case MODE_MOVE: first = 100, second = 100; break;
        case MODE_CENTER: first = 50, second = 50; break;
        default: first = 0, second = 0; break;
        }
    };
    BYTE left, right, top, bottom;
    edges(horizontal, left, right);
    edges(vertical, top, bottom);
    return AddControlPercent(control, left, right, top, bottom);
}

cdxCSizingPlacement *cdxCSizingManager::AddControlPercent(CWnd *control, BYTE left, BYTE right, BYTE top,
                                                          BYTE bottom)
{
    if (!m_pWnd || !IsWindow(m_pWnd->m_hWnd) || !control || !IsWindow(control->m_hWnd) || !IsInitialized())
        return nullptr;
    if (left == 0 && right == 0 && top == 0 && bottom == 0)
        return nullptr;
    auto *placement =
        new cdxCSizingPlacement(*this, control->m_hWnd, left, right, top, bottom, NormalRect(control->m_hWnd));
    CRect client;
    m_pWnd->GetClientRect(&client);
    placement->Place(client.Width() - m_InitialClientWidth, client.Height() - m_InitialClientHeight);
    return placement;
}

void cdxCSizingManager::OnSize(UINT type, int width, int height)
{
    if (type != SIZE_MINIMIZED && IsInitialized())
        Reposition(width, height);
}

BOOL cdxCSizingManager::Reposition(int width, int height)
{
    if (!IsInitialized() || !m_pWnd || !IsWindow(m_pWnd->m_hWnd))
        return FALSE;
    const int dx = std::max(0, width - m_InitialClientWidth);
    const int dy = std::max(0, height - m_InitialClientHeight);
    for (const cdxCSizingPlacement *p = m_pFirst; p; p = p->m_pNext)
        p->Place(dx, dy);
    m_pWnd->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return width >= m_InitialClientWidth && height >= m_InitialClientHeight;
}

BOOL cdxCSizingManager::RepositionToClient()
{
    if (!m_pWnd || !IsWindow(m_pWnd->m_hWnd))
        return FALSE;
    CRect client;
    m_pWnd->GetClientRect(&client);
    return Reposition(client.Width(), client.Height());
}

void cdxCSizingManager::GetMinMaxInfo(MINMAXINFO *info) const
{
    if (!info || !IsInitialized() || !m_pWnd || !IsWindow(m_pWnd->m_hWnd))
        return;
    info->ptMinTrackSize.x = m_InitialWindowWidth;
    info->ptMinTrackSize.y = m_InitialWindowHeight;
    if (!(m_Flags & GROW_Y))
        info->ptMaxTrackSize.y = m_InitialWindowHeight;
    if (!(m_Flags & GROW_X))
        info->ptMaxTrackSize.x = m_InitialWindowWidth;
}

void cdxCSizingManager::GrowWindow(int percent)
{
    if (!m_pWnd || !IsWindow(m_pWnd->m_hWnd))
        return;
    CRect r = NormalRect(m_pWnd->m_hWnd);
    if (m_Flags & GROW_X) {
        const int e = percent * r.Width() / 50;
        r.left = std::max(0, static_cast<int>(r.left) - e);
        r.right += e;
    }
    if (m_Flags & GROW_Y) {
        const int e = percent * r.Height() / 50;
        r.top = std::max(0, static_cast<int>(r.top) - e);
        r.bottom += e;
    }
    SetWindowPos(m_pWnd->m_hWnd, HWND_TOP, r.left, r.top, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
}
