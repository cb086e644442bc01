// The broker queue of the chart views: the broker numbers waiting on each side
// of a stock of market 2, with the broker's name from Brokerlist.dbf shown
// when the mouse rests on a number.
#include <cstdio>
#include <cstring>
#include <string>

#include "lumon/core/DbfTable.h"
#include "lumon/core/EToolTip.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/UtilData.h"
#include "lumon/shell/MFrame.h"
#include "lumon/views/Dview.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TStringGrid.h"
#include "platform/gdi/TCanvas.h"
#include "platform/gdi/TFont.h"
#include "platform/win/Cursor.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/TIniFile.h"
#include "platform/win/Window.h"

using namespace win;

int32_t BrokerMode = 0;
TDbfTable *BrokerTable = nullptr;

namespace {

const char kSettings[] = "..\\CFG\\SETTING.INI";
constexpr int kMaxEntries = 40;

// Entry `row` (1-based) of a side: its flag and number; false past the side's
// count (a count above 40 reads as 40).
bool BrokerEntry(const StockInfoRecord &info, int col, int row, uint8_t &flag, uint16_t &number)
{
    int count = col == 0 ? info.Count1 : info.Count2;
    if (count > kMaxEntries)
        count = kMaxEntries;
    if (col < 0 || col > 1 || row < 1 || row > count)
        return false;
    const uint8_t *e = info.Entries + col * kMaxEntries * 3 + (row - 1) * 3;
    flag = e[0];
    number = uint16_t(e[1] | e[2] << 8);
    return true;
}

void BrokerBox(const char *text) { MessageBoxA(0, text, "提示", MB_ICONQUESTION | MB_TOPMOST); }

} // namespace

bool TDrawView::LoadBrokerTable()
{
    if (BrokerTable)
        return true;
    char path[600];
    std::snprintf(path, sizeof path, "%scfg\\Brokerlist.dbf", DataRoot);
    // Opening leaves a missing file behind empty: look for it first.
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        BrokerBox("没有经纪商序号文件！");
        return false;
    }
    auto *table = new TDbfTable(path);
    if (!table->Open() || table->FindField("IDS") < 0 || table->FindField("BROKERNAME") < 0) {
        delete table;
        BrokerBox("经纪商序号文件存在错误！");
        return false;
    }
    BrokerTable = table;
    return true;
}

void TDrawView::SetBrokerCaption()
{
    BrokerMode = TIniFile(kSettings).ReadInteger("TableDef", "BrokerMode", 0) == 1 ? 1 : 0;
    showbroker->Caption = BrokerMode == 1 ? "显示成交明细" : "显示经纪队列";
}

void TDrawView::showbrokerClick(TObject *)
{
    if (StockMarket(Attr.Stock) != 2)
        return;
    if (BrokerMode == 1) {
        showbroker->Caption = "显示经纪队列";
        BrokerMode = 0;
        TIniFile(kSettings).WriteString("TableDef", "BrokerMode", "0");
    } else {
        if (!LoadBrokerTable())
            return;
        const StockView v = Look();
        if (RequestClient && RequestClient->IsConnected() && v.Static)
            RequestClient->RequestStockInfo(
                v.Static->Market, std::string(v.Static->Code, strnlen(v.Static->Code, sizeof v.Static->Code)).c_str());
        showbroker->Caption = "显示成交明细";
        BrokerMode = 1;
        TIniFile(kSettings).WriteString("TableDef", "BrokerMode", "1");
    }
    MsgPage->Invalidate();
}

void TDrawView::PlaceBrokerGrid()
{
    if (Panel1->Height == PanelHeight)
        return;
    StringGrid1->SetBounds(0, PanelHeight, Panel1->Width, Panel1->Height - PanelHeight);
    StringGrid1->Color = TColor(KeyColor(17));
    StringGrid1->FixedColor = TColor(KeyColor(17));
    StringGrid1->Font->Color = TColor(KeyColor(22));
    StringGrid1->Canvas->Font->Assign(*Fonts[3]);
    StringGrid1->Canvas->Font->Color = TColor(KeyColor(22));
    StringGrid1->DefaultColWidth = (StringGrid1->Width - 18) / 2;
    MsgPage->Canvas->Font->Assign(*Fonts[4]);
    StringGrid1->DefaultRowHeight = MsgPage->Canvas->TextHeight("0") + 3;
    StringGrid1->Visible = true;
}

AnsiString TDrawView::BrokerCellText(int col, int row)
{
    if (row == 0)
        return col == 0 ? "买队列" : col == 1 ? "卖队列" : "";
    const StockView v = Look();
    uint8_t flag;
    uint16_t number;
    if (!v.Info || !BrokerEntry(*v.Info, col, row, flag, number))
        return "";
    char text[16];
    if (flag == 0)
        std::snprintf(text, sizeof text, "%04d", number);
    else
        std::snprintf(text, sizeof text, "  %c%d", col == 0 ? '-' : '+', number);
    return text;
}

void TDrawView::StringGrid1DrawCell(TObject *, int ACol, int ARow, TRect Rect, TGridDrawState)
{
    TCanvas *c = StringGrid1->Canvas;
    c->Brush->Style = bsClear;
    c->Font->Assign(*Fonts[3]);
    c->Font->Color = TColor(KeyColor(22));
    c->TextOut(Rect.Left, Rect.Top, BrokerCellText(ACol, ARow));
}

AnsiString TDrawView::BrokerName(int col, int row)
{
    const StockView v = Look();
    uint8_t flag;
    uint16_t number;
    if (row <= 0 || !BrokerTable || !v.Info || !BrokerEntry(*v.Info, col, row, flag, number) || flag != 0 ||
        number == 0)
        return "";
    const int record = BrokerTable->FindLastRecordNotAbove("IDS", number);
    if (record < 0 || !BrokerTable->GoToRecord(record))
        return "";
    const char *name = BrokerTable->GetFieldText("BROKERNAME");
    if (!name)
        return "";
    std::string text = name;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text.c_str();
}

void TDrawView::StringGrid1MouseMove(TObject *, TShiftState, int X, int Y)
{
    TMFrame *frame = MainFrame();
    const bool inside = X >= 6 && Y >= 6 && X <= StringGrid1->Width - 6 && Y <= StringGrid1->Height - 6;
    if (!BrokerTable || !inside) {
        if (frame && frame->HintTip)
            frame->HintTip->Hide();
        return;
    }
    int col = -1, row = -1;
    StringGrid1->MouseToCell(X, Y, col, row);
    if ((col != 0 && col != 1) || row <= 0 || !frame)
        return;
    const AnsiString name = BrokerName(col, row);
    EToolTip *tip = frame->HintTooltip();
    POINT p{};
    GetCursorPos(&p);
    p.x -= 5 * name.Length();
    p.y -= 18;
    win::ScreenToClient(frame->Handle, &p);
    // An empty name (a flagged entry) hides the tip.
    tip->Show(p, name.c_str());
}
