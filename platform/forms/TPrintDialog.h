// The print dialog: asks whether to print; the job then goes to the program's
// Printer (the system's default printer, or a PDF file when there is none).
// Without a display there is no one to ask and the dialog is accepted.
#pragma once

#include "platform/forms/TCommonDialog.h"

namespace win {

class TPrintDialog : public TCommonDialog {
public:
    explicit TPrintDialog(TComponent *Owner) : TCommonDialog(Owner) {}
    AnsiString ClassName() const override { return "TPrintDialog"; }

    bool Execute() override;
};

} // namespace win
