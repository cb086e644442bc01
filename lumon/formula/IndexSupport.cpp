#include "lumon/formula/IndexSupport.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "lumon/core/DataIO.h"
#include "lumon/core/UtilData.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Text.h"

bool StockMarketAndCode(StockId stock, TMarketData *&market, char code[8])
{
    const StockStaticRecord *s = TDataIO::GetStock(stock);
    int m = StockMarket(stock);
    if (!s || m >= MaxMarkets || m >= MarketTable.Count || !MarketTable.Markets[m])
        return false;
    market = MarketTable.Markets[m];
    std::memcpy(code, s->Code, sizeof s->Code);
    code[sizeof s->Code] = 0;
    return true;
}

int TruncToInt(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return int(v);
}

win::COLORREF ThemeColor(int n)
{
    return n >= 0 && n < 64 ? win::COLORREF(ColorTable[n]) : 0;
}

int ThemeFontHeight(int n)
{
    return n >= 0 && n < 16 ? FontTable[n].Size : 0;
}

int ThemeCharWidth(int n)
{
    int w = ThemeFontHeight(n) / 2;
    return w > 0 ? w : 1;
}

win::HFONT CreateThemeFont(int n)
{
    int h = ThemeFontHeight(n);
    char face[sizeof FontTable[0].Face + 1] = {};
    if (n >= 0 && n < 16)
        std::memcpy(face, FontTable[n].Face, sizeof FontTable[n].Face);
    return win::CreateFontA(h, h / 2, 0, 0, 400, 0, 0, 0, win::DEFAULT_CHARSET, 0, 0, 0, 0, face);
}

int GbkCutLength(const char *text, int length, int bytes)
{
    if (bytes <= 0 || length <= 0)
        return 0;
    return int(win::GbkFitLength(std::string_view(text, size_t(length)), size_t(bytes)));
}

SelectedObject::SelectedObject(win::HDC hdc, win::HGDIOBJ object)
    : m_Hdc(hdc), m_Object(object), m_Old(win::SelectObject(hdc, object))
{
}

SelectedObject::~SelectedObject()
{
    win::SelectObject(m_Hdc, m_Old);
    win::DeleteObject(m_Object);
}
