// The intraday chart's trade-detail grid (one row per trade of the day with
// the futures open/close classification) and its volume-at-price bars.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "lumon/core/MarketData.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/formula/TBarChart.h"
#include "lumon/views/Rendform.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TPopupMenu.h"
#include "platform/gdi/TCanvas.h"
#include "platform/gdi/TFont.h"

using namespace win;

namespace {

const char kColumnTitles[7][10] = {"时间", "成交价", "涨跌", "现手", "开仓", "平仓", "买卖性质"};

} // namespace

const char *TRendForm::TradeClass(float oiChange, float volume, uint8_t side)
{
    // Truncated toward zero; values that are no numbers count as 0.
    auto whole = [](float f) -> long long {
        if (!std::isfinite(f))
            return 0;
        return (long long)std::trunc(std::clamp(double(f), -9e15, 9e15));
    };
    const long long d = whole(oiChange), v = whole(volume);
    if (d == 0)
        return "换手";
    if (d == v)
        return "双开仓";
    if (d == -v)
        return "双平仓";
    if (d < 0)
        return side != 0 ? "多头平" : "空头平";
    return side != 0 ? "空头开" : "多头开";
}

void TRendForm::SetupDetailGrid()
{
    LoadTicks();
    const StockView v = Look();
    DrawGrid1->ColCount = v.Kind == 2 ? 7 : 4;
    DrawGrid1->RowCount = 2;
    DrawGrid1->Row = 1;
    if (DisplayMode == 2)
        BuildPriceVolume();
}

void TRendForm::BuildPriceVolume()
{
    if (!Bars)
        return;
    const StockView v = Look();
    const int n = v.IsIndex ? 0 : DayTickCount();
    // Distinct prices in ascending order with their summed volumes.
    std::map<uint32_t, double> levels;
    for (int i = 0; i < n; ++i) {
        const float volume = TickBuf[i].Volume;
        levels[TickBuf[i].Price] += std::isfinite(volume) ? double(volume) : 0.0;
    }
    const COLORREF colours[2] = {0x008080, 0xFF0000};
    if (!Bars->SetSize(1, int(levels.size()), 2, colours))
        Bars->SetSize(1, 0, 2, colours);
    Bars->FirstPoint = 0;
    Bars->PointsShown = 0;
    std::snprintf(Bars->LabelFormat, sizeof Bars->LabelFormat, "%s", "%8.3f");
    std::snprintf(Bars->ValueFormat, sizeof Bars->ValueFormat, "%s", "%.0f");
    const double factor = v.Kind == 1 ? 0.01 : 1.0;
    int k = 0;
    for (const auto &[price, volume] : levels) {
        if (k >= Bars->PointCount || !Bars->Labels || !Bars->Values[0])
            break;
        Bars->Labels[k] = float(double(price) / v.Scale);
        Bars->Values[0][k] = float(volume * factor);
        ++k;
    }
}

void TRendForm::UpdateGridRows()
{
    const int n = DayTickCount();
    if (DrawGrid1->RowCount > n)
        return;
    const bool onLast = DrawGrid1->Row == DrawGrid1->RowCount - 1;
    DrawGrid1->RowCount = n + 1;
    if (onLast)
        DrawGrid1->Row = n;
}

void TRendForm::UpdateDetailCaption()
{
    const StockView v = Look();
    if (!v.Static)
        return;
    const std::string caption = "  " + std::string(v.Static->Name, strnlen(v.Static->Name, sizeof v.Static->Name)) +
                                "(" + std::string(v.Static->Code, strnlen(v.Static->Code, sizeof v.Static->Code)) +
                                ")成交明细";
    Panel5->Caption = caption.c_str();
    Panel5->Color = TColor(KeyColor(34));
    Panel5->Font->Color = TColor(KeyColor(22));
}

void TRendForm::DrawCellText(const TRect &rect, const char *text, int align)
{
    TCanvas *c = DrawGrid1->Canvas;
    const int width = c->TextWidth(text), height = c->TextHeight(text[0] ? text : "0");
    const int y = rect.Top + (rect.Bottom - rect.Top - height) / 2;
    const int room = rect.Right - rect.Left;
    int x;
    if (align == 1) {
        x = rect.Left + 1;
    } else if (width > room) {
        c->TextRect(rect, rect.Left, y, "***");
        return;
    } else if (align == 2) {
        x = rect.Right - 1 - width;
    } else {
        x = rect.Left + (room - width) / 2;
    }
    c->TextRect(rect, x, y, text);
}

