// The intraday chart's keys (cursor, zoom, scrolling, stock stepping, display
// modes), its mouse (pane borders, time-axis drag, information column) and its
// menu (tick/trend switch, pane count, the day before and after).
#include <algorithm>
#include <cmath>

#include "lumon/formula/DynIndex.h"
#include "lumon/formula/TBarChart.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewCommands.h"
#include "lumon/views/Rendform.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPanel.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Cursor.h"
#include "platform/win/Messages.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// The frame asks for the request lists of the shown stock.
constexpr UINT WM_REQUEST_LISTS = 2626;

// x of the last mouse move over any intraday chart.
int LastMoveX = -1;

} // namespace

void TRendForm::ShowGrid(bool shown)
{
    Panel2->Visible = shown;
    if (shown) {
        UpdateDetailCaption();
        if (DrawGrid1->CanFocus())
            DrawGrid1->SetFocus();
    }
}

void TRendForm::BackToChart()
{
    Panel2->Visible = false;
    DrawGrid1->Row = DrawGrid1->RowCount - 1;
    Attr.Flags &= ~(FlagGrid | FlagBars);
    DisplayMode = 0;
}

void TRendForm::ToggleWatchPage()
{
    WatchPage->Visible = !WatchPage->Visible;
    CrossMode = WatchPage->Visible ? 1 : 0;
    if (!WatchPage->Visible || CrossShown) {
        EraseCrossHair(0);
    } else {
        UpdateInfoColumn(CursorIndex);
        DrawCrossHair(0, MousePos.x, MousePos.y, true);
        CrossShown = 1;
    }
}

void TRendForm::PlaceKeyCursor(int index)
{
    TDynIndex *p0 = Panes[0];
    if (!p0)
        return;
    CursorIndex = index;
    int x = MousePos.x, y = MousePos.y, at = index;
    p0->RecordToPoint(x, y, at);
    MousePos = POINT{x, y};
    const TPoint screen = ClientToScreen(TPoint(x, y));
    SetCursorPos(screen.x, screen.y);
    if (CrossShown)
        DrawCrossHair(0, x, y, false);
    if (WatchPage->Visible)
        UpdateInfoColumn(CursorIndex);
}

void TRendForm::LoadEarlier(int step)
{
    TDynIndex *p0 = Panes[0];
    if (!p0)
        return;
    const int before = p0->PointTotal();
    for (int i = 0; i < PaneCount && Panes[i]; ++i) {
        Panes[i]->HistoryWanted = 1;
        Panes[i]->Compute();
        Panes[i]->ScrollToEnd = 0;
    }
    const int added = p0->PointTotal() - before;
    MoreHistory = added > 0 ? 1 : 0;
    // The earlier ticks come in front: the view moves back by the step.
    for (int i = 0; i < PaneCount && Panes[i]; ++i)
        Panes[i]->FirstVisible = std::max(added - step, 0);
}

// ---- keys -----------------------------------------------------------------------------

