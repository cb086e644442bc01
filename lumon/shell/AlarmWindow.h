// The window of the alarms that fired: newest first, with the time, the price
// and the reason of each; from it the user goes to the alarm list or opens the
// intraday chart of an alarm's stock.
#pragma once

#include <vector>

#include "lumon/core/MarketRecords.h"
#include "platform/forms/TForm.h"

namespace win {
class TLabel;
class TSpeedButton;
class TStringGrid;
} // namespace win

class TAlarmWin : public win::TForm {
public:
    explicit TAlarmWin(win::TComponent *Owner);

    // Re-reads the fired alarms into the grid.
    void Refresh();
    void SpeedButton1Click(win::TObject *Sender);   // 设置
    void SpeedButton2Click(win::TObject *Sender);   // 关闭
    void SpeedButton3Click(win::TObject *Sender);   // 走势
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);

    win::TStringGrid *AlarmGrid;
    win::TLabel *Note;
    win::TSpeedButton *SpeedButton1;
    win::TSpeedButton *SpeedButton2;
    win::TSpeedButton *SpeedButton3;
    // The stock of each grid row below the titles.
    std::vector<StockId> RowStocks;
};

// The one window of fired alarms, null until the first is made.
extern TAlarmWin *AlarmWindow;
