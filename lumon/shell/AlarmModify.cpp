#include "lumon/shell/AlarmModify.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/MarketData.h"
#include "lumon/shell/AlarmForm.h"
#include "lumon/shell/MFrame.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCheckBox.h"
#include "platform/forms/TEdit.h"

using namespace win;

namespace {

bool Unset(float value) { return value <= 1e-10f; }

std::string Text(const char *field, size_t size) { return std::string(field, strnlen(field, size)); }

} // namespace

int AddAlarmForStock(TComponent *owner, StockId stock)
{
    TAlarm *store = AlarmStore();
    const StockStaticRecord *s = TDataIO::GetStock(stock);
    const int market = StockMarket(stock), index = StockIndex(stock);
    if (!store || !s || market >= MarketTable.Count || !MarketTable.Markets[market] ||
        !MarketTable.Markets[market]->Quotes || index >= MarketTable.Markets[market]->StockCount)
        return -1;
    AlarmData alarm{};
    alarm.Market = uint16_t(market);
    alarm.Stock = uint16_t(index);
    alarm.Price = float(MarketTable.Markets[market]->Quotes[index].Last) / PriceScaleOf(*s);
    alarm.Upper = alarm.Lower = alarm.DealLimit = alarm.VolumeLimit = alarm.AmountLimit = AlarmLimitOff;
    TModifyAlert editor(owner, alarm);
    editor.Label1->Caption =
        (Text(s->Name, sizeof s->Name) + "(" + Text(s->Code, sizeof s->Code) + ")").c_str();
    FrameBusy = 1;
    const int result = editor.ShowModal();
    FrameBusy = 0;
    return result == mrOk ? store->AddAlarm(editor.Alarm) : -1;
}

int AlarmDecimals(const AlarmData &alarm)
{
    if (alarm.Market >= MarketTable.Count || alarm.Market >= MaxMarkets)
        return 2;
    const StockStaticRecord *s = TDataIO::GetStock(MakeStockId(alarm.Market, 0, alarm.Stock));
    return s ? s->Decimals : 2;
}

AnsiString AlarmPriceText(const AlarmData &alarm, float value)
{
    if (Unset(value))
        return "";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", AlarmDecimals(alarm), double(value));
    return text;
}

AnsiString AlarmVolumeText(float value)
{
    if (Unset(value))
        return "";
    char text[64];
    std::snprintf(text, sizeof text, "%.0f", double(value));
    return text;
}

bool ParseAlarmLimit(const char *text, float &value)
{
    const char *p = text;
    while (*p == ' ')
        ++p;
    if (!*p) {
        value = AlarmLimitOff;
        return true;
    }
    char *end = nullptr;
    errno = 0;
    const double d = std::strtod(p, &end);
    while (end && *end == ' ')
        ++end;
    if (end == p || *end || errno == ERANGE || !std::isfinite(d) || std::fabs(d) > FLT_MAX)
        return false;
    value = d <= 1e-10 ? AlarmLimitOff : float(d);
    return true;
}

TModifyAlert::TModifyAlert(TComponent *Owner, const AlarmData &alarm) : TForm(Owner), Alarm(alarm)
{
    SetUpDialog(*this, "修改预警条件", 250, 226);
    Position = poDesktopCenter;
    Label1 = AddLabel(this, this, 16, 12, "");
    static const char *const captions[5] = {"价格上限:", "价格下限:", "最大单笔:", "成  交 量:", "持仓/金额:"};
    for (int i = 0; i < 5; ++i) {
        CheckBox[i] = Place<TCheckBox>(this, this, 16, 38 + i * 28, 96, 20);
        CheckBox[i]->Caption = captions[i];
        Edit[i] = Place<TEdit>(this, this, 116, 36 + i * 28, 118, 22);
        const float value = *Limit(i);
        Edit[i]->Text = i < 2 ? AlarmPriceText(Alarm, value) : AlarmVolumeText(value);
        // A limit that is set can be edited at once.
        CheckBox[i]->Checked = !Unset(value);
        Edit[i]->SetReadOnly(Unset(value));
        Edit[i]->Color = Unset(value) ? clBtnFace : clWindow;
        CheckBox[i]->OnClick = [this, i](TObject *) { CheckBoxClick(i); };
    }
    Button1 = Place<TButton>(this, this, 40, 188, 75, 25);
    Button1->Caption = "确定";
    Button1->Default = true;
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button2 = Place<TButton>(this, this, 136, 188, 75, 25);
    Button2->Caption = "取消";
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
}

float *TModifyAlert::Limit(int i)
{
    float *limits[5] = {&Alarm.Upper, &Alarm.Lower, &Alarm.DealLimit, &Alarm.VolumeLimit, &Alarm.AmountLimit};
    return limits[i];
}

void TModifyAlert::CheckBoxClick(int i)
{
    if (CheckBox[i]->Checked) {
        Edit[i]->SetReadOnly(false);
        Edit[i]->Color = clWindow;
        if (Visible)
            Edit[i]->SetFocus();
    } else {
        Edit[i]->Text = "";
        Edit[i]->SetReadOnly(true);
        Edit[i]->Color = clBtnFace;
    }
}

void TModifyAlert::Button1Click(TObject *)
{
    float values[5];
    for (int i = 0; i < 5; ++i) {
        if (!ParseAlarmLimit(AnsiString(Edit[i]->Text).c_str(), values[i])) {
            // Not a number: the dialog stays open on the field to mend.
            ModalResult = mrNone;
            if (Visible) {
                Edit[i]->SetFocus();
                Edit[i]->SelectAll();
            }
            return;
        }
    }
    for (int i = 0; i < 5; ++i)
        *Limit(i) = values[i];
    ModalResult = mrOk;
}
