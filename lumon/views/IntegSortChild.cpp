#include "lumon/views/IntegSortChild.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>

#include "lumon/shell/MVChild.h"
#include "lumon/views/IntegSort.h"
#include "platform/win/Messages.h"

using namespace win;

InteSortChild::InteSortChild(TInteSort *owner, const char *name, int index, InteSortShared *shared)
    : Shared(shared), Owner(owner), Index(index)
{
    assert(owner != nullptr && name != nullptr && shared != nullptr &&
           "Owner != NULL && name != NULL && pPublic != NULL");
    std::snprintf(Title, sizeof Title, "%s", name);
    Create(0, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, owner->Handle);
}

InteSortChild::~InteSortChild() { List.SetCount(0); }

void InteSortChild::GrowBitmap(int width, int height)
{
    const int oldWidth = int(Shared->BitmapSize & 0xFFFF), oldHeight = int(Shared->BitmapSize >> 16);
    if (Shared->Bitmap && width <= oldWidth && height <= oldHeight)
        return;
    // The shared bitmap only grows: it serves the largest list.
    const int w = std::max(width, oldWidth), h = std::max(height, oldHeight);
    HDC dc = GetDC();
    HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max(w, 1), std::max(h, 1));
    ReleaseDC(dc);
    if (!bitmap)
        return;
    if (Shared->Bitmap)
        DeleteObject(Shared->Bitmap);
    Shared->Bitmap = bitmap;
    Shared->BitmapSize = uint32_t(w & 0xFFFF) | uint32_t(h & 0xFFFF) << 16;
}

int InteSortChild::RowAt(int y) const
{
    if (y < Shared->RowHeight)
        return 0;
    for (int r = 0; r < Shared->Rows; ++r)
        if (y < Shared->RowHeight * (r + 2))
            return r;
    return Shared->Rows - 1;
}

LRESULT InteSortChild::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        GrowBitmap(LOWORD(DWORD(lParam)), HIWORD(DWORD(lParam)));
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        Paint(dc);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        Owner->Activate();
        Owner->SelectPane(Index, RowAt(int(int16_t(HIWORD(DWORD(lParam))))));
        return 0;
    case WM_LBUTTONDBLCLK:
        PostMessageA(Owner->Handle, WM_KEYDOWN, VK_RETURN, 0);
        return 0;
    }
    return DefWndProc(msg, wParam, lParam);
}

namespace {

COLORREF Value1Colour(uint32_t flags)
{
    if (flags & 0x80)
        return KeyColor(20);
    if (flags & 0x40)
        return KeyColor(48);
    if (flags & 0x20)
        return KeyColor(21);
    return KeyColor(19);
}

COLORREF Value2Colour(uint32_t flags)
{
    if (flags & 0x08)
        return KeyColor(20);
    if (flags & 0x04)
        return KeyColor(48);
    if (flags & 0x02)
        return KeyColor(21);
    return KeyColor(19);
}

} // namespace

void InteSortChild::Paint(HDC target)
{
    RECT area{};
    GetClientRect(m_hWnd, &area);
    const int width = area.right, height = area.bottom;
    if (width <= 0 || height <= 0)
        return;
    GrowBitmap(width, height);
    if (!Shared->Bitmap)
        return;
    HDC dc = CreateCompatibleDC(target);
    HGDIOBJ oldBitmap = SelectObject(dc, Shared->Bitmap);
    SetBkMode(dc, TRANSPARENT);
    const COLORREF back = KeyColor(17), inverse = back ^ 0xFFFFFF;
    const int rowHeight = Shared->RowHeight;

    RECT client{0, 0, width, height};
    HBRUSH fill = CreateSolidBrush(back);
    FillRect(dc, &client, fill);
    DeleteObject(fill);
    HBRUSH frame = CreateSolidBrush(inverse);
    FrameRect(dc, &client, frame);
    DeleteObject(frame);
    HPEN pen = CreatePen(PS_SOLID, 1, inverse);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, 0, rowHeight, nullptr);
    LineTo(dc, width, rowHeight);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    HGDIOBJ oldFont = Shared->Font ? SelectObject(dc, Shared->Font) : 0;
    SetTextColor(dc, inverse);
    RECT title{0, 1, width, rowHeight};
    DrawTextA(dc, Title, -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    // The fit of a value is measured in the window's own default font.
    const int w = width - Shared->NameWidth;
    const int width1 = w * 19 / 48, width2 = w * 29 / 48;
    const bool threeDecimals = Index == 2 || Index == 5 || Index == 7;
    const int count = List.GetCount();
    for (int r = 0; r < Shared->Rows && r < count; ++r) {
        const ISCI &row = List.GetAt(r);
        const int top = rowHeight * (r + 1) + 2, bottom = top + rowHeight;
        char name[sizeof row.Name + 1];
        std::memcpy(name, row.Name, sizeof row.Name);
        name[sizeof row.Name] = 0;
        SetTextColor(dc, KeyColor(47));
        RECT nameRect{0, top, Shared->NameWidth, bottom};
        DrawTextA(dc, name, -1, &nameRect, DT_RIGHT | DT_SINGLELINE);

        char text[64];
        std::snprintf(text, sizeof text, "%.2f", row.Value1);
        if (GetTextExtent(text).cx > width1)
            std::strcpy(text, "*");
        SetTextColor(dc, Value1Colour(row.Colours));
        RECT first{Shared->NameWidth, top, Shared->NameWidth + width1, bottom};
        DrawTextA(dc, text, -1, &first, DT_RIGHT | DT_SINGLELINE);

        std::snprintf(text, sizeof text, threeDecimals ? "%.3f" : "%.2f", row.Value2);
        if (GetTextExtent(text).cx > width2)
            std::strcpy(text, "*");
        SetTextColor(dc, Value2Colour(row.Colours));
        RECT second{Shared->NameWidth + width1, top, width - 4, bottom};
        DrawTextA(dc, text, -1, &second, DT_RIGHT | DT_SINGLELINE);
    }
    if (Selected >= 0) {
        RECT sel{2, rowHeight * (Selected + 1) + 2, width - 2, rowHeight * (Selected + 2) + 2 - 1};
        HBRUSH mark = CreateSolidBrush(KeyColor(26));
        FrameRect(dc, &sel, mark);
        DeleteObject(mark);
    }
    if (oldFont)
        SelectObject(dc, oldFont);
    BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    if (Index == 2)
        Owner->RedrawCmdBox();
}
