#include "lumon/shell/SmartKB.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "lumon/core/BlockGroup.h"
#include "lumon/core/DataIO.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/PageManager.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TEdit.h"
#include "platform/win/Messages.h"
#include "platform/win/Text.h"

using namespace win;

const SmartCommand SmartCommands[SmartCommandCount] = {
    {"01", "F1(成交明细)", 112},
    {"02", "F2(价量分布)", 113},
    {"03", "F3上证领先指标", 114},
    {"04", "F4深证领先指标", 115},
    {"05", "F5", 116},
    {"06", "F6回到报价", 117},
    {"07", "F7(窗口放大/还原)", 118},
    {"08", "F8", 119},
    {"09", "F9(新闻资讯)", 120},
    {"10", "F10(基本面资料)", 121},
    {"71", "上海信息", 0},
    {"72", "深圳信息", 2},
    {"1", "上证A股报价", 1},
    {"2", "上证B股报价", 2},
    {"3", "深证A股报价", 1},
    {"4", "深证B股报价", 2},
    {"5", "上证债券报价", 5},
    {"6", "深证债券报价", 5},
    {"61", "上证A股涨跌幅", 1},
    {"62", "上证B股涨跌幅", 2},
    {"63", "深证A股涨跌幅", 1},
    {"64", "深证B股涨跌幅", 2},
    {"65", "上证债券涨跌幅", 5},
    {"66", "深证债券涨跌幅", 5},
    {"75", "财经新闻", 0},
    {"81", "上证A股综合指标", 1},
    {"82", "上证B股综合指标", 2},
    {"83", "深证A股综合指标", 1},
    {"84", "深证B股综合指标", 2},
    {"85", "上证债券综合指标", 5},
    {"86", "深证债券综合指标", 5},
    {"", "", 0},
};

namespace {

constexpr COLORREF kGrey = 0x808080;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGreen = 0x008000;
constexpr COLORREF kBlack = 0x000000;

int TextLength(const char *s, size_t size) { return int(strnlen(s, size)); }

// The codes of the Shenzhen quote-list and ranking commands.
bool IsShenzhen(const char *code)
{
    const char *last = code + std::strlen(code) - 1;
    return *last == '3' || *last == '4' || *last == '6';
}

bool IsOneOf(const char *code, std::initializer_list<const char *> list)
{
    for (const char *c : list)
        if (std::strcmp(code, c) == 0)
            return true;
    return false;
}

// Catalogue entries the wizard offers: not the intraday chart's, not hidden.
bool Offered(const IndexDefinition &d) { return (d.Id < 1000 || d.Id > 1999) && (d.Attribute >> 8) < 128; }

} // namespace

TSmartKB::TSmartKB(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "智能键盘", 220, 240);
    BorderStyle = bsToolWindow;
    Position = poDesigned;
    Edit1 = Place<TEdit>(this, this, 0, 0, 220, 22);
    Edit1->MaxLength = SmartEditLength;
    Edit1->OnChange = [this](TObject *s) { Edit1Change(s); };
    Edit1->OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { Edit1KeyDown(s, k, sh); };
    DrawGrid1 = Place<TDrawGrid>(this, this, 0, 22, 220, 218);
    DrawGrid1->ColCount = 2;
    DrawGrid1->RowCount = 1;
    DrawGrid1->FixedCols = 0;
    DrawGrid1->FixedRows = 0;
    DrawGrid1->DefaultRowHeight = 18;
    DrawGrid1->GridLineWidth = 0;
    DrawGrid1->ScrollBars = ssVertical;
    DrawGrid1->Options = TGridOptions() << goRowSelect;
    DrawGrid1->DefaultDrawing = false;
    DrawGrid1->Enabled = false;
    DrawGrid1->OnDrawCell = [this](TObject *s, int c, int r, const TRect &rect, TGridDrawState st) {
        DrawGrid1DrawCell(s, c, r, rect, st);
    };
    DrawGrid1->OnKeyPress = [this](TObject *s, char &k) { DrawGrid1KeyPress(s, k); };
    DrawGrid1->OnDblClick = [this](TObject *s) { DrawGrid1DblClick(s); };
    DrawGrid1->SetColWidth(0, 50);
    DrawGrid1->SetColWidth(1, DrawGrid1->ClientWidth - 50);
    ActiveControl = Edit1;
}

const TBlockGroup *TSmartKB::BlockTable() const
{
    if (Blocks)
        return Blocks;
    return MainFrame() ? MainFrame()->Blocks : nullptr;
}

int TSmartKB::MatchPinyin(const char *name, const char *text, int length)
{
    return Matcher.MatchPinyin(name, int(sizeof(StockStaticRecord::Name)), text, length) ? 1 : 0;
}

