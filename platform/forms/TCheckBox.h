// The check box: a caption with a box the user ticks; setting Checked or a
// user's click fires OnClick.
#pragma once

#include "platform/forms/TWinControl.h"

namespace win {

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent *Owner);
    AnsiString ClassName() const override { return "TCheckBox"; }

    bool GetChecked() const { return checked_; }
    void SetChecked(bool checked);
    Property<TCheckBox, bool, &TCheckBox::GetChecked, &TCheckBox::SetChecked> Checked{this};

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void ApplyCaption() override;

private:
    bool checked_ = false;
};

} // namespace win
