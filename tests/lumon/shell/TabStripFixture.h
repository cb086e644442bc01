// Shared by the tab-strip tests: the one Application, a shown form to hold a
// strip beside a second control, the event loop pumped until a condition holds,
// and the pixels of a window's image.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/forms/TEdit.h"
#include "platform/forms/TForm.h"
#include "platform/gdi/Gdi.h"
#include "tests/support/TestApplication.h"

namespace tabtest {

inline win::TApplication &App() { return testsupport::TestApplication("test_lumon_shell"); }

inline bool PumpUntil(const std::function<bool()> &done, int ms = 3000)
{
    return testsupport::PumpUntil(App(), done, ms);
}

inline win::COLORREF Pixel(win::HWND hwnd, int x, int y)
{
    win::HDC dc = win::GetDC(hwnd);
    win::COLORREF c = win::GetPixel(dc, x, y);
    win::ReleaseDC(hwnd, dc);
    return c;
}

// Every pixel of the window's client area, row by row.
inline std::vector<win::COLORREF> Picture(win::HWND hwnd, int width, int height)
{
    std::vector<win::COLORREF> out;
    win::HDC dc = win::GetDC(hwnd);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.push_back(win::GetPixel(dc, x, y));
    win::ReleaseDC(hwnd, dc);
    return out;
}

// True when some pixel of the rectangle has the colour.
inline bool Shows(win::HWND hwnd, const win::TRect &r, win::COLORREF colour)
{
    win::HDC dc = win::GetDC(hwnd);
    bool found = false;
    for (int y = r.Top; y < r.Bottom && !found; ++y)
        for (int x = r.Left; x < r.Right && !found; ++x)
            found = win::GetPixel(dc, x, y) == colour;
    win::ReleaseDC(hwnd, dc);
    return found;
}

// A shown form holding the strip under test (placed at 0, 0) and an edit, so
// that arrow keys the strip did not ask for would move the focus.
template <typename Strip>
struct StripForm : win::TForm {
    explicit StripForm(win::TComponent *owner, int width) : win::TForm(owner)
    {
        SetBounds(0, 0, 420, 120);
        strip = new Strip(this);
        strip->Parent = this;
        strip->SetBounds(0, 0, width, 24);
        edit = new win::TEdit(this);
        edit->Parent = this;
        edit->SetBounds(0, 60, 100, 22);
        Show();
        strip->Repaint();
    }
    Strip *strip;
    win::TEdit *edit;
};

inline win::LPARAM At(int x, int y) { return win::MAKELONG(static_cast<win::WORD>(x), static_cast<win::WORD>(y)); }

} // namespace tabtest
