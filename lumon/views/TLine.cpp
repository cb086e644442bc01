#include "lumon/views/TLine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "lumon/core/EMemOp.h"
#include "lumon/core/PackedDateTime.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TIndex.h"
#include "lumon/shell/MFrame.h"
#include "lumon/views/TTextLineDlg.h"
#include "platform/gdi/Gdi.h"

using namespace win;

namespace {

// Two coordinates are near when they differ by at most 3: the 7 x 7 grip.
bool Near(int a, int b)
{
    return std::abs(a - b) <= 3;
}

bool Between(int v, int a, int b)
{
    return a <= b ? a <= v && v <= b : b <= v && v <= a;
}

} // namespace

HFONT CreateLineFont(int height)
{
    return CreateFontA(height, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Tahoma");
}

SIZE MeasureLineText(const char *text)
{
    SIZE size{};
    HDC dc = CreateCompatibleDC(0);
    {
        SelectedObject font(dc, CreateLineFont(LineTextFontHeight));
        GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size);
    }
    DeleteDC(dc);
    return size;
}

TLine::TLine(TIndex *pane, RECT *paneRect) : Colour(ThemeColor(34)), Pane(pane), PaneRect(paneRect) {}

TLine::~TLine()
{
    EMemFree(Anchors);
    EMemFree(Points);
    EMemFree(Text);
}

void TLine::SetKind(uint16_t kind, int anchors, int points, bool handles)
{
    Kind = kind;
    AnchorCount = uint16_t(anchors);
    PointCount = uint16_t(points);
    ShowHandles = handles ? 1 : 0;
    Anchors = static_cast<LineAnchor *>(EMemAlloc(sizeof(LineAnchor) * size_t(anchors)));
    Points = points ? static_cast<LineAnchor *>(EMemAlloc(sizeof(LineAnchor) * size_t(points))) : nullptr;
    if (kind >= LK_LINE && kind <= LK_PARALLEL) {
        Partner() = -1;
        Parent() = -1;
    }
}

void TLine::DrawHandle(POINT point, HDC dc)
{
    SetROP2(dc, R2_XORPEN);
    SelectedObject pen(dc, CreatePen(PS_SOLID, 1, Colour));
    MoveToEx(dc, point.x - 3, point.y - 3, nullptr);
    LineTo(dc, point.x - 3, point.y + 3);
    LineTo(dc, point.x + 3, point.y + 3);
    LineTo(dc, point.x + 3, point.y - 3);
    LineTo(dc, point.x - 3, point.y - 3);
}

void TLine::DrawAnchorHandle(LineAnchor anchor, HDC dc)
{
    DrawHandle(POINT{anchor.x, anchor.y}, dc);
}

void TLine::DrawSolid(POINT p, POINT q, HDC dc, int withHandles)
{
    {
        SelectedObject pen(dc, CreatePen(PS_SOLID, 1, Colour));
        MoveToEx(dc, p.x, p.y, nullptr);
        LineTo(dc, q.x, q.y);
    }
    if (withHandles) {
        DrawHandle(p, dc);
        DrawHandle(q, dc);
    }
}

void TLine::DrawSolidAnchors(LineAnchor a, LineAnchor b, HDC dc, int withHandles)
{
    {
        SelectedObject pen(dc, CreatePen(PS_SOLID, 1, Colour));
        MoveToEx(dc, a.x, a.y, nullptr);
        LineTo(dc, b.x, b.y);
    }
    if (withHandles) {
        DrawAnchorHandle(a, dc);
        DrawAnchorHandle(b, dc);
    }
}

void TLine::DrawDotted(POINT p, POINT q, HDC dc, int withHandles)
{
    {
        SelectedObject pen(dc, CreatePen(PS_DOT, 1, Colour));
        MoveToEx(dc, p.x, p.y, nullptr);
        LineTo(dc, q.x, q.y);
    }
    if (withHandles) {
        DrawHandle(p, dc);
        DrawHandle(q, dc);
    }
}