int TSmartKB::MatchStocks(const char *text)
{
    StockCount = 0;
    int length = text ? int(std::strlen(text)) : 0;
    const TBlockGroup *blocks = BlockTable();
    if (length == 0 || !blocks)
        return 0;
    int exact = 0;
    // The market blocks, market by market, each in member order.
    for (int b = 0; b < blocks->BlockCount && StockCount < MaxSmartStocks; ++b) {
        const BlockRecord &block = blocks->Blocks[b];
        if (!block.InUse || block.Kind != BLOCK_MARKET || !block.Members)
            continue;
        for (int i = 0; i < block.MemberCount && StockCount < MaxSmartStocks; ++i) {
            const StockStaticRecord *s = TDataIO::GetStock(block.Members[i].Id);
            if (!s)
                continue;
            TStockMatcher::Match match = Matcher.MatchStock(*s, text, length);
            if (match == TStockMatcher::NoMatch)
                continue;
            if (match == TStockMatcher::ExactCode) {
                // Exact codes stay at the top, in walk order.
                std::memmove(&Stocks[exact + 1], &Stocks[exact], sizeof(StockStaticRecord) * size_t(StockCount - exact));
                Stocks[exact++] = *s;
            } else {
                Stocks[StockCount] = *s;
            }
            ++StockCount;
        }
    }
    return StockCount > 0 ? 1 : 0;
}

int TSmartKB::Search(const char *text)
{
    ResultCount = 0;
    StockCount = 0;
    int length = text ? int(std::strlen(text)) : 0;
    if (length == 0)
        return 0;
    auto add = [this](uint16_t kind, int index) {
        if (ResultCount < MaxSmartResults)
            Results[ResultCount++] = SmartResult{kind, uint16_t(index)};
    };
    for (int i = 0; i < SmartCommandCount; ++i) {
        const SmartCommand &c = SmartCommands[i];
        if (TStockMatcher::IsPrefix(text, length, c.Code, TextLength(c.Code, sizeof c.Code)))
            add(SMART_COMMAND, i);
    }
    if (const IndexTable *table = GetIndexTable()) {
        for (int i = 0; i < table->Count; ++i) {
            const IndexDefinition &d = table->Definitions[i];
            if (!Offered(d))
                continue;
            const ChooserTexts t = DefinitionTexts(d);
            if (TStockMatcher::IsPrefix(text, length, t.Name, int(std::strlen(t.Name))) ||
                TStockMatcher::IsPrefix(text, length, t.Description, int(std::strlen(t.Description))))
                add(SMART_INDICATOR, i);
        }
    }
    for (int k = 0; k <= PageCount && k <= MaxPages; ++k) {
        if (k > 0 && PageTable[k - 1].Path[0] == 0)
            continue;
        char page[8];
        std::snprintf(page, sizeof page, ".%d", k);
        if (TStockMatcher::IsPrefix(text, length, page, int(std::strlen(page))))
            add(SMART_PAGE, k);
    }
    MatchStocks(text);
    for (int i = 0; i < StockCount; ++i)
        add(SMART_STOCK, i);
    return ResultCount > 0 ? 1 : 0;
}

void TSmartKB::Edit1Change(TObject *)
{
    std::string text = AnsiString(Edit1->Text).c_str();
    text.resize(GbkFitLength(text, SmartSearchLength));
    if (Search(text.c_str())) {
        DrawGrid1->Enabled = true;
        DrawGrid1->RowCount = ResultCount;
    } else {
        // One blank row; the result count stays 0, so Enter chooses nothing.
        ResultCount = 0;
        StockCount = 0;
        DrawGrid1->RowCount = 1;
        if (Visible && Edit1->CanFocus())
            Edit1->SetFocus();
        DrawGrid1->Enabled = false;
    }
    DrawGrid1->Row = 0;
    DrawGrid1->Invalidate();
}

int TSmartKB::ClassBlockOf(const SmartCommand &command) const
{
    int block = command.Value + MarketTable.Count;
    if (IsShenzhen(command.Code) && MarketTable.Count > 0 && MarketTable.Markets[0])
        block += MarketTable.Markets[0]->Info.ClassCount;
    return block;
}

