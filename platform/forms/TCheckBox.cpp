#include "platform/forms/TCheckBox.h"

#include <QCheckBox>

namespace win {

TCheckBox::TCheckBox(TComponent *Owner) : TButtonControl(Owner) { SetBounds(0, 0, 97, 17); }

QWidget *TCheckBox::CreateWidget(QWidget *parent) { return HookButton(new QCheckBox(parent)); }

void TCheckBox::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    ShowChecked();
    Click();
}

} // namespace win
