// The alarm list: every alarm, waiting ones first, with the commands to add,
// change and delete alarms and the store's sound and pop-up switches. The
// alarm thread moves alarms meanwhile, so every change checks under the store's
// lock that the row still holds the alarm the user chose.
#pragma once

#include <vector>

#include "lumon/core/Alarm.h"
#include "lumon/core/MarketRecords.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TForm.h"

namespace win {
class TCheckBox;
class TImageList;
class TMainMenu;
class TMenuItem;
class TStringGrid;
class TToolBar;
class TToolButton;
} // namespace win

// The stock chooser of "添加": true with the chosen stock when the user chose
// one; the stock dialog, unless a test puts its own choice in its place.
extern bool (*ChooseAlarmStock)(win::TComponent *owner, StockId &stock);
// The store the alarm windows work on: the frame's, made and started when the
// frame has none yet; null without a frame.
TAlarm *AlarmStore();

class TAlartfm : public win::TForm {
public:
    explicit TAlartfm(win::TComponent *Owner);

    void FormCreate(win::TObject *Sender);
    // Rows: the titles, the waiting alarms, then the fired ones.
    void FillGrid();
    void BaseGridDrawCell(win::TObject *Sender, int ACol, int ARow, const win::TRect &Rect,
                          win::TGridDrawState State);
    void BAddClick(win::TObject *Sender);
    void BModifyClick(win::TObject *Sender);
    void BEraiseClick(win::TObject *Sender);
    void BRemoveAllClick(win::TObject *Sender);
    void CBSoundClick(win::TObject *Sender);
    void CBPopWinClick(win::TObject *Sender);
    void tbToolBar1Click(win::TObject *Sender);
    void N8Click(win::TObject *Sender);
    void ExitAction1Execute(win::TObject *Sender);

    win::TStringGrid *BaseGrid;
    win::TToolBar *ToolBar1;
    win::TToolButton *BAdd, *BModify, *BEraise, *BRemoveAll, *tbToolBar1;
    win::TMainMenu *MainMenu1;
    win::TMenuItem *N8;
    win::TCheckBox *CBPopWin;
    win::TCheckBox *CBSound;
    win::TImageList *ImageList1;
    // The alarms the grid shows, row 1 first, as they were when it was filled.
    std::vector<AlarmData> Shown;

private:
    // Under the store's lock (held by the caller): whether alarm i of the store
    // is still the one row i + 1 showed.
    bool StillShown(TAlarm *store, int i) const;
    void ListChanged();
};

// The one alarm list, null until the first is made.
extern TAlartfm *AlarmForm;
// Closes and frees both alarm windows (at the frame's close).
void DestroyAlarmWindows();
