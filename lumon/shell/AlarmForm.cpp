#include "lumon/shell/AlarmForm.h"

#include <cstdio>
#include <cstring>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/shell/AlarmModify.h"
#include "lumon/shell/AlarmWindow.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/SelStockDlg.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TCheckBox.h"
#include "platform/forms/TImageList.h"
#include "platform/forms/TMainMenu.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TStringGrid.h"
#include "platform/forms/TToolBar.h"
#include "platform/forms/TToolButton.h"
#include "platform/gdi/TBitmap.h"
#include "platform/gdi/TCanvas.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"

using namespace win;

namespace {

bool ChooseWithStockDialog(TComponent *owner, StockId &stock)
{
    TSelStockDlg dialog(owner);
    if (dialog.ShowModal() != mrOk)
        return false;
    stock = dialog.ChosenStock;
    return true;
}

} // namespace

bool (*ChooseAlarmStock)(TComponent *owner, StockId &stock) = ChooseWithStockDialog;
TAlartfm *AlarmForm = nullptr;

namespace {

constexpr int Columns = 8;

const StockStaticRecord *StockOf(const AlarmData &a)
{
    if (a.Market >= MarketTable.Count || a.Market >= MaxMarkets)
        return nullptr;
    return TDataIO::GetStock(MakeStockId(a.Market, 0, a.Stock));
}

AnsiString Field(const char *text, size_t size)
{
    char s[16] = {};
    std::memcpy(s, text, size < sizeof s - 1 ? size : sizeof s - 1);
    return s;
}

TMenuItem *NewItem(TComponent *owner, TMenuItem *parent, const char *caption, std::function<void(TObject *)> click)
{
    auto *item = new TMenuItem(owner);
    item->Caption = caption;
    if (click)
        item->OnClick = std::move(click);
    parent->Add(item);
    return item;
}

// The state column's two marks: a red bell for a fired alarm, a grey ring for
// a waiting one.
void AddMark(TImageList *list, bool fired)
{
    TBitmap bitmap;
    bitmap.Width = 12;
    bitmap.Height = 12;
    TCanvas *c = bitmap.Canvas;
    c->Brush->Color = clWhite;
    c->FillRect(TRect(0, 0, 12, 12));
    c->Pen->Color = fired ? clRed : clGray;
    c->Brush->Color = fired ? clRed : clWhite;
    c->Ellipse(1, 1, 11, 11);
    list->Add(&bitmap);
}

} // namespace

TAlarm *AlarmStore()
{
    TMFrame *frame = MainFrame();
    if (!frame)
        return nullptr;
    if (!frame->Alarms) {
        frame->Alarms = new TAlarm;
        frame->Alarms->StartCheckThread();
    }
    return frame->Alarms;
}

TAlartfm::TAlartfm(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "预警系统", 480, 330);
    FormStyle = fsStayOnTop;
    Position = poDesktopCenter;

    MainMenu1 = new TMainMenu(this);
    TMenuItem *control = NewItem(this, MainMenu1->Items, "控制(&C)", nullptr);
    NewItem(this, control, "报警记录(&W)", [this](TObject *s) { tbToolBar1Click(s); });
    NewItem(this, control, "添加行(&A)", [this](TObject *s) { BAddClick(s); });
    NewItem(this, control, "删除行(&D)", [this](TObject *s) { BEraiseClick(s); });
    NewItem(this, control, "清空列表(&E)", [this](TObject *s) { BRemoveAllClick(s); });
    NewItem(this, control, "-", nullptr);
    NewItem(this, control, "关闭(&C)", [this](TObject *s) { ExitAction1Execute(s); });
    TMenuItem *view = NewItem(this, MainMenu1->Items, "显示(&V)", nullptr);
    N8 = NewItem(this, view, "工具栏(&T)", [this](TObject *s) { N8Click(s); });
    N8->Checked = true;
    Menu = MainMenu1;

    ToolBar1 = new TToolBar(this);
    ToolBar1->Parent = this;
    ToolBar1->Align = alTop;
    ToolBar1->ShowCaptions = true;
    ToolBar1->ButtonWidth = 64;
    ToolBar1->Height = 26;
    auto button = [this](const char *caption, std::function<void(TObject *)> click) {
        auto *b = new TToolButton(this);
        b->Parent = ToolBar1;
        b->Caption = caption;
        b->OnClick = std::move(click);
        return b;
    };
    BAdd = button("添加", [this](TObject *s) { BAddClick(s); });
    BModify = button("修改", [this](TObject *s) { BModifyClick(s); });
    BEraise = button("删除", [this](TObject *s) { BEraiseClick(s); });
    BRemoveAll = button("清空列表", [this](TObject *s) { BRemoveAllClick(s); });
    tbToolBar1 = button("报警记录", [this](TObject *s) { tbToolBar1Click(s); });

    CBPopWin = Place<TCheckBox>(this, this, 300, 302, 80, 20);
    CBPopWin->Caption = "弹出窗口";
    CBPopWin->Visible = false;
    CBSound = Place<TCheckBox>(this, this, 400, 302, 70, 20);
    CBSound->Caption = "声音";

    BaseGrid = Place<TStringGrid>(this, this, 0, 26, 480, 270);
    BaseGrid->ColCount = Columns;
    BaseGrid->FixedCols = 0;
    BaseGrid->FixedRows = 1;
    BaseGrid->RowCount = 2;
    BaseGrid->Options = TGridOptions() << goFixedVertLine << goFixedHorzLine << goVertLine << goHorzLine
                                       << goRowSelect;
    BaseGrid->OnDrawCell = [this](TObject *s, int c, int r, const TRect &rect, TGridDrawState st) {
        BaseGridDrawCell(s, c, r, rect, st);
    };

    ImageList1 = new TImageList(this);
    ImageList1->Width = 12;
    ImageList1->Height = 12;
    AddMark(ImageList1, true);
    AddMark(ImageList1, false);
    FormCreate(this);
}

