#include "chatdesk/ui/SkinButton.h"

#include <cstring>

#include "chatdesk/ui/ChatResources.h"
#include "chatdesk/ui/ChatUiIds.h"
#include "platform/appframe/CWinApp.h"
#include "platform/forms/FormTypes.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"
#include "platform/win/MouseTracking.h"
#include "platform/win/Resource.h"

using namespace win;

namespace chatui {

namespace {

void HLine(CDC &dc, int x1, int x2, int y, COLORREF c)
{
    if (x2 > x1)
        dc.FillSolidRect(x1, y, x2 - x1, 1, c);
}

// A frame one pixel wide, `inset` pixels inside the rectangle, with its
// corner pixels in `corner`.
void InnerFrame(CDC &dc, const RECT &r, int inset, COLORREF c, COLORREF corner)
{
    const int l = r.left + inset, t = r.top + inset, rr = r.right - 1 - inset, b = r.bottom - 1 - inset;
    HLine(dc, l + 1, rr, t, c);
    HLine(dc, l + 1, rr, b, c);
    if (b - 1 > t)
        dc.FillSolidRect(l, t + 1, 1, b - t - 1, c), dc.FillSolidRect(rr, t + 1, 1, b - t - 1, c);
    for (int x : {l, rr})
        for (int y : {t, b})
            dc.SetPixel(x, y, corner);
}

// The 3 × 3 corners blend the frame into the face; entry [y][x] from the outer
// corner, 0 = leave as it is.
constexpr COLORREF kCorner[3][3] = {
    {RGB(94, 184, 255), RGB(41, 104, 184), 0},
    {RGB(41, 104, 184), RGB(120, 165, 220), 0},
    {0, 0, 0},
};

void Corners(CDC &dc, const RECT &r)
{
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const COLORREF c = kCorner[y][x];
            if (!c)
                continue;
            dc.SetPixel(r.left + x, r.top + y, c);
            dc.SetPixel(r.right - 1 - x, r.top + y, c);
            dc.SetPixel(r.left + x, r.bottom - 1 - y, c);
            dc.SetPixel(r.right - 1 - x, r.bottom - 1 - y, c);
        }
}

} // namespace

void DrawSkinFace(CDC &dc, const RECT &r, bool pressed, bool hover, bool focus)
{
    const int h = r.bottom - r.top;
    CBrush frame(RGB(35, 96, 177));
    if (h < 10) {
        // Too low for the bands: a plain face in the frame colour.
        dc.FillSolidRect(&r, RGB(184, 224, 255));
        dc.FrameRect(&r, &frame);
        return;
    }
    dc.FrameRect(&r, &frame);
    const int c = 11 / (h - 7), d = 6 / (h - 7);
    if (pressed) {
        HLine(dc, r.left + 2, r.right - 2, r.bottom - 2, kWhite);
        HLine(dc, r.left + 2, r.right - 2, r.bottom - 3, RGB(236, 248, 255));
        HLine(dc, r.left + 3, r.right - 3, r.top + 1, RGB(186, 244, 255));
        HLine(dc, r.left + 3, r.right - 3, r.bottom - 2, RGB(186, 244, 255));
        dc.FillSolidRect(r.left + 2, r.top + 2, r.right - r.left - 4, h - 4, RGB(184, 224, 255));
        for (int row = 3; row <= h - 4; ++row) {
            const int t = row - 3;
            const COLORREF side = RGB(BYTE(197 - t * c), BYTE(250 - t * d), 255);
            dc.SetPixel(r.left + 1, r.bottom - 1 - row, side);
            dc.SetPixel(r.right - 2, r.bottom - 1 - row, side);
        }
    } else {
        HLine(dc, r.left + 2, r.right - 2, r.top + 1, kWhite);
        HLine(dc, r.left + 2, r.right - 2, r.top + 2, RGB(236, 248, 255));
        HLine(dc, r.left + 3, r.right - 3, r.bottom - 2, RGB(186, 244, 255));
        const int g = static_cast<int>(0.3 * h + 0.5);
        const int ur = 24 / (g - 1), ug = 11 / (g - 1);
        for (int t = 0; t < g; ++t)
            HLine(dc, r.left + 2, r.right - 2, r.top + 3 + t, RGB(BYTE(236 - t * ur), BYTE(247 - t * ug), 255));
        const int L = h - g - 6;
        const int lr = 47 / L, lg = 21 / L;
        for (int row = g + 3, u = 0; row <= h - 3; ++row, ++u)
            HLine(dc, r.left + 2, r.right - 2, r.top + row, RGB(BYTE(204 - u * lr), BYTE(232 - u * lg), 255));
        for (int row = 3; row <= h - 4; ++row) {
            const int t = row - 3;
            const COLORREF side = RGB(BYTE(197 - t * c), BYTE(250 - t * d), 255);
            dc.SetPixel(r.left + 1, r.top + row, side);
            dc.SetPixel(r.right - 2, r.top + row, side);
        }
    }
    Corners(dc, r);
    if (hover && !pressed) {
        InnerFrame(dc, r, 2, RGB(251, 184, 51), RGB(253, 197, 27));
        InnerFrame(dc, r, 1, RGB(255, 231, 98), RGB(255, 231, 98));
        Corners(dc, r);
    }
    if (focus) {
        InnerFrame(dc, r, 2, RGB(37, 199, 0), RGB(127, 216, 109));
        InnerFrame(dc, r, 1, RGB(150, 228, 135), RGB(150, 228, 135));
        Corners(dc, r);
    }
}

