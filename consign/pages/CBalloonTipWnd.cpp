#include "consign/pages/CBalloonTipWnd.h"

#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"

using namespace win;

BEGIN_MESSAGE_MAP(CBalloonTipWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_TIMER()
END_MESSAGE_MAP()

namespace {
constexpr UINT_PTR HideTimer = 1;
constexpr UINT HidePeriodMs = 3000;
} // namespace

CBalloonTipWnd::CBalloonTipWnd() : m_strClass(AfxRegisterWndClass(0)) {}

CBalloonTipWnd::~CBalloonTipWnd()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CBalloonTipWnd::Create(CWnd *parent)
{
    m_hParent = parent ? parent->m_hWnd : 0;
    if (!CreateEx(0, m_strClass, nullptr, WS_POPUP, 0, 0, m_nWidth, m_nHeight, m_hParent, 0))
        return FALSE;
    SetTimer(HideTimer, HidePeriodMs, nullptr);
    return TRUE;
}

void CBalloonTipWnd::SetBalloonColors(COLORREF background, COLORREF frame)
{
    m_BackgroundColour = background;
    m_FrameColour = frame;
    if (m_hWnd)
        Invalidate();
}

void CBalloonTipWnd::AddTool(CWnd *control, LPCSTR text, COLORREF colour)
{
    if (!control || !control->m_hWnd || m_Tools.count(control->m_hWnd))
        return;
    m_Tools[control->m_hWnd] = Tool{control->m_hWnd, text ? text : "", colour == 0 ? m_TextColour : colour};
}

bool CBalloonTipWnd::CombineShape(CRgn &target)
{
    if ((!target.GetSafeHandle() && !target.CreateRectRgn(0, 0, 0, 0)) ||
        target.CombineRgn(&m_rgnTail, &m_rgnEllipse, RGN_OR) == ERROR) {
        AfxMessageBox("ERROR in Combining Region");
        return false;
    }
    return true;
}

int CBalloonTipWnd::OnCreate(LPCREATESTRUCT)
{
    const CRect c(0, 0, m_nWidth, m_nHeight);
    const int w = c.Width(), h = c.Height();
    // The text rectangle is the square inscribed in the ellipse's half axes.
    const double k = 0.5 * 0.7071085623775818;
    const int a = static_cast<int>(h * k);
    const int b = static_cast<int>((w - 10) * k);
    m_TextRect = CRect((w - 10) / 2 - b + 10, h / 2 - a + 10, (w - 10) / 2 + b + 10, h / 2 + a + 10);
    m_rgnEllipse.CreateEllipticRgn(c.left + 10, c.top + 10, c.right, c.bottom + 10);
    const POINT tail[4] = {{c.left, c.top}, {c.left + 15, h / 2 - 10}, {c.left + 25, h / 2 + 10},
                           {c.left + 10, h / 2 + 10}};
    m_rgnTail.CreatePolygonRgn(tail, 4, ALTERNATE);
    if (!CombineShape(m_rgnCombined))
        return -1;
    // The window owns the region it is shaped by: give it a copy of its own.
    CRgn shape;
    if (!CombineShape(shape))
        return -1;
    SetWindowRgn(static_cast<HRGN>(shape.Detach()), TRUE);
    m_Font.CreateFont(m_nFontHeight, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, m_strFontName);
    return 0;
}

void CBalloonTipWnd::OnPaint()
{
    CPaintDC dc(this);
    CRgn shape;
    if (!CombineShape(shape))
        return;
    CBrush fill, frame;
    fill.CreateSolidBrush(m_BackgroundColour);
    frame.CreateSolidBrush(m_FrameColour);
    dc.FillRgn(&shape, &fill);
    dc.FrameRgn(&shape, &frame, 2, 1);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_TextColour);
    CFont *old = dc.SelectObject(&m_Font);
    CRect r = m_TextRect;
    if (dc.GetTextExtent(m_strText).cx < r.Width())
        dc.DrawText(m_strText, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    else
        dc.DrawText(m_strText, &r, DT_CENTER | DT_WORDBREAK);
    dc.SelectObject(old);
}

void CBalloonTipWnd::OnTimer(UINT_PTR nIDEvent)
{
    if (IsWindowVisible())
        ShowWindow(SW_HIDE);
    Default();
    (void)nIDEvent;
}

void CBalloonTipWnd::RelayEvent(const MSG *message)
{
    if (!message || !m_hWnd)
        return;
    switch (message->message) {
    case WM_KEYDOWN:
    case WM_LBUTTONDBLCLK:
        if (IsWindowVisible())
            ShowWindow(SW_HIDE);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        if (!GetFocus())
            break;
        const auto tool = m_Tools.find(message->hwnd);
        if (tool == m_Tools.end())
            break;
        m_strText = tool->second.text;
        m_TextColour = tool->second.colour;
        SetWindowPos(&wndTopMost, message->pt.x, message->pt.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        ShowWindow(SW_SHOWNOACTIVATE);
        Invalidate();
        m_hCurrentControl = message->hwnd;
        break;
    }
    default:
        break;
    }
}