void TAlartfm::FormCreate(TObject *)
{
    static const char *const titles[Columns] = {"商品代码", "商品名称", "上涨", "下跌",
                                                "单笔",     "成交量",   "金额/持仓", "状态"};
    for (int c = 0; c < Columns; ++c)
        BaseGrid->Cells[c][0] = titles[c];
    Canvas->Font = static_cast<TFont *>(Font);
    BaseGrid->DefaultColWidth = Canvas->TextWidth("商品代码") + 10;
    BaseGrid->DefaultRowHeight = Canvas->TextHeight("中文") + 4;
    BaseGrid->SetColWidth(7, 28);
    if (TAlarm *store = AlarmStore()) {
        CBSound->Checked = store->BeepFlag != 0;
        CBPopWin->Checked = store->WindowFlag != 0;
    }
    CBSound->OnClick = [this](TObject *s) { CBSoundClick(s); };
    CBPopWin->OnClick = [this](TObject *s) { CBPopWinClick(s); };
    CBSound->Enabled = true;
    CBPopWin->Enabled = true;
    FillGrid();
}

void TAlartfm::FillGrid()
{
    Shown.clear();
    size_t pending = 0;
    if (TAlarm *store = AlarmStore()) {
        store->ListLock().Enter();
        for (int i = 0; i < store->Pending().GetCount(); ++i)
            Shown.push_back(store->Pending().GetAt(i));
        pending = store->Pending().GetCount();
        for (int i = 0; i < store->Triggered().GetCount(); ++i)
            Shown.push_back(store->Triggered().GetAt(i));
        store->ListLock().Leave();
    }
    BaseGrid->RowCount = Shown.empty() ? 2 : int(Shown.size()) + 1;
    for (int c = 0; c < Columns; ++c)
        BaseGrid->Cells[c][1] = "";
    for (size_t i = 0; i < Shown.size(); ++i) {
        const AlarmData &a = Shown[i];
        const int row = int(i) + 1;
        const StockStaticRecord *s = StockOf(a);
        BaseGrid->Cells[0][row] = s ? Field(s->Code, sizeof s->Code) : AnsiString();
        BaseGrid->Cells[1][row] = s ? Field(s->Name, sizeof s->Name) : AnsiString();
        BaseGrid->Cells[2][row] = AlarmPriceText(a, a.Upper);
        BaseGrid->Cells[3][row] = AlarmPriceText(a, a.Lower);
        BaseGrid->Cells[4][row] = AlarmVolumeText(a.DealLimit);
        BaseGrid->Cells[5][row] = AlarmVolumeText(a.VolumeLimit);
        BaseGrid->Cells[6][row] = AlarmPriceText(a, a.AmountLimit);
        BaseGrid->Cells[7][row] = i >= pending ? " " : "";
    }
    BaseGrid->Invalidate();
}

void TAlartfm::BaseGridDrawCell(TObject *, int ACol, int ARow, const TRect &Rect, TGridDrawState)
{
    if (ACol != 7 || ARow < 1 || ARow > int(Shown.size()))
        return;
    const bool fired = !AnsiString(BaseGrid->Cells[7][ARow]).IsEmpty();
    ImageList1->Draw(BaseGrid->Canvas, Rect.Left + 5, Rect.Top + 1, fired ? 0 : 1);
}

bool TAlartfm::StillShown(TAlarm *store, int i) const
{
    if (i < 0 || i >= int(Shown.size()))
        return false;
    const int pending = store->Pending().GetCount();
    const AlarmData *now = nullptr;
    if (i < pending)
        now = &store->Pending().GetData()[i];
    else if (i - pending < store->Triggered().GetCount())
        now = &store->Triggered().GetData()[i - pending];
    return now && std::memcmp(now, &Shown[size_t(i)], sizeof *now) == 0;
}

