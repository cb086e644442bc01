#include "lumon/core/EToolTip.h"

#include <algorithm>
#include <cstring>

using namespace win;

namespace {

constexpr COLORREF kTipColour = RGB(255, 255, 231);
constexpr size_t kMaxText = 256;

// The length of at most `limit` bytes of GBK text that ends on a character
// boundary.
size_t CutLength(const char *text, size_t limit)
{
    size_t i = 0;
    while (text[i] && i < limit) {
        size_t step = static_cast<unsigned char>(text[i]) >= 0x81 && text[i + 1] ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return i;
}

// Calls `line(start, length)` for each line of the text; a text that ends with
// "\r\n" has no further empty line.
template <typename F>
void ForEachLine(const char *text, F line)
{
    const char *start = text;
    for (;;) {
        const char *end = std::strstr(start, "\r\n");
        if (!end) {
            if (*start)
                line(start, static_cast<int>(std::strlen(start)));
            return;
        }
        line(start, static_cast<int>(end - start));
        start = end + 2;
    }
}

} // namespace

EToolTip::EToolTip(HWND parent)
{
    m_hFont = CreateFontA(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Tahoma");
    Create(0, WS_CHILD, 0, 0, 0, 0, parent);
}

EToolTip::~EToolTip()
{
    if (m_hFont)
        DeleteObject(m_hFont);
    m_hFont = 0;
}

int EToolTip::Show(POINT point, const char *text, HWND parent)
{
    if (!text || !*text) {
        Hide();
        return 1;
    }
    if (parent && parent != GetParent(m_hWnd))
        SetParent(m_hWnd, parent);
    size_t length = CutLength(text, kMaxText);
    std::memcpy(m_Text, text, length);
    m_Text[length] = '\0';
    m_MultiLine = std::strstr(m_Text, "\r\n") != nullptr;

    HDC dc = GetDC();
    HGDIOBJ old = SelectObject(dc, m_hFont);
    int width = 0;
    int height = 0;
    ForEachLine(m_Text, [&](const char *line, int n) {
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc, line, n, &size);
        width = std::max<int>(width, size.cx);
        height += size.cy;
        m_LineHeight = size.cy;
    });
    SelectObject(dc, old);
    ReleaseDC(dc);

    InvalidateRect(m_hWnd, nullptr, TRUE);
    SetWindowPos(m_hWnd, 0, point.x, point.y, width + 5, height + 2, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return 1;
}

void EToolTip::Hide() { ShowWindow(m_hWnd, SW_HIDE); }

LRESULT EToolTip::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETFOCUS:
        SetFocus(static_cast<HWND>(wParam));
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    default:
        return DefWndProc(msg, wParam, lParam);
    }
}

void EToolTip::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(m_hWnd, &client);
    HBRUSH fill = CreateSolidBrush(kTipColour);
    FillRect(dc, &client, fill);
    DeleteObject(fill);
    FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HGDIOBJ old = SelectObject(dc, m_hFont);
    int y = 1;
    ForEachLine(m_Text, [&](const char *line, int n) {
        TextOutA(dc, 3, y, line, n);
        y += m_LineHeight;
    });
    SelectObject(dc, old);
    EndPaint(m_hWnd, &ps);
}
