// The K-line chart's keyboard: the cursor bar and the cross-hair, scrolling and
// zooming every pane together (the first pane is the reference), the period,
// paging through stocks, the ex-rights mode, the info grid and the quote block.
#include <algorithm>

#include "lumon/core/Alarm.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/TIndex.h"
#include "lumon/shell/BrowseList.h"
#include "lumon/shell/MFrame.h"
#include "lumon/views/TLine.h"
#include "lumon/views/Techfm.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TPanel.h"
#include "platform/win/Cursor.h"
#include "platform/win/Messages.h"

using namespace win;

int TTechForm::StepPeriod(int code, bool forward)
{
    // A free period without a usable size (0, or a negative number from the
    // settings file) is skipped.
    if (forward) {
        code = (code + 1) % 13;
        if (code == 3 && Cycmins <= 0)
            code = 4;
        if (code == 12 && Cycdays <= 0)
            code = 1;
        if (code == 0)
            code = 1;
    } else {
        code -= 1;
        if (code == 3 && Cycmins <= 0)
            code = 2;
        if (code < 1)
            code = Cycdays <= 0 ? 11 : 12;
    }
    return code;
}

void TTechForm::SwitchKeyCursorOn()
{
    KeyCursor = 1;
    Panel2->Visible = true;
    CrossMode = 1;
    if (!CrossShown) {
        DrawCrossHair(0, MousePos.x, MousePos.y, true);
        CrossShown = 1;
    }
}

void TTechForm::MovePointerToBar()
{
    TIndex *f = Panes[0];
    if (!f || CursorBar < 0)
        return;
    int x = 0, y = 0, index = CursorBar;
    f->RecordToPoint(x, y, index);
    const TPoint p = ClientToScreen(TPoint(x, MousePos.y));
    SetCursorPos(p.x, p.y);
}

