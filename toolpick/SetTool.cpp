#include "toolpick/SetTool.h"

#include <string>

#include "lumon/core/UtilData.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TApplication.h"
#include "platform/win/File.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Path.h"
#include "platform/win/TIniFile.h"
#include "toolpick/DirDialog.h"
#include "toolpick/ThemePreview.h"
#include "toolpick/ThemeSlots.h"

using namespace win;

TSetTool *SetTool;

namespace {

AnsiString Numbered(const char *format, int n)
{
    AnsiString text;
    text.sprintf(format, n);
    return text;
}

} // namespace

TSetTool::TSetTool(TComponent *Owner) : TForm(Owner)
{
    Caption = "ConfigTool";
    BorderStyle = bsDialog;
    ClientWidth = 500;
    ClientHeight = 465;
    Font->Name = "宋体";
    Font->Height = -12;
    FontChanged();

    ColorDialog1 = new TColorDialog(this);
    ColorDialog1->Options = TColorDialogOptions() << cdSolidColor << cdAnyColor;
    FontDialog1 = new TFontDialog(this);

    BuildButtons();
    PageControl1 = new TPageControl(this);
    PageControl1->Parent = this;
    PageControl1->Align = alClient;
    TabSheet1 = new TTabSheet(this);
    TabSheet1->Caption = "颜色与字体";
    TabSheet1->PageControl = PageControl1;
    TabSheet2 = new TTabSheet(this);
    TabSheet2->Caption = "系统参数";
    TabSheet2->PageControl = PageControl1;
    AlignControls();
    BuildColourPage();
    BuildSystemPage();

    OnCreate = [this](TObject *s) { FormCreate(s); };
}

TSetTool::~TSetTool() = default;

void TSetTool::BuildButtons()
{
    Panel1 = new TPanel(this);
    Panel1->Parent = this;
    Panel1->Height = 41;
    Panel1->Align = alBottom;
    Panel1->BevelOuter = bvNone;
    BitBtn_Confirm = Place<TBitBtn>(this, Panel1, 168, 8, 75, 25);
    BitBtn_Confirm->Caption = "确定";
    BitBtn_Confirm->OnClick = [this](TObject *s) { BitBtn_ConfirmClick(s); };
    BitBtn_Cancel = Place<TBitBtn>(this, Panel1, 252, 8, 75, 25);
    BitBtn_Cancel->Caption = "取消";
    BitBtn_Cancel->Cancel = true;
    BitBtn_Cancel->OnClick = [this](TObject *s) { BitBtn_CancelClick(s); };
    BitBtn_Apply = Place<TBitBtn>(this, Panel1, 336, 8, 75, 25);
    BitBtn_Apply->Caption = "应用";
    BitBtn_Apply->OnClick = [this](TObject *s) { BitBtn_ApplyClick(s); };
}

TLabel *TSetTool::AddLabel(TWinControl *parent, int left, int top, const char *caption)
{
    auto *label = new TLabel(this);
    label->Parent = parent;
    label->Left = left;
    label->Top = top;
    label->Caption = caption;
    return label;
}

TCSpinEdit *TSetTool::AddSpin(TWinControl *parent, int left, int top, int max, int step)
{
    auto *spin = Place<TCSpinEdit>(this, parent, left, top, 80, 22);
    spin->MinValue = 0;
    spin->MaxValue = max;
    spin->Increment = step;
    return spin;
}

