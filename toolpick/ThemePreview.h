// The sample pictures of the settings tool's theme page, painted from a theme's
// colours and fonts: a chart (K-line and intraday panes), a cell of the quote
// report and a news page. Every element lies inside the region whose click
// selects its slot (ThemeSlots.h).
#pragma once

#include "platform/gdi/TCanvas.h"
#include "toolpick/FontRecord.h"

// The colour of slot n (1..64) of a theme's 64 colours.
win::TColor SlotColour(const int32_t *colours, int slot);

// Gives the chart canvas its own font and returns that font's height, the unit
// of the chart's click regions.
int ChartFontHeight(win::TCanvas *canvas);
void PaintChartSample(win::TCanvas *canvas, int w, int h, const int32_t *colours, const TFontRecord *fonts);

// One cell of the report sample, background and right-aligned text.
void PaintReportCell(win::TCanvas *canvas, int col, int row, const win::TRect &rect, const int32_t *colours,
                     const TFontRecord *fonts);
// Whether x lies on the cell's text: within the text's width left of the point
// 2 pixels inside the cell's right edge.
bool ReportTextHit(win::TCanvas *canvas, int col, int row, const win::TRect &rect, int x, const TFontRecord *fonts);

void PaintNewsSample(win::TCanvas *canvas, int w, int h, const int32_t *colours, const TFontRecord *fonts);
