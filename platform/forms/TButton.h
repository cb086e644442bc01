// A push button: click, and as the form's default or cancel button Enter or Esc;
// a modal result given to its form when clicked.
#pragma once

#include "platform/forms/TWinControl.h"

namespace win {

class TButton : public TWinControl {
public:
    explicit TButton(TComponent *Owner);
    AnsiString ClassName() const override { return "TButton"; }
    void Click() override;
    bool AcceptDialogKey(WORD key, bool focused) override;

    bool Default = false;
    bool Cancel = false;
    TModalResult ModalResult = mrNone;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void ApplyCaption() override;
};

} // namespace win