void TSetTool::BuildColourPage()
{
    AddLabel(TabSheet1, 8, 12, "颜色方案：");
    ComboBox2 = Place<TComboBox>(this, TabSheet1, 76, 8, 160, 22);
    ComboBox2->Style = csDropDownList;
    ComboBox2->OnChange = [this](TObject *s) { ComboBox2Change(s); };

    PageControl2 = Place<TPageControl>(this, TabSheet1, 8, 36, 392, 236);
    PageControl2->TabPosition = tpBottom;
    PageControl2->OnChange = [this](TObject *s) { PageControl2Change(s); };
    TTabSheet **sheets[3] = {&TabShe_Col1, &TabShe_Col2, &TabShe_Col3};
    const char *captions[3] = {"指标颜色", "报表颜色", "文档颜色"};
    for (int i = 0; i < 3; ++i) {
        *sheets[i] = new TTabSheet(this);
        (*sheets[i])->Caption = captions[i];
        (*sheets[i])->PageControl = PageControl2;
    }
    TabShe_Col1->OnMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { TabShe_Col1MouseMove(s, sh, x, y); };

    PaintBox1 = new TPaintBox(this);
    PaintBox1->Parent = TabShe_Col1;
    PaintBox1->Align = alClient;
    PaintBox1->OnPaint = [this](TObject *s) { PaintBox1Paint(s); };
    PaintBox1->OnMouseMove = [this](TObject *s, TShiftState sh, int x, int y) { PaintBox1MouseMove(s, sh, x, y); };
    PaintBox1->OnMouseUp = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        PaintBox1MouseUp(s, b, sh, x, y);
    };

    DrawGrid1 = new TDrawGrid(this);
    DrawGrid1->Parent = TabShe_Col2;
    DrawGrid1->Align = alClient;
    DrawGrid1->ColCount = ReportCols;
    DrawGrid1->RowCount = ReportRows;
    DrawGrid1->FixedCols = 0;
    DrawGrid1->FixedRows = 0;
    DrawGrid1->DefaultRowHeight = 22;
    DrawGrid1->GridLineWidth = 0;
    DrawGrid1->Options = TGridOptions();
    DrawGrid1->DefaultDrawing = false;
    DrawGrid1->OnDrawCell = [this](TObject *s, int c, int r, const TRect &rect, TGridDrawState st) {
        DrawGrid1DrawCell(s, c, r, rect, st);
    };
    DrawGrid1->OnMouseUp = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        DrawGrid1MouseUp(s, b, sh, x, y);
    };

    PaintBox2 = new TPaintBox(this);
    PaintBox2->Parent = TabShe_Col3;
    PaintBox2->Align = alClient;
    PaintBox2->OnPaint = [this](TObject *s) { PaintBox2Paint(s); };
    PaintBox2->OnMouseUp = [this](TObject *s, TMouseButton b, TShiftState sh, int x, int y) {
        PaintBox2MouseUp(s, b, sh, x, y);
    };
    for (TTabSheet *sheet : {TabShe_Col1, TabShe_Col2, TabShe_Col3})
        sheet->AlignControls();

    AddLabel(TabSheet1, 8, 284, "系统颜色：");
    // The simple combo boxes show their edit and three lines of their list.
    ComboBox_Col = Place<TComboBox>(this, TabSheet1, 76, 280, 176, 56);
    ComboBox_Col->Style = csSimple;
    for (const char *item : ColourSlotItems)
        ComboBox_Col->Items->Add(item);
    ComboBox_Col->OnChange = [this](TObject *s) { ComboBox_ColChange(s); };
    Panel2 = Place<TPanel>(this, TabSheet1, 264, 280, 220, 24);
    Panel2->BevelOuter = bvLowered;
    Panel2->OnClick = [this](TObject *s) { Panel2Click(s); };

    AddLabel(TabSheet1, 8, 344, "系统字体：");
    ComboBox_Fon = Place<TComboBox>(this, TabSheet1, 76, 340, 176, 56);
    ComboBox_Fon->Style = csSimple;
    for (const char *item : FontSlotItems)
        ComboBox_Fon->Items->Add(item);
    ComboBox_Fon->OnChange = [this](TObject *s) { ComboBox_FonChange(s); };
    Memo2 = Place<TMemo>(this, TabSheet1, 264, 340, 220, 56);
    Memo2->ReadOnly = true;
    Memo2->Lines->Add("汉字");
    Memo2->Lines->Add("ABCDEabcde");
    Memo2->Lines->Add("12345");
    Memo2->OnClick = [this](TObject *s) { Memo2Click(s); };
}