void TTechForm::FormKeyDown(TObject *, WORD &Key, TShiftState Shift)
{
    const int count = std::min<int>(Attr.ItemCount, MaxChartObjects);
    auto eachPane = [&](auto fn) {
        for (int i = 0; i < count; ++i)
            if (Panes[i])
                fn(Panes[i]);
    };
    TIndex *f = Panes[0];
    bool repaint = false;

    // 1. The info grid takes only Esc.
    if (DrawGrid1->Visible) {
        if (Key == VK_ESCAPE) {
            DrawGrid1->Visible = false;
            Attr.Flags &= ~(1u << 29);
            DrawGrid1->RowCount = 2;
            if (HandleAllocated() && Visible)
                SetFocus();
            RepaintChart(this, false);
            Key = 0;
        }
        return;
    }

    auto pageBack = [&](bool half) {
        if (!f)
            return;
        const int step = half ? f->Capacity / 2 : f->Capacity;
        // Before the first bar: the panes load older bars and start at bar 0.
        f->ForceReload = f->FirstVisible - step < 0;
        if (!f->ForceReload) {
            if (f->FirstVisible != 0)
                eachPane([&](TIndex *p) { p->FirstVisible -= half ? p->Capacity / 2 : p->Capacity; });
        } else {
            eachPane([](TIndex *p) {
                p->Compute();
                p->FirstVisible = 0;
            });
        }
        repaint = true;
    };
    auto pageForward = [&](bool half) {
        if (!f || f->VisibleCount != f->Capacity)
            return;
        eachPane([&](TIndex *p) { p->FirstVisible += half ? p->Capacity / 2 : p->Capacity; });
        repaint = true;
    };
    auto stepPeriod = [&](bool forward) {
        const int code = StepPeriod(std::clamp<int>(Attr.Param, 0, 12), forward);
        Attr.Param = code;
        Period = code;
        ResetObjects(code);
        SyncPeriodButton();
        repaint = true;
    };

    // 2. Ctrl.
    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_HOME:
            if (f && f->FirstVisible != 0) {
                eachPane([](TIndex *p) { p->FirstVisible = 0; });
                repaint = true;
            }
            break;
        case VK_END:
            if (f && f->VisibleCount == f->Capacity) {
                eachPane([](TIndex *p) { p->ScrollToEnd = 1; });
                repaint = true;
            }
            break;
        case VK_LEFT:
            pageBack(false);
            break;
        case VK_RIGHT:
            pageForward(false);
            break;
        case VK_F1:
            if (TMFrame *frame = MainFrame())
                frame->RunHelpProgram();
            break;
        case VK_F8:
            stepPeriod(false);
            break;
        default:
            break;
        }
        Key = 0;
        if (repaint)
            RepaintChart(this, false);
        return;
    }
    // 3. Shift: half pages.
    if (Shift.Contains(ssShift)) {
        switch (Key) {
        case VK_LEFT:
            pageBack(true);
            break;
        case VK_RIGHT:
            pageForward(true);
            break;
        case VK_F1:
            if (TMFrame *frame = MainFrame())
                frame->RunHelpProgram();
            break;
        default:
            break;
        }
        Key = 0;
        if (repaint)
            RepaintChart(this, false);
        return;
    }

    // 4. Plain keys (Alt may be held).
    const bool alt = Shift.Contains(ssAlt);
    const int usable = (PaneRects[0].right - PaneRects[0].left) * 15 / 16;
    switch (Key) {
    case VK_UP:
        if (ZoomLevel < MaxZoomLevel && f) {
            ++ZoomLevel;
            const double fit = usable / double(ZoomWidths[ZoomLevel] + ZoomGaps[ZoomLevel]);
            const int shift = int(f->VisibleCount - fit);
            eachPane([&](TIndex *p) {
                p->ScrollToEnd = p->FirstVisible + p->VisibleCount >= p->RecordCount;
                p->BarWidth = ZoomWidths[ZoomLevel];
                p->BarGap = ZoomGaps[ZoomLevel];
                p->FirstVisible += shift;
            });
            repaint = true;
        }
        Key = 0;
        break;
    case VK_DOWN:
        if (ZoomLevel > 0 && f) {
            --ZoomLevel;
            const int fit = int(usable / double(ZoomWidths[ZoomLevel] + ZoomGaps[ZoomLevel]));
            f->ForceReload = f->RecordCount < fit;
            if (f->ForceReload) {
                eachPane([](TIndex *p) {
                    p->Compute();
                    p->ScrollToEnd = 1;
                });
            } else if (f->FirstVisible + fit >= f->RecordCount) {
                eachPane([](TIndex *p) { p->ScrollToEnd = 1; });
            }
            eachPane([&](TIndex *p) {
                p->BarWidth = ZoomWidths[ZoomLevel];
                p->BarGap = ZoomGaps[ZoomLevel];
            });
            repaint = true;
        }
        Key = 0;
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        if (!f)
            return;
        SwitchKeyCursorOn();
        const bool left = Key == VK_LEFT;
        bool stepped = false;
        if (left && CursorBar > f->FirstVisible) {
            --CursorBar;
            stepped = true;
        } else if (!left && CursorBar > 0 && CursorBar < f->RecordCount - 1 &&
                   CursorBar < f->FirstVisible + f->Capacity - 1) {
            ++CursorBar;
            stepped = true;
        }
        if (!stepped) {
            POINT screen{0, 0};
            GetCursorPos(&screen);
            const TPoint pointer = ScreenToClient(TPoint(screen.x, screen.y));
            CursorBar = f->FirstVisible + f->VisibleCount - 1;
            int x = 0, y = 0, index = CursorBar;
            f->RecordToPoint(x, y, index);
            if (pointer.x <= x) {
                if (left) {
                    if (f->FirstVisible <= 0)
                        return;
                    eachPane([](TIndex *p) { p->FirstVisible -= 1; });
                    CursorBar = f->FirstVisible;
                } else {
                    if (f->FirstVisible + f->Capacity >= f->RecordCount)
                        return;
                    eachPane([](TIndex *p) { p->FirstVisible += 1; });
                    CursorBar = f->FirstVisible + f->Capacity - 1;
                }
                RepaintChart(this, false);
            }
        }
        ShowQuoteBlock(CursorBar);
        MovePointerToBar();
        Key = 0;
        return;
    }
    case VK_HOME:
    case VK_END: {
        if (!f)
            return;
        SwitchKeyCursorOn();
        int x = Key == VK_HOME ? 0 : PaneRects[0].right - 1;
        const int bar = f->XToRecord(x, true);
        if (bar >= 0) {
            CursorBar = bar;
            ShowQuoteBlock(CursorBar);
            const TPoint p = ClientToScreen(TPoint(x, MousePos.y));
            SetCursorPos(p.x, p.y);
        }
        Key = 0;
        return;
    }
    case VK_RETURN:
        Panel2->Visible = !Panel2->Visible;
        KeyCursor = KeyCursor && Panel2->Visible;
        CrossMode = Panel2->Visible;
        if (Panel2->Visible) {
            if (!CrossShown) {
                DrawCrossHair(0, MousePos.x, MousePos.y, true);
                CrossShown = 1;
            }
        } else {
            EraseCrossHair(0);
        }
        Key = 0;
        return;
    case VK_PRIOR:
    case VK_NEXT: {
        PageKeysActive = 1;
        const bool next = Key == VK_NEXT;
        StockId stock = Attr.Stock;
        TBrowseList *list = BrowseList ? FindBrowseList(BrowseList) : nullptr;
        // A list without stocks steps through the block as no list does.
        if (list && !list->Stocks.empty()) {
            const int n = int(list->Stocks.size());
            BrowseIndex = next ? (BrowseIndex + 1) % n : (BrowseIndex - 1 + n) % n;
            BrowseIndex = std::clamp(BrowseIndex, 0, n - 1);
            stock = list->Stocks[size_t(BrowseIndex)];
            BrowseMoved = 1;
            ::BrowseIndex(Attr) = BrowseIndex;
        } else {
            stock = next ? NextStockInBlock(Attr.BlockId, Attr.Stock) : PrevStockInBlock(Attr.BlockId, Attr.Stock);
        }
        Notify(kShowStock, int32_t(stock), Attr.BlockId, 0);
        Key = 0;
        return;
    }
    case VK_F8:
        stepPeriod(true);
        Key = 0;
        break;
    case VK_ESCAPE:
        if (Panel2->Visible) {
            Panel2->Visible = false;
            EraseCrossHair(0);
            CrossMode = 0;
        } else {
            PostToPage(WM_PANE_BACK);
        }
        Key = 0;
        return;
    case 'Z':
    case VK_F11:
        if (!alt)
            return;
        // The chart's stock into a block of the user's choice.
        AddStockToBlock(this, Attr.Stock);
        Key = 0;
        return;
    case 'W':
    case VK_F10:
        if (!alt)
            return;
        if (count >= 1 && f) {
            const int mode = (f->WeightMode + 1) % 4;
            eachPane([&](TIndex *p) { p->WeightMode = mode; });
            ReloadChart(true);
            repaint = true;
        }
        Key = 0;
        break;
    case VK_DELETE: {
        EraseIdxClick(this);
        POINT screen{0, 0};
        GetCursorPos(&screen);
        const TPoint pointer = ScreenToClient(TPoint(screen.x, screen.y));
        HitPoint = POINT{pointer.x, pointer.y};
        if (MouseState == 6 || MouseState == 3) {
            for (int i = 0; i < LineStore.LineCount;) {
                TLine *line = LineStore.Lines[i];
                POINT at = HitPoint;
                if (line && line->HitTest(at) != -1) {
                    LineStore.SelLine = i;
                    LineStore.DeleteSelectedLine();
                    LineStore.SaveDrawnLines(Panes, count);
                    LineStore.SelLine = LineStore.LineCount;
                    ZoomBoxArmed = 0;
                    LineStore.LineEditState = 0;
                    RepaintChart(this, false);
                    continue;
                }
                ++i;
            }
        }
        Key = 0;
        return;
    }
    case VK_F1:
        if (count < 1)
            return;
        if (Panel2->Visible) {
            Panel2->Visible = false;
            CrossMode = 0;
            EraseCrossHair(0);
        }
        ShowInfoGrid();
        Key = 0;
        break;
    default:
        return;
    }
    if (repaint)
        RepaintChart(this, false);
}

void TTechForm::ShowInfoGrid()
{
    DrawGrid1->Visible = true;
    DrawGrid1->BringToFront();
    if (HandleAllocated() && Visible)
        DrawGrid1->SetFocus();
    Attr.Flags |= 1u << 29;
    RepaintChart(this, false);
}
