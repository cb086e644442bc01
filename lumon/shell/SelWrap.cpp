#include "lumon/shell/SelWrap.h"

#include "platform/forms/FormBuilding.h"
#include "platform/forms/TGroupBox.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TRadioButton.h"

using namespace win;

namespace {

// A borderless holder: the radio buttons on it make one choice.
TPanel *Holder(TComponent *owner, TWinControl *parent, int left, int top, int width, int height)
{
    auto *panel = Place<TPanel>(owner, parent, left, top, width, height);
    panel->BevelOuter = bvNone;
    panel->Caption = "";
    return panel;
}

TRadioButton *Choice(TComponent *owner, TWinControl *parent, int left, int top, const char *caption, bool checked)
{
    auto *b = Place<TRadioButton>(owner, parent, left, top, 110, 20);
    b->Caption = caption;
    b->Checked = checked;
    return b;
}

} // namespace

TSelStockDlg1::TSelStockDlg1(TComponent *Owner) : TSelStockDlg(Owner)
{
    Caption = "跨品种分析选择";
    const int top = ClientHeight;
    ClientHeight = top + 84;
    TPanel *kind = Holder(this, this, 8, top, 120, 76);
    RadioButton1 = Choice(this, kind, 4, 8, "叠加显示", true);
    RadioButton2 = Choice(this, kind, 4, 44, "套利分析", false);
    TPanel *coordinates = Holder(this, this, 130, top, 120, 36);
    RadioButton5 = Choice(this, coordinates, 4, 8, "相对坐标", true);
    RadioButton6 = Choice(this, coordinates, 118, 8, "绝对坐标", false);
    coordinates->Width = 240;
    TPanel *spread = Holder(this, this, 130, top + 36, 240, 36);
    RadioButton3 = Choice(this, spread, 4, 8, "差价(D1-D2)", true);
    RadioButton4 = Choice(this, spread, 118, 8, "比价(D1/D2)", false);
    GroupBox1 = Place<TGroupBox>(this, this, 372, top, 80, 76);
    GroupBox1->Caption = "数据项";
    RadioButton7 = Choice(this, GroupBox1, 8, 18, "收盘价", true);
    RadioButton8 = Choice(this, GroupBox1, 8, 46, "开盘价", false);
    RadioButton7->Width = 68;
    RadioButton8->Width = 68;
    RadioButton1->OnClick = [this](TObject *s) { RadioButton2Click(s); };
    RadioButton2->OnClick = [this](TObject *s) { RadioButton2Click(s); };
    RadioButton2Click(this);
}

void TSelStockDlg1::RadioButton2Click(TObject *)
{
    const bool spread = RadioButton2->Checked;
    RadioButton3->Enabled = spread;
    RadioButton4->Enabled = spread;
    RadioButton5->Enabled = RadioButton1->Checked;
    RadioButton6->Enabled = RadioButton1->Checked;
}