void TSetTool::BuildSystemPage()
{
    auto *dirs = Place<TGroupBox>(this, TabSheet2, 8, 8, 476, 60);
    dirs->Caption = "目录设置";
    AddLabel(dirs, 12, 28, "数据主目录");
    Edit_DatDir = Place<TEdit>(this, dirs, 84, 24, 296, 22);
    Edit_DatDir->MaxLength = 128;
    Edit_DatDir->OnChange = [this](TObject *s) { Edit_DatDirChange(s); };
    But_Brw2 = Place<TButton>(this, dirs, 388, 23, 76, 24);
    But_Brw2->Caption = "浏览...";
    But_Brw2->OnClick = [this](TObject *s) { But_Brw2Click(s); };

    auto *times = Place<TGroupBox>(this, TabSheet2, 8, 76, 476, 152);
    times->Caption = "时间/量警示比/天数";
    const char *captions[5] = {"自动刷新时间(秒)", "自动排序时间(秒)", "自动翻页时间(秒)", "量警示比", "数据分析天数"};
    for (int i = 0; i < 5; ++i)
        AddLabel(times, 16, 24 + 25 * i, captions[i]);
    CSpE_Ref = AddSpin(times, 140, 20, 1000, 5);
    CSpE_Sor = AddSpin(times, 140, 45, 1000, 5);
    CSpE_Pag = AddSpin(times, 140, 70, 1000, 1);
    CSpE_Rat = AddSpin(times, 140, 95, 1000, 1);
    // Days of history: any positive number; the terminal cannot work with none.
    CSpE_Rec = AddSpin(times, 140, 120, 0x7FFFFFFF, 1);
    CSpE_Rec->MinValue = 1;
    for (TCSpinEdit *spin : {CSpE_Ref, CSpE_Sor, CSpE_Pag, CSpE_Rat, CSpE_Rec})
        spin->OnChange = [this](TObject *s) { Edit_DatDirChange(s); };

    auto *mode = Place<TGroupBox>(this, TabSheet2, 8, 236, 476, 50);
    mode->Caption = "K线形态";
    RB_KLMode0 = Place<TRadioButton>(this, mode, 24, 22, 80, 20);
    RB_KLMode0->Caption = "实心";
    RB_KLMode1 = Place<TRadioButton>(this, mode, 140, 22, 80, 20);
    RB_KLMode1->Caption = "空心";
    for (TRadioButton *rb : {RB_KLMode0, RB_KLMode1})
        rb->OnClick = [this](TObject *s) { Edit_DatDirChange(s); };

    auto *limits = Place<TGroupBox>(this, TabSheet2, 8, 294, 476, 84);
    limits->Caption = "涨跌停幅度";
    const char *limitCaptions[4] = {"上海涨幅", "上海跌幅", "深圳涨幅", "深圳跌幅"};
    TCSpinEdit **spins[4] = {&CSpE_ShRis, &CSpE_ShDow, &CSpE_SzRis, &CSpE_SzDow};
    for (int i = 0; i < 4; ++i) {
        int left = i % 2 == 0 ? 16 : 250;
        int top = i < 2 ? 20 : 50;
        AddLabel(limits, left, top + 4, limitCaptions[i]);
        *spins[i] = AddSpin(limits, left + 64, top, 1000, 1);
        (*spins[i])->OnChange = [this](TObject *s) { CSpE_ShRisChange(s); };
        AddLabel(limits, left + 150, top + 4, "%");
    }
}

