// The status bar of the main frame: the two index summaries, the scrolling news
// ticker, the page label's box, the four rotating connection letters and the
// frame's clock.
#include "lumon/shell/StatusBar.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/SysTimeTable.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Messages.h"
#include "platform/win/Text.h"

using namespace win;

namespace {

HFONT CreateTickerFont()
{
    return CreateFontA(15, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Tahoma");
}

// Text ending at x.
void TextEndingAt(TCanvas *canvas, int x, int y, const char *text)
{
    canvas->TextOut(x - canvas->TextWidth(text), y, text);
}

TPaintBox *MakeBox(TMFrame *frame, TWinControl *parent, TAlign align, int width)
{
    auto *box = new TPaintBox(frame);
    box->Parent = parent;
    box->Align = align;
    box->Width = width;
    return box;
}

} // namespace

TickerItem *AppendTickerItem(TickerItem *&head, const char *text, int length)
{
    const size_t n = text ? strnlen(text, size_t(length < 0 ? 0 : length)) : 0;
    auto *item = static_cast<TickerItem *>(std::malloc(sizeof(TickerItem) + n));
    if (!item)
        return nullptr;
    item->Next = nullptr;
    std::memcpy(item->Text, text, n);
    item->Text[n] = 0;
    item->Width = TickerTextWidth(item->Text);
    TickerItem **tail = &head;
    while (*tail)
        tail = &(*tail)->Next;
    *tail = item;
    return item;
}

void DropTickerHead(TickerItem *&head)
{
    if (!head)
        return;
    TickerItem *next = head->Next;
    std::free(head);
    head = next;
}

void FreeTickerList(TickerItem *&head)
{
    while (head)
        DropTickerHead(head);
}

int TickerTextWidth(const char *text)
{
    HDC dc = CreateCompatibleDC(0);
    HFONT font = CreateTickerFont();
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return size.cx;
}

int TickerTextLength(const char *text, int bytes)
{
    const int n = int(strnlen(text, size_t(bytes < 0 ? 0 : bytes)));
    int at = 0;
    while (at < n && at < TickerTextLimit) {
        // A double-byte character that does not fit whole ends the text.
        const int step = IsGbkLeadByte(uint8_t(text[at])) ? 2 : 1;
        if (at + step > n || at + step > TickerTextLimit)
            break;
        at += step;
    }
    return at;
}

void TMFrame::AddTickerItem(const char *text, int length)
{
    AppendTickerItem(TickerList, text, length);
}

void TMFrame::BuildStatusBar()
{
    StatusBar = new TPanel(this);
    StatusBar->Parent = this;
    StatusBar->Align = alBottom;
    StatusBar->Height = 18;
    StatusBar->BevelOuter = bvNone;
    StatusBox1 = MakeBox(this, StatusBar, alLeft, 370);
    StatusBox5 = MakeBox(this, StatusBar, alRight, 44);
    StatusBox4 = MakeBox(this, StatusBar, alRight, 40);
    StatusBox2 = MakeBox(this, StatusBar, alRight, 140);
    StatusBox6 = MakeBox(this, StatusBar, alClient, 100);
    StatusBox1->OnPaint = [this](TObject *s) { StatusBox1Paint(s); };
    StatusBox1->OnMouseDown = [this](TObject *, TMouseButton, TShiftState, int x, int) { StatusClickX = x; };
    StatusBox1->OnDblClick = [this](TObject *s) { StatusBox1DblClick(s); };
    StatusBox4->OnPaint = [this](TObject *s) { StatusBox4Paint(s); };
    StatusBox5->OnPaint = [this](TObject *s) { StatusBox5Paint(s); };
    StatusBox6->OnPaint = [this](TObject *s) { StatusBox6Paint(s); };
    StatusBox6->OnMouseDown = [this](TObject *, TMouseButton, TShiftState, int x, int) { TickerClickX = x; };
    StatusBox6->OnDblClick = [this](TObject *s) { StatusBox6DblClick(s); };
}

void TMFrame::StatusBox1Paint(TObject *)
{
    TCanvas *canvas = StatusBox1->Canvas;
    canvas->Brush->Color = clBtnFace;
    canvas->Brush->Style = bsSolid;
    canvas->FillRect(TRect(0, 0, StatusBox1->Width, StatusBox1->Height));
    canvas->Brush->Style = bsClear;
    struct Layout {
        const char *Name;
        int Label, Price, Change, Amount, Unit;
    } const layouts[2] = {{"沪", 1, 70, 122, 162, 163}, {"深", 189, 258, 310, 350, 351}};
    for (int m = 0; m < 2; ++m) {
        const Layout &at = layouts[m];
        canvas->Font->Color = clBlue;
        canvas->TextOut(at.Label, -1, at.Name);
        // The index stock's divisor; a market or stock that does not exist, or a
        // divisor of 0, reads as 1000.
        double divisor = 1000;
        const TMarketData *md = m < MarketTable.Count ? MarketTable.Markets[m] : nullptr;
        if (md && md->Statics && md->StockCount > 0 && md->Statics[0].ScaleDivisor != 0)
            divisor = md->Statics[0].ScaleDivisor;
        const IndexFigures &q = IndexQuote[m];
        canvas->Font->Color = q.LastPrice > q.PrevClose ? clRed : q.LastPrice < q.PrevClose ? clGreen : clBlack;
        char text[64];
        std::snprintf(text, sizeof text, "%4.2f", q.LastPrice / divisor);
        TextEndingAt(canvas, at.Price, -1, text);
        const double change = q.PrevClose ? (int64_t(q.LastPrice) - int64_t(q.PrevClose)) / divisor : 0.0;
        std::snprintf(text, sizeof text, "%3.2f", change);
        TextEndingAt(canvas, at.Change, -1, text);
        canvas->Font->Color = clBlack;
        std::snprintf(text, sizeof text, "%.1f", double(q.Amount) * 1e-8);
        TextEndingAt(canvas, at.Amount, -1, text);
        canvas->TextOut(at.Unit, -1, "亿");
    }
}

void TMFrame::StatusBox1DblClick(TObject *)
{
    PostMessageA(Handle, WM_KEYDOWN, StatusClickX < 183 ? VK_F3 : VK_F4, 0);
}

void TMFrame::DrawStatusLetters(int red)
{
    if (!StatusBox4)
        return;
    TCanvas *canvas = StatusBox4->Canvas;
    canvas->Brush->Style = bsClear;
    int x = 1;
    for (int i = 0; i < 4; ++i) {
        canvas->Font->Color = i == red ? clRed : clBlue;
        canvas->TextOut(x, -3, StatusLetters[i]);
        x += canvas->TextWidth(StatusLetters[i]);
    }
}

void TMFrame::StatusBox4Paint(TObject *)
{
    TCanvas *canvas = StatusBox4->Canvas;
    canvas->Brush->Color = clBtnFace;
    canvas->Brush->Style = bsSolid;
    canvas->FillRect(TRect(0, 0, StatusBox4->Width, StatusBox4->Height));
    DrawStatusLetters(GetConnectionState() == 3 ? IndicatorIndex : -1);
}

void TMFrame::StatusBox5Paint(TObject *)
{
    TCanvas *canvas = StatusBox5->Canvas;
    canvas->Brush->Color = clBtnFace;
    canvas->Brush->Style = bsSolid;
    canvas->FillRect(TRect(0, 0, StatusBox5->Width, StatusBox5->Height));
    int hour = (ServerMinutes / 60 + 8) % 24;
    ShiftHourByZone(0, 0, hour);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", hour, ServerMinutes % 60);
    canvas->Brush->Style = bsClear;
    canvas->Font->Color = clBlack;
    canvas->TextOut(1, -2, text);
}

void TMFrame::StatusBox6Paint(TObject *)
{
    TCanvas *canvas = StatusBox6->Canvas;
    const int width = StatusBox6->Width, height = StatusBox6->Height;
    canvas->Brush->Color = clBtnFace;
    canvas->Brush->Style = bsSolid;
    canvas->FillRect(TRect(0, 0, width, height));
    if (!TickerList || TickerOffset <= 0)
        return;
    HDC box = canvas->Handle;
    HDC dc = CreateCompatibleDC(box);
    HBITMAP strip = CreateCompatibleBitmap(box, TickerOffset, height);
    HGDIOBJ oldBitmap = SelectObject(dc, strip);
    HFONT font = CreateTickerFont();
    HGDIOBJ oldFont = SelectObject(dc, font);
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    RECT all{0, 0, TickerOffset, height};
    FillRect(dc, &all, face);
    DeleteObject(face);
    SetTextColor(dc, COLORREF(ColorTable[52]));
    SetBkMode(dc, TRANSPARENT);
    int x = 0;
    for (const TickerItem *item = TickerList; item && x < TickerOffset; item = item->Next) {
        TextOutA(dc, x, 0, item->Text, int(std::strlen(item->Text)));
        x += item->Width + 30;
    }
    BitBlt(box, width - TickerOffset, -1, TickerOffset, height, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteObject(strip);
    DeleteDC(dc);
}
