// The K-line chart's read-outs: the quote block of one bar beside the price
// axis, the info grid of all bars shown instead of the chart, and the two tags
// that follow the cross-hair (value at the right edge, time on the time axis).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/formula/IndexSupport.h"
#include "lumon/formula/TIndex.h"
#include "lumon/views/Techfm.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/TCanvas.h"
#include "platform/gdi/TFont.h"
#include "platform/win/Window.h"

using namespace win;

namespace {

// A printf format with the decimals filled in: "%8.2f" from "%%8.%df" and 2.
std::string DecimalsFormat(const char *tpl, int decimals)
{
    char out[32];
    std::snprintf(out, sizeof out, tpl, std::clamp(decimals, 0, 6));
    return out;
}

std::string Format(const std::string &fmt, double v)
{
    char out[64];
    std::snprintf(out, sizeof out, fmt.c_str(), v);
    return out;
}

} // namespace

// ---- quote block ----------------------------------------------------------------------------------

void TTechForm::ShowQuoteBlock(int record)
{
    const StockView v = Look();
    Panel2->Font->Assign(*Fonts[3]);
    Panel2->Font->Color = TColor(KeyColor(31));
    const std::string valueFormat = DecimalsFormat("%%8.%df", v.Decimals);
    const bool futures = v.Kind == 2;
    Captions[7]->Visible = !futures;
    Values[7]->Visible = !futures;
    Captions[5]->Caption = futures ? "持    仓" : "成交金额";
    Panel2->Height = (futures ? Captions[7]->Top : Captions[8]->Top) + 1;

    TIndex *price = Panes[0];
    if (!price || record < 0 || record > price->RecordCount || price->RecordCount < 1 || !v.Static) {
        DateLabel->Caption = "------";
        for (TLabel *value : Values)
            value->Caption = "------";
        return;
    }
    KLineRecord r;
    float change = 0, percent = 0, reserved = 0;
    uint32_t reference = 0;
    price->GetRecordInfo(record, r, change, percent, reserved, reference);
    if (v.Market && v.Quote && Attr.Param == 8 && IsSameDay(r.Time, v.Market->TradingDate)) {
        // Today's day bar moves against the live previous close.
        reference = v.Quote->PrevClose;
        change = float((double(v.Quote->Last) - double(reference)) / v.Scale);
        percent = reference ? float((double(v.Quote->Last) - double(reference)) * 100.0 / double(reference)) : 0.0f;
    }
    char text[64];
    if (Attr.Param >= 8) {
        std::snprintf(text, sizeof text, "%04d%02d%02d", PackedYear(r.Time), PackedMonth(r.Time), PackedDay(r.Time));
    } else {
        PackedDateTime t = r.Time;
        ShiftPackedTimeByZone(StockMarket(Attr.Stock), StockClass(Attr.Stock), t);
        std::snprintf(text, sizeof text, "%02d%02d%02d%02d", PackedMonth(t), PackedDay(t), PackedHour(t),
                      PackedMinute(t));
    }
    DateLabel->Caption = text;
    auto put = [&](int i, const std::string &s, COLORREF colour) {
        Values[i]->Caption = s.c_str();
        Values[i]->Font->Color = TColor(colour);
    };
    const COLORREF closeColour = ChangeColorIndex(r.Close, reference);
    put(6, Format(DecimalsFormat("%%+8.%df", v.Decimals), change), closeColour);
    put(7, Format("%+6.2f%%", percent), closeColour);
    put(3, Format(valueFormat, r.Close / v.Scale), closeColour);
    put(0, Format(valueFormat, r.Open / v.Scale), ChangeColorIndex(r.Open, reference));
    put(1, Format(valueFormat, r.High / v.Scale), ChangeColorIndex(r.High, reference));
    const COLORREF lowColour = ChangeColorIndex(r.Low, reference);
    put(2, Format(valueFormat, r.Low / v.Scale), lowColour);
    put(4, Format("%8.0f", double(r.Volume) / v.Unit), lowColour);
    const double amount = r.Amount;
    std::string amountText;
    if (v.Kind == 1)
        // Above 10^12 the amount reads in 亿 (10^8).
        amountText = amount > AmountYiThreshold ? Format("%.2f亿", amount * 1e-8) : Format("%8.2f", amount * 0.0001);
    else
        amountText = amount > 1e8 ? Format("%.0f万", amount * 0.0001) : Format("%8.0f", amount);
    put(5, amountText, lowColour);
}

// ---- info grid --------------------------------------------------------------------------------------

