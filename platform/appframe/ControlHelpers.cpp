#include "platform/appframe/ControlHelpers.h"

#include <cstring>

#include "platform/appframe/CWnd.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Text.h"

namespace win {

BOOL CreateControlWindow(CWnd &wnd, DWORD exStyle, LPCSTR className, DWORD style, const RECT &rect, HWND parent,
                         UINT id)
{
    if (wnd.GetSafeHwnd())
        return FALSE;
    InitCommonControls();
    HWND hwnd = CreateFrameworkWindow(exStyle, className, nullptr, style, rect.left, rect.top, rect.right - rect.left,
                                      rect.bottom - rect.top, parent, id, nullptr);
    if (!hwnd)
        return FALSE;
    if (!wnd.SubclassWindow(hwnd)) {
        DestroyWindow(hwnd);
        return FALSE;
    }
    return TRUE;
}

LRESULT NotifyParent(HWND hwnd, NMHDR &hdr, UINT code)
{
    hdr.hwndFrom = hwnd;
    hdr.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrA(hwnd, GWL_ID));
    hdr.code = code;
    HWND parent = GetParent(hwnd);
    if (!parent)
        return 0;
    return SendMessageA(parent, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

HFONT ControlFont(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int FontLineHeight(HFONT font)
{
    HDC dc = GetDC(0);
    HGDIOBJ old = SelectObject(dc, ControlFont(font));
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(0, dc);
    return tm.tmHeight > 0 ? static_cast<int>(tm.tmHeight) : 12;
}

int TextWidth(HFONT font, const std::string &text)
{
    HDC dc = GetDC(0);
    HGDIOBJ old = SelectObject(dc, ControlFont(font));
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(0, dc);
    return static_cast<int>(size.cx);
}

int CopyText(const std::string &text, char *buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    size_t n = GbkFitLength(text, static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

void FillSolid(HDC hdc, const RECT &r, COLORREF color)
{
    HBRUSH b = CreateSolidBrush(color);
    FillRect(hdc, &r, b);
    DeleteObject(b);
}

void DrawHLine(HDC hdc, int x1, int x2, int y, COLORREF color)
{
    RECT r{x1, y, x2, y + 1};
    FillSolid(hdc, r, color);
}

void DrawVLine(HDC hdc, int x, int y1, int y2, COLORREF color)
{
    RECT r{x, y1, x + 1, y2};
    FillSolid(hdc, r, color);
}

void DrawRaisedEdge(HDC hdc, const RECT &r)
{
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
    DrawHLine(hdc, r.left, r.right - 1, r.top, light);
    DrawVLine(hdc, r.left, r.top, r.bottom - 1, light);
    DrawHLine(hdc, r.left, r.right, r.bottom - 1, dark);
    DrawVLine(hdc, r.right - 1, r.top, r.bottom, dark);
}

void DrawSunkenEdge(HDC hdc, const RECT &r)
{
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
    DrawHLine(hdc, r.left, r.right - 1, r.top, dark);
    DrawVLine(hdc, r.left, r.top, r.bottom - 1, dark);
    DrawHLine(hdc, r.left, r.right, r.bottom - 1, light);
    DrawVLine(hdc, r.right - 1, r.top, r.bottom, light);
}

} // namespace win
