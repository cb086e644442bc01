// The alarm condition editor: the five limits of one alarm, each switched on by
// its check box; a limit of 0 or less is no limit.
#pragma once

#include "lumon/core/Alarm.h"
#include "lumon/core/MarketRecords.h"
#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TCheckBox;
class TEdit;
class TLabel;
} // namespace win

// The alarm's limits shown as the editor and the alarm list show them: a price
// with the stock's decimals, a volume or amount whole; empty when unset.
win::AnsiString AlarmPriceText(const AlarmData &alarm, float value);
win::AnsiString AlarmVolumeText(float value);
// The decimals of the alarm's stock (2 when the stock is unknown).
int AlarmDecimals(const AlarmData &alarm);
// Reads a limit typed by the user: true with the value, or with AlarmLimitOff
// for an empty text or a value of 1e-10 or less; false for a text that is not a
// finite number a float can hold.
bool ParseAlarmLimit(const char *text, float &value);

// A new alarm on `stock`: its last price and no limit set, edited in the alarm
// editor shown modally over `owner` and added to the alarm store on OK. The new
// alarm's index in the store, or -1 (no store, no such stock, cancelled, full).
int AddAlarmForStock(win::TComponent *owner, StockId stock);

class TModifyAlert : public win::TForm {
public:
    TModifyAlert(win::TComponent *Owner, const AlarmData &alarm);

    void CheckBoxClick(int i);
    void Button1Click(win::TObject *Sender);

    win::TLabel *Label1;
    win::TCheckBox *CheckBox[5];
    // Edit_Up, Edit_Low, Edit_CurVol, Edit_Vol, Edit_Amount.
    win::TEdit *Edit[5];
    win::TEdit *&Edit_Up = Edit[0];
    win::TEdit *&Edit_Low = Edit[1];
    win::TEdit *&Edit_CurVol = Edit[2];
    win::TEdit *&Edit_Vol = Edit[3];
    win::TEdit *&Edit_Amount = Edit[4];
    win::TButton *Button1;
    win::TButton *Button2;
    // The alarm as edited; its limits are taken on OK.
    AlarmData Alarm;

private:
    float *Limit(int i);
};
