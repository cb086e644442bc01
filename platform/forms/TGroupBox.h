// The group box: a framed caption around the controls placed in it.
#pragma once

#include "platform/forms/TWinControl.h"

namespace win {

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent *Owner);
    AnsiString ClassName() const override { return "TGroupBox"; }

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void ApplyCaption() override;
};

} // namespace win