bool TTechForm::GridCellText(int col, int row, std::string &text, COLORREF &colour) const
{
    const StockView v = Look();
    const bool futures = v.Kind == 2;
    text.clear();
    colour = KeyColor(22);
    if (row == 0) {
        static const char *const heads[7] = {"时间", "开", "高", "低", "收", "成交量", "成交额"};
        text = col == 6 && futures ? "持仓" : col >= 0 && col < 7 ? heads[col] : "";
        return true;
    }
    const TIndex *price = Panes[0];
    const int i = row - 1;
    if (!price || !price->Records || price->RecordCount < 1 || i < 0 || i >= price->RecordCount)
        return false;
    const KLineRecord &r = price->Records[i];
    char buf[64];
    switch (col) {
    case 0: {
        if (Attr.Param < 8) {
            PackedDateTime t = r.Time;
            ShiftPackedTimeByZone(StockMarket(Attr.Stock), StockClass(Attr.Stock), t);
            std::snprintf(buf, sizeof buf, "%02d/%02d %02d:%02d", PackedMonth(t), PackedDay(t), PackedHour(t),
                          PackedMinute(t));
        } else {
            std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", PackedYear(r.Time) % 100, PackedMonth(r.Time),
                          PackedDay(r.Time));
        }
        text = buf;
        colour = KeyColor(31);
        return true;
    }
    case 1:
    case 2:
    case 3:
    case 4: {
        const uint32_t values[4] = {r.Open, r.High, r.Low, r.Close};
        const uint32_t value = values[col - 1];
        text = Format(DecimalsFormat("%%-8.%df", v.Decimals), value / v.Scale);
        colour = i == 0 ? KeyColor(20) : ChangeColorIndex(value, price->Records[i - 1].Close);
        return true;
    }
    case 5:
        text = Format("%8.0f", double(r.Volume) / v.Unit);
        colour = KeyColor(33);
        return true;
    case 6:
        text = v.Kind == 1 ? Format("%8.2f", double(r.Amount) * 0.0001) : Format("%8.0f", double(r.Amount));
        colour = KeyColor(33);
        return true;
    default:
        return false;
    }
}

void TTechForm::DrawGrid1DrawCell(TObject *, int ACol, int ARow, const TRect &Rect, TGridDrawState)
{
    TCanvas *c = DrawGrid1->Canvas;
    if (ARow == DrawGrid1->Row && ARow > 0) {
        c->Brush->Color = TColor(KeyColor(64));
        c->FillRect(Rect);
    }
    if (ARow == 0 && ACol == 0 && Attr.Param >= 8)
        if (DrawGrid1->GetColWidth(0) != 10 * c->TextWidth("0") + 4)
            DrawGrid1->SetColWidth(0, 10 * c->TextWidth("0") + 4);
    std::string text;
    COLORREF colour;
    if (!GridCellText(ACol, ARow, text, colour) || text.empty())
        return;
    c->Font->Color = TColor(colour);
    DrawCellText(c, Rect, text.c_str(), ARow == 0 || ACol == 0 ? 0 : 2);
}

void TTechForm::DrawCellText(TCanvas *canvas, const TRect &rect, const char *text, int alignment)
{
    const int width = rect.Right - rect.Left;
    const int tw = canvas->TextWidth(text);
    int x = alignment == 0 ? (width - tw) / 2 : alignment == 2 ? width - tw - 1 : 1;
    const int y = rect.Top + (rect.Bottom - rect.Top - canvas->TextHeight(text)) / 2;
    canvas->Brush->Style = bsClear;
    if (x < 0)
        canvas->TextOut(rect.Left, y, "********");
    else
        canvas->TextOut(rect.Left + x, y, text);
    canvas->Brush->Style = bsSolid;
}

void TTechForm::DrawGrid1MouseDown(TObject *, TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button != mbRight)
        return;
    TPoint p = DrawGrid1->ClientToScreen(TPoint(X, Y));
    PopupMenu1->Popup(p.x, p.y);
}

// ---- cross-hair tags ----------------------------------------------------------------------------------

bool TTechForm::FormatValueAt(int area, int decimals, int x, int y, std::string &valueText, std::string &dateText)
{
    valueText.clear();
    dateText.clear();
    if (area < 0 || area >= MaxChartObjects || !Panes[area])
        return false;
    TIndex *p = Panes[area];
    int record = -1;
    PackedDateTime t = 0;
    float value = 0;
    if (!p->PointToValue(POINT{x, y}, record, t, value))
        return false;
    char buf[64];
    if (!(value >= -1e7f && value < 1e7f))
        std::snprintf(buf, sizeof buf, "%-.3E", double(value));
    else
        std::snprintf(buf, sizeof buf, DecimalsFormat("%%-.%df", p->PriceScale ? decimals : 3).c_str(), double(value));
    valueText = buf;
    if (Attr.Param < 8) {
        ShiftPackedTimeByZone(StockMarket(Attr.Stock), StockClass(Attr.Stock), t);
        std::snprintf(buf, sizeof buf, "%02d/%02d %02d:%02d", PackedMonth(t), PackedDay(t), PackedHour(t),
                      PackedMinute(t));
    } else {
        static const char *const days[7] = {"日", "一", "二", "三", "四", "五", "六"};
        const int dow = std::clamp(PackedDateDayOfWeek(t), 0, 6);
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d(%s)", PackedYear(t), PackedMonth(t), PackedDay(t), days[dow]);
    }
    dateText = buf;
    return true;
}

