// The K-line chart's mouse: placing, grabbing, moving and erasing drawn lines
// with the tool of the drawing-tool box, choosing the current pane and the
// indicator under the pointer, dragging the pane splitters, scrolling by dragging the time axis,
// zooming with a dragged box, the cross-hair and the quote block, the cursor
// titles and the cycle-date box, the pointer's shape and the ex-rights tooltip.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "lumon/core/EToolTip.h"
#include "lumon/formula/TIndex.h"
#include "lumon/shell/MFrame.h"
#include "lumon/views/LineTool.h"
#include "lumon/views/Luoli.h"
#include "lumon/views/TLine.h"
#include "lumon/views/Techfm.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TToolButton.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TCanvas.h"
#include "platform/win/Cursor.h"

using namespace win;

namespace {

// The x of the previous pointer move, program-wide: the cursor titles are
// redrawn only when it changes.
int LastMoveX = -100000;

bool In(const RECT &r, int x, int y) { return TDrawView::PointInRect(x, y, r.left, r.top, r.right, r.bottom); }

} // namespace

void TTechForm::SetMouseState(int state)
{
    MouseState = state;
    HCURSOR c = ArrowCursor;
    switch (state) {
    case 1: c = CrossCursor; break;
    case 2: c = HandCursor; break;
    case 3: c = Hand2Cursor; break;
    case 4: c = SizeNSCursor; break;
    case 5: c = RubberCursor; break;
    case 6: c = DragCursor; break;
    default: break;
    }
    CursorKind = state;
    SetCursor(c);
    if (HandleAllocated())
        SetClassLongA(Handle, GCL_HCURSOR, LONG_PTR(c));
}

void TTechForm::FormMouseDown(TObject *, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (DrawGrid1->Visible)
        return;
    const int count = std::min<int>(Attr.ItemCount, MaxChartObjects);
    // Marks the indicator parts under the point in its area; true when one is marked.
    auto hitArea = [&](int area) {
        bool marked = false;
        for (int i = count - 1; i >= 0; --i) {
            TIndex *p = Panes[i];
            if (!p || p->AreaIndex != area)
                continue;
            p->Selection = uint8_t(p->HitTest(X, Y) & 3);
            marked = marked || p->Selection != 0;
        }
        return marked;
    };
    auto areaAt = [&](int x, int y) {
        for (int i = 0; i < PaneCount && i < MaxChartAreas; ++i)
            if (In(PaneRects[i], x, y))
                return i;
        return -1;
    };
    if (Button == mbRight) {
        EraseIdx->Visible = false;
        for (int i = 0; i < PaneCount && i < MaxChartAreas; ++i)
            if ((In(PaneRects[i], X, Y) || In(AxisRects[i], X, Y)) && CurPane != i) {
                CurPane = i;
                DrawPaneFrames(0);
            }
        bool any = false;
        for (int i = 0; i < count; ++i)
            any = any || (Panes[i] && Panes[i]->Selection);
        const int area = areaAt(X, Y);
        if (!any && area >= 0 && hitArea(area))
            RepaintChart(this, false);
    }
    TDrawView::FormMouseDown(nullptr, Button, Shift, X, Y);
    DragMode = 0;
    if (Button != mbLeft)
        return;
    for (int i = 0; i < PaneCount && i < MaxChartAreas; ++i) {
        if (In(PaneRects[i], X, Y) || In(AxisRects[i], X, Y)) {
            if (CurPane != i) {
                CurPane = i;
                DrawPaneFrames(0);
            }
            break;
        }
    }
    DrawTool = -1;
    const int tool = ChosenTool();
    if (tool >= 0 && tool < LineKindCount)
        DrawTool = tool + 1;
    if (LinePress(X, Y))
        return;
    LeftDown = 1;
    if (DragSplitter == 0) {
        if (In(DateAxisRect, X, Y)) {
            DragStartX = X;
            DragMode = 1002;
            SetCursor(SizeWECursor);
            return;
        }
        for (int i = 0; i < PaneCount && i < MaxChartAreas; ++i)
            if (In(AxisRects[i], X, Y))
                return;
        const int area = areaAt(X, Y);
        if (area >= 0) {
            bool changed = false;
            for (int i = 0; i < count; ++i)
                if (Panes[i] && Panes[i]->Selection) {
                    Panes[i]->Selection = 0;
                    changed = true;
                }
            changed = hitArea(area) || changed;
            if (changed)
                RepaintChart(this, false);
        }
        if (LineStore.LineEditState == 0 && DrawTool == -1 && MouseState == 0 && !ZoomBoxArmed &&
            ZoomLevel < MaxZoomLevel) {
            ZoomBoxStart = POINT{X, Y};
            ZoomBoxArmed = 1;
        }
        Panel2->Visible = !Panel2->Visible;
        CrossMode = Panel2->Visible;
        if (Panel2->Visible) {
            if (!CrossShown) {
                DrawCrossHair(0, MousePos.x, MousePos.y, true);
                CrossShown = 1;
            }
            ShowQuoteBlock(CursorBar);
        } else {
            EraseCrossHair(0);
        }
        return;
    }
    // A splitter drag: an XOR line under the dragged pane, the pointer kept
    // between the pane's top and the next pane's bottom.
    const int i = DragSplitter - 1;
    if (i < 0 || i + 1 >= PaneCount || i + 1 >= MaxChartAreas)
        return;
    if (CrossShown)
        EraseCrossHair(0);
    HDC dc = GetDC(Handle);
    HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(14));
    HGDIOBJ old = SelectObject(dc, pen);
    const int rop = SetROP2(dc, R2_XORPEN);
    SplitterY = PaneRects[i].bottom + 1;
    MoveToEx(dc, PaneRects[i].left, SplitterY, nullptr);
    LineTo(dc, PaneRects[i].right, SplitterY);
    SetROP2(dc, rop);
    SelectObject(dc, old);
    DeleteObject(pen);
    ReleaseDC(Handle, dc);
    SplitterClip = RECT{PaneRects[i].left, PaneRects[i].top + 2, PaneRects[i].right, PaneRects[i + 1].bottom - 2};
    ClipCursorToRect(&SplitterClip);
    CrossShown = 0;
}

