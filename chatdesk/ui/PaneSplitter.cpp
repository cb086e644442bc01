#include "chatdesk/ui/PaneSplitter.h"

#include <algorithm>
#include <cmath>

#include "chatdesk/ui/ChatUiIds.h"
#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"

using namespace win;

namespace chatui {

namespace {

// round(a × b / c), halves up, without overflow for window sizes; 0 when c is 0.
int Share(long long a, long long b, long long c)
{
    if (c <= 0)
        return 0;
    return static_cast<int>(std::floor(static_cast<double>(a) * static_cast<double>(b) / static_cast<double>(c) + 0.5));
}

// Pane by pane, each its share of what is left in proportion to its size, the
// last all that is left; `minimum` (when not negative) is the least a pane gets.
std::vector<int> Proportional(const std::vector<int> &sizes, int total, int minimum)
{
    std::vector<int> out(sizes.size(), 0);
    long long rest = total, sum = 0;
    for (int s : sizes)
        sum += std::max(s, 0);
    for (size_t i = 0; i < sizes.size(); ++i) {
        const int size = std::max(sizes[i], 0);
        int got;
        if (i + 1 == sizes.size())
            got = static_cast<int>(rest);
        else if (sum > 0)
            got = Share(size, rest, sum);
        else
            got = Share(1, rest, static_cast<long long>(sizes.size() - i));
        if (minimum >= 0)
            got = std::max(got, minimum);
        out[i] = got;
        rest -= got;
        sum -= size;
    }
    return out;
}

} // namespace

std::vector<int> SplitSizes(const std::vector<int> &requested, int total, int minimum)
{
    int shared = 0;
    long long given = 0;
    for (int s : requested) {
        if (s == -1)
            ++shared;
        else
            given += std::max(s, 0);
    }
    if (shared == 0)
        return Proportional(requested, total, minimum);
    std::vector<int> out(requested.size(), 0);
    if (total < given + static_cast<long long>(shared) * minimum) {
        std::vector<int> others;
        for (int s : requested)
            if (s != -1)
                others.push_back(s);
        const std::vector<int> parts = others.empty() ? std::vector<int>{}
                                                      : Proportional(others, total - shared * minimum, -1);
        size_t k = 0;
        for (size_t i = 0; i < requested.size(); ++i)
            out[i] = requested[i] == -1 ? minimum : parts[k++];
        return out;
    }
    long long left = total;
    for (size_t i = 0; i < requested.size(); ++i)
        if (requested[i] != -1) {
            out[i] = std::max(requested[i], minimum);
            left -= out[i];
        }
    int remaining = shared;
    for (size_t i = 0; i < requested.size(); ++i)
        if (requested[i] == -1) {
            out[i] = remaining == 1 ? static_cast<int>(left) : Share(1, left, remaining);
            left -= out[i];
            --remaining;
        }
    return out;
}

BEGIN_MESSAGE_MAP(CPaneSplitter, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CPaneSplitter::CPaneSplitter(int paneCount, int orientation, int minimumSize, int barWidth)
    : m_paneCount(std::max(paneCount, 1)), m_orientation(orientation), m_minimum(minimumSize), m_bar(barWidth),
      m_panes(static_cast<size_t>(m_paneCount), nullptr), m_positions(static_cast<size_t>(m_paneCount) + 1, 0)
{
}

CPaneSplitter::~CPaneSplitter()
{
    delete m_tracker;
}

BOOL CPaneSplitter::Create(CWnd *parent, UINT id)
{
    HCURSOR cursor = AfxGetApp() ? AfxGetApp()->LoadStandardCursor(SideBySide() ? IDC_SIZEWE : IDC_SIZENS)
                                 : LoadCursorA(0, SideBySide() ? IDC_SIZEWE : IDC_SIZENS);
    LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, cursor);
    RECT area{};
    parent->GetClientRect(&area);
    if (!CWnd::Create(cls, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, area, parent, id))
        return FALSE;
    const int total = Extent() - (m_paneCount - 1) * m_bar;
    Layout(SplitSizes(std::vector<int>(static_cast<size_t>(m_paneCount), 1), total, m_minimum));
    return TRUE;
}

int CPaneSplitter::Extent() const
{
    RECT r{};
    if (m_hWnd)
        GetClientRect(&r);
    return SideBySide() ? r.right - r.left : r.bottom - r.top;
}

int CPaneSplitter::Across() const
{
    RECT r{};
    if (m_hWnd)
        GetClientRect(&r);
    return SideBySide() ? r.bottom - r.top : r.right - r.left;
}

std::vector<int> CPaneSplitter::GetSizes() const
{
    std::vector<int> sizes;
    for (int i = 0; i < m_paneCount; ++i)
        sizes.push_back(m_positions[size_t(i) + 1] - m_positions[size_t(i)] - m_bar);
    return sizes;
}

void CPaneSplitter::SetPane(int index, CWnd *pane)
{
    if (index < 0 || index >= m_paneCount)
        return;
    m_panes[size_t(index)] = pane;
    if (pane && pane->m_hWnd) {
        const int start = m_positions[size_t(index)];
        const int size = m_positions[size_t(index) + 1] - start - m_bar;
        if (SideBySide())
            pane->SetWindowPos(nullptr, start, 0, std::max(size, 0), Across(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        else
            pane->SetWindowPos(nullptr, 0, start, Across(), std::max(size, 0), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
}

void CPaneSplitter::SetSizes(const std::vector<int> &sizes)
{
    std::vector<int> requested = sizes;
    requested.resize(static_cast<size_t>(m_paneCount), -1);
    Layout(SplitSizes(requested, Extent() - (m_paneCount - 1) * m_bar, m_minimum));
}

void CPaneSplitter::Layout(const std::vector<int> &sizes)
{
    m_positions[0] = 0;
    for (int i = 1; i <= m_paneCount; ++i)
        m_positions[size_t(i)] = m_positions[size_t(i) - 1] + sizes[size_t(i) - 1] + m_bar;
    const int across = Across();
    for (int i = 0; i < m_paneCount; ++i) {
        CWnd *pane = m_panes[size_t(i)];
        if (!pane || !pane->m_hWnd)
            continue;
        const int start = m_positions[size_t(i)];
        const int size = std::max(sizes[size_t(i)], 0);
        if (SideBySide())
            pane->SetWindowPos(nullptr, start, 0, size, across, SWP_NOZORDER | SWP_NOACTIVATE);
        else
            pane->SetWindowPos(nullptr, 0, start, across, size, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_hWnd)
        Invalidate(FALSE);
}

RECT CPaneSplitter::BarRect(int i) const
{
    const int end = m_positions[size_t(i)], start = end - m_bar;
    const int across = Across();
    return SideBySide() ? RECT{start, 0, end, across} : RECT{0, start, across, end};
}

void CPaneSplitter::PaintBars(CDC &dc, const RECT &)
{
    for (int i = 1; i < m_paneCount; ++i) {
        const RECT bar = BarRect(i);
        dc.FillSolidRect(&bar, GetSysColor(COLOR_BTNFACE));
    }
}

void CSideSplitter::PaintBars(CDC &dc, const RECT &)
{
    for (int i = 1; i < m_paneCount; ++i) {
        const RECT bar = BarRect(i);
        dc.FillSolidRect(&bar, kPaneBlue);
    }
}

void CStackSplitter::PaintBars(CDC &dc, const RECT &)
{
    RECT client{};
    GetClientRect(&client);
    for (int i = 1; i < m_paneCount; ++i) {
        const RECT bar = BarRect(i);
        dc.FillSolidRect(&bar, kPaneBlue);
        dc.FillSolidRect(0, m_positions[size_t(i)] - m_bar, client.right, 1, kBorderBlue);
        dc.FillSolidRect(0, m_positions[size_t(i)] - 1, client.right, 1, kBorderBlue);
    }
}

void CPaneSplitter::OnPaint()
{
    CPaintDC dc(this);
    RECT clip{};
    dc.GetClipBox(&clip);
    PaintBars(dc, clip);
}

BOOL CPaneSplitter::OnEraseBkgnd(CDC *)
{
    return TRUE;
}

void CPaneSplitter::OnSize(UINT, int, int)
{
    Layout(SplitSizes(GetSizes(), Extent() - (m_paneCount - 1) * m_bar, m_minimum));
}

namespace {

// The tracker shows where the dragged bar will go: a dark bar above the panes.
class CTrackerBar : public CWnd {
protected:
    BOOL OnEraseBkgnd(CDC *dc)
    {
        RECT r{};
        GetClientRect(&r);
        dc->FillSolidRect(&r, RGB(64, 64, 64));
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTrackerBar, CWnd)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

} // namespace

void CPaneSplitter::DrawTracker()
{
    const int start = m_dragPosition - m_bar;
    RECT r = SideBySide() ? RECT{start, 0, m_dragPosition, m_dragLength} : RECT{0, start, m_dragLength, m_dragPosition};
    if (!m_tracker) {
        m_tracker = new CTrackerBar;
        m_tracker->Create(nullptr, "", WS_CHILD | WS_VISIBLE, r, this, 0xFFFF);
    }
    m_tracker->SetWindowPos(&wndTop, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CPaneSplitter::OnLButtonDown(UINT, CPoint point)
{
    const int at = SideBySide() ? point.x : point.y;
    if (m_paneCount < 2 || at > m_positions[size_t(m_paneCount) - 1])
        return;
    int index = 1;
    while (index < m_paneCount - 1 && m_positions[size_t(index)] < at)
        ++index;
    SetCapture();
    m_dragIndex = index;
    m_dragPosition = m_positions[size_t(index)];
    m_grabOffset = at - m_dragPosition;
    m_dragLength = Across();
    m_dragging = 1;
    DrawTracker();
}

void CPaneSplitter::OnMouseMove(UINT, CPoint point)
{
    if (!m_dragging)
        return;
    const int at = SideBySide() ? point.x : point.y;
    const int i = m_dragIndex;
    const int high = m_positions[size_t(i) + 1] - m_minimum - m_bar;
    const int low = m_positions[size_t(i) - 1] + m_minimum + m_bar;
    // Where the neighbours cannot both keep their minimum the bar stays put.
    m_dragPosition = high < low ? m_positions[size_t(i)] : std::clamp(at - m_grabOffset, low, high);
    DrawTracker();
}

void CPaneSplitter::OnLButtonUp(UINT, CPoint)
{
    if (!m_dragging)
        return;
    if (m_tracker) {
        m_tracker->DestroyWindow();
        delete m_tracker;
        m_tracker = nullptr;
    }
    m_dragging = 0;
    ReleaseCapture();
    m_positions[size_t(m_dragIndex)] = m_dragPosition;
    Layout(SplitSizes(GetSizes(), Extent() - (m_paneCount - 1) * m_bar, m_minimum));
}

} // namespace chatui