void TLine::DrawDottedAnchors(LineAnchor a, LineAnchor b, HDC dc, int withHandles)
{
    {
        SelectedObject pen(dc, CreatePen(PS_DOT, 1, Colour));
        MoveToEx(dc, a.x, a.y, nullptr);
        LineTo(dc, b.x, b.y);
    }
    if (withHandles) {
        DrawAnchorHandle(a, dc);
        DrawAnchorHandle(b, dc);
    }
}

void TLine::Draw(HDC dc, int withHandles)
{
    int mode = GetROP2(dc);
    SetROP2(dc, R2_XORPEN);
    if (State == 0) {
        // The rubber band of a line being placed; only lines of two anchors
        // are ever drawn before they are complete, and only once a move has
        // given the band its end (before, the end is no point of the pane).
        if (AnchorCount >= 2 && Anchors[1].flag == 2)
            DrawSolidAnchors(Anchors[0], Anchors[1], dc, withHandles);
    } else {
        DrawFigure(dc, withHandles);
    }
    if (withHandles)
        for (int k = 0; k < AnchorCount; ++k) {
            POINT p{Anchors[k].x, Anchors[k].y};
            if (!IsOutsidePane(p, false))
                DrawAnchorHandle(Anchors[k], dc);
        }
    SetROP2(dc, mode);
}

void TLine::Redraw(HDC dc, int withHandles)
{
    if (!Pane || Pane->RecordCount < 1 || !Pane->Records)
        return;
    for (int k = 0; k < AnchorCount; ++k)
        AnchorToScreen(Anchors[k], Pane, PaneRect);
    if (!DerivePoints(true))
        return;
    Draw(dc, withHandles);
}

void TLine::Erase(HDC dc, int withHandles)
{
    Draw(dc, withHandles);
}

int TLine::HitTest(POINT &point)
{
    if (State == 0)
        return -1;
    const LineAnchor &a = Anchors[0];
    switch (Kind) {
    case LK_UPARROW:
        return a.x - 4 <= point.x && point.x < a.x + 4 && a.y - 9 <= point.y && point.y < a.y + 3 ? 0 : -1;
    case LK_DOWNARROW:
        return a.x - 4 <= point.x && point.x < a.x + 4 && a.y - 3 <= point.y && point.y < a.y + 9 ? 0 : -1;
    case LK_TEXT:
        return a.x <= point.x && point.x < a.x + TextExtent.cx && a.y <= point.y && point.y < a.y + TextExtent.cy
                   ? 0
                   : -1;
    default:
        break;
    }
    if (!(Kind == LK_PARALLEL && HasParent()))
        for (int k = 0; k < AnchorCount; ++k)
            if (Near(point.x, Anchors[k].x) && Near(point.y, Anchors[k].y))
                return k;
    return HitFigure(point) ? HIT_BODY : -1;
}

int TLine::RefreshCurrentAnchor()
{
    if (CurAnchor < 0 || CurAnchor >= AnchorCount)
        return 1;
    if (State == 0)
        Anchors[CurAnchor].flag = 0;
    else if (State == 2)
        AnchorToScreen(Anchors[CurAnchor], Pane, PaneRect);
    return 1;
}

void TLine::PlaceAnchor(LineAnchor &anchor, int x, int y)
{
    anchor.x = x;
    anchor.y = y;
    ScreenToAnchor(anchor, Pane, PaneRect, true);
    AnchorToScreen(anchor, Pane, PaneRect);
    anchor.flag = 1;
}

