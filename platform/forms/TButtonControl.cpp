#include "platform/forms/TButtonControl.h"

#include <QAbstractButton>

#include "platform/forms/WindowHost.h"

namespace win {

QWidget *TButtonControl::HookButton(QAbstractButton *button)
{
    button->setChecked(checked_);
    QObject::connect(button, &QAbstractButton::toggled, [this](bool on) { SetChecked(on); });
    return button;
}

void TButtonControl::ApplyCaption()
{
    static_cast<QAbstractButton *>(Widget())->setText(QtText(caption_.c_str()));
}

void TButtonControl::ShowChecked()
{
    if (HandleAllocated())
        static_cast<QAbstractButton *>(Widget())->setChecked(checked_);
}

} // namespace win