void TSetTool::FormCreate(TObject *Sender)
{
    utilData_ = std::make_unique<TUtilData>(2);
    // The file the loader read the theme and the data folder from, fixed now so
    // that a later change of the working folder cannot move it: themes are
    // shown from and saved to one and the same file, the one the terminal reads.
    std::string native = MapPath(SettingFile);
    SettingPath = native.empty() ? AnsiString(SettingFile) : AnsiString(NativeToWinPath(native).c_str());

    TIniFile ini(SettingPath);
    SortTime = ini.ReadInteger("PARAMETER", "SortTime", 30);
    PageTime = ini.ReadInteger("PARAMETER", "PageTime", 5);
    RefreshTime = ini.ReadInteger("PARAMETER", "RefreshTime", 60);
    WarnRatio = ini.ReadInteger("PARAMETER", "WarnRatio", 50);
    // The number the terminal works with when the key is missing or unusable.
    MaxDataRecords = ini.ReadInteger("PARAMETER", "MaxDataRecords", ::MaxDataRecords);
    if (MaxDataRecords < 1)
        MaxDataRecords = ::MaxDataRecords;
    KLineMode = ini.ReadInteger("PARAMETER", "KLineMode", 0);
    CSpE_ShRis->Value = ini.ReadInteger("DCD", "ShRaise", 10);
    CSpE_ShDow->Value = ini.ReadInteger("DCD", "ShDown", 10);
    CSpE_SzRis->Value = ini.ReadInteger("DCD", "SzRaise", 10);
    CSpE_SzDow->Value = ini.ReadInteger("DCD", "SzDown", 10);

    // A longer folder than the edit takes is shown whole, so that saving the
    // page never cuts it.
    AnsiString dataDir = DataRoot;
    if (dataDir.Length() > Edit_DatDir->MaxLength)
        Edit_DatDir->MaxLength = dataDir.Length();
    Edit_DatDir->Text = dataDir;
    CSpE_Ref->Value = RefreshTime;
    CSpE_Sor->Value = SortTime;
    CSpE_Pag->Value = PageTime;
    CSpE_Rat->Value = WarnRatio;
    CSpE_Rec->Value = MaxDataRecords;
    if (KLineMode != 0)
        RB_KLMode1->Checked = true;
    else
        RB_KLMode0->Checked = true;

    PageControl1->ActivePage = TabSheet1;
    ComboBox2->Items->Clear();
    for (int n = 0; n < 4; ++n)
        ComboBox2->Items->Add(ini.ReadString(Numbered("COLOR%d", n), "name", ""));

    for (int i = 0; i < ReportCols; ++i)
        DrawGrid1->SetColWidth(i, ReportColWidths[i]);

    BitBtn_Apply->Enabled = false;
    Dirty[0] = Dirty[1] = 0;

    ComboBox2->ItemIndex = 0;
    PageControl2Change(this);
    ComboBox2Change(this);
}

void TSetTool::ComboBox2Change(TObject *Sender)
{
    int n = ComboBox2->ItemIndex;
    if (n < 0 || n > 3)
        return;
    utilData_->LoadColors(n);
    utilData_->LoadFonts(n);
    for (int i = 0; i < 64; ++i)
        Colors[i] = ColorTable[i];
    for (int i = 0; i < 16; ++i)
        Fonts[i] = FontRecordOf(FontTable[i]);
    ComboBox_ColChange(this);
    ComboBox_FonChange(this);
    DrawGrid1->Color = SlotColour(Colors, 17);
    EraseCross();
    PaintBox1->Invalidate();
    DrawGrid1->Invalidate();
    PaintBox2->Invalidate();
}

void TSetTool::ComboBox_ColChange(TObject *Sender)
{
    int i = ComboBox_Col->ItemIndex;
    if (i >= 0 && i < 64)
        Panel2->Color = SlotColour(Colors, i + 1);
}

void TSetTool::ComboBox_FonChange(TObject *Sender)
{
    int i = ComboBox_Fon->ItemIndex;
    if (i < 0 || i >= 16)
        return;
    ApplyFontRecord(Memo2->Font, Fonts[i]);
    Memo2->FontChanged();
}

void TSetTool::Panel2Click(TObject *Sender)
{
    int i = ComboBox_Col->ItemIndex;
    if (i < 0 || i >= 64)
        return;
    ColorDialog1->Color = SlotColour(Colors, i + 1);
    if (!ColorDialog1->Execute())
        return;
    Colors[i] = int32_t(ColorDialog1->Color);
    Panel2->Color = SlotColour(Colors, i + 1);
    RepaintPreview(PreviewOfColourSlot(i + 1));
    Changed(0);
}

void TSetTool::Memo2Click(TObject *Sender)
{
    int j = ComboBox_Fon->ItemIndex;
    if (j < 0 || j >= 16)
        return;
    FontDialog1->Font->Assign(*Memo2->Font);
    if (!FontDialog1->Execute())
        return;
    Memo2->Font->Assign(*FontDialog1->Font);
    Memo2->FontChanged();
    Fonts[j] = FontRecordOf(*FontDialog1->Font);
    RepaintPreview(PreviewOfFontSlot(j + 1));
    Changed(0);
}

