// The lines a user draws on a pane of the K-line chart: the line object, which
// keeps its anchors as a bar's time key and a value on the pane's scale, turns
// them into screen points of its pane, derives the further points of its kind,
// draws itself in XOR (drawing twice takes it off), hit-tests a mouse point and
// runs its own placing and moving by mouse; and the factory of the seventeen kinds.
#pragma once

#include <cstdint>

#include "platform/gdi/GdiTypes.h"

class TIndex;

#pragma pack(push, 1)
// An anchor the user places, or a point derived from the anchors.
struct LineAnchor {
    int32_t x;
    int32_t y;
    uint32_t time;      // the time key of the bar the anchor stands on
    float value;        // on the pane's vertical scale
    int32_t flag;       // 0 not placed, 1 placed, 2 being moved (its rubber band shown)
};
static_assert(sizeof(LineAnchor) == 20);
#pragma pack(pop)

// What HitTest gives for a point on the figure away from the anchors.
constexpr int HIT_BODY = 256;

// The kinds, also the tags of the drawing tools.
enum LineKind : uint16_t {
    LK_LINE = 1, LK_SEGMENT, LK_PARALLEL, LK_SINE, LK_GOLDEN, LK_PERCENT, LK_ARC, LK_BOX, LK_GANN,
    LK_FIBONACCI, LK_CYCLE, LK_SPEED, LK_REGRESSION, LK_CHANNEL, LK_TEXT, LK_UPARROW, LK_DOWNARROW
};
constexpr int LineKindCount = 17;

// The fonts of the figures' texts: level and cycle numbers, and the text line.
constexpr int LineLabelFontHeight = 13;
constexpr int LineTextFontHeight = 15;
win::HFONT CreateLineFont(int height);
// Width and height of a text in the text line's font, measured on a memory context.
win::SIZE MeasureLineText(const char *text);

class TLine {
public:
    TLine(TIndex *pane, win::RECT *paneRect);
    TLine(const TLine &) = delete;
    TLine &operator=(const TLine &) = delete;
    virtual void DrawHandle(win::POINT point, win::HDC dc);
    virtual void DrawAnchorHandle(LineAnchor anchor, win::HDC dc);
    virtual void DrawSolid(win::POINT p, win::POINT q, win::HDC dc, int withHandles);
    virtual void DrawSolidAnchors(LineAnchor a, LineAnchor b, win::HDC dc, int withHandles);
    virtual void DrawDotted(win::POINT p, win::POINT q, win::HDC dc, int withHandles);
    virtual void DrawDottedAnchors(LineAnchor a, LineAnchor b, win::HDC dc, int withHandles);
    virtual void Draw(win::HDC dc, int withHandles);
    virtual void Redraw(win::HDC dc, int withHandles);
    virtual void Erase(win::HDC dc, int withHandles);
    virtual int HitTest(win::POINT &point);
    virtual int RefreshCurrentAnchor();
    // 0 only when the text dialog of a text line is cancelled.
    virtual int Press(int x, int y, win::HDC dc);
    virtual void NoOp();
    virtual void Drag(int x, int y, win::HDC dc);
    virtual ~TLine();

    bool AnchorToScreen(LineAnchor &anchor, TIndex *pane, const win::RECT *rect);
    bool ScreenToAnchor(LineAnchor &anchor, TIndex *pane, const win::RECT *rect, bool clamp);
    bool IsOutsidePane(win::POINT &point, bool clamp);
    bool NearSegment(win::POINT &point, win::POINT a, win::POINT b);
    bool ClipToPane(win::POINT &point, win::POINT a, win::POINT b);
    void Translate(int x, int y);

    // The builders of the kinds' derived points from the anchors' screen points.
    void ExtendLine();
    void PlaceParallel(int x, int y);
    void BuildGoldenLevels();
    void BuildPercentLevels();
    void BuildBox();
    void BuildGannFan();
    void BuildSpeedLines();
    void BuildRegressionBand();
    void BuildRegressionChannel();
    // The derived points of the kind, as a press or a redraw makes them; false
    // when the figure cannot be shown (a segment off the pane).
    bool DerivePoints(bool repaint);