void TTechForm::DrawCrossHair(HDC dc, int x, int y, bool keepPrevious)
{
    if (!HandleAllocated())
        return;
    const bool erasing = CrossShown && keepPrevious;
    HDC window = dc ? dc : GetDC(Handle);
    HDC back = BackDC();
    HPEN pen = CreatePen(PS_SOLID, 1, KeyColor(16));
    HGDIOBJ oldPen = SelectObject(window, pen);
    const int oldRop = SetROP2(window, R2_XORPEN);
    const RECT &r = ChartRect;
    auto cross = [&](int cx, int cy) {
        MoveToEx(window, r.left, cy, nullptr);
        LineTo(window, r.right, cy);
        MoveToEx(window, cx, r.top, nullptr);
        LineTo(window, cx, r.bottom);
    };
    if (!keepPrevious && PointInRect(CrossAt.x, CrossAt.y, r.left, r.top, r.right, r.bottom))
        cross(CrossAt.x, CrossAt.y);
    if (ClipSet && ClipSource)
        ChartRect = *ClipSource;
    const bool inside = PointInRect(x, y, r.left, r.top, r.right, r.bottom);
    // Taking the cross-hair off: the lines go first, then the clean picture is
    // copied back under the tags (which covered the lines there).
    if (erasing && inside)
        cross(x, y);
    if ((TagWidth1 || TagWidth2) && back) {
        for (const RECT &t : {ValueTagRect, TimeTagRect})
            BitBlt(window, t.left, t.top, t.right - t.left, t.bottom - t.top, back, t.left, t.top, SRCCOPY);
    }
    TagWidth1 = TagWidth2 = 0;
    if (inside && !erasing) {
        cross(x, y);
        {
            int area = -1;
            for (int i = 0; i < PaneCount && i < MaxChartAreas && area < 0; ++i)
                if (PointInRect(x, y, PaneRects[i].left, PaneRects[i].top, PaneRects[i].right, PaneRects[i].bottom))
                    area = i;
            // The object of that area that converts the point: the area's first.
            int slot = -1;
            for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects && slot < 0 && area >= 0; ++i)
                if (Panes[i] && Panes[i]->AreaIndex == area)
                    slot = i;
            std::string valueText, dateText;
            if (slot >= 0 && FormatValueAt(slot, Look().Decimals, x, y, valueText, dateText) && !valueText.empty() &&
                !dateText.empty()) {
                SetROP2(window, oldRop);
                const int h = ThemeFontHeight(10);
                const int cw = std::max(h / 2, 1);
                SelectedObject font(window, CreateThemeFont(10));
                SetTextColor(window, KeyColor(16));
                SetBkColor(window, KeyColor(25));
                SetBkMode(window, OPAQUE);
                HPEN edge = CreatePen(PS_SOLID, 1, KeyColor(1) ^ 0xFFFFFF);
                HGDIOBJ before = SelectObject(window, edge);
                HBRUSH fill = CreateSolidBrush(KeyColor(25));
                auto tag = [&](const std::string &text, int left, int top, int height, bool bottomEdge) {
                    const int w = int(text.size()) * cw + 2;
                    RECT box{left, top, left + w, top + height};
                    FillRect(window, &box, fill);
                    TextOutA(window, left + 1, top + 1, text.c_str(), int(text.size()));
                    MoveToEx(window, left, top + height - 1, nullptr);
                    LineTo(window, left, top);
                    LineTo(window, left + w - 1, top);
                    LineTo(window, left + w - 1, top + height - (bottomEdge ? 1 : 0));
                    if (bottomEdge)
                        LineTo(window, left - 1, top + height - 1);
                    return box;
                };
                int vx = r.right - int(valueText.size()) * cw - 2;
                if (vx <= x)
                    vx = r.left;
                ValueTagRect = tag(valueText, vx, y - h - 1, h + 1, false);
                const int tw = int(dateText.size()) * cw + 2;
                const int tx = std::min<int>(x, DateAxisRect.right - tw);
                TimeTagRect = tag(dateText, tx, DateAxisRect.top, h + 2, true);
                TagWidth1 = int(valueText.size());
                TagWidth2 = int(dateText.size());
                SelectObject(window, before);
                DeleteObject(edge);
                DeleteObject(fill);
            }
        }
    }
    CrossAt = POINT{x, y};
    SetROP2(window, oldRop);
    SelectObject(window, oldPen);
    DeleteObject(pen);
    ReleaseBackDC(back);
    if (!dc)
        ReleaseDC(Handle, window);
}