int TLine::Press(int x, int y, HDC dc)
{
    if (!Pane || Pane->RecordCount < 1 || !Pane->Records)
        return 1;
    switch (State) {
    case 0:
        if (Kind == LK_PARALLEL) {
            PlaceParallel(x, y);
            for (int k = 0; k < AnchorCount; ++k)
                PlaceAnchor(Anchors[k], Anchors[k].x, Anchors[k].y);
            CurAnchor = AnchorCount;
        } else {
            if (CurAnchor < 0 || CurAnchor >= AnchorCount)
                return 1;
            // The rubber band is on the screen only once a move has drawn it.
            if (CurAnchor != 0 && Anchors[CurAnchor].flag == 2)
                Erase(dc, 0);
            PlaceAnchor(Anchors[CurAnchor], x, y);
            ++CurAnchor;
        }
        if (CurAnchor == AnchorCount) {
            DerivePoints(false);
            if (Kind == LK_TEXT) {
                auto *dialog = new TTextLineDlg(&Text, &TextExtent);
                DialogBusy = 1;
                int result = dialog->ShowModal();
                DialogBusy = 0;
                delete dialog;
                if (result != mrOk)
                    return 0;
            }
            State = 1;
            Draw(dc, ShowHandles);
            CurAnchor = 0;
        }
        return 1;
    case 1:
        if (CurAnchor >= 0 && CurAnchor < AnchorCount) {
            if (Kind >= LK_TEXT)
                DragOrigin = POINT{x, y};
            Anchors[CurAnchor].flag = 2;
            EditMode = 1;
        } else if (CurAnchor == HIT_BODY) {
            DragOrigin = POINT{x, y};
            EditMode = 2;
        } else {
            return 1;
        }
        State = 2;
        Erase(dc, ShowHandles);
        Draw(dc, 0);
        return 1;
    case 2:
        Erase(dc, 0);
        if (EditMode == 2 || Kind >= LK_TEXT) {
            Translate(x, y);
            for (int k = 0; k < AnchorCount; ++k)
                PlaceAnchor(Anchors[k], Anchors[k].x, Anchors[k].y);
        } else if (CurAnchor >= 0 && CurAnchor < AnchorCount) {
            PlaceAnchor(Anchors[CurAnchor], x, y);
        }
        DerivePoints(false);
        State = 1;
        CurAnchor = 0;
        EditMode = 0;
        Draw(dc, ShowHandles);
        return 1;
    default:
        return 1;
    }
}

void TLine::NoOp() {}

void TLine::Drag(int x, int y, HDC dc)
{
    if (State == 2 && (EditMode == 2 || Kind >= LK_TEXT)) {
        // Texts and arrows move as a whole by the mouse's delta, held by their
        // anchor or not, as their drop does.
        Erase(dc, 0);
        Translate(x, y);
    } else if (State == 0 || (State == 2 && EditMode == 1)) {
        if (CurAnchor < 0 || CurAnchor >= AnchorCount)
            return;
        LineAnchor &held = Anchors[CurAnchor];
        if (held.flag == 2)
            Erase(dc, 0);
        held.flag = 2;
        held.x = x;
        held.y = y;
    } else {
        return;
    }
    switch (Kind) {
    case LK_LINE:
    case LK_SEGMENT:
    case LK_PARALLEL:
    case LK_BOX:
    case LK_GANN:
    case LK_SPEED:
        DerivePoints(false);
        break;
    case LK_REGRESSION:
    case LK_CHANNEL:
        if (EditMode != 0)
            DerivePoints(false);
        break;
    default:
        break;
    }
    Draw(dc, 0);
}

bool TLine::AnchorToScreen(LineAnchor &anchor, TIndex *pane, const RECT *rect)
{
    if (!pane || !pane->Records || pane->RecordCount < 1) {
        anchor.x = anchor.y = -1;
        return false;
    }
    // The anchor's bar, or the last one before it; an anchor later than every
    // bar stands in the column after the last one. The bars are in time order:
    // a binary search, as every repaint places every drawn line.
    const KLineRecord *first = pane->Records, *end = pane->Records + pane->RecordCount;
    const KLineRecord *at = std::lower_bound(first, end, anchor.time, [](const KLineRecord &r, PackedDateTime t) {
        return ComparePackedDateTime(r.Time, t) < 0;
    });
    int index = int(at - first);
    if (at != end && ComparePackedDateTime(at->Time, anchor.time) != 0)
        --index;
    double w = pane->BarWidth, g = pane->BarGap;
    anchor.x = TruncToInt(rect->left + w / 2 + (w + g) * (index - pane->FirstVisible));
    anchor.y = TruncToInt(rect->bottom - (double(anchor.value) - pane->ValueMin) * pane->YScale);
    return true;
}