void TRendForm::FormKeyDown(TObject *, WORD &Key, TShiftState Shift)
{
    const bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl), alt = Shift.Contains(ssAlt);
    const bool index = IsIndexStock();
    bool modeChanged = false, barsMoved = false, panesChanged = false;
    TDynIndex *p0 = Panes[0];
    const int page = p0 ? p0->Capacity : 0;
    const bool pageFull = p0 && p0->VisibleCount == p0->Capacity && p0->Capacity > 0;
    auto allPanes = [&](auto &&f) {
        for (int i = 0; i < PaneCount && i < 3; ++i)
            if (Panes[i])
                f(*Panes[i]);
    };
    auto setZoom = [&](int zoom) {
        ZoomIndex = zoom;
        allPanes([&](TDynIndex &p) { p.BarWidth = ZoomWidth(zoom); });
    };
    const int barRows = Bars ? Bars->PointCount : 0;

    switch (Key) {
    case VK_UP:
        if (DisplayMode == 2 && Bars && Bars->FirstPoint > 0) {
            Bars->FirstPoint = std::max(Bars->FirstPoint - std::max(Bars->Capacity, 1), 0);
            barsMoved = true;
        } else if (DisplayMode == 0 && TickMode && ZoomIndex < 15 && p0) {
            setZoom(ZoomIndex + 1);
            const int remaining = p0->PointTotal() - p0->FirstVisible;
            const double fit = (p0->PlotRect.right - p0->PlotRect.left) / double(ZoomWidth(ZoomIndex)) - 1;
            if (remaining <= p0->Capacity && fit < remaining)
                allPanes([](TDynIndex &p) { p.ScrollToEnd = 1; });
            panesChanged = true;
        }
        break;
    case VK_DOWN:
        if (DisplayMode == 2 && Bars && Bars->PointsShown >= 1) {
            Bars->FirstPoint = std::min(Bars->FirstPoint + 1, std::max(barRows - 1, 0));
            barsMoved = true;
        } else if (DisplayMode == 0 && TickMode && ZoomIndex > 0 && p0) {
            setZoom(ZoomIndex - 1);
            const int remaining = p0->PointTotal() - p0->FirstVisible;
            const double fit = (p0->PlotRect.right - p0->PlotRect.left) / double(ZoomWidth(ZoomIndex)) - 1;
            if (pageFull && remaining < fit)
                allPanes([](TDynIndex &p) { p.ScrollToEnd = 1; });
            panesChanged = true;
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (ctrl && Key == VK_RIGHT && DisplayMode == 2) {
            if (Bars && Bars->FirstPoint + Bars->PointsShown < barRows) {
                Bars->FirstPoint = std::min(Bars->FirstPoint + std::max(Bars->Capacity, 1), barRows - 1);
                barsMoved = true;
            }
            break;
        }
        if (DisplayMode != 0 || !p0)
            break;
        if (shift || ctrl) {
            if (Key == VK_LEFT) {
                if (p0->FirstVisible == 0) {
                    if (MoreHistory && TickMode)
                        LoadEarlier(ctrl ? page : page / 2);
                } else if (TickMode) {
                    allPanes([&](TDynIndex &p) {
                        p.FirstVisible = std::max(p.FirstVisible - page, 0);
                        p.ScrollToEnd = 0;
                    });
                }
            } else if (pageFull && TickMode) {
                const int step = ctrl ? page : page / 2;
                allPanes([&](TDynIndex &p) {
                    p.FirstVisible += step;
                    p.ScrollToEnd = 0;
                });
                MoreHistory = 1;
            }
            panesChanged = true;
            break;
        }
        {
            KeyCursor = 1;
            CrossMode = 1;
            if (!CrossShown) {
                DrawCrossHair(0, MousePos.x, MousePos.y, true);
                CrossShown = 1;
            }
            const int lastVisible = p0->FirstVisible + p0->VisibleCount - 1;
            int at;
            if (CursorIndex < 0 || CursorIndex > lastVisible) {
                int x = 0, y = 0, last = lastVisible;
                p0->RecordToPoint(x, y, last);
                at = MousePos.x > x ? lastVisible : 0;
            } else if (Key == VK_LEFT) {
                at = std::max(CursorIndex - 1, 0);
            } else {
                at = std::min(CursorIndex + 1, lastVisible + 1);
            }
            PlaceKeyCursor(at);
        }
        break;
    case VK_HOME:
    case VK_END:
        if (ctrl) {
            if (Key == VK_HOME) {
                if (DisplayMode == 2 && Bars && Bars->FirstPoint > 0) {
                    Bars->FirstPoint = 0;
                    barsMoved = true;
                } else if (DisplayMode == 0 && p0 && p0->FirstVisible > 0) {
                    allPanes([](TDynIndex &p) {
                        p.FirstVisible = 0;
                        p.ScrollToEnd = 0;
                    });
                    panesChanged = true;
                }
            } else if (DisplayMode == 0 && pageFull) {
                allPanes([](TDynIndex &p) { p.ScrollToEnd = 1; });
                panesChanged = true;
            } else if (DisplayMode == 2 && Bars && Bars->FirstPoint + Bars->PointsShown < barRows) {
                Bars->FirstPoint = std::max(barRows - Bars->Capacity, 0);
                barsMoved = true;
            }
            break;
        }
        if (DisplayMode == 0 && p0) {
            KeyCursor = 1;
            CrossMode = 1;
            if (!CrossShown) {
                DrawCrossHair(0, MousePos.x, MousePos.y, true);
                CrossShown = 1;
            }
            PlaceKeyCursor(Key == VK_HOME ? p0->FirstVisible : p0->FirstVisible + p0->VisibleCount);
        }
        break;
    case VK_PRIOR:
    case VK_NEXT: {
        if (Panel2->Visible)
            break;
        PageKeyHeld = 1;
        const bool next = Key == VK_NEXT;
        StockId stock = Attr.Stock;
        TBrowseList *list = BrowseList ? FindBrowseList(BrowseList) : nullptr;
        if (list && !list->Stocks.empty()) {
            const int count = int(list->Stocks.size());
            BrowseIndex = next ? (BrowseIndex + 1) % count : (BrowseIndex - 1 + count) % count;
            BrowseIndex = std::clamp(BrowseIndex, 0, count - 1);
            BrowseMoved = 1;
            stock = list->Stocks[size_t(BrowseIndex)];
        } else {
            // Without a list (or with an empty one) the block is stepped through.
            stock = next ? NextStockInBlock(Attr.BlockId, Attr.Stock) : PrevStockInBlock(Attr.BlockId, Attr.Stock);
        }
        Notify(1, int32_t(stock), Attr.BlockId, 0);
        break;
    }
    case VK_F1:
        if (shift) {
            if (TMFrame *frame = MainFrame())
                frame->RunHelpProgram();
            break;
        }
        if (index)
            break;
        WatchPage->Visible = false;
        CrossMode = 0;
        EraseCrossHair(0);
        DisplayMode = 1;
        Attr.Flags |= FlagGrid;
        ShowGrid(true);
        modeChanged = true;
        break;
    case VK_F2:
        if (DisplayMode == 2 || index)
            break;
        WatchPage->Visible = false;
        CrossMode = 0;
        EraseCrossHair(0);
        Panel2->Visible = false;
        DrawGrid1->Row = DrawGrid1->RowCount - 1;
        Attr.Flags &= ~FlagGrid;
        BuildPriceVolume();
        DisplayMode = 2;
        Attr.Flags |= FlagBars;
        modeChanged = true;
        break;
    case VK_ESCAPE:
        if (DisplayMode == 0) {
            if (!WatchPage->Visible) {
                PostMessageA(Page->Handle, WM_PANE_BACK, 0, LPARAM(this));
            } else {
                WatchPage->Visible = false;
                KeyCursor = 0;
                EraseCrossHair(0);
                CrossMode = 0;
            }
        } else {
            BackToChart();
            modeChanged = true;
        }
        break;
    case VK_RETURN:
        if (DisplayMode == 0)
            ToggleWatchPage();
        break;
    case 'Z':
        // The chart's stock into a block of the user's choice.
        if (alt)
            AddStockToBlock(this, Attr.Stock);
        break;
    default:
        break;
    }
    if (modeChanged || barsMoved)
        RepaintChart(this, true);
    else if (panesChanged)
        RepaintChart(this, false);
}