void TAlartfm::ListChanged()
{
    FillGrid();
    if (TMFrame *frame = MainFrame())
        PostMessageA(frame->Handle, WM_SUBSCRIBE_VIEWS, 0, 0);
}

void TAlartfm::BAddClick(TObject *)
{
    TAlarm *store = AlarmStore();
    if (!store)
        return;
    store->ListLock().Enter();
    const int count = store->Pending().GetCount() + store->Triggered().GetCount();
    store->ListLock().Leave();
    // The grid's title row and one row per alarm: 1000 rows are the most.
    if (count + 1 >= MaxAlarms) {
        MessageBoxA(Handle, "报警项目已达到最大限制.  ", "无法添加", MB_ICONINFORMATION | MB_TOPMOST);
        return;
    }
    StockId stock = 0u;
    if (!ChooseAlarmStock || !ChooseAlarmStock(this, stock))
        return;
    if (AddAlarmForStock(this, stock) >= 0)
        ListChanged();
}

void TAlartfm::BModifyClick(TObject *)
{
    TAlarm *store = AlarmStore();
    const int i = BaseGrid->Row - 1;
    if (!store || i < 0 || i >= int(Shown.size()))
        return;
    store->ListLock().Enter();
    const bool same = StillShown(store, i);
    store->ListLock().Leave();
    if (!same) {
        FillGrid();
        return;
    }
    const AlarmData copy = Shown[size_t(i)];
    TModifyAlert editor(this, copy);
    if (const StockStaticRecord *s = StockOf(copy))
        editor.Label1->Caption = Field(s->Name, sizeof s->Name) + "(" + Field(s->Code, sizeof s->Code) + ")";
    FrameBusy = 1;
    const int result = editor.ShowModal();
    FrameBusy = 0;
    if (result != mrOk)
        return;
    // The alarm thread may have fired or moved the alarm while the editor was
    // open: the edit lands only on the alarm the user chose.
    store->ListLock().Enter();
    if (StillShown(store, i)) {
        AlarmData edited = editor.Alarm;
        edited.Reason = 0;
        store->ModifyAlarm(i, edited);
    }
    store->ListLock().Leave();
    FillGrid();
}

void TAlartfm::BEraiseClick(TObject *)
{
    TAlarm *store = AlarmStore();
    const int i = BaseGrid->Row - 1;
    if (!store || i < 0 || i >= int(Shown.size()))
        return;
    const StockStaticRecord *s = StockOf(Shown[size_t(i)]);
    char text[64];
    std::snprintf(text, sizeof text, "删除 %s ？  ", s ? Field(s->Name, sizeof s->Name).c_str() : "");
    if (MessageBoxA(Handle, text, "确认", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDNO)
        return;
    store->ListLock().Enter();
    const int deleted = StillShown(store, i) ? store->DeleteAlarm(i) : 0;
    store->ListLock().Leave();
    if (deleted)
        ListChanged();
    else
        FillGrid();
}

void TAlartfm::BRemoveAllClick(TObject *)
{
    TAlarm *store = AlarmStore();
    if (!store)
        return;
    store->ListLock().Enter();
    const bool any = store->Pending().GetCount() > 0 || store->Triggered().GetCount() > 0;
    store->ListLock().Leave();
    if (!any)
        return;
    if (MessageBoxA(Handle, "删除全部项目？  ", "确认", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDNO)
        return;
    store->ListLock().Enter();
    store->Pending().SetCount(0);
    store->Triggered().SetCount(0);
    store->ListLock().Leave();
    ListChanged();
}

void TAlartfm::CBSoundClick(TObject *)
{
    if (TAlarm *store = AlarmStore())
        store->BeepFlag = CBSound->Checked ? 1 : 0;
}

void TAlartfm::CBPopWinClick(TObject *)
{
    if (TAlarm *store = AlarmStore())
        store->WindowFlag = CBPopWin->Checked ? 1 : 0;
}

void TAlartfm::tbToolBar1Click(TObject *)
{
    if (!AlarmWindow)
        AlarmWindow = new TAlarmWin(nullptr);
    else
        AlarmWindow->Refresh();
    AlarmWindow->Show();
}

void TAlartfm::N8Click(TObject *)
{
    N8->Checked = !N8->Checked;
    ToolBar1->Visible = N8->Checked;
}

void TAlartfm::ExitAction1Execute(TObject *) { Hide(); }

void DestroyAlarmWindows()
{
    delete AlarmForm;
    AlarmForm = nullptr;
    delete AlarmWindow;
    AlarmWindow = nullptr;
}
