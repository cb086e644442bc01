#include "toolpick/ThemePreview.h"

#include "platform/gdi/Gdi.h"
#include "toolpick/ThemeSlots.h"

using namespace win;

namespace {

void UseFont(TCanvas *canvas, int height, bool bold = false)
{
    canvas->Font->Name = "宋体";
    canvas->Font->Height = height;
    canvas->Font->Style = bold ? TFontStyles() << fsBold : TFontStyles();
}

void Text(TCanvas *canvas, int x, int y, const char *text, TColor colour)
{
    canvas->Brush->Style = bsClear;
    canvas->Font->Color = colour;
    canvas->TextOut(x, y, text);
    canvas->Brush->Style = bsSolid;
}

void Fill(TCanvas *canvas, const TRect &rect, TColor colour)
{
    canvas->Brush->Style = bsSolid;
    canvas->Brush->Color = colour;
    canvas->FillRect(rect);
}

void Line(TCanvas *canvas, int x1, int y1, int x2, int y2, TColor colour)
{
    canvas->Pen->Color = colour;
    canvas->Pen->Width = 1;
    canvas->Pen->Mode = pmCopy;
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
}

// Draws a 2-pixel frame of the rectangle's inside edges.
void Frame2(TCanvas *canvas, int left, int top, int right, int bottom, TColor colour)
{
    Fill(canvas, TRect(left, top, right, top + 2), colour);
    Fill(canvas, TRect(left, bottom - 2, right, bottom), colour);
    Fill(canvas, TRect(left, top, left + 2, bottom), colour);
    Fill(canvas, TRect(right - 2, top, right, bottom), colour);
}

void ApplySlotFont(TCanvas *canvas, const TFontRecord *fonts, int slot)
{
    ApplyFontRecord(canvas->Font, fonts[slot - 1]);
}

} // namespace

TColor SlotColour(const int32_t *colours, int slot) { return TColor(colours[slot - 1] & 0xFFFFFF); }

int ChartFontHeight(TCanvas *canvas)
{
    UseFont(canvas, -12);
    return canvas->TextHeight("坐");
}

void PaintChartSample(TCanvas *canvas, int w, int h, const int32_t *colours, const TFontRecord *fonts)
{
    auto c = [colours](int slot) { return SlotColour(colours, slot); };
    Fill(canvas, TRect(0, 0, w, h), c(1));
    // The panes: the K-line pane up to x = 235, the intraday pane after it.
    Frame2(canvas, 1, 1, 235, h, c(40));
    Frame2(canvas, 236, 1, w, h, c(41));
    Line(canvas, 1, 170, w - 1, 170, c(14));
    Line(canvas, 180, 1, 180, h - 1, c(14));
    canvas->Brush->Style = bsClear;
    canvas->Pen->Color = c(15);
    canvas->Rectangle(184, 175, 231, h - 6);
    // A falling candle, filled, and a rising one, hollow.
    Line(canvas, 20, 20, 20, 36, c(2));
    Fill(canvas, TRect(17, 24, 24, 32), c(2));
    Line(canvas, 45, 20, 45, 36, c(3));
    Fill(canvas, TRect(42, 24, 49, 32), c(1));
    canvas->Brush->Style = bsClear;
    canvas->Pen->Color = c(3);
    canvas->Rectangle(42, 24, 49, 32);
    Fill(canvas, TRect(66, 46, 73, 61), c(33));

    UseFont(canvas, -12);
    Text(canvas, 3, 3, "日K线", c(13));
    Text(canvas, 3 + canvas->TextWidth("日K线 "), 3, "成交量1234", c(13));
    UseFont(canvas, -10);
    Text(canvas, 62, 28, "下跌↓", c(19));
    Text(canvas, 102, 28, "平盘－", c(20));
    Text(canvas, 141, 28, "上涨↑", c(21));
    for (int i = 0; i < 8; ++i)
        Line(canvas, 50, 80 + 10 * i, 151, 80 + 10 * i, c(4 + i));

    // The intraday pane.
    Line(canvas, 275, 140, 356, 140, c(12));
    HDC dc = canvas->Handle;
    for (int x = 275; x <= 353; x += 2)
        SetPixel(dc, x, 150, COLORREF(c(29)));
    UseFont(canvas, -12);
    Text(canvas, 240, 3, "走势图", c(13));
    Text(canvas, 240, 20, "走势线", c(13));
    Text(canvas, 280, 20, "均线", c(13));
    Text(canvas, 310, 20, "持仓线", c(13));
    const int xs[4] = {275, 295, 325, 355};
    const int ys[3][4] = {{60, 50, 70, 60}, {70, 60, 80, 70}, {100, 90, 110, 100}};
    const int slots[3] = {44, 45, 51};
    for (int k = 0; k < 3; ++k) {
        canvas->Pen->Color = c(slots[k]);
        canvas->Polyline({TPoint(xs[0], ys[k][0]), TPoint(xs[1], ys[k][1]), TPoint(xs[2], ys[k][2]),
                          TPoint(xs[3], ys[k][3])});
    }
    ApplySlotFont(canvas, fonts, 6);
    Text(canvas, 239, 131, "坐标", c(13));

    UseFont(canvas, -12);
    Text(canvas, 3, 175, "9:30 10:00 10:30 11:00 11:30", c(30));
    ApplySlotFont(canvas, fonts, 3);
    Text(canvas, 182, 3, "上证指数", c(24));
    ApplySlotFont(canvas, fonts, 4);
    Text(canvas, 182, 31, "澜墨", c(31));
    ApplySlotFont(canvas, fonts, 5);
    Text(canvas, 182, 51, "1234", c(31));
    UseFont(canvas, -12);
    Text(canvas, 182, 156, "伦敦时间", c(55));
    ApplySlotFont(canvas, fonts, 16);
    Text(canvas, 240, h - 22, "提示行文字", c(32));
    UseFont(canvas, -12);
}

