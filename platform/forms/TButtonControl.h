// The common part of the check box and the radio button: a caption beside a
// mark that is on or off (Checked), shown on the widget the kind makes.
#pragma once

#include "platform/forms/TWinControl.h"

class QAbstractButton;

namespace win {

class TButtonControl : public TWinControl {
public:
    explicit TButtonControl(TComponent *Owner) : TWinControl(Owner) {}

    bool GetChecked() const { return checked_; }
    // Each kind decides what else a change of the mark does.
    virtual void SetChecked(bool checked) = 0;
    Property<TButtonControl, bool, &TButtonControl::GetChecked, &TButtonControl::SetChecked> Checked{this};

protected:
    // Shows the mark on the button the kind made and feeds the user's toggles
    // back into SetChecked; returns the button as the control's widget.
    QWidget *HookButton(QAbstractButton *button);
    void ApplyCaption() override;
    // Puts checked_ on the widget when there is one.
    void ShowChecked();

    bool checked_ = false;
};

} // namespace win
