// The stock chooser of the charts' cross-variety analysis: the stock dialog with
// the choice of overlay or spread analysis and of the price used.
#pragma once

#include "lumon/shell/SelStockDlg.h"

namespace win {
class TGroupBox;
class TRadioButton;
} // namespace win

class TSelStockDlg1 : public TSelStockDlg {
public:
    explicit TSelStockDlg1(win::TComponent *Owner);

    // Enables the choices under the top choice that is checked.
    void RadioButton2Click(win::TObject *Sender);

    win::TRadioButton *RadioButton1;   // 叠加显示
    win::TRadioButton *RadioButton2;   // 套利分析
    win::TRadioButton *RadioButton3;   // 差价(D1-D2)
    win::TRadioButton *RadioButton4;   // 比价(D1/D2)
    win::TRadioButton *RadioButton5;   // 相对坐标
    win::TRadioButton *RadioButton6;   // 绝对坐标
    win::TGroupBox *GroupBox1;         // 数据项
    win::TRadioButton *RadioButton7;   // 收盘价
    win::TRadioButton *RadioButton8;   // 开盘价
};