bool TLine::ScreenToAnchor(LineAnchor &anchor, TIndex *pane, const RECT *rect, bool clamp)
{
    if (!pane || !pane->Records || pane->RecordCount < 1)
        return false;
    double w = pane->BarWidth, g = pane->BarGap;
    int k = w + g > 0 ? TruncToInt((anchor.x - rect->left + w / 2) / (w + g)) : 0;
    int shown = pane->VisibleCount;
    if (k < 0 || k > shown - 1) {
        if (!clamp)
            return false;
        k = k < 0 ? 0 : shown - 1;
    }
    int record = pane->FirstVisible + k;
    if (record < 0 || record >= pane->RecordCount)
        return false;
    anchor.time = pane->Records[record].Time;
    anchor.value = pane->YScale > 0 ? float((rect->bottom - anchor.y) / pane->YScale + pane->ValueMin) : 0.0f;
    return true;
}

bool TLine::IsOutsidePane(POINT &point, bool clamp)
{
    const RECT &r = *PaneRect;
    double w = Pane ? Pane->BarWidth : 0, g = Pane ? Pane->BarGap : 0;
    int shown = Pane ? Pane->VisibleCount : 0;
    int xr = TruncToInt(r.left + w / 2 + (w + g) * (shown - 1));
    bool outside = false;
    auto test = [&](bool failed, LONG &coordinate, LONG border) {
        if (!failed)
            return false;
        outside = true;
        if (clamp)
            coordinate = border;
        return !clamp;
    };
    if (test(point.y > r.bottom, point.y, r.bottom) || test(point.y < r.top, point.y, r.top) ||
        test(point.x > xr, point.x, xr) || test(point.x < r.left, point.x, r.left))
        return true;
    return outside;
}

bool TLine::NearSegment(POINT &p, POINT a, POINT b)
{
    if (a.x == b.x)
        return std::abs(p.x - a.x) < 3 && Between(p.y, a.y, b.y);
    if (a.y == b.y)
        return std::abs(p.y - a.y) < 3 && Between(p.x, a.x, b.x);
    if (!Between(p.x, a.x, b.x))
        return false;
    if (std::abs(b.y - a.y) > 3) {
        float slope = float(b.y - a.y) / float(b.x - a.x);
        for (int k = -3; k <= 3; ++k) {
            int x = p.x + k;
            int y = TruncToInt(a.y + slope * float(x - a.x));
            if (Near(p.y, y)) {
                p = POINT{x, y};
                return true;
            }
        }
    } else {
        float slope = float(b.x - a.x) / float(b.y - a.y);
        for (int k = -3; k <= 3; ++k) {
            int y = p.y + k;
            int x = TruncToInt(a.x + slope * float(y - a.y));
            if (Near(p.x, x)) {
                p = POINT{x, y};
                return true;
            }
        }
    }
    return false;
}

bool TLine::ClipToPane(POINT &p, POINT a, POINT b)
{
    const RECT &r = *PaneRect;
    if (p.x < r.left || p.x > r.right) {
        int border = p.x < r.left ? r.left : r.right;
        if (a.x == b.x)
            return false;
        if (a.y != b.y)
            p.y = TruncToInt(b.y - double(b.y - a.y) * (b.x - border) / (b.x - a.x));
        p.x = border;
    }
    if (p.y < r.top || p.y > r.bottom) {
        int border = p.y < r.top ? r.top : r.bottom;
        if (a.y == b.y)
            return false;
        if (a.x != b.x)
            p.x = TruncToInt(b.x - double(b.x - a.x) * (b.y - border) / (b.y - a.y));
        p.y = border;
    }
    return true;
}

void TLine::Translate(int x, int y)
{
    for (int k = 0; k < AnchorCount; ++k) {
        Anchors[k].x += x - DragOrigin.x;
        Anchors[k].y += y - DragOrigin.y;
    }
    DragOrigin = POINT{x, y};
}

#define LUMO_LINE_KIND(Name, kind, anchors, points, handles)                                                     \
    Name::Name(TIndex *pane, RECT *paneRect) : TLine(pane, paneRect)                                             \
    {                                                                                                            \
        SetKind(kind, anchors, points, handles);                                                                 \
    }
