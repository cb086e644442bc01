#include "lumon/formula/TBarChart.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lumon/core/EMemOp.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TIndex.h"
#include "platform/gdi/Gdi.h"

using namespace win;

TBarChart::TBarChart(const char *title)
{
    std::snprintf(Title, sizeof Title, "%s", title && *title ? title : "  ");
}

TBarChart::~TBarChart()
{
    FreeArrays();
}

void TBarChart::FreeArrays()
{
    EMemFree(Labels);
    Labels = nullptr;
    for (float *&v : Values) {
        EMemFree(v);
        v = nullptr;
    }
}

bool TBarChart::SetSize(int seriesCount, int pointCount, int colourCount, const COLORREF *colours)
{
    SeriesCount = std::clamp(seriesCount, 1, 4);
    ColourCount = std::clamp(colourCount, 0, 4);
    for (int i = 0; i < ColourCount; ++i)
        Colours[i] = colours ? colours[i] : 0;
    FreeArrays();
    PointCount = std::max(pointCount, 0);
    size_t bytes = size_t(std::max(PointCount, 1)) * sizeof(float);
    Labels = static_cast<float *>(EMemAlloc(bytes));
    for (int s = 0; s < SeriesCount; ++s)
        Values[s] = static_cast<float *>(EMemAlloc(bytes));
    if (!Labels || !Values[SeriesCount - 1])
        PointCount = 0;
    return Labels && Values[SeriesCount - 1];
}

int TBarChart::Format(char *text, int size, const char *format, float value) const
{
    int n = std::snprintf(text, size_t(size), format, double(value));
    n = std::clamp(n, 0, size - 1);
    return std::min(n, std::max(LabelWidth, 0));
}

void TBarChart::Layout(const RECT *rect)
{
    const int h = ThemeFontHeight(6);
    double room;
    if (Vertical) {
        GroupSize = float(h * LabelWidth * SeriesCount / 2);
        GroupGap = std::max(GroupSize * 0.125f, 1.0f);
        room = rect->right - rect->left - 2;
    } else {
        GroupSize = float(h * SeriesCount);
        GroupGap = 10.0f;
        room = rect->bottom - rect->top - 22;
    }
    GroupPitch = double(GroupSize) + GroupGap;
    Capacity = std::max(TruncToInt(room / GroupPitch), 0);
    FirstPoint = std::clamp(FirstPoint, 0, std::max(PointCount - 1, 0));
    PointsShown = std::max(std::min(PointCount - FirstPoint, Capacity), 0);

    bool any = false;
    for (int s = 0; s < SeriesCount; ++s)
        for (int i = 0; Values[s] && i < PointCount; ++i) {
            float v = Values[s][i];
            if (IsOutOfRangeValue(v))
                continue;
            ValueMax = any ? std::max(ValueMax, v) : v;
            ValueMin = any ? std::min(ValueMin, v) : v;
            any = true;
        }
    if (!any)
        ValueMax = ValueMin = 0;
    Base = std::min(0.0f, ValueMin);
    if (IsNearZero(ValueMax - Base))
        ValueScale = 1.0;
    else if (Vertical)
        ValueScale = (rect->bottom - rect->top - 40) / double(ValueMax - Base);
    else
        ValueScale = (rect->right - rect->left - h * LabelWidth - 16) / double(ValueMax - Base);
}

bool TBarChart::Draw(HDC hdc, const RECT *rect)
{
    if (!rect || PointCount < 1 || ColourCount < 1 || !Labels || !Values[SeriesCount - 1])
        return true;
    Layout(rect);
    const int h = ThemeFontHeight(6);
    SelectedObject font(hdc, CreateThemeFont(6));
    COLORREF oldText = SetTextColor(hdc, ThemeColor(13));
    HPEN pens[4];
    HBRUSH brushes[4];
    for (int c = 0; c < ColourCount; ++c) {
        pens[c] = CreatePen(PS_SOLID, 1, Colours[c]);
        brushes[c] = CreateSolidBrush(Colours[c]);
    }
    HGDIOBJ oldPen = SelectObject(hdc, pens[0]);
    HGDIOBJ oldBrush = SelectObject(hdc, brushes[0]);
    const double share = double(GroupSize) / SeriesCount;
    char text[256];
    double x = rect->left + 2, y = rect->top + 22;
    const int axis = rect->left + h * LabelWidth / 2 + 8;
    if (!Vertical) {
        MoveToEx(hdc, axis, rect->top, nullptr);
        LineTo(hdc, axis, rect->bottom);
    }
    for (int p = FirstPoint; p < FirstPoint + PointsShown; ++p) {
        int n = Format(text, sizeof text, LabelFormat, Labels[p]);
        if (Vertical) {
            TextOutA(hdc, TruncToInt(x), rect->bottom + 4, text, n);
        } else {
            SIZE extent{};
            GetTextExtentPoint32A(hdc, text, n, &extent);
            TextOutA(hdc, axis - extent.cx - 8, TruncToInt(y), text, n);
        }
        for (int s = 0; s < SeriesCount; ++s) {
            float v = Values[s] ? Values[s][p] : NoValue;
            if (IsOutOfRangeValue(v))
                continue;
            int c = (SeriesCount == 1 ? p : s) % ColourCount;
            SelectObject(hdc, pens[c]);
            SelectObject(hdc, brushes[c]);
            int length = TruncToInt((double(v) - Base) * ValueScale);
            int m = Format(text, sizeof text, ValueFormat, v);
            if (Vertical) {
                int left = TruncToInt(x), top = rect->bottom - length;
                Rectangle(hdc, left, top, TruncToInt(x + share), rect->bottom);
                TextOutA(hdc, left, top - 20, text, m);
                x += share;
            } else {
                int top = TruncToInt(y);
                Rectangle(hdc, axis, top, axis + length, TruncToInt(y + share));
                TextOutA(hdc, axis + length + 2, top, text, m);
                y += share;
            }
        }
        if (Vertical)
            x += GroupGap;
        else
            y += GroupGap;
    }
    TextOutA(hdc, rect->left + 2, rect->top + 2, Title, int(strnlen(Title, sizeof Title)));
    SelectObject(hdc, oldPen);
    SelectObject(hdc, oldBrush);
    SetTextColor(hdc, oldText);
    for (int c = 0; c < ColourCount; ++c) {
        DeleteObject(pens[c]);
        DeleteObject(brushes[c]);
    }
    return true;
}