void TSetTool::Edit_DatDirChange(TObject *Sender) { Changed(1); }

void TSetTool::CSpE_ShRisChange(TObject *Sender) { Changed(1); }

void TSetTool::Changed(int page)
{
    BitBtn_Apply->Enabled = true;
    Dirty[page] = 1;
}

void TSetTool::But_Brw2Click(TObject *Sender)
{
    char saved[256] = {};
    DWORD n = GetCurrentDirectoryA(sizeof saved, saved);
    bool restore = n > 0 && n < sizeof saved;
    auto *dialog = new TDirDialog(Application);
    if (dialog->ShowModal() == mrOk)
        Edit_DatDir->Text = dialog->DirectoryListBox1->Directory;
    delete dialog;
    if (restore)
        SetCurrentDirectoryA(saved);
}

bool TSetTool::ConfirmSave(const char *question, bool (TSetTool::*save)())
{
    if (MessageBoxA(0, question, "警告", MB_YESNO) != IDYES)
        return false;
    if ((this->*save)())
        return true;
    MessageBoxA(0, "设置文件无法写入，修改没有保存。", "警告", MB_OK | MB_ICONERROR);
    return false;
}

void TSetTool::BitBtn_ApplyClick(TObject *Sender)
{
    if (Dirty[0] && ConfirmSave("修改\"颜色与字体\"配置?", &TSetTool::SaveThemeColoursAndFonts))
        Dirty[0] = 0;
    if (Dirty[1] && ConfirmSave("修改\"系统参数\"配置?", &TSetTool::SaveSystemParameters))
        Dirty[1] = 0;
    BitBtn_Apply->Enabled = false;
    if (Dirty[0] || Dirty[1])
        BitBtn_Apply->Enabled = true;
}

void TSetTool::BitBtn_ConfirmClick(TObject *Sender)
{
    if (BitBtn_Apply->Enabled)
        BitBtn_ApplyClick(Sender);
    if (MessageBoxA(0, "退出系统?", "警告", MB_YESNO) == IDYES)
        Close();
}

void TSetTool::BitBtn_CancelClick(TObject *Sender) { Close(); }

bool TSetTool::SaveSystemParameters()
{
    RefreshTime = CSpE_Ref->Value;
    PageTime = CSpE_Pag->Value;
    SortTime = CSpE_Sor->Value;
    WarnRatio = CSpE_Rat->Value;
    MaxDataRecords = CSpE_Rec->Value;
    if (RB_KLMode0->Checked)
        KLineMode = 0;
    else if (RB_KLMode1->Checked)
        KLineMode = 1;

    TIniFile ini(SettingPath);
    bool ok = ini.WriteString("PATH", "DataPath", Edit_DatDir->Text);
    ok = ini.WriteInteger("PARAMETER", "SortTime", SortTime) && ok;
    ok = ini.WriteInteger("PARAMETER", "PageTime", PageTime) && ok;
    ok = ini.WriteInteger("PARAMETER", "RefreshTime", RefreshTime) && ok;
    ok = ini.WriteInteger("PARAMETER", "WarnRatio", WarnRatio) && ok;
    ok = ini.WriteInteger("PARAMETER", "MaxDataRecords", MaxDataRecords) && ok;
    ok = ini.WriteInteger("PARAMETER", "KLineMode", KLineMode) && ok;
    ok = ini.WriteInteger("DCD", "ShRaise", CSpE_ShRis->Value) && ok;
    ok = ini.WriteInteger("DCD", "ShDown", CSpE_ShDow->Value) && ok;
    ok = ini.WriteInteger("DCD", "SzRaise", CSpE_SzRis->Value) && ok;
    ok = ini.WriteInteger("DCD", "SzDown", CSpE_SzDow->Value) && ok;
    return ok;
}