LUMO_LINE_KIND(DrawDDLINE, LK_LINE, 2, 3, true)
LUMO_LINE_KIND(DrawDOT_DOT, LK_SEGMENT, 2, 3, true)
LUMO_LINE_KIND(DrawPLINE, LK_PARALLEL, 2, 3, true)
LUMO_LINE_KIND(DrawSINLINE, LK_SINE, 2, 0, true)
LUMO_LINE_KIND(DrawGOLDLINE, LK_GOLDEN, 2, 14, true)
LUMO_LINE_KIND(DrawPERLINE, LK_PERCENT, 2, 22, true)
LUMO_LINE_KIND(DrawARCLINE, LK_ARC, 2, 0, true)
LUMO_LINE_KIND(DrawRECTANGLE, LK_BOX, 2, 4, true)
LUMO_LINE_KIND(DrawGUNSLINE, LK_GANN, 2, 18, true)
LUMO_LINE_KIND(DrawFABCYCLELINE, LK_FIBONACCI, 1, 0, true)
LUMO_LINE_KIND(DrawCYCLELINE, LK_CYCLE, 2, 0, true)
LUMO_LINE_KIND(DrawSRLINE, LK_SPEED, 2, 6, true)
LUMO_LINE_KIND(DrawLRZONE, LK_REGRESSION, 2, 6, true)
LUMO_LINE_KIND(DrawLRCHANNEL, LK_CHANNEL, 2, 9, true)
LUMO_LINE_KIND(DrawTEXT, LK_TEXT, 1, 0, false)
LUMO_LINE_KIND(DrawUPARROW, LK_UPARROW, 1, 0, false)
LUMO_LINE_KIND(DrawDOWNARROW, LK_DOWNARROW, 1, 0, false)
#undef LUMO_LINE_KIND

int MakeDrawLine(TLine *&slot, int kind, TIndex *pane, RECT *paneRect)
{
    TLine *line;
    switch (kind) {
    case LK_LINE: line = new DrawDDLINE(pane, paneRect); break;
    case LK_SEGMENT: line = new DrawDOT_DOT(pane, paneRect); break;
    case LK_PARALLEL: line = new DrawPLINE(pane, paneRect); break;
    case LK_SINE: line = new DrawSINLINE(pane, paneRect); break;
    case LK_GOLDEN: line = new DrawGOLDLINE(pane, paneRect); break;
    case LK_PERCENT: line = new DrawPERLINE(pane, paneRect); break;
    case LK_ARC: line = new DrawARCLINE(pane, paneRect); break;
    case LK_BOX: line = new DrawRECTANGLE(pane, paneRect); break;
    case LK_GANN: line = new DrawGUNSLINE(pane, paneRect); break;
    case LK_FIBONACCI: line = new DrawFABCYCLELINE(pane, paneRect); break;
    case LK_CYCLE: line = new DrawCYCLELINE(pane, paneRect); break;
    case LK_SPEED: line = new DrawSRLINE(pane, paneRect); break;
    case LK_REGRESSION: line = new DrawLRZONE(pane, paneRect); break;
    case LK_CHANNEL: line = new DrawLRCHANNEL(pane, paneRect); break;
    case LK_TEXT: line = new DrawTEXT(pane, paneRect); break;
    case LK_UPARROW: line = new DrawUPARROW(pane, paneRect); break;
    case LK_DOWNARROW: line = new DrawDOWNARROW(pane, paneRect); break;
    default: return 0;
    }
    delete slot;
    slot = line;
    return 1;
}

const char *LineKindHint(int kind)
{
    static const char *const hints[LineKindCount] = {
        "两点直线", "两点线段", "平行线", "正弦线", "黄金分割线", "百分比线", "圆弧", "股票箱", "甘氏线",
        "费波拉契周期", "周期线", "速阻线", "线形回归带", "回归通道", "文字", "上箭头", "下箭头"};
    return kind >= 1 && kind <= LineKindCount ? hints[kind - 1] : "";
}
