#include "lumon/shell/AlarmWindow.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "lumon/core/Alarm.h"
#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/shell/AlarmForm.h"
#include "lumon/shell/AlarmModify.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/MVMain.h"
#include "lumon/shell/ViewAttr.h"
#include "lumon/shell/ViewFactory.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TSpeedButton.h"
#include "platform/forms/TStringGrid.h"
#include "platform/win/Window.h"

using namespace win;

TAlarmWin *AlarmWindow = nullptr;

namespace {

// The reason of the first set bit, in this order.
const char *ReasonText(int32_t reason)
{
    static const struct {
        int32_t Bit;
        const char *Text;
    } reasons[] = {{AlarmAbove, "超过价格上限"},
                   {AlarmBelow, "低于价格下限"},
                   {AlarmDeal, "高出单笔上限"},
                   {AlarmVolume, "成交量上限"},
                   {AlarmAmount, "金额/持仓上限"}};
    for (const auto &r : reasons)
        if (reason & r.Bit)
            return r.Text;
    return nullptr;
}

} // namespace

TAlarmWin::TAlarmWin(TComponent *Owner) : TForm(Owner)
{
    SetUpDialog(*this, "预警系统", 300, 250);
    FormStyle = fsStayOnTop;
    Position = poDesktopCenter;
    Canvas->Font = static_cast<TFont *>(Font);
    const int widths[4] = {Canvas->TextWidth("商品代码"), Canvas->TextWidth("0000-00-00 00:00"),
                           Canvas->TextWidth("00000.00"), Canvas->TextWidth("越过价格上限")};
    int total = 0;
    for (int w : widths)
        total += w + 4;
    ClientWidth = total + 12;
    AlarmGrid = Place<TStringGrid>(this, this, 4, 4, total + 4, 160);
    AlarmGrid->ColCount = 4;
    AlarmGrid->FixedCols = 0;
    AlarmGrid->FixedRows = 1;
    AlarmGrid->RowCount = 2;
    AlarmGrid->ScrollBars = ssVertical;
    AlarmGrid->Options = TGridOptions() << goFixedVertLine << goFixedHorzLine << goVertLine << goHorzLine
                                        << goRowSelect;
    AlarmGrid->DefaultRowHeight = Canvas->TextHeight("中文") + 4;
    static const char *const titles[4] = {"商品名称", "报警时间", "当前价格", "报警原因"};
    for (int c = 0; c < 4; ++c) {
        AlarmGrid->SetColWidth(c, widths[c] + 4);
        AlarmGrid->Cells[c][0] = titles[c];
    }
    // The note's filler blanks wrapped it onto a second line: the line break
    // stands in for them.
    Note = AddLabel(this, this, 6, 170, "提示: 已经报警过的项目, 不会继续报警.\n除非再次对它进行设置.");
    Note->AutoSize = false;
    Note->SetBounds(6, 170, total, 36);
    auto button = [this](int i, const char *caption, std::function<void(TObject *)> click) {
        auto *b = Place<TSpeedButton>(this, this, ClientWidth - 3 * 64 + i * 64 - 8, 214, 60, 26);
        b->Caption = caption;
        b->OnClick = std::move(click);
        return b;
    };
    SpeedButton1 = button(0, "设置", [this](TObject *s) { SpeedButton1Click(s); });
    SpeedButton2 = button(1, "关闭", [this](TObject *s) { SpeedButton2Click(s); });
    SpeedButton3 = button(2, "走势", [this](TObject *s) { SpeedButton3Click(s); });
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
    Refresh();
}

void TAlarmWin::Refresh()
{
    RowStocks.clear();
    std::vector<std::array<AnsiString, 4>> rows;
    if (TAlarm *store = AlarmStore()) {
        store->ListLock().Enter();
        EArray<AlarmData> &fired = store->Triggered();
        for (int i = fired.GetCount() - 1; i >= 0; --i) {
            const AlarmData a = fired.GetAt(i);
            const char *reason = ReasonText(a.Reason);
            if (!reason)
                continue;
            const StockStaticRecord *s = a.Market < MarketTable.Count && a.Market < MaxMarkets
                                             ? TDataIO::GetStock(MakeStockId(a.Market, 0, a.Stock))
                                             : nullptr;
            char name[16] = {}, time[32], price[64];
            if (s)
                std::memcpy(name, s->Name, sizeof s->Name);
            std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d", a.TriggerTime.wYear, a.TriggerTime.wMonth,
                          a.TriggerTime.wDay, a.TriggerTime.wHour, a.TriggerTime.wMinute);
            std::snprintf(price, sizeof price, "%.*f", AlarmDecimals(a), double(a.Price));
            rows.push_back({name, time, price, reason});
            RowStocks.push_back(s ? MakeStockId(a.Market, s->Class, a.Stock) : MakeStockId(a.Market, 0, a.Stock));
        }
        store->ListLock().Leave();
    }
    AlarmGrid->RowCount = rows.empty() ? 2 : int(rows.size()) + 1;
    for (int c = 0; c < 4; ++c)
        AlarmGrid->Cells[c][1] = "";
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 4; ++c)
            AlarmGrid->Cells[c][int(r) + 1] = rows[r][size_t(c)];
    AlarmGrid->Invalidate();
}

void TAlarmWin::SpeedButton1Click(TObject *)
{
    Hide();
    if (AlarmForm) {
        AlarmForm->Show();
        AlarmForm->FillGrid();
        SetForegroundWindow(AlarmForm->Handle);
    } else if (TMFrame *frame = MainFrame()) {
        frame->S1Click(nullptr);
    }
}

// Closing only hides the window. The store's window flag is also the saved
// pop-up switch, whose box the alarm list keeps hidden: clearing it here would
// silence every later alarm's window for good, with no way to turn it back on.
void TAlarmWin::SpeedButton2Click(TObject *) { Hide(); }

void TAlarmWin::FormClose(TObject *, TCloseAction &Action) { Action = caHide; }

void TAlarmWin::SpeedButton3Click(TObject *)
{
    const int row = AlarmGrid->Row;
    TMFrame *frame = MainFrame();
    if (row < 1 || row > int(RowStocks.size()) || !frame || !frame->CurrentPage)
        return;
    TMultiViewMain *page = frame->CurrentPage;
    VIEW_ATTR attr;
    InitViewAttr(VIEW_TREND, &attr);
    attr.Stock = RowStocks[size_t(row - 1)];
    TMultiViewChild *view = page->FindPaneByType(VIEW_TREND, 1);
    if (view) {
        view->Notify(1, int32_t(attr.Stock), 0, 0);
        view->Activate();
        if (page->MaximizedPane && page->MaximizedPane != view)
            page->ZoomPane(view, 1);
    } else if (TMultiViewChild *active = page->ActivePane; active && page->HasPane(active)) {
        view = page->ReplaceView(active->Node, &attr, 1);
    }
    if (view && ViewHooks.SwitchTickMode && ((view->Attr.Flags & VIEW_FLAG_TREND) == 0) != frame->T1->Checked)
        ViewHooks.SwitchTickMode(view);
    Hide();
    BringWindowToTop(frame->Handle);
}