void TTechForm::XorSplitter(int y)
{
    const int i = DragSplitter - 1;
    if (i < 0 || i >= MaxChartAreas || !HandleAllocated())
        return;
    HDC dc = GetDC(Handle);
    HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(14));
    HGDIOBJ old = SelectObject(dc, pen);
    const int rop = SetROP2(dc, R2_XORPEN);
    MoveToEx(dc, PaneRects[i].left, y, nullptr);
    LineTo(dc, PaneRects[i].right, y);
    SetROP2(dc, rop);
    SelectObject(dc, old);
    DeleteObject(pen);
    ReleaseDC(Handle, dc);
}

void TTechForm::FormMouseMove(TObject *Sender, TShiftState Shift, int X, int Y)
{
    if (DrawGrid1->Visible)
        return;
    const int count = std::min<int>(Attr.ItemCount, MaxChartObjects);
    if (!LeftDown)
        TDrawView::FormMouseMove(Sender, Shift, X, Y);
    if (LineStore.LineEditState == 1 || LineStore.LineEditState == 2)
        LineMove(X, Y);
    if (!LeftDown) {
        if (LineStore.LineEditState == 0) {
            const int tool = ChosenTool();
            int state = 0;
            if (tool >= 0 && tool < LineKindCount) {
                state = 1;
            } else {
                const bool eraser = tool == ToolEraser;
                for (int i = 0; i < LineStore.LineCount && i < MaxDrawnLines && state == 0; ++i) {
                    POINT at{X, Y};
                    if (TLine *line = LineStore.Lines[i]) {
                        const int hit = line->HitTest(at);
                        state = hit < 0 ? 0 : eraser ? 5 : hit == HIT_BODY ? 2 : 6;
                    }
                }
            }
            MouseState = state;
        }
        DragSplitter = 0;
        if (X != LastMoveX) {
            const bool erased = CrossMode && CrossShown;
            if (erased)
                EraseCrossHair(0);
            if (HDC back = BackDC()) {
                for (int i = 0; i < count; ++i) {
                    if (!Panes[i])
                        continue;
                    const RECT band = Panes[i]->DrawCursorTitle(back, X);
                    BlitToWindow(back, band.left, band.top, band.right - band.left, band.bottom - band.top);
                }
                TIndex *f = Panes[0];
                int record = -1;
                PackedDateTime t = 0;
                float value = 0;
                if (ShowCursorDate && f && f->PointToValue(POINT{X, Y}, record, t, value)) {
                    const int ymd = PackedYear(t) * 10000 + PackedMonth(t) * 100 + PackedDay(t);
                    const RECT box = DrawCycleBox(back, f->PlotRect.left, f->PlotRect.top, double(ymd));
                    BlitToWindow(back, box.left, box.top, box.right - box.left, box.bottom - box.top);
                }
                ReleaseBackDC(back);
            }
            CrossShown = 0;
            LastMoveX = X;
            if (erased) {
                DrawCrossHair(0, X, Y, true);
                CrossShown = 1;
            }
        }
        for (int a = 0; a < PaneCount && a < MaxChartAreas; ++a) {
            if (!In(PaneRects[a], X, Y))
                continue;
            std::string value, date;
            FormatValueAt(a, Look().Decimals, X, Y, value, date);
            if (WatchPage->Visible) {
                const int middle = (PaneRects[a].left + AxisRects[a].right) / 2;
                WatchPage->Left = X >= middle ? PaneRects[a].left : AxisRects[a].right - WatchPage->Width - 2;
            }
            break;
        }
        if (LineStore.LineEditState == 0) {
            for (int i = 0; i + 1 < PaneCount && i < MaxChartAreas; ++i) {
                const RECT &r = PaneRects[i];
                if (Y >= r.bottom - 1 && Y <= r.bottom + 3 && X >= r.left && X <= r.right) {
                    MouseState = 4;
                    DragSplitter = i + 1;
                    break;
                }
            }
        }
        if (!KeyCursor && Panes[0]) {
            int x = X;
            CursorBar = Panes[0]->XToRecord(x, false);
        }
        if (DragSplitter == 0 && Panel2->Visible)
            ShowQuoteBlock(CursorBar);
        TMFrame *frame = MainFrame();
        if (frame && frame->HintTip) {
            char text[256] = {};
            int size = sizeof text;
            bool shown = false;
            for (int i = 0; i < count && !shown; ++i) {
                TIndex *p = Panes[i];
                if (!p || p->SubPane || p->AreaIndex < 0 || p->AreaIndex >= MaxChartAreas ||
                    !In(PaneRects[p->AreaIndex], X, Y))
                    continue;
                size = sizeof text;
                if (p->GetExRightsTextAt(text, size, POINT{X, Y}) && size > 0) {
                    frame->HintTip->Show(POINT{X, Y}, text, Handle);
                    shown = true;
                }
            }
            if (!shown && IsWindowVisible(frame->HintTip->m_hWnd))
                frame->HintTip->Hide();
        }
        SetMouseState(MouseState);
    } else if (DragSplitter && Y != SplitterY) {
        XorSplitter(SplitterY);
        XorSplitter(Y);
        SplitterY = Y;
        CrossShown = 0;
    }
    if ((ZoomBoxStart.x || ZoomBoxStart.y) && ZoomLevel < MaxZoomLevel && ZoomBoxArmed && DrawTool == -1 &&
        std::abs(X - ZoomBoxStart.x) > 3) {
        RepaintChart(this, false);
        HDC dc = GetDC(Handle);
        HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(16));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, std::min<int>(ZoomBoxStart.x, X), std::min<int>(ZoomBoxStart.y, Y),
                  std::max<int>(ZoomBoxStart.x, X) + 1, std::max<int>(ZoomBoxStart.y, Y) + 1);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        ReleaseDC(Handle, dc);
    }
    KeyCursor = 0;
}

