// The radio button: one of the buttons of its parent of which one is checked;
// checking it (by code or click) unchecks the others and fires OnClick.
#pragma once

#include "platform/forms/TWinControl.h"

namespace win {

class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent *Owner);
    AnsiString ClassName() const override { return "TRadioButton"; }

    bool GetChecked() const { return checked_; }
    void SetChecked(bool checked);
    Property<TRadioButton, bool, &TRadioButton::GetChecked, &TRadioButton::SetChecked> Checked{this};

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void ApplyCaption() override;

private:
    bool checked_ = false;
};

} // namespace win