    // Links of kinds 1..3 to the parallel line made from it and to the line it
    // was made from, as indexes into the chart's list; -1 for none.
    int32_t &Partner() { return Points[2].x; }
    int32_t &Parent() { return Points[2].y; }
    bool HasParent() const { return Kind >= LK_LINE && Kind <= LK_PARALLEL && Points[2].y != -1; }

    char *Text = nullptr;
    win::SIZE TextExtent{};
    LineAnchor *Anchors = nullptr;
    LineAnchor *Points = nullptr;
    win::POINT DragOrigin{};
    uint16_t Kind = 0;
    uint16_t AnchorCount = 0;
    uint16_t PointCount = 0;
    uint16_t State = 0;         // 0 being placed, 1 complete, 2 being edited
    uint16_t EditMode = 0;      // 0 none, 1 one anchor held, 2 the whole line held
    uint8_t ShowHandles = 1;
    int32_t CurAnchor = 0;
    win::COLORREF Colour = 0;
    TIndex *Pane = nullptr;
    win::RECT *PaneRect = nullptr;

protected:
    // The kind's constructor: its counts and zero-filled arrays.
    void SetKind(uint16_t kind, int anchors, int points, bool handles);

private:
    // Draws the figure of the kind from Anchors and Points.
    void DrawFigure(win::HDC dc, int &withHandles);
    void DrawLevels(win::HDC dc, bool golden);
    void DrawSine(win::HDC dc);
    void DrawArc(win::HDC dc);
    void DrawColumns(win::HDC dc, bool fibonacci);
    void DrawText(win::HDC dc);
    void DrawArrow(win::HDC dc, bool up);
    void DrawLabel(win::HDC dc, int x, int y, const char *text, bool rightAligned);
    bool HitFigure(win::POINT &p);
    bool HitSine(win::POINT p);
    bool HitArc(win::POINT p);
    bool HitColumns(win::POINT p, bool fibonacci);
    // The screen columns of kinds 10 and 11 (x of each, first solid).
    int Columns(bool fibonacci, int *xs, int capacity);
    int ColumnX(int record) const;
    int ShownIndex(int x) const;
    // Places an anchor from its screen point on a shown bar (clamped) and back.
    void PlaceAnchor(LineAnchor &anchor, int x, int y);
    void Regression(bool channel);

    // Set when the last derivation found nothing to show (a segment off the
    // pane, a regression over too few bars).
    bool m_Hidden = false;
};

// One class per kind, each only carrying its own type name.
#define LUMO_LINE_KIND(Name)                                                                                     \
    class Name : public TLine {                                                                                  \
    public:                                                                                                      \
        Name(TIndex *pane, win::RECT *paneRect);                                                                 \
    };
LUMO_LINE_KIND(DrawDDLINE)
LUMO_LINE_KIND(DrawDOT_DOT)
LUMO_LINE_KIND(DrawPLINE)
LUMO_LINE_KIND(DrawSINLINE)
LUMO_LINE_KIND(DrawGOLDLINE)
LUMO_LINE_KIND(DrawPERLINE)
LUMO_LINE_KIND(DrawARCLINE)
LUMO_LINE_KIND(DrawRECTANGLE)
LUMO_LINE_KIND(DrawGUNSLINE)
LUMO_LINE_KIND(DrawFABCYCLELINE)
LUMO_LINE_KIND(DrawCYCLELINE)
LUMO_LINE_KIND(DrawSRLINE)
LUMO_LINE_KIND(DrawLRZONE)
LUMO_LINE_KIND(DrawLRCHANNEL)
LUMO_LINE_KIND(DrawTEXT)
LUMO_LINE_KIND(DrawUPARROW)
LUMO_LINE_KIND(DrawDOWNARROW)
#undef LUMO_LINE_KIND

// For kind 1..17 makes a new line of the kind on the pane, deletes the line the
// slot held and stores the new one there: 1. Any other kind leaves the slot: 0.
int MakeDrawLine(TLine *&slot, int kind, TIndex *pane, win::RECT *paneRect);

// The tool hint of kind 1..17 (the tool box's and the drawing menu's caption).
const char *LineKindHint(int kind);
