// The big-order threshold dialog of the charts' tick list: a number of lots
// from 0 to 1000, stepped by 1 or 5.
#pragma once

#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TCSpinEdit;
class TGroupBox;
class TRadioButton;
} // namespace win

class TBigAmount : public win::TForm {
public:
    // Sets the frame's busy flag; pane activation clears it.
    explicit TBigAmount(win::TComponent *Owner);

    win::TCSpinEdit *CSpinEdit1;
    win::TGroupBox *GroupBox1;       // 步长
    win::TRadioButton *RadioButton1; // 1
    win::TRadioButton *RadioButton2; // 5
    win::TButton *Button1;
};