void TTechForm::FormMouseUp(TObject *, TMouseButton Button, TShiftState, int X, int Y)
{
    if (DrawGrid1->Visible) {
        LeftDown = 0;
        return;
    }
    if (Button != mbLeft)
        return;
    ClipCursorToRect(nullptr);
    const int count = std::min<int>(Attr.ItemCount, MaxChartObjects);
    TIndex *f = Panes[0];
    if (DragSplitter && LeftDown) {
        XorSplitter(SplitterY);
        const int i = DragSplitter - 1;
        if (i >= 0 && i + 1 < PaneCount && i + 1 < MaxChartAreas) {
            PaneRects[i].bottom = AxisRects[i].bottom = Y - 1;
            PaneRects[i + 1].top = AxisRects[i + 1].top = Y + 1;
        }
        DragSplitter = 0;
        RepaintChart(this, false);
        CrossShown = 0;
    } else if (DragMode == 1002) {
        const int d = DragStartX - X;
        // Before the first layout the pitch is not known: the drag moves nothing.
        if (d != 0 && f && f->BarPitch > 0) {
            f->ForceReload = f->FirstVisible + d / f->BarPitch < 0;
            if (!f->ForceReload) {
                for (int i = 0; i < count; ++i)
                    if (TIndex *p = Panes[i]; p && p->BarPitch > 0)
                        p->FirstVisible = int(std::trunc(p->FirstVisible + d / p->BarPitch));
            } else {
                for (int i = 0; i < count; ++i) {
                    TIndex *p = Panes[i];
                    if (!p || p->BarPitch <= 0)
                        continue;
                    const int before = p->RecordCount;
                    p->Compute();
                    p->FirstVisible =
                        std::max(int(std::trunc(p->FirstVisible + (p->RecordCount - before) + d / p->BarPitch)), 0);
                }
            }
            RepaintChart(this, false);
        }
        SetMouseState(MouseState);
    }
    const bool armed = ZoomBoxArmed != 0;
    ZoomBoxArmed = !ZoomBoxArmed;
    if (armed && (ZoomBoxStart.x || ZoomBoxStart.y) && ZoomLevel < MaxZoomLevel && std::abs(X - ZoomBoxStart.x) > 20) {
        int area = 0;
        for (int i = 0; i < PaneCount && i < MaxChartAreas; ++i)
            if (In(PaneRects[i], ZoomBoxStart.x, ZoomBoxStart.y))
                area = i;
        TIndex *p = Panes[area];
        if (p) {
            const RECT &r = PaneRects[area];
            const double factor = std::fabs(double(r.right - r.left) / double(X - ZoomBoxStart.x));
            const double width = p->BarWidth * factor;
            const double pitch = double(ZoomWidths[ZoomLevel]) + double(ZoomGaps[ZoomLevel]);
            const int left = X > ZoomBoxStart.x ? ZoomBoxStart.x : X;
            const int shift = pitch > 0 ? int(std::trunc((left - r.left) / pitch)) : 0;
            if (width > ZoomWidths[MaxZoomLevel]) {
                ZoomLevel = MaxZoomLevel;
            } else {
                for (int i = 0; i <= 30; ++i)
                    if (ZoomWidths[i] <= width && width <= ZoomWidths[i + 1]) {
                        ZoomLevel = i;
                        break;
                    }
            }
            for (int i = 0; i < count; ++i) {
                if (!Panes[i])
                    continue;
                Panes[i]->BarWidth = ZoomWidths[ZoomLevel];
                Panes[i]->BarGap = ZoomGaps[ZoomLevel];
                Panes[i]->FirstVisible += shift;
            }
            ZoomBoxArmed = 0;
            RepaintChart(this, false);
        }
    }
    ZoomBoxStart = POINT{0, 0};
    LeftDown = 0;
    DragMode = 0;
}

