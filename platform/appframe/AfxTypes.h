// The framework's small value classes over the Windows point, size and rectangle
// records: CPoint, CSize and CRect, usable wherever the records are expected.
#pragma once

#include <algorithm>

#include "platform/win/WinTypes.h"

namespace win {

class CSize : public SIZE {
public:
    CSize() : SIZE{0, 0} {}
    CSize(int x, int y) : SIZE{x, y} {}
    CSize(const SIZE &s) : SIZE(s) {}
    bool operator==(const SIZE &s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(const SIZE &s) const { return !(*this == s); }
    CSize operator+(const SIZE &s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(const SIZE &s) const { return CSize(cx - s.cx, cy - s.cy); }
};

class CPoint : public POINT {
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int x0, int y0) : POINT{x0, y0} {}
    CPoint(const POINT &p) : POINT(p) {}
    explicit CPoint(const SIZE &s) : POINT{s.cx, s.cy} {}
    // The point packed in a message's lParam (x in the low word, y in the high
    // word, both signed).
    explicit CPoint(DWORD packed)
        : POINT{static_cast<int16_t>(LOWORD(packed)), static_cast<int16_t>(HIWORD(packed))}
    {
    }
    void Offset(int dx, int dy)
    {
        x += dx;
        y += dy;
    }
    void Offset(const POINT &p) { Offset(p.x, p.y); }
    void SetPoint(int x0, int y0)
    {
        x = x0;
        y = y0;
    }
    bool operator==(const POINT &p) const { return x == p.x && y == p.y; }
    bool operator!=(const POINT &p) const { return !(*this == p); }
    CPoint &operator+=(const SIZE &s)
    {
        Offset(s.cx, s.cy);
        return *this;
    }
    CPoint &operator-=(const SIZE &s)
    {
        Offset(-s.cx, -s.cy);
        return *this;
    }
    CPoint operator+(const SIZE &s) const { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(const SIZE &s) const { return CPoint(x - s.cx, y - s.cy); }
    CPoint operator+(const POINT &p) const { return CPoint(x + p.x, y + p.y); }
    CSize operator-(const POINT &p) const { return CSize(x - p.x, y - p.y); }
    CPoint operator-() const { return CPoint(-x, -y); }
};

// Right and bottom are outside the rectangle, as in every Windows rectangle.
class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT &r) : RECT(r) {}
    CRect(const RECT *r) : RECT(r ? *r : RECT{0, 0, 0, 0}) {}
    CRect(POINT topLeft, SIZE size) : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
    CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    bool IsRectEmpty() const { return right <= left || bottom <= top; }
    bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    operator RECT *() { return this; }
    operator const RECT *() const { return this; }

    void SetRect(int l, int t, int r, int b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    void CopyRect(const RECT *r) { *static_cast<RECT *>(this) = *r; }
    bool EqualRect(const RECT *r) const
    {
        return left == r->left && top == r->top && right == r->right && bottom == r->bottom;
    }
    void OffsetRect(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
    void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
    void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
    void MoveToX(int x) { OffsetRect(x - left, 0); }
    void MoveToY(int y) { OffsetRect(0, y - top); }
    void InflateRect(int dx, int dy)
    {
        left -= dx;
        top -= dy;
        right += dx;
        bottom += dy;
    }
    void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
    void InflateRect(int l, int t, int r, int b)
    {
        left -= l;
        top -= t;
        right += r;
        bottom += b;
    }
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(SIZE s) { InflateRect(-s.cx, -s.cy); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
    void NormalizeRect()
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
    }
    // The overlap of two rectangles; false (and an empty rectangle) when none.
    bool IntersectRect(const RECT *a, const RECT *b)
    {
        CRect r(std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                std::min(a->bottom, b->bottom));
        if (r.IsRectEmpty())
            r.SetRectEmpty();
        *this = r;
        return !r.IsRectEmpty();
    }
    // The smallest rectangle holding both (empty ones do not count).
    bool UnionRect(const RECT *a, const RECT *b)
    {
        CRect ra(a), rb(b);
        if (ra.IsRectEmpty())
            *this = rb;
        else if (rb.IsRectEmpty())
            *this = ra;
        else
            SetRect(std::min(ra.left, rb.left), std::min(ra.top, rb.top), std::max(ra.right, rb.right),
                    std::max(ra.bottom, rb.bottom));
        if (IsRectEmpty())
            SetRectEmpty();
        return !IsRectEmpty();
    }

    bool operator==(const RECT &r) const { return EqualRect(&r); }
    bool operator!=(const RECT &r) const { return !EqualRect(&r); }
    CRect &operator=(const RECT &r)
    {
        CopyRect(&r);
        return *this;
    }
    CRect &operator+=(POINT p)
    {
        OffsetRect(p);
        return *this;
    }
    CRect &operator-=(POINT p)
    {
        OffsetRect(-p.x, -p.y);
        return *this;
    }
    CRect operator+(POINT p) const
    {
        CRect r(*this);
        r.OffsetRect(p);
        return r;
    }
    CRect operator-(POINT p) const
    {
        CRect r(*this);
        r.OffsetRect(-p.x, -p.y);
        return r;
    }
};

using INT_PTR = intptr_t;
using LPINT = int *;
using LPRECT = RECT *;
using LPCRECT = const RECT *;
using LPPOINT = POINT *;

} // namespace win
