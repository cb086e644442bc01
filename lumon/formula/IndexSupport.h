// Small helpers shared by the indicator units: the stock's market and code,
// float-to-pixel truncation, theme colours and fonts, and the pens, brushes and
// fonts the painters select for one call.
#pragma once

#include "lumon/core/MarketData.h"
#include "platform/gdi/GdiTypes.h"

// The stock's market and its code as a string; false when the market table does
// not know the stock.
bool StockMarketAndCode(StockId stock, TMarketData *&market, char code[8]);

// Truncation toward zero, bounded to the int range (NaN gives 0).
int TruncToInt(double v);

// Theme colour n (0..63).
win::COLORREF ThemeColor(int n);
// The height of theme font n, and half of it (at least 1) as the width of a
// character.
int ThemeFontHeight(int n);
int ThemeCharWidth(int n);
// Theme font n: its height, half of it as width, weight 400.
win::HFONT CreateThemeFont(int n);

// The length of a GBK text cut to at most `bytes` bytes without splitting a
// double-byte character.
int GbkCutLength(const char *text, int length, int bytes);

// Selects an object into a context for the life of the holder, then selects the
// old one back and deletes the object.
class SelectedObject {
public:
    SelectedObject(win::HDC hdc, win::HGDIOBJ object);
    SelectedObject(const SelectedObject &) = delete;
    SelectedObject &operator=(const SelectedObject &) = delete;
    ~SelectedObject();

private:
    win::HDC m_Hdc;
    win::HGDIOBJ m_Object;
    win::HGDIOBJ m_Old;
};
