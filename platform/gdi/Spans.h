// Inside the drawing layer: the pixels of filled figures and regions as runs of
// pixels per row, following the Windows fill rules (right and bottom edges left
// out), and their conversion to Qt regions.
#pragma once

#include <QRegion>

#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace win {

// Pixels [x0, x1) of row y.
struct PixelSpan {
    int y;
    int x0;
    int x1;
};
using SpanList = std::vector<PixelSpan>;

// The rows (inclusive) a figure is made for; the others are left out, so that the
// work stays bounded by what can be seen whatever the coordinates.
struct RowRange {
    int first;
    int last;
};
// Regions are kept to these rows.
constexpr RowRange kRegionRows{-(1 << 16), 1 << 16};

// The ellipse inside (left, top)-(right, bottom), one run per row at most.
SpanList EllipseSpans(int left, int top, int right, int bottom, RowRange rows);
// The part of that ellipse on the arc's side of the chord (see Chord in Gdi.h).
SpanList ChordSpans(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2, RowRange rows);
// A polygon filled by the alternate or winding rule, sampled at the pixels'
// top-left corners: a polygon through (0,0), (10,0), (10,10), (0,10) fills 10 × 10.
SpanList PolygonSpans(const POINT *points, int count, int fillMode, RowRange rows);
SpanList RoundRectSpans(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight,
                        RowRange rows);

// Splits a figure of one run per row into its one-pixel boundary (pixels with a
// neighbour above, below, left or right outside the figure) and its inside.
void SplitBoundary(const SpanList &rows, SpanList &boundary, SpanList &inside);

// Runs sorted by row and column, merged where they touch.
QRegion RegionFromSpans(SpanList spans);

} // namespace win
