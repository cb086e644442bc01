#include "lumon/core/EWnd.h"

#include <cstdint>
#include <cstring>

#include "lumon/core/EMap.h"

using namespace win;

namespace {

constexpr char kClassName[] = "EWnd";

// The handle map lives from the unit's start-up until the program exits.
EMap<void *, EWnd *> &HandleMap()
{
    static EMap<void *, EWnd *> map(10);
    return map;
}

void *Key(HWND hwnd) { return reinterpret_cast<void *>(static_cast<uintptr_t>(hwnd)); }

LRESULT SharedWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    EWnd *wnd = nullptr;
    if (HandleMap().Lookup(Key(hwnd), wnd) && wnd)
        return wnd->WndProc(msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

EWnd::EWnd()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = SharedWndProc;
        wc.lpszClassName = kClassName;
        registered = RegisterClassA(&wc) != 0;
        HandleMap().InitHashTable(131, true);
    }
}

EWnd::~EWnd()
{
    m_AutoDelete = false;
    if (m_hWnd) {
        HWND hwnd = m_hWnd;
        HandleMap().RemoveKey(Key(hwnd));
        m_hWnd = 0;
        DestroyWindow(hwnd);
    }
}

int EWnd::Create(DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent)
{
    HWND hwnd = CreateWindowExA(exStyle, kClassName, nullptr, style, x, y, width, height, parent, 0, 0, nullptr);
    if (!hwnd)
        return 0;
    m_hWnd = hwnd;
    HandleMap()[Key(hwnd)] = this;
    return 1;
}

LRESULT EWnd::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWndProc(msg, wParam, lParam); }

LRESULT EWnd::DefWndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = m_hWnd;
    if (msg == WM_SIZE) {
        m_ClientWidth = LOWORD(static_cast<DWORD>(lParam));
        m_ClientHeight = HIWORD(static_cast<DWORD>(lParam));
    } else if (msg == WM_NCDESTROY) {
        HandleMap().RemoveKey(Key(hwnd));
        m_hWnd = 0;
    }
    LRESULT result = DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY && m_AutoDelete)
        delete this;
    return result;
}

HDC EWnd::GetDC() { return win::GetDC(m_hWnd); }

void EWnd::ReleaseDC(HDC dc) { win::ReleaseDC(m_hWnd, dc); }

SIZE EWnd::GetTextExtent(const char *text, HDC dc, HFONT font)
{
    SIZE size{0, 0};
    if (!text)
        return size;
    HDC own = dc ? 0 : GetDC();
    HDC use = dc ? dc : own;
    HGDIOBJ old = font ? SelectObject(use, font) : 0;
    GetTextExtentPoint32A(use, text, static_cast<int>(std::strlen(text)), &size);
    if (font)
        SelectObject(use, old);
    if (own)
        ReleaseDC(own);
    return size;
}

void EWnd::Redraw() { RedrawWindow(m_hWnd, nullptr, 0, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

void EWnd::Refresh() { Redraw(); }

