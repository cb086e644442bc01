// The K-line chart's commands: the period (with the free minute and day
// periods), choosing, overlaying, editing and erasing indicators, the number of
// panes, the ex-rights mode and the chart's switches. The frame's menu and
// tool buttons of the same meaning call the same handlers on the active chart.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/UtilData.h"
#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/TIndex.h"
#include "lumon/formula/TScrIndex.h"
#include "lumon/shell/InputNumber.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/SelWrap.h"
#include "lumon/views/Selindex.h"
#include "lumon/views/Setpara.h"
#include "lumon/views/Setrefl.h"
#include "lumon/views/Techfm.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TRadioButton.h"
#include "platform/forms/TMenuItem.h"
#include "platform/forms/TToolButton.h"
#include "platform/win/Profile.h"

using namespace win;

namespace {

// A chart object's layer bytes, selection mark and horizontal view.
struct KeptState {
    uint8_t StackCount = 1, StackPos = 1, Selection = 0;
    float Width = 5, Gap = 1;
    int Visible = 0, First = 0;
    bool Have = false;
};

KeptState Keep(const TIndex *p)
{
    KeptState k;
    if (!p)
        return k;
    k.StackCount = p->StackCount;
    k.StackPos = p->StackPos;
    k.Selection = p->Selection;
    p->GetViewState(k.Width, k.Gap, k.Visible, k.First);
    k.Have = true;
    return k;
}

// A new object in the place of one kept: its layers, selection and view, the
// current pane and period, computed at the end of its bars.
void TakeOver(TIndex *p, const KeptState &kept, int pane, uint16_t period)
{
    p->StackCount = kept.StackCount;
    p->StackPos = kept.StackPos;
    p->Selection = kept.Selection;
    p->AreaIndex = pane;
    p->Period = period;
    p->ScrollToEnd = 1;
    p->Compute();
    if (kept.Have)
        p->SetViewState(kept.Width, kept.Gap, kept.Visible, kept.First);
}

// Modal dialogs of the chart keep the frame's keys away meanwhile.
struct DialogOpen {
    DialogOpen() { DialogBusy = 1; }
    ~DialogOpen() { DialogBusy = 0; }
};

// The indicator chooser, modal.
bool ChooseWithDialog(TTechForm *chart, int &id)
{
    DialogOpen busy;
    auto *dialog = new TSelIdxDlg(chart);
    dialog->ShowModal();
    const bool chosen = dialog->Chosen != 0;
    id = dialog->ChosenId;
    delete dialog;
    return chosen;
}

// The number dialog of the free periods: minutes (code 3) or days; 0 when it is
// cancelled or left empty. The text counts as far as it is a number.
int AskWithDialog(int code)
{
    TInputNumberDlg dialog(MainFrame());
    dialog.Caption = code == 3 ? "任意分钟技术分析" : "任意天技术分析";
    dialog.Label1->Caption = code == 3 ? "请输入分钟数(5的倍数):" : "请输入天数:";
    if (dialog.ShowModal() != mrOk)
        return 0;
    const std::string text = AnsiString(dialog.Edit_Day->Text).c_str();
    if (text.empty())
        return 0;
    const long n = std::strtol(text.c_str(), nullptr, 10);
    return n > 0 && n < 100000 ? int(n) : 0;
}

} // namespace

int (*TTechForm::AskPeriodNumber)(int code) = AskWithDialog;
bool (*TTechForm::ChooseIndicator)(TTechForm *chart, int &id) = ChooseWithDialog;

int TTechForm::TargetObject() const
{
    int first = -1;
    for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i) {
        const TIndex *p = Panes[i];
        if (!p || p->AreaIndex != CurPane)
            continue;
        if (first < 0)
            first = i;
        if (p->Selection)
            return i;
    }
    return first;
}

// ---- periods ---------------------------------------------------------------------------------------

void TTechForm::SetPeriod(int code)
{
    if (code < 0 || code > 12)
        return;
    if (code == Attr.Param && code != 3 && code != 12)
        return;
    if (code == 3 || code == 12) {
        int n = 0;
        {
            DialogOpen busy;
            n = AskPeriodNumber ? AskPeriodNumber(code) : 0;
        }
        if (code == 3)
            n -= n % 5;
        if (n <= 0) {
            SyncPeriodButton();
            return;
        }
        char text[16];
        std::snprintf(text, sizeof text, "%d", n);
        if (code == 3)
            Cycmins = n;
        else
            Cycdays = n;
        WritePrivateProfileStringA("Parameter", code == 3 ? "Cycmins" : "Cycdays", text, SettingFile);
    }
    Period = code;
    Attr.Param = code;
    ResetObjects(code);
    RepaintChart(this, false);
    SyncPeriodButton();
}

void TTechForm::N12Click(TObject *Sender)
{
    if (auto *item = dynamic_cast<TMenuItem *>(Sender))
        SetPeriod(int(item->Tag));
}