void TRendForm::FormKeyUp(TObject *, WORD &Key, TShiftState)
{
    if ((Key == VK_PRIOR || Key == VK_NEXT) && PageKeyHeld) {
        PageKeyHeld = 0;
        if (TMFrame *frame = MainFrame(); frame && frame->GetFrameWindow())
            PostMessageA(frame->GetFrameWindow(), WM_REQUEST_LISTS, 0, 0);
    }
}

// ---- mouse ----------------------------------------------------------------------------

void TRendForm::EraseSplitLine()
{
    if (!Splitter || Splitter >= 4)
        return;
    HDC dc = Canvas->Handle;
    HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(16));
    HGDIOBJ old = SelectObject(dc, pen);
    const int rop = SetROP2(dc, R2_XORPEN);
    const RECT &r = PaneRect[Splitter];
    MoveToEx(dc, r.left, SplitY, nullptr);
    LineTo(dc, r.right, SplitY);
    SetROP2(dc, rop);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void TRendForm::FormMouseDown(TObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDrawView::FormMouseDown(Sender, Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    DragKind = 0;
    LeftDown = 1;
    if (Splitter > 0 && Splitter < PaneCount && Splitter < 4) {
        SplitY = PaneRect[Splitter - 1].bottom + 1;
        RECT bounds{Chart.left, PaneRect[Splitter - 1].top + 2, Chart.right, PaneRect[Splitter].bottom - 2};
        ClipCursorToRect(&bounds);
        EraseSplitLine(); // drawn: the XOR line shows
    } else if (PointInRect(X, Y, AxisRect.left, AxisRect.top, AxisRect.right, AxisRect.bottom) &&
               ((DisplayMode == 0 && TickMode) || DisplayMode == 2)) {
        DragStartX = X;
        DragEndX = X;
        DragKind = 1002;
        SetCursor(LoadCursorA(0, IDC_SIZEWE));
    } else if (DisplayMode == 0) {
        WatchPage->Visible = !WatchPage->Visible;
        if (WatchPage->Visible && !CrossShown) {
            UpdateInfoColumn(CursorIndex);
            DrawCrossHair(0, CrossAt.x, CrossAt.y, true);
            CrossShown = 1;
        } else {
            EraseCrossHair(0);
        }
        CrossMode = WatchPage->Visible ? 1 : 0;
        if (!WatchPage->Visible)
            KeyCursor = 0;
    }
}

void TRendForm::FormMouseMove(TObject *Sender, TShiftState Shift, int X, int Y)
{
    if (DisplayMode != 0) {
        MousePos = POINT{X, Y};
        if (DragKind == 1002)
            DragEndX = X;
        return;
    }
    if (!LeftDown) {
        TDrawView::FormMouseMove(Sender, Shift, X, Y);
        SetCursor(LoadCursorA(0, IDC_ARROW));
        Splitter = 0;
        if (X != LastMoveX && BackDC) {
            for (int i = 0; i < PaneCount && Panes[i]; ++i)
                Panes[i]->DrawCursorTitle(BackDC, X);
            LastMoveX = X;
        }
        const int pane = PaneAt(X, Y);
        if (pane >= 0)
            ShowPointInStatus(pane, X, Y);
        for (int i = 0; i < PaneCount - 1 && i < 3; ++i)
            if (Y >= PaneRect[i].bottom - 1 && Y <= PaneRect[i].bottom + 3 && X < PaneRect[i].right) {
                SetCursor(LoadCursorA(0, IDC_SIZENS));
                Splitter = i + 1;
            }
        if (!KeyCursor && Panes[0]) {
            int x = X;
            CursorIndex = Panes[0]->XToRecord(x, false);
        }
        if (!Splitter && WatchPage->Visible)
            UpdateInfoColumn(CursorIndex);
    } else if (Splitter > 0 && Splitter < PaneCount && Splitter < 4) {
        // The border stays 2 pixels inside the two panes it divides.
        const int y = std::clamp(Y, int(PaneRect[Splitter - 1].top + 2), int(PaneRect[Splitter].bottom - 2));
        if (y != SplitY) {
            EraseSplitLine();
            SplitY = y;
            EraseSplitLine();
        }
    } else if (DragKind == 1002) {
        DragEndX = X;
    }
    KeyCursor = 0;
}

void TRendForm::FormMouseUp(TObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDrawView::FormMouseUp(Sender, Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    SetCursor(LoadCursorA(0, IDC_ARROW));
    ClipCursor(nullptr);
    if (Splitter > 0 && Splitter < PaneCount && Splitter < 4) {
        EraseSplitLine();
        PaneRect[Splitter].top = SplitY + 1;
        PaneRect[Splitter - 1].bottom = SplitY - 1;
        Splitter = 0;
        RepaintChart(this, false);
    } else if (DragKind == 1002) {
        DragEndX = X;
        if (DragEndX != DragStartX) {
            const int moved = DragStartX - DragEndX;
            if (DisplayMode == 0) {
                for (int i = 0; i < PaneCount && Panes[i]; ++i) {
                    TDynIndex &p = *Panes[i];
                    const double pitch = p.BarPitch > 0 ? p.BarPitch : 1.0;
                    p.FirstVisible = std::max(p.FirstVisible + int(moved / pitch), 0);
                    p.ScrollToEnd = 0;
                }
            } else if (DisplayMode == 2 && Bars && Bars->GroupPitch > 0) {
                const int pitch = std::max(int(std::lround(Bars->GroupPitch)), 1);
                Bars->FirstPoint = std::clamp(Bars->FirstPoint + moved / pitch, 0, std::max(Bars->PointCount - 1, 0));
            }
            RepaintChart(this, false);
        }
    }
    LeftDown = 0;
    DragKind = 0;
}

void TRendForm::WatchPageMouseDown(TObject *, TMouseButton, TShiftState, int, int) { Activate(); }

// ---- menu -----------------------------------------------------------------------------

void TRendForm::N16Click(TObject *Sender)
{
    const bool index = IsIndexStock();
    if (DisplayMode == 0 && index)
        return;
    MoreHistory = 1;
    if (DisplayMode != 0) {
        PostMessageA(Handle, WM_KEYDOWN, VK_ESCAPE, 0);
        auto *item = dynamic_cast<TMenuItem *>(Sender);
        if (item && (item->Tag == 0) == (TickMode == 1))
            return;
        // An index stays in the minute trend.
        if (index)
            return;
    }
    TickMode = TickMode ? 0 : 1;
    for (int i = 0; i < 3; ++i) {
        if (!Panes[i])
            continue;
        Panes[i]->TickMode = TickMode;
        Panes[i]->HistoryWanted = 0;
        Panes[i]->Compute();
        if (TickMode)
            Panes[i]->BarWidth = 1.0f;
    }
    if (TickMode)
        Attr.Flags &= ~FlagTrend;
    else
        Attr.Flags |= FlagTrend;
    ZoomIndex = 7;
    RepaintChart(nullptr, false);
}

void TRendForm::N7Click(TObject *Sender)
{
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    if (!item)
        return;
    for (TMenuItem *other : {N7, N8, N9, N10})
        other->Checked = other == item;
    const int old = PaneCount;
    PaneCount = std::clamp(int(item->Tag), 1, 3);
    for (int i = PaneCount; i < std::max(old, PaneCount) && i < 4; ++i) {
        delete Panes[i];
        Panes[i] = nullptr;
    }
    Attr.ItemCount = PaneCount;
    UseDefaultRatios = 1;
    LoadStock(false);
    RepaintChart(this, true);
}

void TRendForm::N13Click(TObject *)
{
    TDynIndex *p0 = Panes[0];
    if (DisplayMode != 0 || TickMode || !p0)
        return;
    const int days = p0->HistoryDayOffset, n = std::min(days + 1, 3);
    if (n == days || !MoreHistory)
        return;
    for (int i = 0; i < PaneCount && Panes[i]; ++i) {
        Panes[i]->HistoryDayOffset = n;
        Panes[i]->HistoryWanted = 1;
        Panes[i]->Compute();
    }
    MoreHistory = p0->HistoryDayOffset == n ? 1 : 0;
    RepaintChart(this, false);
}

void TRendForm::N14Click(TObject *)
{
    TDynIndex *p0 = Panes[0];
    if (DisplayMode != 0 || TickMode || !p0)
        return;
    const int days = p0->HistoryDayOffset, n = std::max(days - 1, 0);
    if (n == days)
        return;
    for (int i = 0; i < PaneCount && Panes[i]; ++i) {
        Panes[i]->HistoryDayOffset = n;
        Panes[i]->HistoryWanted = n != 0;
        Panes[i]->Compute();
    }
    MoreHistory = 1;
    RepaintChart(this, false);
}

int TRendForm::Command(int command, int)
{
    if (command != VC_INFO_WINDOW)
        return 0;
    N5Click(this);
    return 1;
}

void TRendForm::N5Click(TObject *Sender)
{
    TDrawView::N5Click(Sender);
    RepaintChart(Sender, true);
}

void TRendForm::PopupMenu1Popup(TObject *Sender)
{
    TDrawView::PopupMenu1Popup(Sender);
    if (DisplayMode == 0) {
        if (TickMode)
            Tickfm->Visible = false;
        else
            Minfm->Visible = false;
    }
    Barfm->Visible = DisplayMode != 2;
    Detailfm->Visible = DisplayMode != 1;
}
