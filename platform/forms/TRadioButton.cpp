#include "platform/forms/TRadioButton.h"

#include <QRadioButton>

#include "platform/forms/WindowHost.h"

namespace win {

TRadioButton::TRadioButton(TComponent *Owner) : TWinControl(Owner) { SetBounds(0, 0, 113, 17); }

QWidget *TRadioButton::CreateWidget(QWidget *parent)
{
    auto *button = new QRadioButton(parent);
    button->setChecked(checked_);
    QObject::connect(button, &QRadioButton::toggled, [this](bool on) { SetChecked(on); });
    return button;
}

void TRadioButton::ApplyCaption()
{
    static_cast<QRadioButton *>(Widget())->setText(QtText(caption_.c_str()));
}

void TRadioButton::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    if (checked && GetParent())
        for (int i = 0; i < GetParent()->ControlCount(); ++i)
            if (auto *other = dynamic_cast<TRadioButton *>(GetParent()->Controls(i)); other && other != this)
                other->SetChecked(false);
    if (HandleAllocated())
        static_cast<QRadioButton *>(Widget())->setChecked(checked);
    if (checked)
        Click();
}

} // namespace win