void TTechForm::SyncPeriodButton()
{
    const int code = Attr.Param;
    if (code < 1 || code > 12)
        return;
    if (PeriodItems[code])
        PeriodItems[code]->Checked = true;
    if (TMFrame *frame = MainFrame())
        for (TToolButton *button : frame->Cycle)
            if (button)
                button->Down = button->Tag == code;
}

// ---- indicators -------------------------------------------------------------------------------------

void TTechForm::ReplaceIndicator(int id)
{
    int t = TargetObject();
    if (t < 0)
        t = CurPane >= 0 && CurPane < Attr.ItemCount && CurPane < MaxChartObjects ? CurPane : -1;
    if (t < 0)
        return;
    const KeptState kept = Keep(Panes[t]);
    int32_t resolved = id;
    ResolveIndicatorId(resolved, Panes[t] ? Panes[t]->AreaIndex : CurPane);
    if (!CreateIndex(Panes[t], resolved, Attr.Stock, SecondStock))
        return;
    TIndex *p = Panes[t];
    SetUpObject(p, resolved);
    if (resolved != IndexIdWrap) {
        bool wrap = false;
        for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i)
            wrap = wrap || (Panes[i] && Panes[i]->Id == IndexIdWrap);
        if (!wrap)
            SecondStock = (SecondStock & ~0xFFu) | 0xFFu;
    }
    Attr.Items[t] = resolved;
    TakeOver(p, kept, CurPane, uint16_t(Attr.Param));
    RepaintChart(this, false);
}

void TTechForm::N11Click(TObject *)
{
    int id = 0;
    if (ChooseIndicator(this, id))
        ReplaceIndicator(id);
}

bool TTechForm::OverlayIndicator(int id)
{
    const int n = Attr.ItemCount;
    if (n >= MaxChartObjects || n < 0)
        return false;
    const KeptState base = CurPane >= 0 && CurPane < MaxChartObjects ? Keep(Panes[CurPane]) : KeptState{};
    if (!CreateIndex(Panes[n], id, Attr.Stock, SecondStock))
        return false;
    TIndex *p = Panes[n];
    SetUpObject(p, id);
    Attr.ItemCount = n + 1;
    p->AreaIndex = CurPane;
    int count = 1;
    for (int i = 0; i < n; ++i) {
        TIndex *o = Panes[i];
        if (!o || o->AreaIndex != CurPane)
            continue;
        o->StackCount = uint8_t(o->StackCount + 1);
        count = o->StackCount;
    }
    p->StackCount = uint8_t(count);
    p->StackPos = uint8_t(count);
    Attr.Items[n] = id;
    p->Period = uint16_t(Attr.Param);
    p->Compute();
    if (base.Have)
        p->SetViewState(base.Width, base.Gap, base.Visible, base.First);
    RepaintChart(this, false);
    return true;
}

void TTechForm::N20Click(TObject *)
{
    if (Attr.ItemCount >= MaxChartObjects)
        return;
    int id = 0;
    if (ChooseIndicator(this, id))
        OverlayIndicator(id);
}

void TTechForm::N3Click(TObject *)
{
    const int t = TargetObject();
    if (t < 0)
        return;
    TIndex *old = Panes[t];
    bool changed = false;
    {
        DialogOpen busy;
        auto *dialog = new TModiPara(this, old, Attr.Param, old->Id);
        dialog->ShowModal();
        changed = dialog->Accepted != 0;
        delete dialog;
    }
    if (!changed)
        return;
    const KeptState kept = Keep(old);
    // A formula indicator keeps its parameters in the object: the new object
    // takes the values the dialog set.
    float formulaValues[8] = {};
    int formulaCount = 0;
    if (auto *formula = dynamic_cast<TScrIndex *>(old)) {
        formulaCount = std::clamp(formula->ParamCount, 0, 8);
        for (int i = 0; i < formulaCount; ++i)
            formulaValues[i] = formula->Descriptors[i].Value;
    }
    int32_t id = old->Id;
    ResolveIndicatorId(id, old->AreaIndex);
    if (!CreateIndex(Panes[t], id, Attr.Stock, SecondStock))
        return;
    TIndex *p = Panes[t];
    SetUpObject(p, id);
    if (auto *formula = dynamic_cast<TScrIndex *>(p))
        for (int i = 0; i < formulaCount && i < formula->ParamCount; ++i)
            formula->Descriptors[i].Value = formulaValues[i];
    Attr.Items[t] = id;
    TakeOver(p, kept, CurPane, uint16_t(Attr.Param));
    RepaintChart(this, false);
}

void TTechForm::N15Click(TObject *)
{
    if (CurPane < 0 || CurPane >= MaxChartObjects || !Panes[CurPane])
        return;
    bool changed = false;
    {
        DialogOpen busy;
        changed = EditRefLines(Panes[CurPane]);
    }
    if (changed)
        RepaintChart(this, false);
}

