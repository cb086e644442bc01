// The check box: a caption with a box the user ticks; setting Checked or a
// user's click fires OnClick.
#pragma once

#include "platform/forms/TButtonControl.h"

namespace win {

class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent *Owner);
    AnsiString ClassName() const override { return "TCheckBox"; }

    void SetChecked(bool checked) override;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
};

} // namespace win
