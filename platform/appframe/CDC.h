// The framework's device contexts over the drawing layer's HDC: CDC (any context:
// a window's image, a memory bitmap, a printer page), CPaintDC (the painting of a
// WM_PAINT), CClientDC and CWindowDC (drawing into a window outside painting),
// with the selection of the drawing objects of CGdiObject.h.
#pragma once

#include "platform/appframe/AfxTypes.h"
#include "platform/appframe/CGdiObject.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/win/CString.h"

namespace win {

class CWnd;

// DrawFrameControl kinds and states.
constexpr UINT DFC_BUTTON = 4;
constexpr UINT DFCS_BUTTONCHECK = 0x0000;
constexpr UINT DFCS_BUTTONRADIO = 0x0004;
constexpr UINT DFCS_BUTTONPUSH = 0x0010;
constexpr UINT DFCS_INACTIVE = 0x0100;
constexpr UINT DFCS_PUSHED = 0x0200;
constexpr UINT DFCS_CHECKED = 0x0400;
constexpr UINT DFCS_FLAT = 0x4000;

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC &) = delete;
    CDC &operator=(const CDC &) = delete;

    HDC m_hDC = 0;
    // Set while the context draws a printed page.
    BOOL m_bPrinting = FALSE;
    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }

    BOOL Attach(HDC hdc);
    HDC Detach();
    // A memory context compatible with `dc` (the screen's when null).
    BOOL CreateCompatibleDC(CDC *dc);
    BOOL DeleteDC();
    // A wrapper of a context this object does not own; null for 0.
    static CDC *FromHandle(HDC hdc);

    // Objects. Each returns the object selected before (a wrapper of its handle).
    CPen *SelectObject(CPen *pen);
    CBrush *SelectObject(CBrush *brush);
    CFont *SelectObject(CFont *font);
    CBitmap *SelectObject(CBitmap *bitmap);
    CGdiObject *SelectObject(CGdiObject *object);
    // Selects a region as the clip region; returns the region kind.
    int SelectObject(CRgn *region);
    CGdiObject *SelectStockObject(int index);
    CFont *GetCurrentFont() const;

    // State.
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    int SetROP2(int mode);
    int GetROP2() const;
    UINT SetTextAlign(UINT align);
    int SetPolyFillMode(int mode);
    int GetDeviceCaps(int index) const;

    // Lines and shapes.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Polyline(const POINT *points, int count);
    BOOL Polygon(const POINT *points, int count);
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(const RECT *rect) { return Rectangle(rect->left, rect->top, rect->right, rect->bottom); }
    BOOL Ellipse(int left, int top, int right, int bottom);
    BOOL Ellipse(const RECT *rect) { return Ellipse(rect->left, rect->top, rect->right, rect->bottom); }
    void FillRect(const RECT *rect, CBrush *brush);
    void FrameRect(const RECT *rect, CBrush *brush);
    void FillSolidRect(const RECT *rect, COLORREF color);
    void FillSolidRect(int x, int y, int width, int height, COLORREF color);
    // A one-pixel frame: top and left in `topLeft`, bottom and right in
    // `bottomRight`.
    void Draw3dRect(const RECT *rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int width, int height, COLORREF topLeft, COLORREF bottomRight);
    // The classic push button face (DFC_BUTTON with DFCS_BUTTONPUSH, raised or
    // DFCS_PUSHED), check box or radio button frame.
    BOOL DrawFrameControl(RECT *rect, UINT type, UINT state);
    void InvertRect(const RECT *rect);
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(POINT p, COLORREF color) { return SetPixel(p.x, p.y, color); }
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT p) const { return GetPixel(p.x, p.y); }
    BOOL FillRgn(CRgn *region, CBrush *brush);
    BOOL FrameRgn(CRgn *region, CBrush *brush, int width, int height);
    int SelectClipRgn(CRgn *region);
    int GetClipBox(RECT *box) const;

    // Transfers.
    BOOL BitBlt(int x, int y, int width, int height, CDC *src, int srcX, int srcY, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC *src, int srcX, int srcY, int srcWidth,
                    int srcHeight, DWORD rop);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    BOOL TransparentBlt(int x, int y, int width, int height, CDC *src, int srcX, int srcY, int srcWidth,
                        int srcHeight, UINT transparent);

    // Text (GBK).
    BOOL TextOut(int x, int y, LPCSTR text, int length);
    BOOL TextOut(int x, int y, const CString &text);
    BOOL ExtTextOut(int x, int y, UINT options, const RECT *rect, LPCSTR text, UINT length, const INT *dx);
    int DrawText(LPCSTR text, int length, RECT *rect, UINT format);
    int DrawText(const CString &text, RECT *rect, UINT format);
    CSize GetTextExtent(LPCSTR text, int length) const;
    CSize GetTextExtent(const CString &text) const;
    BOOL GetTextMetrics(TEXTMETRICA *metrics) const;

    // Printing, on a printer context.
    int StartDoc(const DOCINFOA *info);
    int StartDoc(LPCSTR docName);
    int StartPage();
    int EndPage();
    int EndDoc();
    int AbortDoc();

private:
    bool owned_ = false;
};

// The painting context of the window's WM_PAINT (BeginPaint to EndPaint).
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd *wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd = 0;
};

// A context on the window's client area, for drawing outside painting.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd *wnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd = 0;
};

// Windows paint only their client areas here, so the window's context is the
// client's.
class CWindowDC : public CClientDC {
public:
    explicit CWindowDC(CWnd *wnd) : CClientDC(wnd) {}
};

} // namespace win
