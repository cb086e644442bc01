#include "platform/forms/TGroupBox.h"

#include <QGroupBox>

#include "platform/forms/WindowHost.h"

namespace win {

TGroupBox::TGroupBox(TComponent *Owner) : TWinControl(Owner)
{
    TabStop = false;
    SetBounds(0, 0, 185, 105);
}

QWidget *TGroupBox::CreateWidget(QWidget *parent) { return new QGroupBox(parent); }

void TGroupBox::ApplyCaption() { static_cast<QGroupBox *>(Widget())->setTitle(QtText(caption_.c_str())); }

} // namespace win
