// A small bar chart of up to four series over a list of labelled points, drawn
// as vertical columns or horizontal bars into a rectangle; the intraday view
// shows the volume traded at each price of the day with it.
#pragma once

#include <cstdint>

#include "platform/gdi/GdiTypes.h"

class TBarChart {
public:
    explicit TBarChart(const char *title);
    TBarChart(const TBarChart &) = delete;
    TBarChart &operator=(const TBarChart &) = delete;
    ~TBarChart();

    // Series and colour counts are limited to 4; the label array and one value
    // array per series get pointCount zeroed entries. True when they exist.
    bool SetSize(int seriesCount, int pointCount, int colourCount, const win::COLORREF *colours);
    // Lays the chart out in the rectangle and draws it. A chart without points,
    // arrays or colours draws nothing.
    bool Draw(win::HDC hdc, const win::RECT *rect);
    void Layout(const win::RECT *rect);

    char Title[128] = {};
    char LabelFormat[64] = "%8.3f";
    char ValueFormat[64] = "%8.0f";
    int32_t LabelWidth = 8;          // characters
    int32_t Vertical = 1;            // 1 columns, 0 horizontal bars
    int32_t PointCount = 0;
    int32_t SeriesCount = 1;
    int32_t ColourCount = 0;
    win::COLORREF Colours[4] = {};
    float GroupSize = 48.0f;
    float GroupGap = 2.0f;
    int32_t FirstPoint = 0;
    int32_t PointsShown = 0;
    int32_t Capacity = 0;
    double ValueScale = 0;
    double GroupPitch = 0;
    float *Labels = nullptr;
    float *Values[4] = {};
    float ValueMax = 0;
    float ValueMin = 0;
    float Base = 0;

private:
    void FreeArrays();
    // The text of a value in a format, cut to the label width.
    int Format(char *text, int size, const char *format, float value) const;
};
