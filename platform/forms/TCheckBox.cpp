#include "platform/forms/TCheckBox.h"

#include <QCheckBox>

#include "platform/forms/WindowHost.h"

namespace win {

TCheckBox::TCheckBox(TComponent *Owner) : TWinControl(Owner) { SetBounds(0, 0, 97, 17); }

QWidget *TCheckBox::CreateWidget(QWidget *parent)
{
    auto *box = new QCheckBox(parent);
    box->setChecked(checked_);
    QObject::connect(box, &QCheckBox::toggled, [this](bool on) { SetChecked(on); });
    return box;
}

void TCheckBox::ApplyCaption() { static_cast<QCheckBox *>(Widget())->setText(QtText(caption_.c_str())); }

void TCheckBox::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    if (HandleAllocated())
        static_cast<QCheckBox *>(Widget())->setChecked(checked);
    Click();
}

} // namespace win