bool TSetTool::SaveThemeColoursAndFonts()
{
    int n = ComboBox2->ItemIndex;
    if (n < 0 || n > 3)
        return false;
    AnsiString colours = Numbered("Color%d", n);
    AnsiString fonts = Numbered("Font%d", n);
    TIniFile ini(SettingPath);
    bool ok = true;
    for (int i = 1; i <= 64; ++i)
        ok = ini.WriteInteger(colours, Numbered("Color%02d", i), Colors[i - 1]) && ok;
    for (int j = 1; j <= 16; ++j)
        ok = ini.WriteString(fonts, Numbered("Font%02d", j), FontRecordText(Fonts[j - 1])) && ok;
    return ok;
}

void TSetTool::PageControl2Change(TObject *Sender)
{
    SlotChoice choice = PreselectedSlots(Preview(PageControl2->GetActivePageIndex()));
    SelectSlots(choice.colour, choice.font);
}

void TSetTool::SelectSlots(int colour, int font)
{
    if (colour > 0)
        ComboBox_Col->ItemIndex = colour - 1;
    if (font > 0)
        ComboBox_Fon->ItemIndex = font - 1;
    ComboBox_ColChange(this);
    ComboBox_FonChange(this);
}

void TSetTool::RepaintPreview(int preview)
{
    switch (preview) {
    case pvChart:
        PaintBox1->Invalidate();
        break;
    case pvReport:
        DrawGrid1->Invalidate();
        break;
    case pvNews:
        PaintBox2->Invalidate();
        break;
    default:
        break;
    }
    PageControl2->Invalidate();
}

void TSetTool::DrawCross()
{
    TCanvas *canvas = PaintBox1->Canvas;
    canvas->Pen->Color = SlotColour(Colors, 16);
    canvas->Pen->Width = 1;
    canvas->Pen->Mode = pmXor;
    canvas->MoveTo(0, CrossY);
    canvas->LineTo(PaintBox1->Width, CrossY);
    canvas->MoveTo(CrossX, 0);
    canvas->LineTo(CrossX, PaintBox1->Height);
    canvas->Pen->Mode = pmCopy;
}

void TSetTool::EraseCross()
{
    if (!CrossShown)
        return;
    DrawCross();
    CrossShown = false;
}

void TSetTool::PaintBox1Paint(TObject *Sender)
{
    EraseCross();
    TColor background = SlotColour(Colors, 1);
    if (PaintBox1->Color != background)
        PaintBox1->Color = background;
    PaintChartSample(PaintBox1->Canvas, PaintBox1->Width, PaintBox1->Height, Colors, Fonts);
}

void TSetTool::PaintBox1MouseMove(TObject *Sender, TShiftState Shift, int X, int Y)
{
    EraseCross();
    CrossX = X;
    CrossY = Y;
    DrawCross();
    CrossShown = true;
}

void TSetTool::TabShe_Col1MouseMove(TObject *Sender, TShiftState Shift, int X, int Y) { EraseCross(); }

void TSetTool::PaintBox1MouseUp(TObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    int h = ChartFontHeight(PaintBox1->Canvas);
    SlotChoice choice = ChartPreviewSlot(X, Y, PaintBox1->Width, PaintBox1->Height, h);
    SelectSlots(choice.colour, choice.font);
}

void TSetTool::DrawGrid1DrawCell(TObject *Sender, int ACol, int ARow, const TRect &Rect, TGridDrawState State)
{
    PaintReportCell(DrawGrid1->Canvas, ACol, ARow, Rect, Colors, Fonts);
}

void TSetTool::DrawGrid1MouseUp(TObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    int col = -1, row = -1;
    DrawGrid1->MouseToCell(X, Y, col, row);
    if (col < 0 || row < 0)
        return;
    TRect rect = DrawGrid1->CellRect(col, row);
    bool onText = ReportTextHit(DrawGrid1->Canvas, col, row, rect, X, Fonts);
    SlotChoice choice = ReportPreviewSlot(col, row, onText);
    SelectSlots(choice.colour, choice.font);
}

void TSetTool::PaintBox2Paint(TObject *Sender)
{
    PaintNewsSample(PaintBox2->Canvas, PaintBox2->Width, PaintBox2->Height, Colors, Fonts);
}

void TSetTool::PaintBox2MouseUp(TObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    SelectSlots(NewsPreviewSlot(X, Y), 0);
}
