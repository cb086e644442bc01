#include "lumon/views/Luoli.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "lumon/formula/IndexSupport.h"
#include "platform/gdi/Gdi.h"

using namespace win;

namespace {

const char *const ColumnTitles[CycleColumns] = {"Sun", "Moon", "Mer2", "Mer1"};
const double CycleLengths[CycleColumns] = {25.2, 29.53, 87.97, 58.6};
const int Multipliers[CycleRows] = {1, 2, 3, 5, 8, 13, 21, 34, 55};
const int MonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Theme entries: FONT10, COLOR01, COLOR13, COLOR30.
constexpr int BoxFont = 9;
constexpr int BoxBackColor = 0;
constexpr int BoxFrameColor = 12;
constexpr int BoxTextColor = 29;

// The leap rule as the box has always applied it: to the two-digit year.
int DaysInMonth(int year, int month)
{
    int y = year % 100;
    bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    return month == 2 && leap ? 29 : MonthDays[month - 1];
}

struct Ymd {
    int Year, Month, Day;
};

// A yyyymmdd value split into its parts; false for anything that is no date
// (not above 0, beyond year 9999, a month outside 1..12).
bool SplitDate(double date, Ymd &out)
{
    if (!(date > 0 && date < 100000000.0))
        return false;
    int v = int(date);
    out = {v / 10000, v / 100 % 100, v % 100};
    return out.Month >= 1 && out.Month <= 12;
}

// Walks a day count beyond the month's end forward month by month.
void Normalise(Ymd &d)
{
    for (;;) {
        int length = DaysInMonth(d.Year, d.Month);
        if (d.Day <= length)
            return;
        d.Day -= length;
        if (++d.Month > 12) {
            d.Month = 1;
            ++d.Year;
        }
    }
}

} // namespace

int CycleDate(double date, int row, int col)
{
    Ymd d;
    if (row < 0 || row >= CycleRows || col < 0 || col >= CycleColumns || !SplitDate(date, d))
        return 0;
    d.Day += int(std::sqrt(double(Multipliers[row])) * CycleLengths[col]);
    Normalise(d);
    return d.Year * 10000 + d.Month * 100 + d.Day;
}

void FormatCycleDate(char *out, int date)
{
    Ymd d;
    if (!SplitDate(date, d)) {
        out[0] = 0;
        return;
    }
    Normalise(d);
    // Day and month are within their ranges once walked; the text has 8 bytes.
    char text[48];
    int length = std::snprintf(text, sizeof text, "%02d-%02d-%02d", d.Year % 100, d.Month, d.Day);
    length = length < 0 ? 0 : length > 15 ? 15 : length;
    std::memcpy(out, text, size_t(length));
    out[length] = 0;
}

RECT DrawCycleBox(HDC dc, int x, int y, double date)
{
    Ymd check;
    if (!SplitDate(date, check))
        return RECT{x, y, x, y};
    const int h = ThemeFontHeight(BoxFont);
    const int c = 4 * h + 5;
    const int r = h + 1;
    const RECT box{x, y, x + 4 * c - 2, y + 11 * r};

    SelectedObject font(dc, CreateThemeFont(BoxFont));
    SelectedObject brush(dc, CreateSolidBrush(ThemeColor(BoxBackColor)));
    SelectedObject pen(dc, CreatePen(PS_SOLID, 1, ThemeColor(BoxFrameColor)));
    COLORREF oldText = SetTextColor(dc, ThemeColor(BoxTextColor));
    // The texts lie on the box's own background whatever mode the chart left.
    int oldMode = SetBkMode(dc, TRANSPARENT);

    Rectangle(dc, box.left, box.top, box.right, box.bottom);
    char text[16];
    FormatCycleDate(text, int(date));
    TextOutA(dc, x + int(1.5 * c), y + 1, text, int(std::strlen(text)));
    for (int j = 0; j < CycleColumns; ++j)
        TextOutA(dc, x + h + j * c, y + r, ColumnTitles[j], int(std::strlen(ColumnTitles[j])));
    for (int k = 0; k < CycleRows; ++k)
        for (int j = 0; j < CycleColumns; ++j) {
            FormatCycleDate(text, CycleDate(date, k, j));
            TextOutA(dc, x + 2 + j * c, y + (k + 2) * r, text, int(std::strlen(text)));
        }

    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldText);
    return box;
}
