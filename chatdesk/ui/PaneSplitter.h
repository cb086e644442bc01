// A window that divides its client area among panes along one direction, with
// bars between them that the user drags. CSideSplitter (panes side by side) and
// CStackSplitter (stacked) paint the bars in the chat client's blue.
#pragma once

#include <vector>

#include "platform/appframe/CWnd.h"

namespace chatui {

// The sizes of the panes for the requested ones (-1: a share of the rest),
// over `total` pixels (the extent less the bars) with the minimum pane size.
// A total or sizes of zero (a window laid out at 0 × 0) give a defined result.
std::vector<int> SplitSizes(const std::vector<int> &requested, int total, int minimum);

class CPaneSplitter : public win::CWnd {
public:
    CPaneSplitter(int paneCount, int orientation, int minimumSize, int barWidth);
    ~CPaneSplitter() override;

    win::BOOL Create(win::CWnd *parent, win::UINT id);
    void SetPane(int index, win::CWnd *pane);
    void SetSizes(const std::vector<int> &sizes);

    bool SideBySide() const { return m_orientation == 1; }
    int GetPaneCount() const { return m_paneCount; }
    // The start of each pane along the split, and the end of the last.
    const std::vector<int> &GetPositions() const { return m_positions; }
    // The panes' current sizes.
    std::vector<int> GetSizes() const;
    bool IsDragging() const { return m_dragging != 0; }

protected:
    // The bar in front of pane i (i ≥ 1).
    win::RECT BarRect(int i) const;
    virtual void PaintBars(win::CDC &dc, const win::RECT &clip);
    void Layout(const std::vector<int> &sizes);
    int Extent() const;
    int Across() const;
    void DrawTracker();

    void OnPaint();
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    void OnSize(win::UINT type, int cx, int cy);
    void OnLButtonDown(win::UINT flags, win::CPoint point);
    void OnMouseMove(win::UINT flags, win::CPoint point);
    void OnLButtonUp(win::UINT flags, win::CPoint point);
    DECLARE_MESSAGE_MAP()

    int m_paneCount;
    int m_orientation;
    int m_minimum;
    int m_bar;
    int m_dragging = 0;
    int m_dragIndex = 0;
    int m_dragPosition = 0;
    int m_dragLength = 0;
    int m_grabOffset = 0;
    std::vector<win::CWnd *> m_panes;
    std::vector<int> m_positions;
    win::CWnd *m_tracker = nullptr;
};

class CSideSplitter : public CPaneSplitter {
public:
    using CPaneSplitter::CPaneSplitter;

protected:
    void PaintBars(win::CDC &dc, const win::RECT &clip) override;
};

class CStackSplitter : public CPaneSplitter {
public:
    using CPaneSplitter::CPaneSplitter;

protected:
    void PaintBars(win::CDC &dc, const win::RECT &clip) override;
};

} // namespace chatui