void PaintReportCell(TCanvas *canvas, int col, int row, const TRect &rect, const int32_t *colours,
                     const TFontRecord *fonts)
{
    Fill(canvas, rect, SlotColour(colours, ReportCellBackground(col, row)));
    const char *text = ReportCellText(col, row);
    if (!*text)
        return;
    ApplySlotFont(canvas, fonts, ReportCellFont(col, row));
    int x = rect.Right - 2 - canvas->TextWidth(text);
    int y = rect.Top + (rect.Bottom - rect.Top - canvas->TextHeight(text)) / 2;
    Text(canvas, x, y, text, SlotColour(colours, ReportPreviewSlot(col, row, true).colour));
}

bool ReportTextHit(TCanvas *canvas, int col, int row, const TRect &rect, int x, const TFontRecord *fonts)
{
    const char *text = ReportCellText(col, row);
    if (!*text)
        return false;
    ApplySlotFont(canvas, fonts, ReportCellFont(col, row));
    int right = rect.Right - 2;
    return x <= right && x >= right - canvas->TextWidth(text);
}

void PaintNewsSample(TCanvas *canvas, int w, int h, const int32_t *colours, const TFontRecord *fonts)
{
    auto c = [colours](int slot) { return SlotColour(colours, slot); };
    Fill(canvas, TRect(0, 0, w, h), c(27));
    // Category buttons: the active one, then two others.
    canvas->Font->Name = "宋体";
    canvas->Font->Size = 9;
    canvas->Font->Style = TFontStyles();
    const char *names[3] = {"农产品", "能源橡胶", "金属市场"};
    const int lefts[3] = {13, 99, 185};
    for (int i = 0; i < 3; ++i) {
        TColor face = c(i == 0 ? 57 : 58);
        TColor letters = c(i == 0 ? 58 : 57);
        Fill(canvas, TRect(lefts[i], 1, lefts[i] + 84, 18), face);
        Text(canvas, lefts[i] + (84 - canvas->TextWidth(names[i])) / 2, 3, names[i], letters);
    }
    // Search words, one character a line.
    canvas->Font->Size = 10;
    int line = canvas->TextHeight("标") + 1;
    Text(canvas, 21, 20, "标", c(59));
    Text(canvas, 21, 20 + line, "题", c(59));
    Text(canvas, 56, 20, "内", c(60));
    Text(canvas, 56, 20 + line, "容", c(60));
    Text(canvas, 92, 20, "关键字", c(60));
    Text(canvas, 92, 20 + line, "COMEX", c(60));
    UseFont(canvas, -12, true);
    Text(canvas, 4, 57, "新闻标提", c(28));
    ApplySlotFont(canvas, fonts, 2);
    Text(canvas, 4, 86, "内容内容内容内容", c(46));
    canvas->Brush->Color = TColor(RGB(128, 128, 128));
    canvas->FrameRect(TRect(0, 0, w, h));
}