void TSmartKB::Choose(int row)
{
    const SmartResult &r = Results[row];
    Kind = r.Kind;
    switch (r.Kind) {
    case SMART_COMMAND: {
        const SmartCommand &c = SmartCommands[r.Index];
        if (IsOneOf(c.Code, {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10"})) {
            Action = SMART_KEY;
            KeyCode = c.Value;
        } else if (IsOneOf(c.Code, {"71", "72"})) {
            Action = SMART_OPEN_VIEW;
            InitViewAttr(VIEW_NOTES, &Attr);
            Attr.BlockId = c.Value;
        } else if (IsOneOf(c.Code, {"75"})) {
            Action = SMART_OPEN_VIEW;
            InitViewAttr(VIEW_NEWS, &Attr);
        } else {
            bool ranking = c.Code[0] == '8';
            Action = SMART_OPEN_VIEW;
            InitViewAttr(ranking ? VIEW_RANKING : VIEW_REPORT, &Attr);
            Attr.BlockCount = 1;
            Attr.Blocks[0] = ClassBlockOf(c);
            if (IsShenzhen(c.Code))
                Attr.BlockId = 1;
            if (c.Code[0] == '6' && c.Code[1] != 0)
                Attr.Mode = 11;
        }
        break;
    }
    case SMART_STOCK: {
        const StockStaticRecord &s = Stocks[r.Index];
        Action = SMART_SHOW_STOCK;
        Attr.Stock = MakeStockId(s.Market, s.Class, s.Index);
        break;
    }
    case SMART_INDICATOR: {
        Action = SMART_SHOW_STOCK;
        const IndexTable *table = GetIndexTable();
        Attr.Mode = table && r.Index < table->Count ? table->Definitions[r.Index].Id : 0;
        break;
    }
    default:
        Action = SMART_OPEN_PAGE;
        PageIndex = r.Index;
        break;
    }
}

void TSmartKB::Edit1KeyDown(TObject *, WORD &Key, TShiftState)
{
    switch (Key) {
    case VK_RETURN: {
        int row = DrawGrid1->Row;
        if (ResultCount < 1 || row < 0 || row >= ResultCount)
            return;
        Choose(row);
        OK = 1;
        Key = 0;
        ModalResult = mrOk;
        if (!Modal())
            Close();
        return;
    }
    case VK_ESCAPE:
        OK = 0;
        Key = 0;
        ModalResult = mrCancel;
        if (!Modal())
            Close();
        return;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
        WORD key = Key;
        Key = 0;
        SendMessageA(DrawGrid1->Handle, WM_KEYDOWN, key, 0);
        if (key == VK_UP || key == VK_DOWN)
            SendMessageA(Edit1->Handle, WM_KEYDOWN, VK_END, 0);
        return;
    }
    default:
        return;
    }
}

void TSmartKB::RowTexts(int row, char *code, int codeSize, char *text, int textSize) const
{
    code[0] = 0;
    text[0] = 0;
    if (row < 0 || row >= ResultCount)
        return;
    const SmartResult &r = Results[row];
    switch (r.Kind) {
    case SMART_COMMAND:
        std::snprintf(code, size_t(codeSize), "%.*s", TextLength(SmartCommands[r.Index].Code, 10),
                      SmartCommands[r.Index].Code);
        std::snprintf(text, size_t(textSize), "%.*s", TextLength(SmartCommands[r.Index].Description, 22),
                      SmartCommands[r.Index].Description);
        break;
    case SMART_STOCK: {
        const StockStaticRecord &s = Stocks[r.Index];
        std::snprintf(code, size_t(codeSize), "%.*s", StockCodeLength(s), s.Code);
        std::snprintf(text, size_t(textSize), "%.*s", StockNameLength(s), s.Name);
        break;
    }
    case SMART_INDICATOR: {
        const IndexTable *table = GetIndexTable();
        if (!table || r.Index >= table->Count)
            break;
        const ChooserTexts t = DefinitionTexts(table->Definitions[r.Index]);
        std::snprintf(code, size_t(codeSize), "%s", t.Name);
        std::snprintf(text, size_t(textSize), "%s", t.Description);
        break;
    }
    default:
        std::snprintf(code, size_t(codeSize), ".%d", r.Index);
        std::snprintf(text, size_t(textSize), "页面:%s",
                      r.Index == 0 ? "默认页面" : r.Index <= MaxPages ? PageTable[r.Index - 1].Name : "");
        break;
    }
}

void TSmartKB::DrawGrid1DrawCell(TObject *, int ACol, int ARow, const TRect &Rect, TGridDrawState State)
{
    TCanvas *canvas = DrawGrid1->Canvas;
    bool selected = State.Contains(gdSelected) || State.Contains(gdFocused);
    canvas->Brush->Color = selected ? TColor(kGrey) : clBtnFace;
    canvas->FillRect(Rect);
    char code[64], text[128];
    RowTexts(ARow, code, sizeof code, text, sizeof text);
    COLORREF color = kBlack;
    if (selected)
        color = kYellow;
    else if (ACol == 1 && ARow < ResultCount)
        switch (Results[ARow].Kind) {
        case SMART_COMMAND:
            color = kRed;
            break;
        case SMART_STOCK:
            color = kBlue;
            break;
        case SMART_INDICATOR:
            color = kGreen;
            break;
        default:
            break;
        }
    canvas->Font->Color = TColor(color);
    canvas->Brush->Style = bsClear;
    canvas->TextOut(Rect.Left + 1, Rect.Top + 1, ACol == 0 ? code : text);
    canvas->Brush->Style = bsSolid;
}

void TSmartKB::DrawGrid1KeyPress(TObject *, char &Key)
{
    char key = Key;
    Key = 0;
    if (key == '\r' || key == 0x1B) {
        SendMessageA(Edit1->Handle, WM_KEYDOWN, WPARAM(key == '\r' ? VK_RETURN : VK_ESCAPE), 0);
        return;
    }
    // Any other character goes on in the edit box's text.
    if (Edit1->CanFocus())
        Edit1->SetFocus();
    SendMessageA(Edit1->Handle, WM_CHAR, WPARAM(uint8_t(key)), 0);
}

void TSmartKB::DrawGrid1DblClick(TObject *)
{
    if (DrawGrid1->Enabled)
        SendMessageA(Edit1->Handle, WM_KEYDOWN, VK_RETURN, 0);
}