// ---- drawn lines -----------------------------------------------------------------------------

void TTechForm::SaveDrawnLines() { LineStore.SaveDrawnLines(Panes, std::min<int>(Attr.ItemCount, MaxChartObjects)); }

void TTechForm::FreeDrawnLines() { LineStore.FreeDrawnLines(); }

int TTechForm::ChosenTool() const
{
    TMFrame *frame = MainFrame();
    if (!frame || !frame->LineToolBox || !frame->LineBtn || !frame->LineBtn->Down)
        return -1;
    return frame->DrawingTool;
}

void TTechForm::ReleaseTool(bool clear)
{
    TMFrame *frame = MainFrame();
    if (!frame)
        return;
    if (auto *box = dynamic_cast<TLineToolBox *>(frame->LineToolBox))
        box->ReleaseToolButton();
    else if (frame->DrawingTool >= 0 && frame->DrawingTool < 20 && frame->B[frame->DrawingTool])
        frame->B[frame->DrawingTool]->Down = false;
    if (clear)
        frame->DrawingTool = -1;
}

void TTechForm::CarryPartner(TLine *line, HDC dc)
{
    TDrawnLines &s = LineStore;
    if (line->Kind < LK_LINE || line->Kind > LK_PARALLEL)
        return;
    const int p = line->Partner();
    if (p < 0 || p >= s.LineCount || !s.Lines[p] || s.Lines[p] == line)
        return;
    TLine *partner = s.Lines[p];
    // The partner keeps going through where its first anchor was.
    const POINT through{partner->Anchors[0].x, partner->Anchors[0].y};
    partner->Erase(dc, 0);
    for (int k = 0; k < 2 && k < partner->AnchorCount && k < line->AnchorCount; ++k) {
        partner->Anchors[k] = line->Anchors[k];
        partner->Anchors[k].flag = 1;
    }
    partner->PlaceParallel(through.x, through.y);
    for (int k = 0; k < partner->AnchorCount; ++k)
        partner->ScreenToAnchor(partner->Anchors[k], partner->Pane, partner->PaneRect, true);
    partner->ExtendLine();
    partner->Draw(dc, 0);
}

