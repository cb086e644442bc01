#include "platform/appframe/CDC.h"

#include <map>
#include <memory>

#include "platform/appframe/CWnd.h"
#include "platform/gdi/Gdi.h"

namespace win {

CDC::~CDC()
{
    if (owned_)
        DeleteDC();
}

BOOL CDC::Attach(HDC hdc)
{
    if (m_hDC || !hdc)
        return FALSE;
    m_hDC = hdc;
    owned_ = false;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC h = m_hDC;
    m_hDC = 0;
    owned_ = false;
    return h;
}

BOOL CDC::CreateCompatibleDC(CDC *dc)
{
    if (m_hDC)
        return FALSE;
    m_hDC = win::CreateCompatibleDC(dc ? dc->m_hDC : 0);
    owned_ = m_hDC != 0;
    return m_hDC != 0;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    BOOL ok = owned_ ? win::DeleteDC(m_hDC) : TRUE;
    m_hDC = 0;
    owned_ = false;
    return ok;
}

CDC *CDC::FromHandle(HDC hdc)
{
    if (!hdc)
        return nullptr;
    static thread_local std::map<HDC, std::unique_ptr<CDC>> wrappers;
    auto &slot = wrappers[hdc];
    if (!slot) {
        slot = std::make_unique<CDC>();
        slot->Attach(hdc);
    }
    return slot.get();
}

CPen *CDC::SelectObject(CPen *pen) { return pen ? CPen::FromHandle(win::SelectObject(m_hDC, pen->m_hObject)) : nullptr; }

CBrush *CDC::SelectObject(CBrush *brush)
{
    return brush ? CBrush::FromHandle(win::SelectObject(m_hDC, brush->m_hObject)) : nullptr;
}

CFont *CDC::SelectObject(CFont *font)
{
    return font ? CFont::FromHandle(win::SelectObject(m_hDC, font->m_hObject)) : nullptr;
}

CBitmap *CDC::SelectObject(CBitmap *bitmap)
{
    return bitmap ? CBitmap::FromHandle(win::SelectObject(m_hDC, bitmap->m_hObject)) : nullptr;
}

CGdiObject *CDC::SelectObject(CGdiObject *object)
{
    return object ? CGdiObject::FromHandle(win::SelectObject(m_hDC, object->m_hObject)) : nullptr;
}

int CDC::SelectObject(CRgn *region) { return SelectClipRgn(region); }

CGdiObject *CDC::SelectStockObject(int index)
{
    return CGdiObject::FromHandle(win::SelectObject(m_hDC, GetStockObject(index)));
}

CFont *CDC::GetCurrentFont() const
{
    // Selecting the stock font reports the current one; it is put back at once.
    HGDIOBJ current = win::SelectObject(m_hDC, GetStockObject(SYSTEM_FONT));
    win::SelectObject(m_hDC, current);
    return CFont::FromHandle(current);
}

COLORREF CDC::SetTextColor(COLORREF color) { return win::SetTextColor(m_hDC, color); }
COLORREF CDC::GetTextColor() const { return win::GetTextColor(m_hDC); }
COLORREF CDC::SetBkColor(COLORREF color) { return win::SetBkColor(m_hDC, color); }
COLORREF CDC::GetBkColor() const { return win::GetBkColor(m_hDC); }
int CDC::SetBkMode(int mode) { return win::SetBkMode(m_hDC, mode); }
int CDC::GetBkMode() const { return win::GetBkMode(m_hDC); }
int CDC::SetROP2(int mode) { return win::SetROP2(m_hDC, mode); }
int CDC::GetROP2() const { return win::GetROP2(m_hDC); }
UINT CDC::SetTextAlign(UINT align) { return win::SetTextAlign(m_hDC, align); }
int CDC::SetPolyFillMode(int mode) { return win::SetPolyFillMode(m_hDC, mode); }
int CDC::GetDeviceCaps(int index) const { return win::GetDeviceCaps(m_hDC, index); }

CPoint CDC::MoveTo(int x, int y)
{
    POINT previous{0, 0};
    MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

BOOL CDC::LineTo(int x, int y) { return win::LineTo(m_hDC, x, y); }
BOOL CDC::Polyline(const POINT *points, int count) { return win::Polyline(m_hDC, points, count); }
BOOL CDC::Polygon(const POINT *points, int count) { return win::Polygon(m_hDC, points, count); }

BOOL CDC::Rectangle(int left, int top, int right, int bottom)
{
    return win::Rectangle(m_hDC, left, top, right, bottom);
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom) { return win::Ellipse(m_hDC, left, top, right, bottom); }

void CDC::FillRect(const RECT *rect, CBrush *brush)
{
    if (rect && brush)
        win::FillRect(m_hDC, rect, brush->m_hObject);
}

void CDC::FrameRect(const RECT *rect, CBrush *brush)
{
    if (rect && brush)
        win::FrameRect(m_hDC, rect, brush->m_hObject);
}

void CDC::FillSolidRect(const RECT *rect, COLORREF color)
{
    if (!rect)
        return;
    HBRUSH brush = CreateSolidBrush(color);
    win::FillRect(m_hDC, rect, brush);
    win::DeleteObject(brush);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF color)
{
    RECT r{x, y, x + width, y + height};
    FillSolidRect(&r, color);
}

void CDC::Draw3dRect(const RECT *rect, COLORREF topLeft, COLORREF bottomRight)
{
    if (rect)
        Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int width, int height, COLORREF topLeft, COLORREF bottomRight)
{
    FillSolidRect(x, y, width - 1, 1, topLeft);
    FillSolidRect(x, y, 1, height - 1, topLeft);
    FillSolidRect(x + width - 1, y, 1, height, bottomRight);
    FillSolidRect(x, y + height - 1, width, 1, bottomRight);
}

BOOL CDC::DrawFrameControl(RECT *rect, UINT type, UINT state)
{
    if (!rect || type != DFC_BUTTON)
        return FALSE;
    CRect r(rect);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    if (state & DFCS_BUTTONPUSH) {
        FillSolidRect(&r, face);
        if (state & (DFCS_PUSHED | DFCS_CHECKED)) {
            Draw3dRect(&r, dark, light);
            r.DeflateRect(1, 1);
            Draw3dRect(&r, shadow, face);
        } else if (state & DFCS_FLAT) {
            Draw3dRect(&r, light, shadow);
        } else {
            Draw3dRect(&r, light, dark);
            r.DeflateRect(1, 1);
            Draw3dRect(&r, face, shadow);
        }
        return TRUE;
    }
    // Check boxes and radio buttons: a sunken white square, with the mark.
    int side = std::min(r.Width(), r.Height());
    CRect box(r.left, r.top, r.left + side, r.top + side);
    FillSolidRect(&box, (state & DFCS_INACTIVE) ? face : GetSysColor(COLOR_WINDOW));
    Draw3dRect(&box, shadow, light);
    box.DeflateRect(1, 1);
    Draw3dRect(&box, dark, face);
    if (state & DFCS_CHECKED) {
        box.DeflateRect(2, 2);
        FillSolidRect(&box, GetSysColor(COLOR_WINDOWTEXT));
    }
    return TRUE;
}

void CDC::InvertRect(const RECT *rect)
{
    if (rect)
        win::InvertRect(m_hDC, rect);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) { return win::SetPixel(m_hDC, x, y, color); }
COLORREF CDC::GetPixel(int x, int y) const { return win::GetPixel(m_hDC, x, y); }

BOOL CDC::FillRgn(CRgn *region, CBrush *brush)
{
    return region && brush && win::FillRgn(m_hDC, region->m_hObject, brush->m_hObject);
}

BOOL CDC::FrameRgn(CRgn *region, CBrush *brush, int width, int height)
{
    return region && brush && win::FrameRgn(m_hDC, region->m_hObject, brush->m_hObject, width, height);
}

int CDC::SelectClipRgn(CRgn *region) { return win::SelectClipRgn(m_hDC, region ? region->m_hObject : 0); }
int CDC::GetClipBox(RECT *box) const { return win::GetClipBox(m_hDC, box); }

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC *src, int srcX, int srcY, DWORD rop)
{
    return win::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : 0, srcX, srcY, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC *src, int srcX, int srcY, int srcWidth,
                     int srcHeight, DWORD rop)
{
    return win::StretchBlt(m_hDC, x, y, width, height, src ? src->m_hDC : 0, srcX, srcY, srcWidth, srcHeight, rop);
}

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) { return win::PatBlt(m_hDC, x, y, width, height, rop); }

