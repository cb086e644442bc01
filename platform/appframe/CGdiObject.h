// The framework's drawing objects: CGdiObject owns one pen, brush, font, bitmap
// or region handle and deletes it with itself; CPen, CBrush, CFont, CBitmap and
// CRgn make them. FromHandle wraps a handle made elsewhere without taking it.
#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/win/WinTypes.h"

namespace win {

class CDC;

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject &) = delete;
    CGdiObject &operator=(const CGdiObject &) = delete;

    HGDIOBJ m_hObject = 0;
    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // Takes a handle (FALSE when one is held already or h is 0).
    BOOL Attach(HGDIOBJ h);
    HGDIOBJ Detach();
    // Deletes the held object; FALSE when there is none.
    BOOL DeleteObject();
    int GetObject(int size, LPVOID out) const;
    BOOL CreateStockObject(int index);
    BOOL UnrealizeObject() { return m_hObject != 0; }

    // A wrapper of a handle this object does not own, valid while the handle is;
    // null for 0.
    static CGdiObject *FromHandle(HGDIOBJ h);

protected:
    // Replaces the held object by a new one (0: a failed creation).
    BOOL Take(HGDIOBJ h);
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);
    BOOL CreatePenIndirect(const LOGPEN *pen);
    int GetLogPen(LOGPEN *pen) const { return GetObject(sizeof(LOGPEN), pen); }
    static CPen *FromHandle(HPEN h);
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateBrushIndirect(const LOGBRUSH *brush);
    BOOL CreateSysColorBrush(int index);
    int GetLogBrush(LOGBRUSH *brush) const { return GetObject(sizeof(LOGBRUSH), brush); }
    static CBrush *FromHandle(HBRUSH h);
};

class CFont : public CGdiObject {
public:
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, LPCSTR face);
    BOOL CreateFontIndirect(const LOGFONTA *font);
    // A font of `pointSize` tenths of a point for the context (the screen's when
    // null): the height in the context's pixels, rounded.
    BOOL CreatePointFont(int pointSize, LPCSTR face, CDC *dc = nullptr);
    int GetLogFont(LOGFONTA *font) const { return GetObject(sizeof(LOGFONTA), font); }
    static CFont *FromHandle(HFONT h);
};

class CBitmap : public CGdiObject {
public:
    // The program's bitmap resource (by number or name).
    BOOL LoadBitmap(UINT id);
    BOOL LoadBitmap(LPCSTR name);
    // A system bitmap (OBM_SIZE).
    BOOL LoadOEMBitmap(UINT id);
    BOOL CreateCompatibleBitmap(CDC *dc, int width, int height);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits);
    int GetBitmap(BITMAP *bm) const { return GetObject(sizeof(BITMAP), bm); }
    static CBitmap *FromHandle(HBITMAP h);
};

class CRgn : public CGdiObject {
public:
    BOOL CreateRectRgn(int left, int top, int right, int bottom);
    BOOL CreateRectRgnIndirect(const RECT *rect);
    BOOL CreateEllipticRgn(int left, int top, int right, int bottom);
    BOOL CreateEllipticRgnIndirect(const RECT *rect);
    BOOL CreatePolygonRgn(const POINT *points, int count, int fillMode);
    BOOL CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    // Combines two regions into this one, which must exist (CreateRectRgn(0,0,0,0));
    // returns the region kind, ERROR on failure.
    int CombineRgn(const CRgn *a, const CRgn *b, int mode);
    int OffsetRgn(int dx, int dy);
    int GetRgnBox(RECT *box) const;
    BOOL PtInRegion(int x, int y) const;
    BOOL PtInRegion(POINT p) const { return PtInRegion(p.x, p.y); }
    static CRgn *FromHandle(HRGN h);
};

} // namespace win
