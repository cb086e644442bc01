// The settings tool's one window: edits the four colour and font themes and the
// system parameters of the terminal's settings file, with previews of the theme
// being edited and confirmations before anything is written.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/forms/TBitBtn.h"
#include "platform/forms/TButton.h"
#include "platform/forms/TCSpinEdit.h"
#include "platform/forms/TColorDialog.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TDrawGrid.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TFontDialog.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TGroupBox.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TMemo.h"
#include "platform/forms/TPageControl.h"
#include "platform/forms/TPaintBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TRadioButton.h"
#include "toolpick/FontRecord.h"

class TUtilData;

class TSetTool : public win::TForm {
public:
    explicit TSetTool(win::TComponent *Owner);
    ~TSetTool() override;

    // The form's controls.
    win::TPageControl *PageControl1;
    win::TTabSheet *TabSheet1;
    win::TTabSheet *TabSheet2;
    win::TPanel *Panel1;
    win::TBitBtn *BitBtn_Confirm;
    win::TBitBtn *BitBtn_Cancel;
    win::TBitBtn *BitBtn_Apply;
    win::TComboBox *ComboBox2;
    win::TPageControl *PageControl2;
    win::TTabSheet *TabShe_Col1;
    win::TTabSheet *TabShe_Col2;
    win::TTabSheet *TabShe_Col3;
    win::TPaintBox *PaintBox1;
    win::TDrawGrid *DrawGrid1;
    win::TPaintBox *PaintBox2;
    win::TPanel *Panel2;
    win::TComboBox *ComboBox_Col;
    win::TMemo *Memo2;
    win::TComboBox *ComboBox_Fon;
    win::TEdit *Edit_DatDir;
    win::TButton *But_Brw2;
    win::TCSpinEdit *CSpE_Ref;
    win::TCSpinEdit *CSpE_Sor;
    win::TCSpinEdit *CSpE_Pag;
    win::TCSpinEdit *CSpE_Rat;
    win::TCSpinEdit *CSpE_Rec;
    win::TRadioButton *RB_KLMode0;
    win::TRadioButton *RB_KLMode1;
    win::TCSpinEdit *CSpE_ShRis;
    win::TCSpinEdit *CSpE_ShDow;
    win::TCSpinEdit *CSpE_SzRis;
    win::TCSpinEdit *CSpE_SzDow;
    win::TColorDialog *ColorDialog1;
    win::TFontDialog *FontDialog1;

    // The theme being edited: colour slot n at index n-1, font slot n at n-1.
    int32_t Colors[64] = {};
    TFontRecord Fonts[16] = {};
    // Unsaved changes per page of PageControl1: 0 colours and fonts, 1 system.
    int32_t Dirty[2] = {};
    // The system parameters as last loaded or saved.
    int32_t SortTime = 0;
    int32_t PageTime = 0;
    int32_t RefreshTime = 0;
    int32_t WarnRatio = 0;
    int32_t MaxDataRecords = 0;
    int32_t KLineMode = 0;
    // The settings file all reads and writes go to.
    win::AnsiString SettingPath;
    // The chart preview's cross-hair.
    int CrossX = 0;
    int CrossY = 0;
    bool CrossShown = false;

    void FormCreate(win::TObject *Sender);
    void BitBtn_ConfirmClick(win::TObject *Sender);
    void BitBtn_CancelClick(win::TObject *Sender);
    void BitBtn_ApplyClick(win::TObject *Sender);
    void ComboBox2Change(win::TObject *Sender);
    void ComboBox_ColChange(win::TObject *Sender);
    void ComboBox_FonChange(win::TObject *Sender);
    void Panel2Click(win::TObject *Sender);
    void Memo2Click(win::TObject *Sender);
    void Edit_DatDirChange(win::TObject *Sender);
    void CSpE_ShRisChange(win::TObject *Sender);
    void But_Brw2Click(win::TObject *Sender);
    void PageControl2Change(win::TObject *Sender);
    void PaintBox1Paint(win::TObject *Sender);
    void PaintBox1MouseMove(win::TObject *Sender, win::TShiftState Shift, int X, int Y);
    void PaintBox1MouseUp(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void TabShe_Col1MouseMove(win::TObject *Sender, win::TShiftState Shift, int X, int Y);
    void DrawGrid1DrawCell(win::TObject *Sender, int ACol, int ARow, const win::TRect &Rect,
                           win::TGridDrawState State);
    void DrawGrid1MouseUp(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void PaintBox2Paint(win::TObject *Sender);
    void PaintBox2MouseUp(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);

    // Write the system page's values / the selected theme; false when the file
    // could not be written.
    bool SaveSystemParameters();
    bool SaveThemeColoursAndFonts();

private:
    void BuildColourPage();
    void BuildSystemPage();
    void BuildButtons();
    win::TLabel *AddLabel(win::TWinControl *parent, int left, int top, const char *caption);
    win::TCSpinEdit *AddSpin(win::TWinControl *parent, int left, int top, int max, int step);
    // Marks a page changed and enables "应用".
    void Changed(int page);
    // Selects a colour slot and/or a font slot (0: unchanged) and shows them.
    void SelectSlots(int colour, int font);
    void RepaintPreview(int preview);
    void DrawCross();
    void EraseCross();
    // Asks the question of a page's save; true when it was answered Yes and
    // the page was saved.
    bool ConfirmSave(const char *question, bool (TSetTool::*save)());

    std::unique_ptr<TUtilData> utilData_;
};

extern TSetTool *SetTool;
