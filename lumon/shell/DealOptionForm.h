// One order program's entry: its name in the trading menu and its program file,
// which the user may pick in the open-file dialog.
#pragma once

#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TEdit;
class TOpenDialog;
} // namespace win

class TDealOption : public win::TForm {
public:
    explicit TDealOption(win::TComponent *Owner);

    void Button1Click(win::TObject *Sender);   // 浏览
    void Button2Click(win::TObject *Sender);   // 确定

    win::TEdit *NameEdit;
    win::TEdit *ProgramEdit;
    win::TButton *Button1;
    win::TButton *Button2;
    win::TButton *Button3;
    win::TOpenDialog *OpenDialog1;
};
