// A number asked of the user: the days of the any-days period, or, relabelled
// by the frame, the seconds of cyclic display.
#pragma once

#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TEdit;
class TLabel;
} // namespace win

class TInputNumberDlg : public win::TForm {
public:
    explicit TInputNumberDlg(win::TComponent *Owner);

    win::TLabel *Label1;
    win::TEdit *Edit_Day;
    win::TButton *Button1;   // OK
    win::TButton *Button2;   // Cancel
};

// A text that is a whole number above 0 (blanks around it allowed): true with it.
bool ParsePositiveWhole(const char *text, int &value);