void TTechForm::EraseIdxClick(TObject *)
{
    int c = -1;
    for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects && c < 0; ++i)
        if (Panes[i] && Panes[i]->Selection)
            c = i;
    if (c < 0)
        return;
    TIndex *p = Panes[c];
    const bool a = p->NoBars || (p->Selection & 2);
    const bool b = p->NoLines || (p->Selection & 1);
    if (p->StackCount > 1 && a && b) {
        for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i) {
            TIndex *o = Panes[i];
            if (i == c || !o || o->AreaIndex != p->AreaIndex)
                continue;
            o->StackCount = uint8_t(std::max(o->StackCount - 1, 1));
            if (o->StackPos > p->StackPos)
                o->StackPos = uint8_t(o->StackPos - 1);
        }
        delete p;
        const int n = std::min<int>(Attr.ItemCount, MaxChartObjects);
        for (int i = c; i + 1 < n; ++i) {
            Panes[i] = Panes[i + 1];
            Attr.Items[i] = Attr.Items[i + 1];
        }
        Panes[n - 1] = nullptr;
        Attr.ItemCount = n - 1;
    } else if (!(a && b)) {
        p->NoBars = a;
        p->NoLines = b;
        p->Selection = 0;
    }
    RepaintChart(this, false);
}

void TTechForm::N24Click(TObject *)
{
    for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i) {
        TIndex *p = Panes[i];
        if (!p || p->AreaIndex != CurPane)
            continue;
        if (p->PriceScale && p->LineCount >= 1 && !p->NoBars)
            p->NoLines = !p->NoLines;
        RepaintChart(this, false);
        return;
    }
}

void TTechForm::SetPaneCount(int count)
{
    if (count < 1 || count > MaxChartAreas)
        return;
    if (CountItems[count])
        CountItems[count]->Checked = true;
    PaneCount = count;
    for (int i = count; i < Attr.ItemCount && i < MaxChartObjects; ++i) {
        delete Panes[i];
        Panes[i] = nullptr;
    }
    Attr.ItemCount = count;
    DefaultSplit = 1;
    ReloadChart(false);
    RepaintChart(this, false);
}

void TTechForm::N7Click(TObject *Sender)
{
    if (auto *item = dynamic_cast<TMenuItem *>(Sender))
        SetPaneCount(int(item->Tag));
}

void TTechForm::N5Click(TObject *Sender)
{
    TDrawView::N5Click(Sender);
    RepaintChart(Sender, true);
}

void TTechForm::N25Click(TObject *Sender)
{
    auto *item = dynamic_cast<TMenuItem *>(Sender);
    if (!item || item->Tag < 0 || item->Tag > 3)
        return;
    for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i)
        if (Panes[i])
            Panes[i]->WeightMode = int32_t(item->Tag);
    ReloadChart(true);
    RepaintChart(this, false);
}

void TTechForm::N29Click(TObject *)
{
    bool chosen = false;
    {
        DialogOpen busy;
        TSelStockDlg1 dialog(this);
        chosen = dialog.ShowModal() == mrOk && dialog.ChosenStock != 0;
        if (chosen) {
            SecondStock = dialog.ChosenStock;
            WrapPriceField = dialog.RadioButton8->Checked ? 0 : 3;
            WrapMode = dialog.RadioButton1->Checked ? 0 : dialog.RadioButton3->Checked ? 1 : 2;
            WrapOption = dialog.RadioButton5->Checked ? 1 : 0;
        }
    }
    if (chosen)
        ReplaceIndicator(IndexIdWrap);
}

void TTechForm::NLineClick(TObject *)
{
    TMFrame *frame = MainFrame();
    if (frame && frame->LineBtn)
        frame->LineBtn->Click();
}

void TTechForm::MinfmClick(TObject *) { PostToPage(WM_PANE_TREND); }

void TTechForm::PopupMenu1Popup(TObject *Sender)
{
    const bool grid = DrawGrid1->Visible;
    Nanaly->Visible = !grid;
    N6->Visible = !grid;
    if (!grid && Attr.Param >= 1 && Attr.Param <= 12 && PeriodItems[Attr.Param])
        PeriodItems[Attr.Param]->Checked = true;
    EraseIdx->Visible = false;
    N24->Visible = false;
    for (int i = 0; i < Attr.ItemCount && i < MaxChartObjects; ++i) {
        const TIndex *p = Panes[i];
        if (!p || p->AreaIndex != CurPane)
            continue;
        if (p->Selection && (p->StackCount >= 2 || (p->StackCount == 1 && !p->NoBars && !p->NoLines)))
            EraseIdx->Visible = true;
        if (p->PriceScale && p->LineCount >= 1 && !p->NoBars)
            N24->Visible = true;
    }
    NWeight->Visible = Look().Kind == 1;
    if (NWeight->Visible && Panes[0]) {
        const int mode = std::clamp<int>(Panes[0]->WeightMode, 0, 3);
        for (int m = 0; m < 4; ++m)
            WeightItems[m]->Checked = m == mode;
    }
    TDrawView::PopupMenu1Popup(Sender);
}
