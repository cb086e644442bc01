#include "platform/forms/TEdit.h"

#include <QLineEdit>

#include "platform/forms/WindowHost.h"

namespace win {

TEdit::TEdit(TComponent *Owner) : TWinControl(Owner)
{
    SetBounds(0, 0, 121, 21);
    SetColor(clWindow);
}

QWidget *TEdit::CreateWidget(QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    if (maxLength_ > 0)
        e->setMaxLength(maxLength_);
    e->setReadOnly(readOnly_);
    if (passwordChar_)
        e->setEchoMode(QLineEdit::Password);
    QObject::connect(e, &QLineEdit::textChanged, [this] {
        caption_ = GbkText(static_cast<QLineEdit *>(Widget())->text()).c_str();
        if (!applying_ && OnChange)
            OnChange(this);
    });
    return e;
}

AnsiString TEdit::GetCaption() const { return caption_; }

void TEdit::ApplyCaption()
{
    applying_ = true;
    static_cast<QLineEdit *>(Widget())->setText(QtText(caption_.c_str()));
    applying_ = false;
    if (OnChange && HandleAllocated() && !CreatingWindow())
        OnChange(this);
}

void TEdit::SetMaxLength(int length)
{
    maxLength_ = length;
    if (HandleAllocated())
        static_cast<QLineEdit *>(Widget())->setMaxLength(length > 0 ? length : 32767);
}

void TEdit::SetPasswordChar(char c)
{
    passwordChar_ = c;
    if (HandleAllocated())
        static_cast<QLineEdit *>(Widget())->setEchoMode(c ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    if (HandleAllocated())
        static_cast<QLineEdit *>(Widget())->setReadOnly(readOnly);
}

void TEdit::SelectAll()
{
    static_cast<QLineEdit *>(Widget())->selectAll();
}

} // namespace win
