#include "platform/forms/TRadioButton.h"

#include <QRadioButton>

namespace win {

TRadioButton::TRadioButton(TComponent *Owner) : TButtonControl(Owner) { SetBounds(0, 0, 113, 17); }

QWidget *TRadioButton::CreateWidget(QWidget *parent) { return HookButton(new QRadioButton(parent)); }

void TRadioButton::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    if (checked && GetParent())
        for (int i = 0; i < GetParent()->ControlCount(); ++i)
            if (auto *other = dynamic_cast<TRadioButton *>(GetParent()->Controls(i)); other && other != this)
                other->SetChecked(false);
    ShowChecked();
    if (checked)
        Click();
}

} // namespace win