BOOL CDC::TransparentBlt(int x, int y, int width, int height, CDC *src, int srcX, int srcY, int srcWidth,
                         int srcHeight, UINT transparent)
{
    return src && win::TransparentBlt(m_hDC, x, y, width, height, src->m_hDC, srcX, srcY, srcWidth, srcHeight,
                                      transparent);
}

BOOL CDC::TextOut(int x, int y, LPCSTR text, int length) { return TextOutA(m_hDC, x, y, text, length); }

BOOL CDC::TextOut(int x, int y, const CString &text)
{
    return TextOutA(m_hDC, x, y, text, text.GetLength());
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT length, const INT *dx)
{
    return ExtTextOutA(m_hDC, x, y, options, rect, text, length, dx);
}

int CDC::DrawText(LPCSTR text, int length, RECT *rect, UINT format)
{
    return DrawTextA(m_hDC, text, length, rect, format);
}

int CDC::DrawText(const CString &text, RECT *rect, UINT format)
{
    return DrawTextA(m_hDC, text, text.GetLength(), rect, format);
}

CSize CDC::GetTextExtent(LPCSTR text, int length) const
{
    SIZE s{0, 0};
    GetTextExtentPoint32A(m_hDC, text, length, &s);
    return s;
}

CSize CDC::GetTextExtent(const CString &text) const { return GetTextExtent(text, text.GetLength()); }

BOOL CDC::GetTextMetrics(TEXTMETRICA *metrics) const { return GetTextMetricsA(m_hDC, metrics); }

int CDC::StartDoc(const DOCINFOA *info) { return StartDocA(m_hDC, info); }

int CDC::StartDoc(LPCSTR docName)
{
    DOCINFOA info{};
    info.cbSize = sizeof(info);
    info.lpszDocName = docName;
    return StartDocA(m_hDC, &info);
}

int CDC::StartPage() { return win::StartPage(m_hDC); }
int CDC::EndPage() { return win::EndPage(m_hDC); }
int CDC::EndDoc() { return win::EndDoc(m_hDC); }
int CDC::AbortDoc() { return win::AbortDoc(m_hDC); }

CPaintDC::CPaintDC(CWnd *wnd) : m_hWnd(wnd ? wnd->GetSafeHwnd() : 0)
{
    if (m_hWnd)
        Attach(BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    if (m_hDC) {
        Detach();
        EndPaint(m_hWnd, &m_ps);
    }
}

CClientDC::CClientDC(CWnd *wnd) : m_hWnd(wnd ? wnd->GetSafeHwnd() : 0) { Attach(GetDC(m_hWnd)); }

CClientDC::~CClientDC()
{
    if (HDC h = Detach())
        ReleaseDC(m_hWnd, h);
}

} // namespace win