bool TTechForm::LinePress(int X, int Y)
{
    TDrawnLines &s = LineStore;
    const bool eraser = ChosenTool() == ToolEraser;
    if (DrawTool == -1 && s.LineCount > 0) {
        if (s.LineEditState == 0) {
            for (int i = 0; i < s.LineCount && i < MaxDrawnLines; ++i) {
                TLine *line = s.Lines[i];
                POINT at{X, Y};
                const int hit = line ? line->HitTest(at) : -1;
                if (hit == -1)
                    continue;
                s.SelLine = i;
                if (eraser) {
                    s.DeleteSelectedLine();
                    SaveDrawnLines();
                    ReleaseTool(true);
                    s.SelLine = s.LineCount;
                    RepaintChart(this, false);
                    SetMouseState(0);
                } else {
                    CrossMode = 0;
                    Panel2->Visible = false;
                    if (CrossShown)
                        EraseCrossHair(0);
                    SetMouseState(hit == HIT_BODY ? 3 : 6);
                    line->CurAnchor = hit;
                    if (HDC back = BackDC()) {
                        line->Press(X, Y, back);
                        BlitToWindow(back, 0, 0, ClientWidth, ClientHeight);
                        ReleaseBackDC(back);
                    }
                    s.LineEditState = 2;
                }
                DragSplitter = 0;
                return true;
            }
        } else if (s.LineEditState == 2 && s.SelLine >= 0 && s.SelLine < s.LineCount && s.Lines[s.SelLine]) {
            // The click that drops a grabbed line.
            TLine *line = s.Lines[s.SelLine];
            const bool heldAnchor = line->State == 2 && line->EditMode == 1;
            if (HDC back = BackDC()) {
                line->Press(X, Y, back);
                if (heldAnchor)
                    CarryPartner(line, back);
                ReleaseBackDC(back);
            }
            RepaintChart(this, false);
            if (line->State == 1) {
                SaveDrawnLines();
                s.SelLine = s.LineCount;
                s.LineEditState = 0;
            }
            SetMouseState(2);
            return true;
        }
    }
    if (DrawTool == -1 || s.LineCount >= MaxDrawnLines)
        return false;

    // Placing a line with the chosen tool.
    DragSplitter = 0;
    const int count = std::min<int>(Attr.ItemCount, MaxChartObjects);
    TIndex *pane = nullptr;
    for (int i = 0; i < count && !pane; ++i) {
        TIndex *p = Panes[i];
        if (p && p->RecordCount > 0 && p->Records && In(p->PlotRect, X, Y)) {
            pane = p;
            NewLinePane = i;
        }
    }
    if (!pane)
        return true;
    if (s.SelLine < 0 || s.SelLine > s.LineCount)
        s.SelLine = s.LineCount;
    const int slot = s.SelLine;
    const bool made = !s.Lines[slot];
    if (made) {
        if (!MakeDrawLine(s.Lines[slot], DrawTool, pane, &pane->PlotRect))
            return true;
        ++s.LineCount;
    }
    TLine *line = s.Lines[slot];
    HitPoint = POINT{X, Y};
    if (made && line->Kind == LK_PARALLEL) {
        int found = -1;
        for (int j = s.LineCount - 2; j >= 0 && found < 0; --j) {
            TLine *o = s.Lines[j];
            if (o && o != line && o->State == 1 &&
                (((o->Kind == LK_LINE || o->Kind == LK_SEGMENT) && o->Partner() == -1) ||
                 (o->Kind == LK_PARALLEL && o->Partner() == -1 && o->Parent() == -1)))
                found = j;
        }
        if (found >= 0) {
            line->Anchors[0] = s.Lines[found]->Anchors[0];
            line->Anchors[1] = s.Lines[found]->Anchors[1];
            s.Lines[found]->Partner() = slot;
            line->Parent() = found;
            line->Partner() = -1;
        } else {
            const RECT &r = pane->PlotRect;
            line->Anchors[0].x = r.left;
            line->Anchors[0].y = r.top;
            line->Anchors[1].x = r.right;
            line->Anchors[1].y = r.top;
            line->Partner() = -1;
            line->Parent() = -1;
        }
    }
    // Removes the line of this slot again, closing the gap in the list.
    auto drop = [&] {
        s.SelLine = slot;
        s.DeleteSelectedLine();
        s.SelLine = s.LineCount;
        s.LineEditState = 0;
    };
    POINT at{X, Y};
    if (line->IsOutsidePane(at, false)) {
        // Nothing is placed; a line this click made leaves the list again.
        if (made)
            drop();
        return true;
    }
    HDC back = BackDC();
    const int pressed = back ? line->Press(X, Y, back) : 0;
    if (back) {
        BlitToWindow(back, 0, 0, ClientWidth, ClientHeight);
        ReleaseBackDC(back);
    }
    if (!pressed) {
        drop();
        SetMouseState(0);
        ReleaseTool(true);
        if (CanFocus())
            SetFocus();
    } else {
        s.LineEditState = 1;
        if (line->State == 1) {
            SetMouseState(0);
            ReleaseTool(true);
            SaveDrawnLines();
            s.SelLine = s.LineCount;
            s.LineEditState = 0;
        } else {
            SetMouseState(1);
        }
    }
    LeftDown = 0;
    CrossShown = 0;
    return true;
}

