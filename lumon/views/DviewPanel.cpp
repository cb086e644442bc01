// The quote panel of the chart views: the stock's name, order book and day's
// figures above, the tick list (or the broker grid) below.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/EMemOp.h"
#include "lumon/core/PackedDateTime.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "lumon/views/Dview.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TStringGrid.h"
#include "platform/gdi/TCanvas.h"
#include "platform/gdi/TFont.h"

using namespace win;

namespace {

const char kNone[] = "  ---";

AnsiString Format(const char *format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

AnsiString Price(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%8.*f", decimals, value);
    return text;
}

// A float or double as an unsigned price word: NaN and negatives 0, values past
// the word's range its largest value.
uint32_t SaturatedWord(double v)
{
    if (!(v > 0))
        return 0;
    return v >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(v);
}

// The three breadth counts of a market's first stock, where its bid area lies.
void BreadthCounts(const RealQuoteRecord &q, uint16_t &total, uint16_t &up, uint16_t &down)
{
    uint16_t words[4];
    static_assert(sizeof words == sizeof q.Bid[0]);
    std::memcpy(words, &q.Bid[0], sizeof words);
    total = words[0];
    up = words[1];
    down = words[2];
}

std::string FieldText(const char *field, size_t size) { return std::string(field, strnlen(field, size)); }

} // namespace

void TDrawView::FormatQuoteField(int field, AnsiString &text, int &colour)
{
    text = kNone;
    colour = int(KeyColor(20));
    const StockView v = Look();
    if (!v.Quote)
        return;
    const RealQuoteRecord &q = *v.Quote;
    const double scale = v.Scale;
    auto price = [&](uint32_t p) { return Price(double(p) / scale, v.Decimals); };
    auto volume = [&](double vol) { return Format("%8.0f", vol / double(v.Unit)); };
    auto vsPrev = [&](uint32_t p) { return int(ChangeColorIndex(p, q.PrevClose)); };
    const int volumeColour = int(KeyColor(33));
    double bids = 0, asks = 0;
    if (!v.IsIndex)
        for (int i = 0; i < 5; ++i) {
            bids += q.Bid[i].Volume;
            asks += q.Ask[i].Volume;
        }
    switch (field) {
    case 0:
        text = price(q.Last);
        colour = vsPrev(q.Last);
        break;
    case 1: {
        double average;
        if (v.Kind == 1) {
            average = FitRatioByPowersOfTen(q.Volume, q.Amount, float(double(q.Last) / scale));
        } else {
            if (q.Volume > TickVolumeSum) {
                TickAmountSum += float((q.Volume - TickVolumeSum) * double(q.Last) / scale);
                TickVolumeSum = q.Volume;
            }
            average = TickVolumeSum > 0.001f ? double(TickAmountSum) / TickVolumeSum : 0.0;
        }
        text = Price(average, v.Decimals);
        colour = vsPrev(SaturatedWord(average * scale));
        break;
    }
    case 2:
        text = Price((double(q.Last) - double(q.PrevClose)) / scale, v.Decimals);
        colour = vsPrev(q.Last);
        break;
    case 3:
        text = price(q.Open);
        colour = vsPrev(q.Open);
        break;
    case 4:
        if (q.PrevClose != 0)
            text = Format("%8.2f", (double(q.Last) - double(q.PrevClose)) * 100.0 / double(q.PrevClose));
        colour = vsPrev(q.Last);
        break;
    case 5:
        text = price(q.High);
        colour = vsPrev(q.High);
        break;
    case 6:
        text = volume(q.Volume);
        colour = volumeColour;
        break;
    case 7:
        text = price(q.Low);
        colour = vsPrev(q.Low);
        break;
    case 8:
    case 9:
        break;
    case 10:
        text = price(q.PrevClose);
        break;
    case 11:
        text = volume(q.LastVolume);
        colour = volumeColour;
        break;
    case 12:
        text = v.Kind == 1 ? Format("%8.2f", double(q.Amount) * 0.0001) : Format("%8.0f", q.Amount);
        colour = volumeColour;
        break;
    case 13: {
        double value = 0;
        if (v.Kind == 2) {
            if (GetQuoteField(Attr.Stock, 30, &value))
                text = Format("%8.0f", value);
        } else if (GetQuoteField(Attr.Stock, 13, &value)) {
            text = Format("%8.3f", value);
        }
        break;
    }
    case 14:
    case 15:
        if (field == 15)
            text = Format("%8.0f", (bids - asks) / double(v.Unit));
        else if (bids + asks != 0)
            text = Format("%+8.3f%%", (bids - asks) * 100.0 / (bids + asks));
        colour = int(ChangeColorIndex(SaturatedWord(bids), SaturatedWord(asks)));
        break;
    default:
        if (field >= 16 && field <= 35) {
            if (v.IsIndex)
                break;
            const bool bid = field < 26;
            const int level = (field - 16) % 10 % 5;
            const PriceVolume &pv = bid ? q.Bid[level] : q.Ask[level];
            const bool isPrice = (field - 16) % 10 < 5;
            if (isPrice) {
                if (pv.Price != 0)
                    text = price(pv.Price);
            } else {
                text = volume(pv.Volume);
            }
            colour = vsPrev(pv.Price);
        } else if (field >= 36 && field <= 38 && StockIndex(Attr.Stock) == 0) {
            uint16_t total, up, down;
            BreadthCounts(q, total, up, down);
            char buffer[16];
            const int n = field == 36 ? up : field == 37 ? int(total) - up - down : down;
            std::snprintf(buffer, sizeof buffer, "%d", n);
            text = buffer;
            colour = int(KeyColor(field == 36 ? 21 : field == 37 ? 20 : 19));
        }
        break;
    }
}

bool TDrawView::BeginPanelPaint(TCanvas *&c, int &height, StockView &v, int &digitWidth)
{
    if (!c)
        c = MsgPage->Canvas;
    if (height < 0)
        height = MsgPage->ClientHeight;
    v = Look();
    if (!v.Static)
        return false;
    c->Brush->Style = bsClear;
    c->Font->Assign(*Fonts[4]);
    digitWidth = c->TextWidth("0");
    return true;
}

void TDrawView::PaintQuotePanel(TCanvas *c, int height)
{
    StockView v;
    int dw = 0;
    if (!BeginPanelPaint(c, height, v, dw))
        return;
    const int h4 = c->TextHeight("0");
    c->Font->Assign(*Fonts[3]);
    const int h5 = c->TextHeight("0");
    const int R = (h4 > h5 ? h4 : h5) + 3;
    const int W = MsgPage->ClientWidth;
    const int labelL = 0, valueL = 4 * dw + 2, labelR = 12 * dw + 4, valueR = 16 * dw + 6;
    c->Pen->Color = TColor(KeyColor(12));
    auto line = [&](int y) {
        c->MoveTo(0, y);
        c->LineTo(W, y);
    };
    auto label = [&](int x, int y, const char *text) {
        c->Font->Assign(*Fonts[3]);
        c->Font->Color = TColor(KeyColor(31));
        c->TextOut(x, y, text);
    };
    auto value = [&](int x, int y, int field) {
        AnsiString text;
        int colour;
        FormatQuoteField(field, text, colour);
        c->Font->Assign(*Fonts[4]);
        c->Font->Color = TColor(colour);
        c->TextOut(x, y, text);
    };

    c->Font->Assign(*Fonts[2]);
    c->Font->Color = TColor(KeyColor(24));
    const std::string title = FieldText(v.Static->Name, sizeof v.Static->Name) + "(" +
                              FieldText(v.Static->Code, sizeof v.Static->Code) + ")";
    c->TextOut(2, 2, title.c_str());
    int y = c->TextHeight("0") + 2;
    line(y);
    y += 3;

    if (!v.IsIndex) {
        if (v.Kind == 1) {
            static const char *const sells[5] = {"卖五", "卖四", "卖三", "卖二", "卖一"};
            static const char *const buys[5] = {"买一", "买二", "买三", "买四", "买五"};
            for (int i = 0; i < 5; ++i, y += R) {
                label(labelL, y, sells[i]);
                value(valueL, y, 30 - i);
                value(valueR, y, 35 - i);
            }
            y += 2;
            line(y);
            y += 3;
            for (int i = 0; i < 5; ++i, y += R) {
                label(labelL, y, buys[i]);
                value(valueL, y, 16 + i);
                value(valueR, y, 21 + i);
            }
        } else {
            label(labelL, y, "卖出");
            value(valueL, y, 26);
            value(valueR, y, 31);
            y += R + 2;
            line(y);
            y += 3;
            label(labelL, y, "买入");
            value(valueL, y, 16);
            value(valueR, y, 21);
            y += R;
        }
        line(y);
        y += 3;
    }

    struct Pair {
        const char *left;
        int leftField;
        const char *right;
        int rightField;
    };
    auto rows = [&](const Pair *pairs, int n) {
        for (int i = 0; i < n; ++i, y += R) {
            label(labelL, y, pairs[i].left);
            value(valueL, y, pairs[i].leftField);
            if (pairs[i].right) {
                label(labelR, y, pairs[i].right);
                value(valueR, y, pairs[i].rightField);
            }
        }
    };
    if (v.Kind == 1 && !v.IsIndex) {
        static const Pair pairs[5] = {{"最新", 0, "均价", 1}, {"涨跌", 2, "开盘", 3}, {"幅度", 4, "最高", 5},
                                      {"总手", 6, "最低", 7}, {"换手", 8, "市盈", 9}};
        rows(pairs, 5);
    } else {
        const bool futures = v.Kind == 2;
        const Pair pairs[6] = {{"最新", 0, v.IsIndex ? nullptr : "均价", 1},
                               {"涨跌", 2, "幅度", 4},
                               {futures ? "昨结" : "昨收", 10, "开盘", 3},
                               {"最高", 5, "最低", 7},
                               {"总手", 6, "现手", 11},
                               {futures ? "持仓" : "金额", 12, futures ? "仓差" : "量比", 13}};
        rows(pairs, 6);
    }
    line(y);
    y += 2;
    label(labelL, y, "委比");
    value(valueL, y, 14);
    value(valueR, y, 15);
    y += R;
    line(y);
    y += 3;
    if (v.IsIndex) {
        static const char *const breadth[3] = {"上涨家数", "平盘家数", "下跌家数"};
        for (int i = 0; i < 3; ++i, y += R) {
            label(labelL, y, breadth[i]);
            value(8 * dw + 2, y, 36 + i);
        }
        line(y);
        y += 3;
    }
    PanelHeight = y + 3;

    if (!v.IsIndex)
        return;
    StringGrid1->Visible = false;
    y += 2;
    const TMarketData *md = v.Market;
    const int bottom = height;
    for (int s = 0; s < md->StockCount && y < bottom; ++s) {
        if (s == StockIndex(Attr.Stock))
            continue;
        const StockStaticRecord &st = md->Statics[s];
        if (st.Class >= md->Info.ClassCount || st.Class >= 15 || !md->Info.Classes[st.Class].IsIndex)
            continue;
        const RealQuoteRecord &q = md->Quotes[s];
        const double scale = PriceScaleOf(st);
        c->Font->Assign(*Fonts[4]);
        c->Font->Color = TColor(KeyColor(24));
        c->TextOut(0, y, FieldText(st.Name, sizeof st.Name).c_str());
        c->Font->Color = TColor(GetChangeColor(int32_t(q.Last), int32_t(q.PrevClose)));
        c->TextOut(8 * dw + 2, y, q.Last == 0 ? AnsiString("-----.--") : Format("%8.2f", double(q.Last) / scale));
        c->TextOut(16 * dw + 4, y,
                   q.Last == 0 ? AnsiString("-----.--")
                               : Format("%+8.2f", (double(q.Last) - double(q.PrevClose)) / scale));
        y += R;
    }
}

void TDrawView::MsgPagePaint(TObject *)
{
    if (!Panel1->Visible)
        return;
    PaintQuotePanel(nullptr, -1);
    const StockView v = Look();
    if (!v.Static || v.IsIndex)
        return;
    if (BrokerMode == 1 && StockMarket(Attr.Stock) == 2) {
        PlaceBrokerGrid();
        return;
    }
    StringGrid1->Visible = false;
    PaintTickList(nullptr, -1);
}

void TDrawView::PaintTickList(TCanvas *c, int height)
{
    StockView v;
    int dw = 0;
    if (!BeginPanelPaint(c, height, v, dw))
        return;
    const int R = c->TextHeight("0") + 3;
    const int x0 = v.Kind == 2 ? 2 : 2 + 3 * dw;
    const int rows = (height + 6 - PanelHeight) / R;
    if (rows < 1)
        return;
    int y = PanelHeight + 2;
    auto text = [&](int font, COLORREF colour, int x, int ty, const AnsiString &t) {
        c->Font->Assign(*Fonts[font]);
        c->Font->Color = TColor(colour);
        c->TextOut(x, ty, t);
    };
    const double unit = double(v.Unit);
    text(3, KeyColor(31), 0, y - 2, "外盘");
    text(3, KeyColor(31), 12 * dw + 4, y - 2, "内盘");
    text(4, KeyColor(21), 5 * dw + 2, y - 2, OuterVolume > 0 ? Format("%7.0f", OuterVolume / unit) : kNone);
    text(4, KeyColor(19), 17 * dw + 6, y - 2, InnerVolume > 0 ? Format("%7.0f", InnerVolume / unit) : kNone);
    y += R;
    c->Pen->Color = TColor(KeyColor(12));
    c->MoveTo(0, y - 2);
    c->LineTo(MsgPage->ClientWidth, y - 2);
    text(4, KeyColor(55), 0, y, v.Class ? FieldText(v.Class->Name, sizeof v.Class->Name).c_str() : "");
    text(4, KeyColor(55), 8 * dw + x0, y, "成交价");
    text(4, KeyColor(55), 15 * dw + 2 * x0, y, "现手");
    if (v.Kind == 2)
        text(4, KeyColor(55), 20 * dw + 3 * x0, y, "仓差");
    y += R;

    if (!TickBuf || v.Quote->Last == 0)
        return;
    // The newest deals whose volume reaches the big-order threshold, at most
    // rows - 2 of them, drawn oldest first.
    const int capacity = int(EMemSize(TickBuf) / sizeof(TickRecord));
    int last = TickCount + TickTop;
    if (last > capacity)
        last = capacity;
    const float threshold = float(BigOrderVolume / int64_t(v.Unit));
    std::vector<int> kept;
    for (int i = last - 1; i >= 0 && int(kept.size()) < rows - 2; --i)
        if (TickBuf[i].Volume >= threshold)
            kept.push_back(i);
    const int market = StockMarket(Attr.Stock), cls = StockClass(Attr.Stock);
    for (size_t k = kept.size(); k-- > 0; y += R) {
        const TickRecord &t = TickBuf[kept[k]];
        int hour = int((t.Time >> 6) & 31);
        const int minute = int(t.Time & 63);
        ShiftHourByZone(market, cls, hour);
        char clock[16];
        std::snprintf(clock, sizeof clock, "%02d:%02d", hour, minute);
        text(4, KeyColor(31), 0, y, clock);
        char p[64];
        std::snprintf(p, sizeof p, "%7.*f", v.Decimals, double(t.Price) / v.Scale);
        text(4, GetChangeColor(int32_t(t.Price), int32_t(v.Quote->PrevClose)), 5 * dw + x0, y, p);
        const COLORREF side = t.Side == 0 ? KeyColor(21) : t.Side == 1 ? KeyColor(19) : KeyColor(20);
        text(4, side, 12 * dw + 2 * x0, y, Format("%6.0f", t.Volume / unit));
        if (v.Kind == 2)
            text(4, KeyColor(33), 18 * dw + 3 * x0, y, Format("%+6.0f", kept[k] == 0 ? 0.0 : double(t.Amount)));
    }
}