void TRendForm::DetailCellText(int col, int row, char *text, int size, COLORREF &colour)
{
    colour = KeyColor(22);
    text[0] = 0;
    const StockView v = Look();
    if (!v.Static || !v.Quote || v.IsIndex)
        return;
    const int n = DayTickCount(), i = row - 1;
    if (n == 0 || i < 0 || i >= n) {
        std::snprintf(text, size_t(size), " ");
        return;
    }
    if (v.Quote->Last == 0) {
        std::snprintf(text, size_t(size), "  ---");
        return;
    }
    const TickRecord &t = TickBuf[i];
    const double scale = v.Scale, unit = double(v.Unit);
    const uint32_t prev = v.Quote->PrevClose;
    const double volume = std::isfinite(t.Volume) ? double(t.Volume) / unit : 0.0;
    const double change = std::isfinite(t.Amount) ? double(t.Amount) : 0.0;
    auto signColour = [](double x) {
        const long long d = (long long)std::trunc(std::clamp(x, -9e15, 9e15));
        return d > 0 ? KeyColor(21) : d == 0 ? KeyColor(20) : KeyColor(19);
    };
    switch (col) {
    case 0: {
        int hour = PackedHour(t.Time);
        ShiftHourByZone(StockMarket(Attr.Stock), v.Static->Class, hour);
        std::snprintf(text, size_t(size), "%02d:%02d", hour, PackedMinute(t.Time));
        break;
    }
    case 1:
        std::snprintf(text, size_t(size), "%8.*f", v.Decimals, double(t.Price) / scale);
        colour = ChangeColorIndex(t.Price, prev);
        break;
    case 2:
        std::snprintf(text, size_t(size), "%8.*f", v.Decimals, (double(t.Price) - double(prev)) / scale);
        colour = ChangeColorIndex(t.Price, prev);
        break;
    case 3:
        std::snprintf(text, size_t(size), "%8.0f", volume);
        colour = t.Side == 0 ? KeyColor(21) : t.Side == 1 ? KeyColor(19) : KeyColor(20);
        break;
    case 4:
        std::snprintf(text, size_t(size), "%.0f", (volume + change) * 0.5);
        colour = signColour(change);
        break;
    case 5:
        std::snprintf(text, size_t(size), "%.0f", (volume - change) * 0.5);
        colour = signColour(change);
        break;
    case 6:
        std::snprintf(text, size_t(size), "%s", TradeClass(t.Amount, float(volume), t.Side));
        break;
    default:
        break;
    }
}

void TRendForm::DrawGrid1DrawCell(TObject *, int ACol, int ARow, const TRect &Rect, TGridDrawState)
{
    TCanvas *c = DrawGrid1->Canvas;
    c->Font->Assign(*DrawGrid1->Font);
    c->Brush->Style = bsClear;
    if (ARow == DrawGrid1->Row && ARow > 0) {
        TRect r = Rect;
        r.Right += 1;
        c->Brush->Style = bsSolid;
        c->Brush->Color = TColor(KeyColor(64));
        c->FillRect(r);
        c->Brush->Style = bsClear;
    }
    if (ARow == 0) {
        if (ACol < 0 || ACol >= 7)
            return;
        c->Font->Color = TColor(KeyColor(22));
        const int tw = c->TextWidth("时");
        const int cols = DrawGrid1->ColCount, gridWidth = DrawGrid1->ClientWidth;
        const int w = cols == 7 ? (gridWidth - 162 - 17 * tw) / 7 : (gridWidth - 114 - 9 * tw) / std::max(cols, 1);
        const int titleWidth = c->TextWidth(kColumnTitles[ACol]);
        const int width = w < 1 ? titleWidth + 16 : titleWidth + std::min(w, 30) + 16;
        if (DrawGrid1->GetColWidth(ACol) != width)
            DrawGrid1->SetColWidth(ACol, width);
        DrawCellText(Rect, kColumnTitles[ACol], 0);
        return;
    }
    char text[64];
    COLORREF colour;
    DetailCellText(ACol, ARow, text, sizeof text, colour);
    if (!text[0])
        return;
    c->Font->Color = TColor(colour);
    DrawCellText(Rect, text, 0);
}

void TRendForm::DrawGrid1MouseDown(TObject *Sender, TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button != mbRight)
        return;
    auto *control = dynamic_cast<TControl *>(Sender);
    TPoint p = control ? control->ClientToScreen(TPoint(X, Y)) : ClientToScreen(TPoint(X, Y));
    PopupMenu1->Popup(p.x, p.y);
}