void TTechForm::LineMove(int X, int Y)
{
    TDrawnLines &s = LineStore;
    if (s.SelLine < 0 || s.SelLine >= s.LineCount || !s.Lines[s.SelLine])
        return;
    TLine *line = s.Lines[s.SelLine];
    HitPoint = POINT{X, Y};
    if (!line->PaneRect)
        return;
    // The pointer stays in the line's pane; a line moved whole keeps all its
    // anchors inside.
    RECT r = *line->PaneRect;
    if (s.LineEditState == 2 && line->EditMode == 2 && line->AnchorCount > 0) {
        const int n = line->Kind == LK_FIBONACCI ? 1 : line->AnchorCount;
        int left = line->Anchors[0].x, right = left, top = line->Anchors[0].y, bottom = top;
        for (int k = 1; k < n; ++k) {
            left = std::min<int>(left, line->Anchors[k].x);
            right = std::max<int>(right, line->Anchors[k].x);
            top = std::min<int>(top, line->Anchors[k].y);
            bottom = std::max<int>(bottom, line->Anchors[k].y);
        }
        r.left += line->DragOrigin.x - left;
        r.right -= right - line->DragOrigin.x;
        r.top += line->DragOrigin.y - top;
        r.bottom -= bottom - line->DragOrigin.y;
    }
    if (r.left <= r.right && r.top <= r.bottom) {
        ClipCursorToRect(&r);
        X = std::clamp<int>(X, r.left, r.right);
        Y = std::clamp<int>(Y, r.top, r.bottom);
    }
    switch (line->Kind) {
    case LK_GOLDEN:
    case LK_PERCENT:
    case LK_FIBONACCI:
        if (line->State == 0) {
            if (HDC back = BackDC()) {
                line->Drag(X, Y, back);
                BlitToWindow(back, 0, 0, ClientWidth, ClientHeight);
                ReleaseBackDC(back);
            }
        } else {
            if (line->EditMode == 2) {
                line->Translate(X, Y);
            } else if (line->EditMode == 1 && line->CurAnchor >= 0 && line->CurAnchor < line->AnchorCount) {
                LineAnchor &held = line->Anchors[line->CurAnchor];
                held.x = X;
                held.y = Y;
                held.flag = 2;
            }
            if (line->Kind == LK_GOLDEN)
                line->BuildGoldenLevels();
            else if (line->Kind == LK_PERCENT)
                line->BuildPercentLevels();
            RepaintChart(this, false);
        }
        break;
    case LK_TEXT:
    case LK_UPARROW:
    case LK_DOWNARROW:
        line->Translate(X, Y);
        RepaintChart(this, false);
        break;
    default:
        if (HDC back = BackDC()) {
            line->Drag(X, Y, back);
            if (line->State == 2 && line->EditMode == 1)
                CarryPartner(line, back);
            BlitToWindow(back, 0, 0, ClientWidth, ClientHeight);
            ReleaseBackDC(back);
        }
        break;
    }
    ClipCursorToRect(nullptr);
}
