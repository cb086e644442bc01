#include "platform/appframe/CGdiObject.h"

#include <map>
#include <memory>

#include "platform/appframe/CDC.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"
#include "platform/win/Resource.h"

namespace win {

namespace {

// Any instance but 0 names the program's own resources (0 names the system's).
constexpr HINSTANCE kProgramResources = 1;

// Wrappers of handles made elsewhere: they never delete the handle. Handles are
// not reused, so a wrapper stays valid for its handle.
template <typename T>
T *Wrapper(HGDIOBJ h)
{
    if (!h)
        return nullptr;
    struct Borrowed : T {
        ~Borrowed() override { this->Detach(); }
    };
    static thread_local std::map<HGDIOBJ, std::unique_ptr<Borrowed>> wrappers;
    auto &slot = wrappers[h];
    if (!slot) {
        slot = std::make_unique<Borrowed>();
        slot->m_hObject = h;
    }
    return slot.get();
}

} // namespace

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ h)
{
    if (m_hObject || !h)
        return FALSE;
    m_hObject = h;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ h = m_hObject;
    m_hObject = 0;
    return h;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    return win::DeleteObject(Detach());
}

int CGdiObject::GetObject(int size, LPVOID out) const
{
    return m_hObject ? GetObjectA(m_hObject, size, out) : 0;
}

BOOL CGdiObject::CreateStockObject(int index) { return Take(GetStockObject(index)); }

BOOL CGdiObject::Take(HGDIOBJ h)
{
    DeleteObject();
    m_hObject = h;
    return h != 0;
}

CGdiObject *CGdiObject::FromHandle(HGDIOBJ h) { return Wrapper<CGdiObject>(h); }

BOOL CPen::CreatePen(int style, int width, COLORREF color) { return Take(win::CreatePen(style, width, color)); }

BOOL CPen::CreatePenIndirect(const LOGPEN *pen)
{
    return pen && CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

CPen *CPen::FromHandle(HPEN h) { return Wrapper<CPen>(h); }

BOOL CBrush::CreateSolidBrush(COLORREF color) { return Take(win::CreateSolidBrush(color)); }

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH *brush) { return Take(win::CreateBrushIndirect(brush)); }

BOOL CBrush::CreateSysColorBrush(int index) { return Take(win::CreateSolidBrush(GetSysColor(index))); }

CBrush *CBrush::FromHandle(HBRUSH h) { return Wrapper<CBrush>(h); }

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, LPCSTR face)
{
    return Take(CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                            outPrecision, clipPrecision, quality, pitchAndFamily, face));
}

BOOL CFont::CreateFontIndirect(const LOGFONTA *font) { return font && Take(CreateFontIndirectA(font)); }

BOOL CFont::CreatePointFont(int pointSize, LPCSTR face, CDC *dc)
{
    HDC hdc = dc ? dc->m_hDC : 0;
    HDC screen = hdc ? 0 : GetDC(0);
    int dpi = GetDeviceCaps(hdc ? hdc : screen, LOGPIXELSY);
    if (screen)
        ReleaseDC(0, screen);
    if (dpi <= 0)
        dpi = 96;
    LOGFONTA lf{};
    lf.lfHeight = -((pointSize * dpi + 360) / 720);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (face) {
        size_t i = 0;
        for (; face[i] && i + 1 < sizeof(lf.lfFaceName); ++i)
            lf.lfFaceName[i] = face[i];
        lf.lfFaceName[i] = 0;
    }
    return CreateFontIndirect(&lf);
}

CFont *CFont::FromHandle(HFONT h) { return Wrapper<CFont>(h); }

BOOL CBitmap::LoadBitmap(UINT id) { return Take(LoadBitmapA(kProgramResources, MAKEINTRESOURCEA(static_cast<WORD>(id)))); }

BOOL CBitmap::LoadBitmap(LPCSTR name) { return Take(LoadBitmapA(kProgramResources, name)); }

BOOL CBitmap::LoadOEMBitmap(UINT id) { return Take(LoadBitmapA(0, MAKEINTRESOURCEA(static_cast<WORD>(id)))); }

BOOL CBitmap::CreateCompatibleBitmap(CDC *dc, int width, int height)
{
    return Take(win::CreateCompatibleBitmap(dc ? dc->m_hDC : 0, width, height));
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void *bits)
{
    return Take(win::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

CBitmap *CBitmap::FromHandle(HBITMAP h) { return Wrapper<CBitmap>(h); }

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom)
{
    return Take(win::CreateRectRgn(left, top, right, bottom));
}

BOOL CRgn::CreateRectRgnIndirect(const RECT *rect) { return rect && Take(win::CreateRectRgnIndirect(rect)); }

BOOL CRgn::CreateEllipticRgn(int left, int top, int right, int bottom)
{
    return Take(win::CreateEllipticRgn(left, top, right, bottom));
}

BOOL CRgn::CreateEllipticRgnIndirect(const RECT *rect)
{
    return rect && CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CRgn::CreatePolygonRgn(const POINT *points, int count, int fillMode)
{
    return Take(win::CreatePolygonRgn(points, count, fillMode));
}

BOOL CRgn::CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    return Take(win::CreateRoundRectRgn(left, top, right, bottom, ellipseWidth, ellipseHeight));
}

int CRgn::CombineRgn(const CRgn *a, const CRgn *b, int mode)
{
    if (!m_hObject || !a)
        return ERROR;
    return win::CombineRgn(m_hObject, a->m_hObject, b ? b->m_hObject : 0, mode);
}

int CRgn::OffsetRgn(int dx, int dy) { return m_hObject ? win::OffsetRgn(m_hObject, dx, dy) : ERROR; }

int CRgn::GetRgnBox(RECT *box) const { return m_hObject ? win::GetRgnBox(m_hObject, box) : ERROR; }

BOOL CRgn::PtInRegion(int x, int y) const { return m_hObject && win::PtInRegion(m_hObject, x, y); }

CRgn *CRgn::FromHandle(HRGN h) { return Wrapper<CRgn>(h); }

} // namespace win
