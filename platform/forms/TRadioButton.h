// The radio button: one of the buttons of its parent of which one is checked;
// checking it (by code or click) unchecks the others and fires OnClick.
#pragma once

#include "platform/forms/TButtonControl.h"

namespace win {

class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent *Owner);
    AnsiString ClassName() const override { return "TRadioButton"; }

    void SetChecked(bool checked) override;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
};

} // namespace win