BEGIN_MESSAGE_MAP(COwnerDrawButton, CButton)
ON_WM_GETDLGCODE()
ON_MESSAGE(BM_SETSTYLE, OnSetStyle)
END_MESSAGE_MAP()

void COwnerDrawButton::NoteKind(DWORD kind)
{
    m_kind = kind;
    if (kind == BS_DEFPUSHBUTTON) {
        m_default = true;
        m_push = true;
        m_kind = 0;
    } else if (kind == BS_PUSHBUTTON) {
        m_push = true;
    }
}

BOOL COwnerDrawButton::Attach(UINT id, CWnd *parent, DWORD kind)
{
    if (!SubclassDlgItem(id, parent))
        return FALSE;
    NoteKind(kind);
    return TRUE;
}

BOOL COwnerDrawButton::Create(LPCSTR text, const RECT &rect, CWnd *parent, UINT id)
{
    if (!CButton::Create(text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect, parent, id))
        return FALSE;
    NoteKind(BS_PUSHBUTTON);
    return TRUE;
}

UINT COwnerDrawButton::OnGetDlgCode()
{
    UINT code = static_cast<UINT>(Default());
    if (m_kind == 4 || m_kind == 9)
        code |= DLGC_RADIOBUTTON;
    if (m_kind == 7)
        code = DLGC_STATIC;
    if (m_default)
        code |= DLGC_DEFPUSHBUTTON;
    else if (m_push)
        code |= DLGC_UNDEFPUSHBUTTON;
    return code;
}

LRESULT COwnerDrawButton::OnSetStyle(WPARAM wParam, LPARAM lParam)
{
    // The dialog moves the default mark between buttons this way; the control
    // stays owner-drawn.
    const DWORD kind = static_cast<DWORD>(wParam) & 0xF;
    if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) {
        m_default = kind == BS_DEFPUSHBUTTON;
        m_push = true;
    }
    if (lParam)
        Invalidate(FALSE);
    return 0;
}

BEGIN_MESSAGE_MAP(CSkinButton, COwnerDrawButton)
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CSkinButton::~CSkinButton() = default;

void CSkinButton::SetIcon(HBITMAP icon, bool redraw)
{
    m_icon = icon;
    if (redraw && m_hWnd)
        Invalidate(FALSE);
}

void CSkinButton::OnMouseMove(UINT, CPoint)
{
    if (m_hover)
        return;
    m_hover = true;
    TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&tme);
    Invalidate(FALSE);
}

void CSkinButton::OnMouseLeave()
{
    m_hover = false;
    Invalidate(FALSE);
}

BOOL CSkinButton::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

void CSkinButton::DrawItem(LPDRAWITEMSTRUCT item)
{
    CDC *dc = CDC::FromHandle(item->hDC);
    const RECT r = item->rcItem;
    // The focus frames lie along the edges, clear of the content.
    DrawSkinFace(*dc, r, (item->itemState & ODS_SELECTED) != 0, m_hover, (item->itemState & ODS_FOCUS) != 0);
    DrawContent(*dc, r);
}

void CSkinButton::DrawContent(CDC &dc, const RECT &r)
{
    RECT area = r;
    int iconRight = r.left;
    if (m_icon) {
        BITMAP info{};
        GetObjectA(m_icon, sizeof info, &info);
        CDC memory;
        memory.CreateCompatibleDC(&dc);
        HGDIOBJ old = SelectObject(memory.GetSafeHdc(), m_icon);
        const int y = r.top + (r.bottom - r.top - info.bmHeight) / 2;
        dc.TransparentBlt(r.left + 4, y, info.bmWidth, info.bmHeight, &memory, 0, 0, info.bmWidth, info.bmHeight,
                          kMagenta);
        SelectObject(memory.GetSafeHdc(), old);
        iconRight = r.left + 4 + info.bmWidth + 7;
    }
    char text[257] = {};
    GetWindowText(text, sizeof text);
    if (!text[0])
        return;
    CFont *font = GetFont();
    CFont *oldFont = font ? dc.SelectObject(font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_CENTER;
    const CSize extent = dc.GetTextExtent(text, static_cast<int>(std::strlen(text)));
    const int centredLeft = r.left + (r.right - r.left - extent.cx) / 2;
    if (m_icon && centredLeft < iconRight) {
        area.left = iconRight;
        format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_LEFT;
    }
    dc.DrawText(text, -1, &area, format);
    if (oldFont)
        dc.SelectObject(oldFont);
}

void CImageButton::SetBitmap(UINT id, bool redraw)
{
    m_bitmap = id;
    if (redraw && m_hWnd)
        Invalidate(FALSE);
}

void CImageButton::DrawContent(CDC &dc, const RECT &r)
{
    if (m_bitmap == 0)
        return;
    const WORD id = static_cast<WORD>(m_bitmap);
    const SIZE size = PictureSize(id);
    DrawPicture(dc, id, r.left + (r.right - r.left - size.cx) / 2, r.top + (r.bottom - r.top - size.cy) / 2, -1, -1,
                true);
}

} // namespace chatui
